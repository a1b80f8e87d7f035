#pragma once
// The log of one run, kept in memory and written at its end to the user's
// local application-data folder, where the newest kLogsKept are kept. Lines
// may come from any thread (the converter's watch ends the run from one of
// its own).
#include <mutex>
#include <string>
#include <utility>

#include "base/encoder_cause.h"

namespace velto {

// The user's local application-data folder; empty when unknown.
std::wstring LocalAppDataFolder();

class RunLog {
 public:
  void Line(const std::string& text) {
    const std::lock_guard<std::mutex> guard(lock_);
    text_ += text + "\r\n";
  }
  // Why the run failed, for the converter: written as the log's cause lines.
  void Cause(EncoderCause cause, std::string detail = {}) {
    const std::lock_guard<std::mutex> guard(lock_);
    cause_ = {cause, std::move(detail)};
  }
  // A run that ends early: why in the log, the cause for the converter;
  // gives back the exit code.
  int Fail(const std::string& why, EncoderCause cause, int exitCode, std::string detail = {}) {
    Line(why);
    Cause(cause, std::move(detail));
    return exitCode;
  }
  // A line with the time it was reached, for looking into where time goes.
  void Timed(const std::string& text);
  // Once; later calls write nothing.
  void Write();

 private:
  std::mutex lock_;
  std::string text_;
  EncoderCauseRecord cause_;
  bool written_ = false;
};

}  // namespace velto
