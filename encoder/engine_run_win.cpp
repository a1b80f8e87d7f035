#include "encoder/engine_run_win.h"

#include <algorithm>
#include <memory>
#include <mutex>

#include "base/encoder_interface.h"
#include "base/text_encoding.h"
#include "encoder/engine_process_win.h"
#include "encoder/progress_stream.h"
#include "encoder/run_log.h"

namespace velto {
namespace {

// The position goes to the window at most twice a second: each report
// costs the window a repaint, and the engine needs both cores more.
constexpr DWORD kReportIntervalMs = 500;

// What the engine's two outputs tell, fed on their reader threads.
class EngineOutputs {
 public:
  void FeedProgress(const std::string& bytes) {
    std::lock_guard<std::mutex> guard(lock_);
    progress_.Feed(bytes);
  }
  void FeedErrors(const std::string& bytes) {
    std::lock_guard<std::mutex> guard(lock_);
    errors_.Feed(bytes);
  }
  std::int32_t Position() {
    std::lock_guard<std::mutex> guard(lock_);
    return progress_.WholeSeconds();
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

EngineRunResult RunEngine(const std::wstring& engine, const std::vector<std::string>& arguments,
                          Reporter& reporter, RunLog& log) {
  EngineRunResult result;
  EngineOutputs outputs;
  EngineProcess process;
  result.started = process.Start(
      engine, arguments, [&](const std::string& bytes) { outputs.FeedProgress(bytes); },
      [&](const std::string& bytes) { outputs.FeedErrors(bytes); });
  log.Timed("engine: " + WideToUtf8(process.CommandLine()));
  if (!result.started) {
    log.Line("the engine could not be started");
    return result;
  }
  std::int32_t reported = -1;
  while (true) {
    const bool ended = process.Wait(kReportIntervalMs);
    const std::int32_t now = outputs.Position();
    if (now != reported) {
      reported = now;
      if (reporter.Send(kReportPosition, now)) {
        result.stopped = true;
        break;
      }
    }
    if (ended) break;
  }
  if (result.stopped) {
    log.Line("stop requested by the window");
    process.AskToQuit();
    if (!process.Wait(600)) process.Terminate();
  }
  process.JoinReaders();
  log.Timed("engine ended");
  if (!result.stopped && outputs.Position() != reported)
    reporter.Send(kReportPosition, outputs.Position());  // the last second
  result.exitCode = process.ExitCode();
  const std::vector<std::string> errors = outputs.ErrorLines();
  for (const auto& line : errors) log.Line("engine said: " + line);
  if (!errors.empty()) result.lastError = errors.back();
  result.frames = outputs.Frames();
  return result;
}

namespace {

constexpr DWORD kQuietReportMs = 1000;

}  // namespace

struct EngineGroup::Member {
  EngineOutputs outputs;
  EngineProcess process;
  bool ended = false;
};

EngineGroup::EngineGroup() = default;

// Runs still going are ended by their processes' own ends.
EngineGroup::~EngineGroup() = default;

bool EngineGroup::Start(const std::wstring& engine, const std::vector<std::vector<std::string>>& runs, RunLog& log) {
  for (const auto& arguments : runs) {
    auto member = std::make_unique<Member>();
    EngineOutputs& outputs = member->outputs;
    const bool started = member->process.Start(
        engine, arguments, [&outputs](const std::string& bytes) { outputs.FeedProgress(bytes); },
        [&outputs](const std::string& bytes) { outputs.FeedErrors(bytes); });
    log.Timed("engine: " + WideToUtf8(member->process.CommandLine()));
    members_.push_back(std::move(member));
    if (!started) {
      log.Line("the engine could not be started");
      EndAll(false);
      return false;
    }
  }
  return true;
}

bool EngineGroup::GiveInput(std::size_t run, const std::string& bytes) {
  return run < members_.size() && members_[run]->process.GiveInput(bytes);
}

// Waits until one of the runs still going ends or timeoutMs pass.
void EngineGroup::WaitForAnyEnd(DWORD timeoutMs) {
  std::vector<HANDLE> going;
  for (const auto& m : members_)
    if (m->process.Process() && !m->process.Wait(0)) going.push_back(m->process.Process());
  if (going.empty()) return;
  if (going.size() > MAXIMUM_WAIT_OBJECTS) going.resize(MAXIMUM_WAIT_OBJECTS);
  WaitForMultipleObjects(static_cast<DWORD>(going.size()), going.data(), FALSE, timeoutMs);
}

void EngineGroup::EndAll(bool askFirst) {
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

EngineGroupResult EngineGroup::Follow(std::size_t counted, std::int32_t& position, Reporter& reporter, RunLog& log) {
  EngineGroupResult result;
  result.started = !members_.empty();
  DWORD lastLook = GetTickCount(), lastReport = 0;
  // Tells the window the position; true, and the result stopped, when its
  // answer asks for a stop.
  auto report = [&](bool quietToo) {
    std::int64_t written = 0;
    for (std::size_t i = 0; i < members_.size() && i < counted; ++i) written += members_[i]->outputs.Microseconds();
    const auto now = std::max(position, static_cast<std::int32_t>(written / 1'000'000));
    if (now == position && !(quietToo && GetTickCount() - lastReport >= kQuietReportMs)) return false;
    position = now;
    lastReport = GetTickCount();
    if (!reporter.Send(kReportPosition, position)) return false;
    result.stopped = true;
    log.Line("stop requested by the window");
    return true;
  };
  while (true) {
    bool allEnded = true;
    for (std::size_t i = 0; i < members_.size(); ++i) {
      Member& m = *members_[i];
      if (!m.process.Wait(0)) {
        allEnded = false;
        continue;
      }
      if (!m.ended) log.Timed("engine run " + std::to_string(i + 1) + " ended");
      m.ended = true;
      if (m.process.ExitCode() != 0) result.failed = true;
    }
    if (result.failed) break;
    if (allEnded) {
      // The readers may not have taken the runs' last lines yet.
      for (auto& m : members_) m->process.JoinReaders();
      // The last second; its answer counts too: what this group made is
      // not yet the output (a split conversion's join is still to come).
      report(false);
      break;
    }
    // Woken by a run's end at once, so that the next step starts without
    // a look's delay; otherwise by the next report's time.
    const DWORD sinceLook = GetTickCount() - lastLook;
    WaitForAnyEnd(sinceLook < kReportIntervalMs ? kReportIntervalMs - sinceLook : 0);
    if (GetTickCount() - lastLook < kReportIntervalMs) continue;
    lastLook = GetTickCount();
    if (report(true)) break;
  }
  if (result.stopped || result.failed) EndAll(result.stopped);
  for (std::size_t i = 0; i < members_.size(); ++i) {
    Member& m = *members_[i];
    m.process.JoinReaders();
    result.frames.push_back(m.outputs.Frames());
    const DWORD code = m.process.ExitCode();
    if (code != 0 && !result.stopped) log.Line("engine run " + std::to_string(i + 1) + " ended with code " + std::to_string(code));
    for (const auto& line : m.outputs.ErrorLines()) log.Line("engine said: " + line);
  }
  log.Timed("engines ended");
  return result;
}

}  // namespace velto
