#include "encoder/job/segment_plan.h"

#include <gtest/gtest.h>

namespace velto {
namespace {

TEST(SegmentPlan, RangesFollowLengthAndProcessors) {
  EXPECT_EQ(RangeCount(29.9, 8), 1);   // short: one run
  EXPECT_EQ(RangeCount(36.0, 1), 1);   // one processor
  EXPECT_EQ(RangeCount(30.0, 2), 2);
  EXPECT_EQ(RangeCount(44.9, 8), 2);   // no range under 15 s
  EXPECT_EQ(RangeCount(1200.0, 4), 4);
  EXPECT_EQ(RangeCount(7200.0, 4), 24);   // no range over 300 s
  EXPECT_EQ(RangeCount(1201.0, 4), 5);
  EXPECT_EQ(RangeCount(36.0, 2, 9.0), 4); // a shorter longest range wins over the 15 s
  EXPECT_EQ(RangeCount(0.0 / 0.0, 4), 1);
}

TEST(SegmentPlan, TheVariablesReplaceTheProcessorsAndTheLongestRange) {
  EXPECT_EQ(ProcessorsToUse(4, ""), 4);
  EXPECT_EQ(ProcessorsToUse(4, "1"), 1);
  EXPECT_EQ(ProcessorsToUse(2, "3"), 3);
  EXPECT_EQ(ProcessorsToUse(4, "0"), 4);
  EXPECT_EQ(ProcessorsToUse(4, "two"), 4);
  EXPECT_EQ(ProcessorsToUse(4, "99999999999"), 4);
  EXPECT_EQ(LongestRangeSeconds(""), 300.0);
  EXPECT_EQ(LongestRangeSeconds("9"), 9.0);
  EXPECT_EQ(LongestRangeSeconds("-9"), 300.0);
}

TEST(SegmentPlan, FramesAreCutIntoContiguousRanges) {
  const auto ranges = SplitFrames(901, 3);
  ASSERT_EQ(ranges.size(), 3u);
  EXPECT_EQ(ranges[0].first, 0);
  EXPECT_EQ(ranges[0].count, 300);
  EXPECT_EQ(ranges[1].first, 300);
  EXPECT_EQ(ranges[1].count, 300);
  EXPECT_EQ(ranges[2].first, 600);
  EXPECT_EQ(ranges[2].count, 0);  // to the end
  EXPECT_TRUE(SplitFrames(1, 2).empty());
}

}  // namespace
}  // namespace velto
