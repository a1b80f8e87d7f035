#include "encoder/common/run_log.h"

#include <gtest/gtest.h>

namespace velto {
namespace {

TEST(RunLog, NamesSortByAge) {
  EXPECT_EQ(LogFileName({2026, 12, 7, 9, 5, 1, 7}, 4711), "veltoenc-20261207-090501-007-4711.log");
  EXPECT_LT(LogFileName({2026, 12, 7, 9, 5, 1, 7}, 99999), LogFileName({2026, 12, 7, 9, 5, 1, 8}, 1));
}

TEST(RunLog, KeepsTheNewestAndLeavesOtherFiles) {
  std::vector<std::string> names = {"notes.txt", "veltoenc-x.txt"};
  for (int i = 30; i >= 1; --i) names.push_back(LogFileName({2026, 1, i, 0, 0, 0, 0}, 1));
  const auto doomed = LogsToDelete(names, 20);
  ASSERT_EQ(doomed.size(), 10u);
  EXPECT_EQ(doomed.front(), LogFileName({2026, 1, 1, 0, 0, 0, 0}, 1));
  EXPECT_EQ(doomed.back(), LogFileName({2026, 1, 10, 0, 0, 0, 0}, 1));
  EXPECT_TRUE(LogsToDelete({"veltoenc-a.log"}, 20).empty());
}

TEST(RunLog, LastLinesOfTheEngine) {
  LastLines lines(3);
  lines.Feed("one\r\ntwo\nthr");
  lines.Feed("ee\nfour\nfive");
  EXPECT_EQ(lines.Lines(), (std::vector<std::string>{"three", "four", "five"}));
}

}  // namespace
}  // namespace velto
