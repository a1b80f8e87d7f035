#pragma once
// A long conversion split by time: its video timeline cut into contiguous
// ranges of frames, each encoded by an ffmpeg run of its own, side by
// side, then joined.
#include <cstdint>
#include <string_view>
#include <vector>

#include "base/encoder_interface.h"

namespace velto {

// No range is shorter than this: each run's start costs time.
inline constexpr double kShortestRangeSeconds = 15.0;
// No range is longer than this: the finished ranges of a killed conversion
// are kept, so a kill loses at most the ranges that were running.
inline constexpr double kLongestRangeSeconds = 300.0;

// How many ranges a conversion of this length gets on this many logical
// processors: max(min(processors, duration / 15 s), duration / longest
// rounded up), or 1 (no split) for a source under 30 s or a machine with
// one processor. Ranges beyond the processors wait their turn.
int RangeCount(double durationSeconds, int processors, double longestRangeSeconds = kLongestRangeSeconds);

// The processors to plan for: the machine's, unless VELTO_SEGMENTS names a
// number (1 keeps every conversion in one run, for comparisons).
int ProcessorsToUse(int logicalProcessors, std::string_view segmentsVariable);

// The engine threads a conversion in one run may use: the number
// VELTO_THREADS names, or 0 (as many as the engine likes).
int ThreadsToUse(std::string_view threadsVariable);

// The longest range in seconds: 300, unless VELTO_RANGE_SECONDS names a
// number of seconds (for tests, which may ask for ranges under 15 s).
double LongestRangeSeconds(std::string_view rangeSecondsVariable);

struct FrameRange {
  std::int64_t first = 0;  // the output frame it starts with
  std::int64_t count = 0;  // its frames; 0 for the last range, which runs to the end
};

// `frames` cut into `count` contiguous ranges of nearly equal length.
std::vector<FrameRange> SplitFrames(std::int64_t frames, int count);

}  // namespace velto
