#include "encoder/job/segment_plan.h"

#include <algorithm>
#include <cmath>

namespace velto {
namespace {

// A whole number from 1 to 9999 in decimal digits; 0 for anything else.
int PositiveNumber(std::string_view text) {
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9' || value > 999) return 0;
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace

int RangeCount(double durationSeconds, int processors, double longestRangeSeconds) {
  if (!(durationSeconds >= kShortestSplitSeconds) || processors < 2) return 1;
  const double byLength = std::floor(durationSeconds / kShortestRangeSeconds);
  const double side = std::min<double>(processors, byLength);
  const double longest = longestRangeSeconds > 0 ? longestRangeSeconds : kLongestRangeSeconds;
  return static_cast<int>(std::max(side, std::ceil(durationSeconds / longest)));
}

int ProcessorsToUse(int logicalProcessors, std::string_view segmentsVariable) {
  const int asked = PositiveNumber(segmentsVariable);
  return asked > 0 ? asked : logicalProcessors;
}

int ThreadsToUse(std::string_view threadsVariable) { return PositiveNumber(threadsVariable); }

double LongestRangeSeconds(std::string_view rangeSecondsVariable) {
  const int asked = PositiveNumber(rangeSecondsVariable);
  return asked > 0 ? asked : kLongestRangeSeconds;
}

std::vector<FrameRange> SplitFrames(std::int64_t frames, int count) {
  std::vector<FrameRange> ranges;
  if (count < 1 || frames < count) return ranges;
  for (int i = 0; i < count; ++i) {
    const std::int64_t first = frames * i / count;
    const std::int64_t next = frames * (i + 1) / count;
    ranges.push_back({first, i + 1 == count ? 0 : next - first});
  }
  return ranges;
}

}  // namespace velto
