#include "encoder/run/ffmpeg_run_win.h"

#include <algorithm>
#include <memory>
#include <mutex>

#include "base/encoder_interface.h"
#include "base/text_encoding.h"
#include "encoder/common/ffmpeg_process_win.h"
#include "encoder/common/file_access_win.h"
#include "encoder/common/run_log.h"
#include "encoder/run/progress_stream.h"

namespace velto {
namespace {

// The position goes to the window at most twice a second: each report
// costs the window a repaint, and ffmpeg needs both cores more.
constexpr DWORD kReportIntervalMs = 500;

// What ffmpeg's two outputs tell, fed on their reader threads.
class FfmpegOutputs {
 public:
  void FeedProgress(const std::string& bytes) {
    std::lock_guard<std::mutex> guard(lock_);
    progress_.Feed(bytes);
  }
  void FeedErrors(const std::string& bytes) {
    std::lock_guard<std::mutex> guard(lock_);
    errors_.Feed(bytes);
  }
  std::int64_t Microseconds() {
    std::lock_guard<std::mutex> guard(lock_);
    return progress_.PositionMicroseconds().value_or(0);
  }
  std::int64_t Frames() {
    std::lock_guard<std::mutex> guard(lock_);
    return progress_.Frames();
  }
  std::vector<std::string> ErrorLines() {
    std::lock_guard<std::mutex> guard(lock_);
    return errors_.Lines();
  }

