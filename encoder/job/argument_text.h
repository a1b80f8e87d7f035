#pragma once
// Small helpers for writing ffmpeg's arguments: numbers, times and rates as
// ffmpeg reads them, filter chains, and what every ffmpeg run begins with.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "encoder/common/fraction.h"

namespace velto {

using Arguments = std::vector<std::string>;

inline void Add(Arguments& args, std::initializer_list<std::string> items) { args.insert(args.end(), items); }

inline void Append(Arguments& args, const Arguments& more) { args.insert(args.end(), more.begin(), more.end()); }

inline std::string Text(std::int64_t n) { return std::to_string(n); }

inline std::string FractionText(const Fraction& f) {
  return f.den == 1 ? Text(f.num) : Text(f.num) + "/" + Text(f.den);
}

// Whole seconds as an integer, others to the millisecond.
inline std::string Seconds(double seconds) {
  if (seconds == std::floor(seconds)) return Text(static_cast<std::int64_t>(seconds));
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.3f", seconds);
  return buffer;
}

// Seconds to the microsecond, for cuts between frames.
inline std::string Precise(double seconds) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.6f", seconds);
  return buffer;
}

// A filter chain as ffmpeg takes it; empty filters are left out.
inline std::string JoinFilters(const std::vector<std::string>& filters) {
  std::string chain;
  for (const auto& f : filters)
    if (!f.empty()) chain += (chain.empty() ? "" : ",") + f;
  return chain;
}

// A file named in a list for the concat demuxer: a file: URL, quoted, a
// quote in it written as '\''.
inline std::string ListedFile(const std::string& path) {
  std::string quoted = "'file:";
  for (const char c : path) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// The encoder's threads (the value after "-threads") set to `threads`.
inline void SetThreads(Arguments& args, int threads) {
  const auto option = std::find(args.begin(), args.end(), "-threads");
  if (option != args.end() && option + 1 != args.end()) option[1] = Text(threads);
}

// What every ffmpeg run starts with: quiet, progress on the output pipe.
inline Arguments FfmpegHead() { return {"-hide_banner", "-loglevel", "error", "-nostats", "-progress", "pipe:1", "-y"}; }

}  // namespace velto
