#pragma once
// One conversion's engine run: the engine started on the translated
// arguments, its position reported to the window, stopped when the window
// asks, its last error lines logged.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "encoder/reporter_win.h"
#include "encoder/run_log_win.h"

namespace velto {

struct EngineRunResult {
  bool started = false;
  bool stopped = false;     // on the window's request
  DWORD exitCode = 1;
  std::int64_t frames = 0;  // as the engine's progress last said
  std::string lastError;    // the engine's last error line, if any
};

EngineRunResult RunEngine(const std::wstring& engine, const std::vector<std::string>& arguments,
                          Reporter& reporter, RunLog& log);

struct EngineGroupResult {
  bool started = false;
  bool stopped = false;
  bool failed = false;               // a run could not start or ended with a non-zero code
  std::vector<std::int64_t> frames;  // as each run's progress last said
};

// Engine runs side by side, e.g. the ranges of a split conversion. The
// window is told `position`: the seconds written by the first `counted`
// runs together, never less than it was, when it changes and otherwise
// once a second, since only the answer to a report can ask for a stop. The
// first run that fails ends the others at once; a stop asks each to
// finish, then ends what is left within a second. A run can be started
// ahead of its input (the join of a split conversion, whose start under
// Wine takes a while, started while the ranges encode) and given it later.
// Runs still going when the group is dropped are ended.
class EngineGroup {
 public:
  EngineGroup();
  EngineGroup(const EngineGroup&) = delete;
  EngineGroup& operator=(const EngineGroup&) = delete;
  ~EngineGroup();

  // False when a run could not be started; the others are then ended.
  bool Start(const std::wstring& engine, const std::vector<std::vector<std::string>>& runs, RunLog& log);
  // Writes `bytes` on run `run`'s input and closes it.
  bool GiveInput(std::size_t run, const std::string& bytes);
  // Until every run has ended, one has failed or the window asks to stop.
  EngineGroupResult Follow(std::size_t counted, std::int32_t& position, Reporter& reporter, RunLog& log);

 private:
  struct Member;
  void WaitForAnyEnd(DWORD timeoutMs);
  void EndAll(bool askFirst);

  std::vector<std::unique_ptr<Member>> members_;
};

}  // namespace velto
