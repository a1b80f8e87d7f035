#include "encoder/common/run_log.h"

#include <algorithm>
#include <cstdio>

namespace velto {

std::string LogFileName(const LogTime& t, std::uint32_t processId) {
  char name[96];
  std::snprintf(name, sizeof name, "veltoenc-%04d%02d%02d-%02d%02d%02d-%03d-%u.log", t.year, t.month, t.day,
                t.hour, t.minute, t.second, t.millisecond, static_cast<unsigned>(processId));
  return name;
}

std::vector<std::string> LogsToDelete(std::vector<std::string> names, std::size_t keep) {
  std::erase_if(names, [](const std::string& n) {
    return n.size() < 13 || n.compare(0, 9, "veltoenc-") != 0 || n.compare(n.size() - 4, 4, ".log") != 0;
  });
  std::sort(names.begin(), names.end());
  if (names.size() <= keep) return {};
  names.resize(names.size() - keep);
  return names;
}

void LastLines::Feed(const std::string& bytes) {
  for (char c : bytes) {
    if (c == '\n' || c == '\r') {
      if (!pending_.empty()) {
        lines_.push_back(pending_);
        if (lines_.size() > limit_) lines_.pop_front();
      }
      pending_.clear();
    } else if (pending_.size() < 1000) {
      pending_ += c;
    }
  }
}

std::vector<std::string> LastLines::Lines() const {
  std::vector<std::string> lines(lines_.begin(), lines_.end());
  if (!pending_.empty()) {
    lines.push_back(pending_);
    if (lines.size() > limit_) lines.erase(lines.begin());
  }
  return lines;
}

}  // namespace velto
