#include "engine/progress_text.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace velto {
namespace {

TEST(ProgressText, ComposesTotalElapsedAndPercent) {
  const struct {
    const char* name;
    double position, completedDuration, totalDuration;
    std::uint32_t elapsedMilliseconds;
    const char* text;
    int perMille;
  } cases[] = {
      {"half of a 20-minute list after 5 minutes: 10 minutes in all", 300.0, 300.0, 1200.0, 300000,
       "Total time:00:10:00;Elapsed time:00:05:00;Finished 50.0%", 500},
      {"at the start the list's duration", 0.0, 0.0, 3725.9, 0,
       "Total time:01:02:05;Elapsed time:00:00:00;Finished 0.0%", 0},
      // The elapsed milliseconds times 1000 exceed 32 bits.
      {"80 minutes in at 50 %", 1800.0, 0.0, 3600.0, 80u * 60u * 1000u,
       "Total time:02:40:00;Elapsed time:01:20:00;Finished 50.0%", 500},
      {"a list without durations shows the elapsed time at zero", 42.0, 0.0, 0.0, 61000,
       "Total time:00:00:00;Elapsed time:00:01:01;Finished 0.0%", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto d = ComputeProgressDisplay(c.position, c.completedDuration, c.totalDuration, c.elapsedMilliseconds);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->statusText, c.text);
    EXPECT_EQ(d->perMille, c.perMille);
  }
}

TEST(ProgressText, FileLineNamesTheFilesBesideAndKeepsThemWhenShortened) {
  const auto fitsIn = [](std::size_t bytes) { return [bytes](const std::string& line) { return line.size() <= bytes; }; };
  EXPECT_EQ(FileLineText(3, 24, "C:\\clips\\a.wmv", fitsIn(99), 1), "File 3 of 24: a.wmv (and 1 more)");
  const std::string shortened = FileLineText(3, 24, "C:\\clips\\a long name.wmv", fitsIn(40), 2);
  EXPECT_EQ(shortened.substr(shortened.size() - 13), " (and 2 more)") << shortened;
  EXPECT_LE(shortened.size(), 40u);
}

TEST(ProgressText, TruncatesPerMille) {
  auto d = ComputeProgressDisplay(456.7, 0.0, 1000.0, 1000);
  ASSERT_TRUE(d);
  EXPECT_EQ(d->perMille, 456);
  EXPECT_NE(d->statusText.find("Finished 45.6%"), std::string::npos);
}

TEST(ProgressText, PastTheEndShowsNothing) {
  EXPECT_FALSE(ComputeProgressDisplay(1001.0, 0.0, 1000.0, 5000));
  EXPECT_TRUE(ComputeProgressDisplay(1000.0, 0.0, 1000.0, 5000));
}

}  // namespace
}  // namespace velto
