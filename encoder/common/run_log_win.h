#pragma once
// The log of one run, kept in memory and written at its end to the user's
// local application-data folder, where the newest kLogsKept are kept.
#include <string>
#include <utility>

#include "base/encoder_cause.h"

namespace velto {

class RunLog {
 public:
  void Line(const std::string& text) { text_ += text + "\r\n"; }
  // Why the run failed, for the converter: written as the log's cause lines.
  void Cause(EncoderCause cause, std::string detail = {}) { cause_ = {cause, std::move(detail)}; }
  // A line with the time it was reached, for looking into where time goes.
  void Timed(const std::string& text);
  void Write();

 private:
  std::string text_;
  EncoderCauseRecord cause_;
};

}  // namespace velto
