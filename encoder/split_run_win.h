#pragma once
// A conversion split by time, carried out: the ranges of the video and the
// whole sound encoded side by side into a private folder beside the
// output, then joined into the output; the folder goes with the run.
#include <windows.h>

#include <string>

#include "encoder/encoder_job.h"
#include "encoder/engine_arguments.h"
#include "encoder/reporter_win.h"
#include "encoder/run_log_win.h"

namespace velto {

enum class SplitOutcome {
  kDone,
  kStopped,  // on the window's request
  kFailed,   // a run failed or a part fell short; nothing of the run is left
};

// The run's private folder, beside the output, with a separator at its end.
std::wstring SplitFolderFor(const std::string& output);

SplitOutcome ConvertSplit(const std::wstring& engine, const std::string& output, const SplitArguments& split,
                          const std::wstring& folder, Reporter& reporter, RunLog& log);

// The first word of a command line that asks veltoenc.exe to watch a run:
// "--remove-when-ended PROCESS FOLDER" waits until the process of that
// number has ended, however it ends, then removes its split folder.
inline constexpr char kRemoveWhenEnded[] = "--remove-when-ended";

// That watch; true when the words asked for it.
bool WatchSplitFolder(const std::vector<std::string>& words);

}  // namespace velto
