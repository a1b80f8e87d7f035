#pragma once
// The parts folder of a split conversion, beside the output and named after
// it (base/work_files.h), where the ranges and the sound are written before
// the join. A run holds the folder's lock while it uses the folder, so that
// no other run removes it; a run that ends removes it, while one that is
// killed leaves it, with the manifests of its finished parts, for the next
// conversion of the same output.
#include <windows.h>

#include <string>

#include "base/owned_handles.h"
#include "encoder/common/run_log_win.h"
#include "encoder/run/ffmpeg_run_win.h"

namespace velto {

// Owns the folder and every ffmpeg run that writes into it, so that the
// folder is removed only after those runs have ended.
class SplitFolder {
 public:
  // Makes the folder of `output` (a full path), hidden, or finds the one a
  // killed run left, and takes its lock.
  SplitFolder(const std::wstring& output, RunLog& log);
  SplitFolder(const SplitFolder&) = delete;
  SplitFolder& operator=(const SplitFolder&) = delete;
  // Ends the runs, lets go of the lock and removes the folder.
  ~SplitFolder();

  // The folder is there and this run holds it.
  bool Held() const { return static_cast<bool>(lock_); }
  // With a backslash at its end.
  const std::wstring& Path() const { return path_; }
  // The runs that write into the folder: the ranges and the sound, and the
  // join, which reads them.
  FfmpegGroup& Parts() { return parts_; }
  FfmpegGroup& Join() { return join_; }

 private:
  std::wstring path_;
  RunLog& log_;
  UniqueHandle lock_;
  FfmpegGroup parts_, join_;
};

}  // namespace velto
