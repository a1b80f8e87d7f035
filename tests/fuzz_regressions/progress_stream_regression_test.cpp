#include <gtest/gtest.h>

#include "encoder/run/progress_stream.h"

namespace velto {
namespace {

// Minutes or seconds too large to add up overflowed a 64-bit integer.
TEST(ProgressStreamFuzzRegression, HugeClockFieldsAreRefused) {
  EXPECT_FALSE(ParseClockMicroseconds("00:00:888888888808888"));
  EXPECT_FALSE(ParseClockMicroseconds("00:9223372036854775807:00"));
  EXPECT_FALSE(ParseClockMicroseconds("1000000:1000000:1000001.5"));
  EXPECT_EQ(ParseClockMicroseconds("1000000:1000000:1000000.5"),
            ((1'000'000LL * 60 + 1'000'000) * 60 + 1'000'000) * 1'000'000 + 500'000);
  EXPECT_EQ(ParseClockMicroseconds("00:59:59.999999"), 3'599'999'999LL);
}

TEST(ProgressStreamFuzzRegression, HugeClockLeavesThePositionAlone) {
  ProgressStream stream;
  stream.Feed("out_time=00:00:02.000000\nout_time=00:00:888888888808888\nprogress=continue\n");
  EXPECT_EQ(stream.PositionMicroseconds(), 2'000'000);
  EXPECT_EQ(stream.WholeSeconds(), 2);
}

}  // namespace
}  // namespace velto
