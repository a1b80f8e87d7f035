#pragma once
// The parts folder of a split conversion, beside the output and named after
// it (base/work_files.h), where the ranges and the sound are written before
// the join. The conversion's claim on its output's name holds the folder,
// so that no other run removes it; a split that ends empties it (the claim
// removes it at the conversion's end), while a killed run leaves it, with
// the manifests of its finished parts, for the next conversion of the same
// output.
#include <windows.h>

#include <string>

#include "base/work_files.h"
#include "encoder/common/run_log_win.h"
#include "encoder/run/ffmpeg_run_win.h"

namespace velto {

// Owns every ffmpeg run that writes into the folder, so that the parts are
// removed only after those runs have ended.
class SplitFolder {
 public:
  // The folder of a held claim.
  SplitFolder(const WorkClaim& claim, RunLog& log) : claim_(claim), log_(log) {}
  SplitFolder(const SplitFolder&) = delete;
  SplitFolder& operator=(const SplitFolder&) = delete;
  // Ends the runs and removes the parts.
  ~SplitFolder();

  // With a backslash at its end.
  const std::wstring& Path() const { return claim_.Folder(); }
  // The runs that write into the folder: the ranges and the sound, and the
  // join, which reads them.
  FfmpegGroup& Parts() { return parts_; }
  FfmpegGroup& Join() { return join_; }

 private:
  const WorkClaim& claim_;
  RunLog& log_;
  FfmpegGroup parts_, join_;
};

}  // namespace velto
