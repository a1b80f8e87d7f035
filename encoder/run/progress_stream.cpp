#include "encoder/run/progress_stream.h"

#include <algorithm>
#include <charconv>

namespace velto {
namespace {

std::optional<std::int64_t> Integer(std::string_view text) {
  std::int64_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace

std::optional<std::int64_t> ParseClockMicroseconds(std::string_view text) {
  // hours:minutes:seconds.fraction
  if (text.empty() || text[0] == '-') return std::nullopt;
  const auto first = text.find(':');
  const auto second = first == std::string_view::npos ? first : text.find(':', first + 1);
  if (second == std::string_view::npos) return std::nullopt;
  const auto hours = Integer(text.substr(0, first));
  const auto minutes = Integer(text.substr(first + 1, second - first - 1));
  std::string_view rest = text.substr(second + 1);
  const auto point = rest.find('.');
  const auto seconds = Integer(rest.substr(0, point));
  std::int64_t micros = 0;
  if (point != std::string_view::npos) {
    std::string_view digits = rest.substr(point + 1);
    if (digits.empty() || digits.size() > 9) return std::nullopt;
    const auto fraction = Integer(digits);
    if (!fraction || *fraction < 0) return std::nullopt;
    micros = *fraction;
    for (std::size_t k = digits.size(); k < 6; ++k) micros *= 10;
    for (std::size_t k = 6; k < digits.size(); ++k) micros /= 10;
  }
  // Each field is bounded so that the sum below cannot overflow.
  constexpr std::int64_t kLimit = 1'000'000;
  if (!hours || !minutes || !seconds || *hours < 0 || *minutes < 0 || *seconds < 0 ||
      *hours > kLimit || *minutes > kLimit || *seconds > kLimit)
    return std::nullopt;
  return ((*hours * 60 + *minutes) * 60 + *seconds) * 1'000'000 + micros;
}

void ProgressStream::Feed(std::string_view bytes) {
  for (char c : bytes) {
    if (c == '\n') {
      Line(pending_);
      pending_.clear();
    } else if (c != '\r' && pending_.size() < 4096) {
      pending_ += c;
    }
  }
}

void ProgressStream::Line(std::string_view line) {
  const auto equals = line.find('=');
  if (equals == std::string_view::npos) return;
  const std::string_view key = line.substr(0, equals);
  const std::string_view value = line.substr(equals + 1);
  std::optional<std::int64_t> micros;
  // out_time_ms is in microseconds too, despite its name.
  if (key == "out_time_us" || key == "out_time_ms") {
    micros = Integer(value);
  } else if (key == "out_time") {
    micros = ParseClockMicroseconds(value);
  } else if (key == "frame") {
    if (const auto n = Integer(value); n && *n > frames_) frames_ = *n;
    return;
  } else if (key == "progress") {
    if (value == "end") ended_ = true;
    return;
  } else {
    return;
  }
  if (micros && *micros >= 0) position_ = std::max(position_.value_or(0), *micros);
}

std::int32_t ProgressStream::WholeSeconds() const {
  if (!position_) return 0;
  return static_cast<std::int32_t>(std::min<std::int64_t>(*position_ / 1'000'000, INT32_MAX));
}

}  // namespace velto
