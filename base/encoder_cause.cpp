#include "base/encoder_cause.h"

#include <array>
#include <utility>

#include "base/encoder_interface.h"

namespace velto {
namespace {

constexpr std::string_view kCauseKey = "cause=";
constexpr std::string_view kDetailKey = "cause-detail=";

constexpr std::array<std::pair<EncoderCause, std::string_view>, 10> kCauseNames = {{
    {EncoderCause::kBadArguments, "bad-arguments"},
    {EncoderCause::kSourceUnreadable, "source-unreadable"},
    {EncoderCause::kNotVideoFile, "not-video-file"},
    {EncoderCause::kNoVideoStream, "no-video-stream"},
    {EncoderCause::kFfmpegMissing, "engine-missing"},
    {EncoderCause::kFfmpegFailed, "engine-failed"},
    {EncoderCause::kOutputDenied, "output-denied"},
    {EncoderCause::kDiskFull, "disk-full"},
    {EncoderCause::kSourceReadTimeout, "source-read-timeout"},
    {EncoderCause::kOutputIncomplete, "output-incomplete"},
}};

// A detail stays on its line.
std::string OneLine(std::string_view text) {
  std::string line(text);
  for (char& c : line) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return line;
}

}  // namespace

std::string EncoderCauseLines(const EncoderCauseRecord& record) {
  for (const auto& [cause, name] : kCauseNames) {
    if (cause != record.cause) continue;
    std::string lines = std::string(kCauseKey) + std::string(name) + "\r\n";
    if (!record.detail.empty()) lines += std::string(kDetailKey) + OneLine(record.detail) + "\r\n";
    return lines;
  }
  return {};
}

EncoderCauseRecord ReadEncoderCause(std::string_view logText) {
  EncoderCauseRecord record;
  std::size_t start = 0;
  while (start < logText.size()) {
    std::size_t end = logText.find('\n', start);
    if (end == std::string_view::npos) end = logText.size();
    std::string_view line = logText.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.substr(0, kCauseKey.size()) == kCauseKey) {
      const std::string_view name = line.substr(kCauseKey.size());
      for (const auto& [cause, known] : kCauseNames) {
        if (known == name) record.cause = cause;
      }
    } else if (line.substr(0, kDetailKey.size()) == kDetailKey) {
      record.detail = std::string(line.substr(kDetailKey.size()));
    }
    start = end + 1;
  }
  if (record.cause == EncoderCause::kUnknown) record.detail.clear();
  return record;
}

EncoderCause CauseOfExitCode(int exitCode) {
  switch (exitCode) {
    case kExitBadArguments: return EncoderCause::kBadArguments;
    case kExitSourceUnreadable: return EncoderCause::kSourceUnreadable;
    case kExitFfmpegMissing: return EncoderCause::kFfmpegMissing;
    case kExitFfmpegFailed: return EncoderCause::kFfmpegFailed;
    default: return EncoderCause::kUnknown;
  }
}

}  // namespace velto
