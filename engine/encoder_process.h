#pragma once
// Running veltoenc.exe once, hidden, while the user interface stays alive.
#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "base/encoder_cause.h"
#include "base/owned_handles.h"
#include "engine/command_line.h"
#include "engine/encoder_reports.h"
#include "engine/local_data.h"
#include "engine/media_list.h"

namespace velto {

struct EncoderRunResult {
  bool started = false;  // false: the encoder could not be started at all
  DWORD exitCode = 0;    // the encoder's exit code when it started
  DWORD processId = 0;   // the encoder's process id when it started (names its log)
};

// An encoder run that has been started and not yet waited for.
struct StartedEncoder {
  OwnedProcess process;  // empty when the start failed
  DWORD processId = 0;
};

// Starts the encoder of `command` hidden, in its start folder. Only an
// encoder named by its full path is started: a bare name would be looked
// for in the current folder.
StartedEncoder StartEncoderProcess(const EncoderCommand& command);

// A conversion's wait also minds Cancel: when no report has followed it
// within kSilentStopMs, the wait asks the stop question itself, and Yes ends
// the encoder.
struct SilentStopWatch {
  EngineState& state;
  ReportSink& ui;
};

// Waits for a started encoder to end, as RunEncoderProcess does.
EncoderRunResult WaitForEncoder(StartedEncoder& encoder, SilentStopWatch* watch = nullptr);

// Waits, the same way, until the first of several encoders at work ends:
// its place in `encoders` and its result (one that never started ends at
// once, not started). A Cancel that no report followed, answered Yes, ends
// every one.
std::pair<std::size_t, EncoderRunResult> WaitForAnyEncoder(const std::vector<StartedEncoder*>& encoders,
                                                           SilentStopWatch* watch = nullptr);

// Starts the encoder of `command` hidden and waits for it to end. Window
// messages are handled while waiting (the encoder's reports, Cancel,
// painting), one at a time; the wait itself uses no CPU. `started`, when
// given, runs once the start has been tried, before the wait: what the
// windows show for the run is done there, while the encoder starts on
// another processor, rather than before it.
EncoderRunResult RunEncoderProcess(const EncoderCommand& command, const std::function<void()>& started = {},
                                   SilentStopWatch* watch = nullptr);

// Ends a started encoder at once with the stopped code (the job it keeps
// its ffmpeg runs in ends them with it) and waits a moment for it to go.
void EndEncoderProcess(StartedEncoder& encoder);

// Ends the runs of `folder` (the program's own, with its closing backslash)
// that never ran and whose starter is gone: a veltoenc.exe, ffmpeg.exe or
// ffprobe.exe made suspended, as every start of ours is, whose starter was
// killed before it resumed it. Such a program can miss the end of its job
// (Wine's jobs pass over a process that is still starting) and wait for
// ever. A program that runs is never ended, whoever started it. Each one
// ended is logged; returns how many there were.
int EndOrphanedRuns(const std::wstring& folder);

// The log the run wrote in `folder`; empty when there is none.
std::string FindEncoderLog(const std::string& folder, const EncoderRunResult& run);

// Why a run that started failed: the cause its log records, else what its
// exit code tells.
EncoderCauseRecord CauseOfRun(const EncoderRunResult& run, const std::string& logPath);

// Handles at most one waiting window message; never blocks. A WM_QUIT taken
// here is posted again once the current encoder run is over.
void PumpOneMessage();

}  // namespace velto
