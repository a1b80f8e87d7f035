// The progress window: its first look, and every way of asking for a stop.
#include "engine/progress_dialog.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "engine/encoder_process.h"
#include "engine/media_list.h"
#include "res/resource_ids.h"
#include "tests/support/pump.h"
#include "tests/support/window_text.h"

namespace velto {
namespace {

class ProgressWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    g_engineState = EngineState{};
    ASSERT_TRUE(dialog.CreateHidden(nullptr));
  }
  HWND Item(int id) { return dialog.GetItem(id); }

  ProgressDialog dialog;
};

// An earlier batch's time left and choice are not kept.
TEST_F(ProgressWindow, StartsHiddenAndShowsTheBatchStart) {
  EXPECT_FALSE(dialog.IsVisible());
  dialog.SetTimeLeftText("About 00:01:00 left");
  SendMessageW(Item(IDC_PROGRESS_WHEN_DONE), CB_SETCURSEL, 3, 0);
  dialog.ShowForBatch();
  EXPECT_TRUE(dialog.IsVisible());
  EXPECT_EQ(dialog.StatusText(), "Total time:00:00:00,Elapsed time:00:00:00;Finished 0.0%");
  EXPECT_EQ(testing::WindowText(Item(IDC_PROGRESS_TIME_LEFT)), "");
  EXPECT_EQ(testing::WindowText(Item(IDC_PROGRESS_WHEN_DONE)), "Do nothing");
  EXPECT_EQ(dialog.Bar().GetRangeLow(), 0);
  EXPECT_EQ(dialog.Bar().GetRangeHigh(), 1000);
  EXPECT_EQ(dialog.Bar().GetPos(), 0);
}

TEST_F(ProgressWindow, CancelButtonRequestsAStop) {
  dialog.ShowForBatch();
  SendMessageW(Item(IDC_PROGRESS_CANCEL), BM_CLICK, 0, 0);
  EXPECT_EQ(dialog.StatusText(), "Cancel processing...");
  EXPECT_TRUE(g_engineState.stopRequested);
  EXPECT_TRUE(dialog.IsVisible());
}

TEST_F(ProgressWindow, EscapeAndTheCloseBoxActLikeCancel) {
  dialog.ShowForBatch();
  SetFocus(Item(IDC_PROGRESS_CANCEL));
  PostMessageW(Item(IDC_PROGRESS_CANCEL), WM_KEYDOWN, VK_ESCAPE, 0);
  testing::Pump();
  EXPECT_TRUE(g_engineState.stopRequested);
  EXPECT_EQ(dialog.StatusText(), "Cancel processing...");

  g_engineState.stopRequested = false;
  dialog.SetStatusText("x");
  dialog.Send(WM_CLOSE);
  EXPECT_TRUE(g_engineState.stopRequested);
  EXPECT_EQ(dialog.StatusText(), "Cancel processing...");
  EXPECT_TRUE(dialog.IsVisible());
}

TEST_F(ProgressWindow, EnterDoesNothing) {
  dialog.ShowForBatch();
  dialog.Send(WM_COMMAND, IDOK);
  EXPECT_TRUE(dialog.IsVisible());
  EXPECT_FALSE(g_engineState.stopRequested);
  EXPECT_EQ(dialog.StatusText(), "Total time:00:00:00,Elapsed time:00:00:00;Finished 0.0%");
}

}  // namespace
}  // namespace velto
