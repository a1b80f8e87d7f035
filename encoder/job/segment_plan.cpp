#include "encoder/job/segment_plan.h"

#include <algorithm>
#include <cmath>

namespace velto {

int RangeCount(double durationSeconds, int processors) {
  if (!(durationSeconds >= kShortestSplitSeconds) || processors < 2) return 1;
  const double byLength = std::floor(durationSeconds / kShortestRangeSeconds);
  return static_cast<int>(std::min<double>(processors, byLength));
}

int ProcessorsToUse(int logicalProcessors, std::string_view segmentsVariable) {
  int asked = 0;
  for (char c : segmentsVariable) {
    if (c < '0' || c > '9' || asked > 999) return logicalProcessors;
    asked = asked * 10 + (c - '0');
  }
  return asked > 0 ? asked : logicalProcessors;
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
