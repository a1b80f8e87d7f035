#pragma once
// A conversion split by time, carried out: the ranges of the video and the
// whole sound encoded side by side into a private folder beside the output
// (encoder/run/split_folder_win.h), then joined into the output.
#include <string>

#include "encoder/common/run_log_win.h"
#include "encoder/job/split_arguments.h"
#include "encoder/run/reporter_win.h"

namespace velto {

enum class SplitOutcome {
  kDone,
  kStopped,  // on the window's request
  kFailed,   // a run failed or a part fell short; nothing of the run is left
};

SplitOutcome ConvertSplit(const std::wstring& ffmpeg, const std::string& output, const SplitArguments& split,
                          const std::wstring& folder, Reporter& reporter, RunLog& log);

}  // namespace velto
