#pragma once
// Starting a program hidden, its standard streams joined to pipes of ours,
// to the null device or to nothing, optionally inside a job.
#include <windows.h>
#include <tlhelp32.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/owned_handles.h"

namespace velto {

// The machine's logical processors, in every processor group; at least 1.
int LogicalProcessors();

enum class StreamUse {
  kNone,  // the program gets no such stream
  kPipe,  // a pipe whose other end is ours
  kNull,  // the null device
};

struct ProcessStart {
  std::wstring program;      // the executable; empty: the command line's first word names it
  std::wstring commandLine;  // the program's name first, as it sees it
  std::wstring folder;       // its current folder; empty: ours
  StreamUse input = StreamUse::kNone;
  StreamUse output = StreamUse::kNone;
  StreamUse error = StreamUse::kNone;
  // What the output pipe holds before the program's writes wait for ours
  // to read; 0: 64 KiB.
  DWORD outputPipeBytes = 0;
  // false: no console at all; true: a console of its own, never shown.
  bool console = false;
  // The job it belongs to from its first instruction; none when null.
  HANDLE job = nullptr;
};

struct StartedProcess {
  OwnedProcess handles;
  UniqueHandle input, output, error;  // our ends of its pipes
  // It was put into the job asked for (false when none was asked for).
  bool inJob = false;
};

// The program inherits the handles of its streams and no other, so that
// programs may be started from several threads at once. nullopt when a
// pipe could not be made or the program could not be started.
std::optional<StartedProcess> StartHidden(const ProcessStart& start);

// A start can fail for a moment while something else holds the program file
// (a virus scanner, a loader under load): `start` is called once more 200 ms
// later when it failed while `program` is there. A missing program fails at
// once. What `start` last gave.
inline bool StartTryingTwice(const std::wstring& program, const std::function<bool()>& start) {
  if (start()) return true;
  if (GetFileAttributesW(program.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
  Sleep(200);
  return start();
}

// A job whose processes end when its last handle is closed, as this
// process's handles are when it ends, killed or not. Empty on failure.
JobObject MakeKillOnCloseJob();

// The processes running now, as the system lists them.
std::vector<PROCESSENTRY32W> RunningProcesses();

// Whether every thread of process `id` is suspended, as a program made
// suspended is until it is resumed. Asked by suspending each thread once
// more and resuming it at once.
bool AllThreadsSuspended(DWORD id);

}  // namespace velto
