#pragma once
// The short log each run leaves: what it was asked, what it ran, how it
// ended. Logs are named so that their names sort by age.
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace velto {

inline constexpr std::size_t kLogsKept = 20;
inline constexpr std::size_t kFfmpegLinesKept = 20;

struct LogTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
};

// "veltoenc-20261207-093501-123-4711.log"
std::string LogFileName(const LogTime& time, std::uint32_t processId);

// Of the log names found, those to delete so that `keep` remain, oldest
// first. Other files in the folder are left alone.
std::vector<std::string> LogsToDelete(std::vector<std::string> names, std::size_t keep);

// Keeps the last lines of ffmpeg's error output.
class LastLines {
 public:
  explicit LastLines(std::size_t limit = kFfmpegLinesKept) : limit_(limit) {}
  void Feed(const std::string& bytes);
  std::vector<std::string> Lines() const;

 private:
  std::size_t limit_;
  std::deque<std::string> lines_;
  std::string pending_;
};

}  // namespace velto
