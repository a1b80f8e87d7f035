#include "encoder/job/split_arguments.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>

namespace velto {
namespace {

// Sixty seconds in three ranges. Every range but the first is read from
// half a frame before its first frame (a quarter of a millisecond later
// still for kept ASF times) and moved back by the rest of that half frame.
TEST(CutRange, FirstMiddleAndLastRangeAtEachRate) {
  struct Row {
    const char* timing;
    Fraction rate;
    bool constant;
    std::size_t index;
    double seek, shift;
    std::int64_t frames;
    std::optional<double> length, listed;
    std::optional<double> end = std::nullopt;
  };
  const Row rows[] = {
      {"23.976", {24000, 1001}, true, 0, 0.0, 0.0, 479, {}, 19.978292},
      {"23.976", {24000, 1001}, true, 1, 19.957438, 0.020854, 480, {}, 20.02},
      {"23.976", {24000, 1001}, true, 2, 39.977438, 0.020854, 0, {}, {}},
      {"25", {25, 1}, true, 0, 0.0, 0.0, 500, {}, 20.0},
      {"25", {25, 1}, true, 1, 19.98, 0.02, 500, {}, 20.0},
      {"25", {25, 1}, true, 2, 39.98, 0.02, 0, {}, {}},
      {"25, -endpos 50", {25, 1}, true, 2, 39.98, 0.02, 0, 10.0, {}, 50.0},
      {"29.97", {30000, 1001}, true, 0, 0.0, 0.0, 599, {}, 19.986633},
      {"29.97", {30000, 1001}, true, 1, 19.969950, 0.016683, 599, {}, 19.986633},
      {"29.97", {30000, 1001}, true, 2, 39.956583, 0.016683, 0, {}, {}},
      {"30", {30, 1}, true, 0, 0.0, 0.0, 600, {}, 20.0},
      {"30", {30, 1}, true, 1, 19.983333, 0.016667, 600, {}, 20.0},
      {"30", {30, 1}, true, 2, 39.983333, 0.016667, 0, {}, {}},
      // Kept millisecond times: parts end at the next range's seek.
      {"ASF 29.97", {30000, 1001}, false, 0, 0.0, 0.0, 0, 19.970200, 19.986633},
      {"ASF 29.97", {30000, 1001}, false, 1, 19.970200, 0.016433, 0, 19.970200, 19.986633},
      {"ASF 29.97", {30000, 1001}, false, 2, 39.956833, 0.016433, 0, {}, {}},
  };
  for (const Row& row : rows) {
    const auto ranges = SplitFrames(std::llround(60.0 * row.rate.Value()), 3);
    const RangeCut cut = CutRange({row.rate, row.constant}, ranges, row.index, row.end);
    SCOPED_TRACE(std::string(row.timing) + ", range " + std::to_string(row.index + 1));
    EXPECT_NEAR(cut.seek, row.seek, 1e-6);
    EXPECT_NEAR(cut.shift, row.shift, 1e-6);
    EXPECT_EQ(cut.frames, row.frames);
    EXPECT_NEAR(cut.length.value_or(-1), row.length.value_or(-1), 1e-6);
    EXPECT_NEAR(cut.listedLength.value_or(-1), row.listed.value_or(-1), 1e-6);
    EXPECT_EQ(cut.listedFromZero, !row.constant);
  }
}

}  // namespace
}  // namespace velto
