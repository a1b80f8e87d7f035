#pragma once
// Reads ffmpeg's machine-readable progress (-progress pipe:1): blocks of
// key=value lines, each block closed by progress=continue or progress=end.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velto {

class ProgressStream {
 public:
  // Takes the next bytes as they come; lines may be split anywhere.
  void Feed(std::string_view bytes);

  // Microseconds of output written so far; nullopt before the first
  // meaningful value.
  std::optional<std::int64_t> PositionMicroseconds() const { return position_; }
  std::int32_t WholeSeconds() const;
  // Video frames written so far.
  std::int64_t Frames() const { return frames_; }
  bool Ended() const { return ended_; }

 private:
  void Line(std::string_view line);

  std::string pending_;
  std::optional<std::int64_t> position_;
  std::int64_t frames_ = 0;
  bool ended_ = false;
};

// "00:01:02.500000" as microseconds; nullopt for "N/A" or negative times.
std::optional<std::int64_t> ParseClockMicroseconds(std::string_view text);

}  // namespace velto
