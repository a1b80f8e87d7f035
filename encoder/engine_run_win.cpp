#include "encoder/engine_run_win.h"

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

}  // namespace velto
