#include "engine/encoder_reports.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/encoder_interface.h"

namespace velto {
namespace {

struct FakeUi : ReportSink {
  int pumps = 0;
  int questions = 0;
  bool answerYes = false;
  std::uint32_t now = 0;
  std::vector<ProgressDisplay> shown;

  void PumpOneMessage() override { ++pumps; }
  bool ConfirmStop() override {
    ++questions;
    return answerYes;
  }
  void ShowProgress(const ProgressDisplay& d) override { shown.push_back(d); }
  std::uint32_t TickCount() override { return now; }
};

class EncoderReports : public ::testing::Test {
 protected:
  int Report(unsigned kind, std::int32_t value) { return HandleEncoderReport(kind, value, list, state, ui); }

  MediaList list;
  EngineState state;
  FakeUi ui;
};

TEST_F(EncoderReports, ProbeValuesFillThePendingEntry) {
  BeginProbe(list, state);
  EXPECT_EQ(Report(kReportDuration, 3725), 0);
  EXPECT_EQ(Report(kReportWidth, 640), 0);
  EXPECT_EQ(Report(kReportHeight, 480), 0);
  EXPECT_EQ(Report(kReportFrameRate, 299700000), 0);
  EXPECT_EQ(list.pending.duration, 3725.0);
  EXPECT_EQ(list.pending.width, 640);
  EXPECT_EQ(list.pending.height, 480);
  EXPECT_DOUBLE_EQ(list.pending.frameRate, 29.97);
  EXPECT_TRUE(ProbeSucceeded(state));
}

TEST_F(EncoderReports, NonPositiveProbeValuesFailTheProbe) {
  BeginProbe(list, state);
  Report(kReportDuration, 60);
  Report(kReportDuration, -5);
  EXPECT_TRUE(state.probeFailed);
  EXPECT_EQ(list.pending.duration, 60.0);

  BeginProbe(list, state);
  Report(kReportFrameRate, 0);
  EXPECT_TRUE(state.probeFailed);

  BeginProbe(list, state);
  Report(kReportFrameRate, -1);  // taken as the largest value, not a failure
  EXPECT_FALSE(state.probeFailed);
  EXPECT_DOUBLE_EQ(list.pending.frameRate, 214.7483647);
}

TEST_F(EncoderReports, AStatedLengthIsKeptAndFailsNothing) {
  BeginProbe(list, state);
  Report(kReportStatedDuration, -1);
  EXPECT_EQ(list.pending.statedDuration, 0.0);
  EXPECT_EQ(Report(kReportStatedDuration, 6), 0);
  EXPECT_EQ(list.pending.statedDuration, 6.0);
  EXPECT_FALSE(state.probeFailed);
}

TEST_F(EncoderReports, AProbeThatLeavesAValueOutFails) {
  list.pending = MediaEntry{"", 90.0, 320, 240, 25.0};  // left from an earlier file
  BeginProbe(list, state);
  Report(kReportDuration, 10);
  Report(kReportWidth, 320);
  Report(kReportHeight, 240);
  EXPECT_FALSE(ProbeSucceeded(state));
  EXPECT_EQ(list.pending.frameRate, 0.0);
}

TEST_F(EncoderReports, OtherKindsChangeNothing) {
  for (unsigned kind : {0u, 5u, 7u, 1000u}) {
    EXPECT_EQ(Report(kind, 12), 0);
  }
  EXPECT_EQ(list.pending, MediaEntry{});
  EXPECT_FALSE(state.probeFailed);
  EXPECT_EQ(ui.pumps, 0);
}

TEST_F(EncoderReports, PositionsUpdateTheDisplayOncePerNewValue) {
  list.totalDuration = 1000.0;
  state.lastPosition = 999.0;
  EXPECT_EQ(Report(kReportPosition, 999), 0);  // equal to the start value: not shown
  EXPECT_TRUE(ui.shown.empty());
  ui.now = 10000;
  Report(kReportPosition, 500);
  Report(kReportPosition, 500);
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_EQ(ui.shown[0].perMille, 500);
  EXPECT_EQ(ui.shown[0].statusText, "Total time:00:00:20;Elapsed time:00:00:10;Finished 50.0%");
  EXPECT_EQ(state.reportCounter, 3);
}

TEST_F(EncoderReports, EveryHundredthReportPumpsOnceMore) {
  list.totalDuration = 1000.0;
  for (int i = 0; i < 99; ++i) Report(kReportPosition, 7);
  const int before = ui.pumps;
  Report(kReportPosition, 7);
  EXPECT_EQ(ui.pumps - before, 2);
  EXPECT_EQ(state.reportCounter, 0);
}

TEST_F(EncoderReports, StopQuestionAnsweredYesStopsTheEncoder) {
  list.totalDuration = 100.0;
  state.stopRequested = true;
  ui.answerYes = true;
  EXPECT_EQ(Report(kReportPosition, 10), 1);
  EXPECT_TRUE(state.stopRequested);
  EXPECT_TRUE(ui.shown.empty());
}

// The encoder may end well after all, its last report answered 1 too late:
// the Yes stands, later reports are answered 1 and nothing is asked again.
TEST_F(EncoderReports, AYesIsNotAskedAgainByLaterReportsOrAfterTheRun) {
  list.totalDuration = 100.0;
  state.stopRequested = true;
  ui.answerYes = true;
  EXPECT_EQ(Report(kReportPosition, 10), 1);
  EXPECT_EQ(Report(kReportPosition, 11), 1);
  EXPECT_TRUE(StopConfirmedAfterRun(state, false, ui));
  EXPECT_EQ(ui.questions, 1);
}

TEST_F(EncoderReports, StopQuestionAnsweredNoGoesOnAndIsNotAskedAgain) {
  list.totalDuration = 100.0;
  state.stopRequested = true;
  EXPECT_EQ(Report(kReportPosition, 10), 0);
  EXPECT_FALSE(state.stopRequested);
  EXPECT_EQ(ui.shown.size(), 1u);
  Report(kReportPosition, 10);  // same position: still no second question
  EXPECT_EQ(ui.questions, 1);
}

}  // namespace
}  // namespace velto
