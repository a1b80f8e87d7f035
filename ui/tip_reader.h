#pragma once
// Reading tips from tips.txt: one tip a line; empty lines, lines starting
// with white space and ";" comments are skipped; after the last tip reading
// wraps to the first. Positions are byte offsets into the file.
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

namespace velto {

class TipReader {
 public:
  // Longest piece of a line delivered as one tip; longer lines come in pieces.
  static constexpr std::size_t kMaxTipLength = 999;

  explicit TipReader(std::string contents) : contents_(std::move(contents)) {}

  // Moves to a byte offset; false (position unchanged) beyond the file's end.
  bool Seek(std::uint64_t offset);
  std::uint64_t Position() const { return position_; }

  // The next tip from the current position, wrapping once at the end of the
  // file; "" when the file holds no tip at all.
  std::string ReadNextTip();

 private:
  // The next line piece from the current position; false at the end.
  bool ReadLine(std::string_view& line);

  std::string contents_;
  std::size_t position_ = 0;
};

// A time as the C library's ctime renders it, without the line end:
// "Wed Jun  3 09:05:07 2026" (local time).
std::string CtimeText(std::time_t time);

}  // namespace velto
