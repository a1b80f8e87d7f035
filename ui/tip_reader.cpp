#include "ui/tip_reader.h"

#include <cstdio>

namespace velto {

bool TipReader::Seek(std::uint64_t offset) {
  if (offset > contents_.size()) return false;
  position_ = static_cast<std::size_t>(offset);
  return true;
}

bool TipReader::ReadLine(std::string_view& line) {
  if (position_ >= contents_.size()) return false;
  const std::string_view rest = std::string_view(contents_).substr(position_);
  std::size_t length = rest.find('\n');
  length = length == std::string_view::npos ? rest.size() : length + 1;  // the line end belongs to the line
  if (length > kMaxTipLength) length = kMaxTipLength;
  line = rest.substr(0, length);
  position_ += length;
  return true;
}

std::string TipReader::ReadNextTip() {
  bool wrapped = false;
  for (;;) {
    std::string_view line;
    if (!ReadLine(line)) {
      if (wrapped) return {};  // no tip anywhere in the file
      wrapped = true;
      position_ = 0;
      continue;
    }
    const char first = line.front();
    if (first == ' ' || first == '\t' || first == '\n' || first == '\r' || first == ';') continue;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    return std::string(line);
  }
}

std::string CtimeText(std::time_t time) {
  static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::tm local{};
#ifdef _WIN32
  if (localtime_s(&local, &time) != 0) return {};
#else
  if (!localtime_r(&time, &local)) return {};
#endif
  char text[64];
  std::snprintf(text, sizeof text, "%.3s %.3s%3d %.2d:%.2d:%.2d %d", kDays[local.tm_wday % 7],
                kMonths[local.tm_mon % 12], local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                1900 + local.tm_year);
  return text;
}

}  // namespace velto
