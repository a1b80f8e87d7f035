#include "encoder/run/progress_stream.h"

#include <gtest/gtest.h>

namespace velto {
namespace {

TEST(ProgressStream, ReadsPositionsAcrossSplitChunks) {
  ProgressStream stream;
  EXPECT_FALSE(stream.PositionMicroseconds());
  stream.Feed("frame=10\nout_time_ms=-9223372036854775807\nout_time=-577014:32:22.775808\nprogress=continue\n");
  EXPECT_FALSE(stream.PositionMicroseconds());  // the engine's "not yet" values
  stream.Feed("frame=50\r\nout_time_us=2040");
  EXPECT_FALSE(stream.PositionMicroseconds());  // line not finished
  stream.Feed("000\r\nprogress=continue\n");
  EXPECT_EQ(stream.PositionMicroseconds(), 2'040'000);
  EXPECT_EQ(stream.Frames(), 50);
  EXPECT_EQ(stream.WholeSeconds(), 2);
  stream.Feed("out_time_ms=3999999\nout_time=00:00:03.999999\nprogress=end\n");
  EXPECT_EQ(stream.WholeSeconds(), 3);
  EXPECT_TRUE(stream.Ended());
}

TEST(ProgressStream, OlderEnginesGiveOnlyTheClock) {
  ProgressStream stream;
  stream.Feed("out_time=01:02:03.5\nprogress=continue\n");
  EXPECT_EQ(stream.WholeSeconds(), 3723);
  stream.Feed("out_time=N/A\nout_time=00:00:01.0\n");  // never goes back
  EXPECT_EQ(stream.WholeSeconds(), 3723);
  EXPECT_FALSE(stream.Ended());
}

TEST(ProgressStream, ClockText) {
  EXPECT_EQ(ParseClockMicroseconds("00:00:00.000000"), 0);
  EXPECT_EQ(ParseClockMicroseconds("10:00:00"), 36'000'000'000LL);
  EXPECT_EQ(ParseClockMicroseconds("00:01:02.25"), 62'250'000);
  EXPECT_FALSE(ParseClockMicroseconds("N/A"));
  EXPECT_FALSE(ParseClockMicroseconds("-00:00:01.0"));
  EXPECT_FALSE(ParseClockMicroseconds("1:2"));
  EXPECT_FALSE(ParseClockMicroseconds("a:b:c"));
}

TEST(ProgressStream, GarbageIsHarmless) {
  ProgressStream stream;
  stream.Feed(std::string(100000, 'x'));
  stream.Feed("\n=\nout_time_us=\nout_time_us=12abc\n\n");
  EXPECT_FALSE(stream.PositionMicroseconds());
}

}  // namespace
}  // namespace velto
