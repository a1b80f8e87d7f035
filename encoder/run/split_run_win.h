#pragma once
// A conversion split by time, carried out: the ranges of the video and the
// whole sound encoded side by side into the output's parts folder
// (encoder/run/split_folder_win.h), then joined into the output. Each part
// that comes out whole leaves a manifest beside it (encoder/job/
// part_manifest.h); a conversion of the same output after a kill uses the
// parts whose manifests still match and encodes only the others.
#include <string>

#include "encoder/common/run_log_win.h"
#include "encoder/job/split_arguments.h"
#include "encoder/run/reporter_win.h"
#include "encoder/run/split_folder_win.h"

namespace velto {

enum class SplitOutcome {
  kDone,
  kStopped,  // on the window's request
  kFailed,   // a run failed or a part fell short
};

// `salt` is what the runs' argument lines do not say about their parts: the
// engine run and the source's size, time and bytes at either end
// (RunDigest).
SplitOutcome ConvertSplit(const std::wstring& ffmpeg, const std::string& output, const SplitArguments& split,
                          SplitFolder& folder, const std::string& salt, Reporter& reporter, RunLog& log);

}  // namespace velto
