#pragma once
// One conversion's ffmpeg run: ffmpeg started on the translated
// arguments, its position reported to the window, stopped when the window
// asks (also in answer to the report after its end, as in a group of
// runs), its last error lines logged.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "encoder/common/run_log_win.h"
#include "encoder/run/reporter_win.h"

namespace velto {

struct FfmpegRunResult {
  bool started = false;
  bool stopped = false;     // on the window's request
  DWORD exitCode = 1;
  std::int64_t frames = 0;  // as ffmpeg's progress last said
  std::string lastError;    // ffmpeg's last error line, if any
};

// `writes` is the file it writes, hidden once it is there.
FfmpegRunResult RunFfmpeg(const std::wstring& ffmpeg, const std::vector<std::string>& arguments,
                          const std::wstring& writes, Reporter& reporter, RunLog& log);

struct FfmpegGroupResult {
  bool started = false;
  bool stopped = false;
  bool failed = false;               // a run could not start or ended with a non-zero code
  std::vector<std::int64_t> frames;  // as each run's progress last said
  std::vector<DWORD> exitCodes;      // each run's
  std::string lastError;             // the last error line of the first run that failed, else of any
};

// ffmpeg runs side by side, e.g. the ranges of a split conversion. The
// window is told `position`: the seconds written by the first `counted`
// runs together (and those done before, CountDone), never less than it
// was, when it changes and otherwise once a second, since only the answer
// to a report can ask for a stop. The first run that fails ends the others
// at once; a stop asks each to finish, then ends what is left within a
// second. A run can be started ahead of its input (the join of a split
// conversion, whose start under Wine takes a while, started while the
// ranges encode) and given it later. Runs still going when the group is
// dropped are ended.
class FfmpegGroup {
 public:
  // Run `run` has ended with `exitCode` after `frames` frames.
  using RunEnded = std::function<void(std::size_t run, DWORD exitCode, std::int64_t frames)>;

  FfmpegGroup();
  FfmpegGroup(const FfmpegGroup&) = delete;
  FfmpegGroup& operator=(const FfmpegGroup&) = delete;
  ~FfmpegGroup();

  // Before Start: of the first `limited` runs at most `mostAtOnce` go at
  // once, the others waiting their turn in order; the rest start at once.
  void Limit(std::size_t limited, std::size_t mostAtOnce) {
    limited_ = limited;
    mostAtOnce_ = mostAtOnce;
  }
  // Seconds written before the group, counted in its position.
  void CountDone(std::int64_t microseconds) { doneMicroseconds_ = microseconds; }
  // Told of every run's end as it is seen, its last output read.
  void WhenRunEnds(RunEnded onEnd) { onEnd_ = std::move(onEnd); }
  // False when a run could not be started; the others are then ended.
  bool Start(const std::wstring& ffmpeg, const std::vector<std::vector<std::string>>& runs, RunLog& log);
  // Writes `bytes` on run `run`'s input and closes it.
  bool GiveInput(std::size_t run, const std::string& bytes);
  // A file a run writes, hidden as soon as it is there.
  void HideWhenMade(std::wstring path) { hide_ = std::move(path); }
  // Until every run has ended, one has failed or the window asks to stop.
  FfmpegGroupResult Follow(std::size_t counted, std::int32_t& position, Reporter& reporter, RunLog& log);
  // Ends the runs still going, at once.
  void End() { EndAll(false); }

 private:
  struct Member;
  enum class State { kRunning, kAllEnded, kFailed };

  State Look(RunLog& log);
  // Starts the runs whose turn has come; false when one could not start.
  bool StartDue(RunLog& log);
  void WaitForAnyEnd(DWORD timeoutMs);
  // Seconds written by the first `counted` runs together.
  std::int32_t WrittenSeconds(std::size_t counted);
  void EndAll(bool askFirst);

  std::vector<std::unique_ptr<Member>> members_;
  std::wstring hide_;
  std::wstring ffmpeg_;
  std::size_t limited_ = 0, mostAtOnce_ = 0;
  std::int64_t doneMicroseconds_ = 0;
  RunEnded onEnd_;
};

}  // namespace velto