 private:
  std::mutex lock_;
  ProgressStream progress_;
  LastLines errors_;
};

}  // namespace

FfmpegRunResult RunFfmpeg(const std::wstring& ffmpeg, const std::vector<std::string>& arguments,
                          const std::wstring& writes, Reporter& reporter, RunLog& log) {
  FfmpegRunResult result;
  FfmpegGroup group;
  group.HideWhenMade(writes);
  result.started = group.Start(ffmpeg, {arguments}, log);
  if (!result.started) return result;
  std::int32_t position = 0;
  const FfmpegGroupResult run = group.Follow(1, position, reporter, log);
  result.stopped = run.stopped;
  result.exitCode = run.exitCodes.front();
  result.frames = run.frames.front();
  result.lastError = run.lastError;
  return result;
}

namespace {

constexpr DWORD kQuietReportMs = 1000;

}  // namespace

struct FfmpegGroup::Member {
  std::vector<std::string> arguments;
  FfmpegOutputs outputs;
  FfmpegProcess process;
  bool started = false;
  bool ended = false;
};

FfmpegGroup::FfmpegGroup() = default;

// Runs still going are ended by their processes' own ends.
FfmpegGroup::~FfmpegGroup() = default;

bool FfmpegGroup::Start(const std::wstring& ffmpeg, const std::vector<std::vector<std::string>>& runs, RunLog& log) {
  ffmpeg_ = ffmpeg;
  for (const auto& arguments : runs) {
    auto member = std::make_unique<Member>();
    member->arguments = arguments;
    members_.push_back(std::move(member));
  }
  return StartDue(log);
}

bool FfmpegGroup::StartDue(RunLog& log) {
  std::size_t going = 0;
  for (std::size_t i = 0; i < members_.size() && i < limited_; ++i)
    if (members_[i]->started && !members_[i]->process.Wait(0)) ++going;
  for (std::size_t i = 0; i < members_.size(); ++i) {
    Member& m = *members_[i];
    if (m.started || (i < limited_ && going >= mostAtOnce_)) continue;
    if (i < limited_) ++going;
    FfmpegOutputs& outputs = m.outputs;
    m.started = m.process.Start(
        ffmpeg_, m.arguments, [&outputs](const std::string& bytes) { outputs.FeedProgress(bytes); },
        [&outputs](const std::string& bytes) { outputs.FeedErrors(bytes); });
    log.Timed("engine: " + WideToUtf8(m.process.CommandLine()));
    if (!m.started) {
      log.Line("the engine could not be started");
      EndAll(false);
      return false;
    }
    // A run outside the job would outlive a kill of this process.
    if (!m.process.InJob()) log.Line("engine run " + std::to_string(i + 1) + " could not be put in the encoder's job");
  }
  return true;
}

bool FfmpegGroup::GiveInput(std::size_t run, const std::string& bytes) {
  return run < members_.size() && members_[run]->process.GiveInput(bytes);
}

// Waits until one of the runs still going ends or timeoutMs pass.
void FfmpegGroup::WaitForAnyEnd(DWORD timeoutMs) {
  std::vector<HANDLE> going;
  for (const auto& m : members_)
    if (m->process.Process() && !m->process.Wait(0)) going.push_back(m->process.Process());
  if (going.empty()) return;
  if (going.size() > MAXIMUM_WAIT_OBJECTS) going.resize(MAXIMUM_WAIT_OBJECTS);
  WaitForMultipleObjects(static_cast<DWORD>(going.size()), going.data(), FALSE, timeoutMs);
}

void FfmpegGroup::EndAll(bool askFirst) {
  if (askFirst) {
    for (auto& m : members_) m->process.AskToQuit();
    const DWORD deadline = GetTickCount() + 600;
    for (auto& m : members_) {
      const DWORD now = GetTickCount();
      m->process.Wait(now < deadline ? deadline - now : 0);
    }
  }
  for (auto& m : members_)
    if (!m->process.Wait(0)) m->process.Terminate();
}

// Looks at every run once: kFailed as soon as one has ended in failure,
// even while others still go; kAllEnded when every one has ended well. A
// file to be hidden is hidden once it is there.
FfmpegGroup::State FfmpegGroup::Look(RunLog& log) {
  if (!hide_.empty() && HideFile(hide_)) hide_.clear();
  bool allEnded = true, failed = false;
  for (std::size_t i = 0; i < members_.size(); ++i) {
    Member& m = *members_[i];
    if (!m.started || !m.process.Wait(0)) {
      allEnded = false;
      continue;
    }
    if (!m.ended) {
      m.ended = true;
      log.Timed("engine run " + std::to_string(i + 1) + " ended");
      if (onEnd_) {
        m.process.JoinReaders();
        onEnd_(i, m.process.ExitCode(), m.outputs.Frames());
      }
    }
    if (m.process.ExitCode() != 0) failed = true;
  }
  if (failed) return State::kFailed;
  if (allEnded) return State::kAllEnded;
  return StartDue(log) ? State::kRunning : State::kFailed;
}

std::int32_t FfmpegGroup::WrittenSeconds(std::size_t counted) {
  std::int64_t written = doneMicroseconds_;
  for (std::size_t i = 0; i < members_.size() && i < counted; ++i) written += members_[i]->outputs.Microseconds();
  return static_cast<std::int32_t>(written / 1'000'000);
}

// One loop on one clock: it wakes at once when a run ends, so that the next
// step starts without delay, and otherwise every kReportIntervalMs to tell
// the window the position. The position goes when it has grown, and once a
// second even when it has not, since only the answer to a report can ask
// for a stop; when every run has ended well, the last second goes too, and
// its answer counts: what this group made is not yet the output (a split
// conversion's join is still to come).
FfmpegGroupResult FfmpegGroup::Follow(std::size_t counted, std::int32_t& position, Reporter& reporter, RunLog& log) {
  FfmpegGroupResult result;
  result.started = !members_.empty();
  // The first look tells the window even an unchanged position.
  DWORD lastSent = GetTickCount() - kQuietReportMs;
  DWORD nextLook = GetTickCount() + kReportIntervalMs;
  // Tells the window the position; true when its answer asks for a stop.
  const auto tell = [&](bool quietToo) {
    const std::int32_t now = std::max(position, WrittenSeconds(counted));
    if (now == position && !(quietToo && GetTickCount() - lastSent >= kQuietReportMs)) return false;
    position = now;
    lastSent = GetTickCount();
    if (!reporter.Send(kReportPosition, position)) return false;
    log.Line("stop requested by the window");
    return true;
  };
  State state = Look(log);
  while (state == State::kRunning) {
    const DWORD wait = nextLook - GetTickCount();
    if (static_cast<std::int32_t>(wait) > 0) WaitForAnyEnd(wait);
    if (static_cast<std::int32_t>(nextLook - GetTickCount()) <= 0) {
      nextLook = GetTickCount() + kReportIntervalMs;
      if (tell(true)) {
        result.stopped = true;
        break;
      }
    }
    state = Look(log);
  }
  result.failed = state == State::kFailed;
  if (result.stopped || result.failed) EndAll(result.stopped);
  // The readers take the runs' last lines before the last report.
  for (auto& m : members_) m->process.JoinReaders();
  if (state == State::kAllEnded && tell(false)) result.stopped = true;
  bool failureSaid = false;
  for (std::size_t i = 0; i < members_.size(); ++i) {
    Member& m = *members_[i];
    result.frames.push_back(m.outputs.Frames());
    const DWORD code = m.process.ExitCode();
    result.exitCodes.push_back(code);
    if (!m.started) continue;  // its turn never came
    if (code != 0 && !result.stopped) log.Line("engine run " + std::to_string(i + 1) + " ended with code " + std::to_string(code));
    const std::vector<std::string> errors = m.outputs.ErrorLines();
    for (const auto& line : errors) log.Line("engine said: " + line);
    // The first failed run's last word says why the group failed.
    if (!errors.empty() && !failureSaid) {
      result.lastError = errors.back();
      failureSaid = code != 0;
    }
  }
  log.Timed("engines ended");
  return result;
}

}  // namespace velto
