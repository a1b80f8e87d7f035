// The end of a batch: its choices, the countdown's text and length, and the
// summary files kept beside the encoder's logs.
#include "engine/batch_end.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velto {
namespace {

TEST(BatchEnd, ChoicesAndTheirCountdown) {
  EXPECT_EQ(WhenDoneAt(-1), WhenDone::kNothing);  // nothing selected
  EXPECT_EQ(WhenDoneAt(3), WhenDone::kShutDown);
  EXPECT_EQ(WhenDoneAt(4), WhenDone::kNothing);
  EXPECT_EQ(CountdownText(WhenDone::kShutDown, 60), "The computer will shut down in 60 seconds.");
  EXPECT_EQ(CountdownText(WhenDone::kSleep, 1), "The computer will go to sleep in 1 second.");
  EXPECT_EQ(CountdownSecondsFrom("3"), 3);
  for (const char* bad : {"", "0", "-5", "2x", "99999"}) EXPECT_EQ(CountdownSecondsFrom(bad), 60) << bad;
}

TEST(BatchEnd, SummaryFilesKeepTheNewestAndNothingElseGoes) {
  EXPECT_EQ(BatchSummaryName({2026, 12, 8, 9, 4, 2, 7}, 4711), "batch-20261208-090402-007-4711.txt");
  EXPECT_EQ(BatchSummaryFileText("2 of 4 files\nfailed"), "2 of 4 files\r\nfailed\r\n");
  const std::vector<std::string> names = {"batch-20261208-090402-007-1.txt", "veltoenc-20200101-000000-1.log",
                                          "batch-20251208-090402-007-1.txt", "batch-notes.doc",
                                          "batch-20271208-090402-007-1.txt"};
  EXPECT_EQ(SummariesToRemove(names, 1),
            (std::vector<std::string>{"batch-20251208-090402-007-1.txt", "batch-20261208-090402-007-1.txt"}));
  EXPECT_TRUE(SummariesToRemove(names, 3).empty());
}

}  // namespace
}  // namespace velto
