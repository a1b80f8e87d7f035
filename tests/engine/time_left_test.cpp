// The batch's time left: media seconds still to do over the speed so far.
#include "engine/time_left.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace velto {
namespace {

constexpr std::uint32_t kStart = 4'294'960'000u;  // the tick count wraps during the batch

class TimeLeft : public ::testing::Test {
 protected:
  // The line at `seconds` into the batch after the current file reached `position`.
  std::optional<std::string> At(double seconds, double position) {
    estimate.SetPosition(current, position);
    return estimate.LineToShow(kStart + static_cast<std::uint32_t>(seconds * 1000));
  }
  TimeLeftEstimate estimate;
  std::size_t current = 0;  // files converted one after another
};

TEST_F(TimeLeft, UnequalFilesFromFiveSecondsOnAtMostOnceASecond) {
  estimate.Begin({10, 30, 60}, kStart);
  EXPECT_EQ(At(4.9, 9), std::nullopt) << "nothing before 5 s are measured";
  estimate.EndFile(current++, true);
  // 20 s of media in 10 s: the 80 s still to do take 40 s.
  EXPECT_EQ(At(10, 10), "About 00:00:40 left");
  EXPECT_EQ(At(10.5, 11), std::nullopt);
  EXPECT_EQ(At(12, 14), "About 00:00:38 left");
}

TEST_F(TimeLeft, FilesSideBySideCountTogetherAndMayEndOutOfOrder) {
  estimate.Begin({10, 10, 10, 10}, kStart);
  estimate.SetPosition(0, 5);
  estimate.SetPosition(1, 5);
  // 10 s of media in 5 s: the 30 s still to do take 15 s.
  EXPECT_EQ(estimate.LineToShow(kStart + 5000), "About 00:00:15 left");
  estimate.EndFile(1, true);
  estimate.SetPosition(0, 10);
  estimate.SetPosition(2, 5);
  // 25 s in 10 s: the 15 s still to do (file 2's rest and file 3) take 6 s.
  EXPECT_EQ(estimate.LineToShow(kStart + 10000), "About 00:00:06 left");
}

TEST_F(TimeLeft, MovesOnlyWhenTheSpeedChangesBeyondTheNoise) {
  estimate.Begin({100}, kStart);
  EXPECT_EQ(At(10, 50), "About 00:00:10 left");
  // Slightly slower: an end 1.2 s later is noise, the line counts down.
  EXPECT_EQ(At(11, 52), "About 00:00:09 left");
  // Stalled: the end moves.
  EXPECT_EQ(At(20, 52), "About 00:00:18 left");
}

// A split conversion reports all of its ranges together: two ranges at 12 s
// each are 24 s of the file.
TEST_F(TimeLeft, ASplitFileCountsAllItsRanges) {
  estimate.Begin({60, 60}, kStart);
  EXPECT_EQ(At(6, 24), "About 00:00:24 left");
  // Its ranges are done while the join runs: the next file is still to do.
  EXPECT_EQ(At(15, 60), "About 00:00:15 left");
}

TEST_F(TimeLeft, AFailedFilesRestIsNoLongerToDo) {
  estimate.Begin({30, 30, 30}, kStart);
  estimate.SetPosition(current, 10);
  estimate.EndFile(current++, false);
  // 10 s of media in 10 s; the files after it only.
  EXPECT_EQ(At(10, 0), "About 00:01:00 left");
}

// A continued batch: a file done before the interruption is passed over,
// and the kept parts of the next arrive at once; neither counts in the
// speed. 30 s of media converted in 10 s: the 60 s left take 20 s.
TEST_F(TimeLeft, WorkDoneBeforeAnInterruptionIsNotCountedAsSpeed) {
  estimate.Begin({600, 120, 30}, kStart);
  estimate.SkipFile(current++);
  estimate.ExpectReusedStart(current);
  EXPECT_EQ(At(0.1, 60), std::nullopt);
  EXPECT_EQ(At(10, 90), "About 00:00:20 left");
}

// After a minute the speed follows what the batch does now: from 10 to 5
// media seconds a second, two minutes later it is near 5 (25:54 left), not
// the 6.7 of the whole batch (22:00 left).
TEST_F(TimeLeft, AfterAMinuteTheRecentSpeedWeighsMost) {
  estimate.Begin({10000}, kStart);
  std::string line;
  for (int t = 1; t <= 180; ++t) {
    if (const auto shown = At(t, t <= 60 ? 10 * t : 600 + 5 * (t - 60))) line = *shown;
  }
  // Texts of one width compare as their times.
  EXPECT_GT(line, "About 00:24:00 left");
  EXPECT_LT(line, "About 00:27:00 left");
}

TEST_F(TimeLeft, NothingBeforeABatchBegins) {
  EXPECT_EQ(At(100, 50), std::nullopt);
}

}  // namespace
}  // namespace velto
