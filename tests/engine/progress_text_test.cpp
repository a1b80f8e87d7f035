#include "engine/progress_text.h"

#include <gtest/gtest.h>

namespace velto {
namespace {

TEST(ProgressText, ComposesTotalElapsedAndPercent) {
  // Half of a 20-minute list after 5 minutes: 10 minutes in all.
  auto d = ComputeProgressDisplay(300.0, 300.0, 1200.0, 300000);
  ASSERT_TRUE(d);
  EXPECT_EQ(d->statusText, "Total time:00:10:00;Elapsed time:00:05:00;Finished 50.0%");
  EXPECT_EQ(d->perMille, 500);
}

TEST(ProgressText, TruncatesPerMille) {
  auto d = ComputeProgressDisplay(456.7, 0.0, 1000.0, 1000);
  ASSERT_TRUE(d);
  EXPECT_EQ(d->perMille, 456);
  EXPECT_NE(d->statusText.find("Finished 45.6%"), std::string::npos);
}

TEST(ProgressText, AtTheStartShowsTheListsDuration) {
  auto d = ComputeProgressDisplay(0.0, 0.0, 3725.9, 0);
  ASSERT_TRUE(d);
  EXPECT_EQ(d->statusText, "Total time:01:02:05;Elapsed time:00:00:00;Finished 0.0%");
  EXPECT_EQ(d->perMille, 0);
}

TEST(ProgressText, LongBatchesDoNotOverflow) {
  // 80 minutes in at 50 %: the elapsed milliseconds times 1000 exceed 32 bits.
  auto d = ComputeProgressDisplay(1800.0, 0.0, 3600.0, 80u * 60u * 1000u);
  ASSERT_TRUE(d);
  EXPECT_EQ(d->statusText, "Total time:02:40:00;Elapsed time:01:20:00;Finished 50.0%");
}

TEST(ProgressText, PastTheEndShowsNothing) {
  EXPECT_FALSE(ComputeProgressDisplay(1001.0, 0.0, 1000.0, 5000));
  EXPECT_TRUE(ComputeProgressDisplay(1000.0, 0.0, 1000.0, 5000));
}

TEST(ProgressText, ListWithoutDurationsShowsElapsedAtZero) {
  auto d = ComputeProgressDisplay(42.0, 0.0, 0.0, 61000);
  ASSERT_TRUE(d);
  EXPECT_EQ(d->statusText, "Total time:00:00:00;Elapsed time:00:01:01;Finished 0.0%");
  EXPECT_EQ(d->perMille, 0);
}

}  // namespace
}  // namespace velto
