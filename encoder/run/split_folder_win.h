#pragma once
// The private folder of one split conversion, beside the output, where the
// ranges and the sound are written before the join. It goes on every way
// out: the owner removes it once the runs writing into it have ended, and
// a watch (a second veltoenc.exe) removes it once this process has ended,
// however it ends.
#include <windows.h>

#include <string>
#include <thread>
#include <vector>

#include "encoder/common/run_log_win.h"
#include "encoder/run/ffmpeg_run_win.h"

namespace velto {

// The folder a split conversion of `output` works in, with a separator at
// its end.
std::wstring SplitFolderFor(const std::string& output);

// Owns the folder and every ffmpeg run that writes into it, so that the
// folder is removed only after those runs have ended.
class SplitFolder {
 public:
  // Makes the folder, hidden (after removing one an earlier process of the
  // same number left), and starts its watch.
  SplitFolder(std::wstring path, RunLog& log);
  SplitFolder(const SplitFolder&) = delete;
  SplitFolder& operator=(const SplitFolder&) = delete;
  // Ends the runs, then removes the folder.
  ~SplitFolder();

  bool Made() const { return made_; }
  const std::wstring& Path() const { return path_; }
  // The runs that write into the folder: the ranges and the sound, and the
  // join, which reads them.
  FfmpegGroup& Parts() { return parts_; }
  FfmpegGroup& Join() { return join_; }

 private:
  std::wstring path_;
  RunLog& log_;
  bool made_ = false;
  bool watching_ = false;
  std::jthread watchStart_;
  FfmpegGroup parts_, join_;
};

// The first word of a command line that asks veltoenc.exe to watch a run:
// "--remove-when-ended PROCESS FOLDER" waits until the process of that
// number has ended, however it ends, then removes its split folder.
inline constexpr char kRemoveWhenEnded[] = "--remove-when-ended";

// That watch; true when the words asked for it.
bool WatchSplitFolder(const std::vector<std::string>& words);

}  // namespace velto
