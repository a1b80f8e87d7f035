#include "engine/media_list.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "engine/format_duration.h"

namespace velto {
namespace {

MediaEntry Entry(const std::string& path, double duration, std::int32_t width = 320, std::int32_t height = 240,
                 double fps = 25.0) {
  return MediaEntry{path, duration, width, height, fps};
}

std::vector<std::string> Paths(const MediaList& list) {
  std::vector<std::string> paths;
  for (const MediaEntry& e : list.entries()) paths.push_back(e.path);
  return paths;
}

TEST(MediaList, AppendAndRemoveKeepTheTotal) {
  MediaList list;
  EXPECT_TRUE(list.Append(Entry("a", 60)));
  EXPECT_TRUE(list.Append(Entry("b", 90)));
  EXPECT_EQ(list.count(), 2);
  EXPECT_EQ(list.totalDuration, 150.0);
  EXPECT_TRUE(list.Remove(0));
  EXPECT_EQ(list.totalDuration, 90.0);
  EXPECT_EQ(list.at(0), Entry("b", 90));
  EXPECT_FALSE(list.Remove(1));
  EXPECT_FALSE(list.Remove(-1));
  EXPECT_EQ(list.totalDuration, 90.0);
  EXPECT_TRUE(list.Remove(0));
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(list.totalDuration, 0.0);
}

TEST(MediaList, RemovingFromTheMiddleMovesLaterEntriesWhole) {
  MediaList list;
  list.Append(Entry("a", 10, 640, 480, 29.97));
  list.Append(Entry("b", 20, 352, 288, 25.0));
  list.Append(Entry("c", 30, 720, 576, 23.976));
  list.Remove(1);
  ASSERT_EQ(list.count(), 2);
  EXPECT_EQ(list.at(0), Entry("a", 10, 640, 480, 29.97));
  EXPECT_EQ(list.at(1), Entry("c", 30, 720, 576, 23.976));
  EXPECT_EQ(list.totalDuration, 40.0);
}

TEST(MediaList, HoldsAtMost99Entries) {
  MediaList list;
  for (int i = 0; i < MediaList::kMaxEntries; ++i) {
    ASSERT_TRUE(list.Append(Entry(std::to_string(i), 1)));
  }
  EXPECT_TRUE(list.full());
  EXPECT_FALSE(list.Append(Entry("extra", 1000)));
  list.pending = Entry("", 500);
  EXPECT_FALSE(list.AppendPending("extra"));
  EXPECT_EQ(list.count(), 99);
  EXPECT_EQ(list.totalDuration, 99.0);
  EXPECT_EQ(list.at(98).path, "98");
  list.Remove(0);
  EXPECT_TRUE(list.AppendPending("again"));
  EXPECT_EQ(list.count(), 99);
  EXPECT_EQ(list.totalDuration, 598.0);
}

TEST(MediaList, AppendPendingTakesTheProbeResultsAndKeepsThem) {
  MediaList list;
  list.pending.duration = 42;
  list.pending.width = 176;
  list.pending.height = 144;
  list.pending.frameRate = 15.0;
  ASSERT_TRUE(list.AppendPending("C:\\Vidéos\\a & b.wmv"));
  EXPECT_EQ(list.at(0), Entry("C:\\Vidéos\\a & b.wmv", 42, 176, 144, 15.0));
  // The pending numbers stay for the next probe.
  list.pending.duration = 7;
  ASSERT_TRUE(list.AppendPending("second.wmv"));
  EXPECT_EQ(list.at(1), Entry("second.wmv", 7, 176, 144, 15.0));
  EXPECT_EQ(list.totalDuration, 49.0);
}

TEST(MediaList, SwapAndMoveCarryEveryField) {
  MediaList list;
  list.Append(Entry("a", 10, 640, 480, 29.97));
  list.Append(Entry("b", 20, 352, 288, 25.0));
  list.Append(Entry("c", 30, 720, 576, 23.976));
  EXPECT_TRUE(list.Swap(0, 1));
  EXPECT_EQ(list.at(0), Entry("b", 20, 352, 288, 25.0));
  EXPECT_EQ(list.at(1), Entry("a", 10, 640, 480, 29.97));
  EXPECT_EQ(list.totalDuration, 60.0);
  EXPECT_FALSE(list.Swap(2, 3));
  EXPECT_FALSE(list.Swap(-1, 0));
  EXPECT_EQ(Paths(list), (std::vector<std::string>{"b", "a", "c"}));

  EXPECT_TRUE(list.Move(0, 2));
  EXPECT_EQ(Paths(list), (std::vector<std::string>{"a", "c", "b"}));
  EXPECT_TRUE(list.Move(2, 0));
  EXPECT_EQ(Paths(list), (std::vector<std::string>{"b", "a", "c"}));
  EXPECT_TRUE(list.Move(1, 1));
  EXPECT_FALSE(list.Move(0, 3));
  EXPECT_EQ(Paths(list), (std::vector<std::string>{"b", "a", "c"}));
  EXPECT_EQ(list.at(2), Entry("c", 30, 720, 576, 23.976));
  EXPECT_EQ(list.totalDuration, 60.0);

  list.Clear();
  EXPECT_EQ(list.count(), 0);
  EXPECT_EQ(list.totalDuration, 0.0);
}

TEST(EngineState, StartValuesAndCurrentSourceRate) {
  const EngineState fresh;
  EXPECT_FALSE(fresh.stopRequested);
  EXPECT_FALSE(fresh.probeFailed);
  EXPECT_EQ(fresh.lastPosition, 999.0);
  EXPECT_EQ(fresh.reportCounter, 0);
  EXPECT_EQ(fresh.progressDialog, nullptr);

  MediaList list;
  list.Append(Entry("a", 10, 640, 480, 29.97));
  list.Append(Entry("b", 20, 352, 288, 12.5));
  EngineState state;
  state.currentIndex = 1;
  EXPECT_EQ(CurrentSourceFrameRate(list, state), 12.5);
  state.currentIndex = 2;
  EXPECT_EQ(CurrentSourceFrameRate(list, state), 0.0);
  state.currentIndex = -1;
  EXPECT_EQ(CurrentSourceFrameRate(list, state), 0.0);
}

TEST(EngineState, ProcessWideInstancesStartEmpty) {
  EXPECT_EQ(g_mediaList.count(), 0);
  EXPECT_EQ(g_mediaList.totalDuration, 0.0);
  EXPECT_EQ(g_engineState.lastPosition, 999.0);
}

TEST(FormatDuration, HoursMinutesSeconds) {
  const std::pair<std::int32_t, const char*> cases[] = {
      {0, "00:00:00"},      {59, "00:00:59"},      {60, "00:01:00"},
      {3599, "00:59:59"},   {3600, "01:00:00"},    {9600, "02:40:00"},
      {359999, "99:59:59"}, {360000, "100:00:00"}, {2147483647, "596523:14:07"}};
  for (const auto& [seconds, text] : cases) EXPECT_EQ(FormatDuration(seconds), text) << seconds;
}

}  // namespace
}  // namespace velto
