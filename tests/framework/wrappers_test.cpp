// The thin control wrappers on the controls of a modeless test dialog.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "framework/controls.h"
#include "framework/dialog.h"
#include "tests/framework/framework_test_ids.h"

namespace velto {
namespace {

class WrapperDialog : public Dialog {
 public:
  WrapperDialog() : Dialog(IDD_FRAMEWORK_TEST) {}
  Edit edit;
  Static label;
  ComboBox combo;
  ListView list;
  ProgressBar progress;
  Trackbar trackbar;
  Button check;

 protected:
  void DoDataExchange(DataExchange& dx) override {
    dx.Control(IDC_EDIT, edit);
    dx.Control(IDC_LABEL, label);
    dx.Control(IDC_COMBO, combo);
    dx.Control(IDC_LIST, list);
    dx.Control(IDC_PROGRESS, progress);
    dx.Control(IDC_TRACKBAR, trackbar);
    dx.Control(IDC_CHECK, check);
  }
};

class WrapperTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dialog.Create(nullptr)); }
  WrapperDialog dialog;
};

TEST_F(WrapperTest, TextGoesInAndOutAsUtf8) {
  const std::string awkward = "C:\\Vidéos\\Grüße 100% & \"quoted\" ^!.asf";
  dialog.edit.SetText(awkward);
  EXPECT_EQ(dialog.edit.GetText(), awkward);
  dialog.edit.SetText("");
  EXPECT_EQ(dialog.edit.GetText(), "");
  EXPECT_EQ(dialog.label.GetText(), "Label");
  dialog.label.SetText("Total time:00:10:00;Elapsed time:00:05:00;Finished 50.0%");
  EXPECT_EQ(dialog.label.GetText(), "Total time:00:10:00;Elapsed time:00:05:00;Finished 50.0%");

  dialog.edit.Enable(false);
  EXPECT_FALSE(dialog.edit.IsEnabled());
  dialog.edit.Enable(true);
  EXPECT_TRUE(dialog.edit.IsEnabled());

  dialog.check.SetCheck(BST_CHECKED);
  EXPECT_EQ(dialog.check.GetCheck(), BST_CHECKED);
}

TEST_F(WrapperTest, ComboBoxAddsSelectsAndResets) {
  EXPECT_EQ(dialog.combo.AddString("4:3  (Standard TV)"), 0);
  EXPECT_EQ(dialog.combo.AddString("16:9 (Wide screen TV)"), 1);
  EXPECT_EQ(dialog.combo.AddString("Ärger"), 2);
  EXPECT_EQ(dialog.combo.GetCount(), 3);
  EXPECT_EQ(dialog.combo.GetItemText(0), "4:3  (Standard TV)");
  EXPECT_EQ(dialog.combo.GetItemText(2), "Ärger");
  EXPECT_EQ(dialog.combo.GetItemText(9), "");

  EXPECT_EQ(dialog.combo.SetCurSel(1), 1);
  EXPECT_EQ(dialog.combo.GetCurSel(), 1);
  EXPECT_EQ(dialog.combo.SetCurSel(7), CB_ERR);  // out of range: no selection
  EXPECT_EQ(dialog.combo.GetCurSel(), CB_ERR);

  dialog.combo.ResetContent();
  EXPECT_EQ(dialog.combo.GetCount(), 0);
}

TEST_F(WrapperTest, ListViewColumnsItemsAndSelection) {
  dialog.list.SetExtendedStyle(LVS_EX_FULLROWSELECT);
  EXPECT_TRUE(dialog.list.GetExtendedStyle() & LVS_EX_FULLROWSELECT);

  EXPECT_EQ(dialog.list.InsertColumn(0, " Number", LVCFMT_LEFT, 90), 0);
  EXPECT_EQ(dialog.list.InsertColumn(1, "  File path", LVCFMT_LEFT, 360), 1);
  EXPECT_EQ(dialog.list.InsertColumn(2, "   Duration", LVCFMT_CENTER, 122), 2);
  EXPECT_EQ(dialog.list.GetColumnCount(), 3);
  EXPECT_EQ(dialog.list.GetColumnText(0), " Number");
  EXPECT_EQ(dialog.list.GetColumnText(2), "   Duration");
  EXPECT_EQ(dialog.list.GetColumnWidth(1), 360);
  EXPECT_EQ(dialog.list.GetColumnFormat(2) & LVCFMT_JUSTIFYMASK, LVCFMT_CENTER);

  EXPECT_EQ(dialog.list.InsertItem(0, "1"), 0);
  EXPECT_TRUE(dialog.list.SetItemText(0, 1, "C:\\Vidéos\\a b.asf"));
  EXPECT_TRUE(dialog.list.SetItemText(0, 2, "00:01:05"));
  EXPECT_EQ(dialog.list.InsertItem(1, "2"), 1);
  const std::string longPath(600, 'p');
  EXPECT_TRUE(dialog.list.SetItemText(1, 1, longPath));
  EXPECT_EQ(dialog.list.GetItemCount(), 2);
  EXPECT_EQ(dialog.list.GetItemText(0, 1), "C:\\Vidéos\\a b.asf");
  EXPECT_EQ(dialog.list.GetItemText(0, 2), "00:01:05");
  EXPECT_EQ(dialog.list.GetItemText(1, 1), longPath);

  EXPECT_EQ(dialog.list.GetSelectedItem(), -1);
  EXPECT_TRUE(dialog.list.SetItemState(1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED));
  EXPECT_EQ(dialog.list.GetSelectedItem(), 1);
  EXPECT_EQ(dialog.list.GetItemState(1, LVIS_SELECTED), static_cast<UINT>(LVIS_SELECTED));
  EXPECT_TRUE(dialog.list.EnsureVisible(1));

  EXPECT_TRUE(dialog.list.DeleteItem(0));
  EXPECT_EQ(dialog.list.GetItemCount(), 1);
  EXPECT_EQ(dialog.list.GetItemText(0, 0), "2");
  EXPECT_TRUE(dialog.list.DeleteAllItems());
  EXPECT_EQ(dialog.list.GetItemCount(), 0);
}

TEST_F(WrapperTest, ProgressBarAndTrackbarRangesAndPositions) {
  dialog.progress.SetRange(0, 1000);
  EXPECT_EQ(dialog.progress.GetRangeLow(), 0);
  EXPECT_EQ(dialog.progress.GetRangeHigh(), 1000);
  dialog.progress.SetPos(456);
  EXPECT_EQ(dialog.progress.GetPos(), 456);

  dialog.trackbar.SetRange(0, 40, false);
  EXPECT_EQ(dialog.trackbar.GetRangeMin(), 0);
  EXPECT_EQ(dialog.trackbar.GetRangeMax(), 40);
  dialog.trackbar.SetPos(27, true);
  EXPECT_EQ(dialog.trackbar.GetPos(), 27);
  dialog.trackbar.SetPos(99, true);
  EXPECT_EQ(dialog.trackbar.GetPos(), 40);  // kept inside the range
}

TEST_F(WrapperTest, ToolTipAddsUpdatesAndActivatesTools) {
  ToolTip tip;
  ASSERT_TRUE(tip.Create(dialog.edit.Handle()));
  EXPECT_EQ(GetWindow(tip.Handle(), GW_OWNER), dialog.Handle());  // a popup's owner is top-level
  EXPECT_EQ(tip.GetToolCount(), 0);
  EXPECT_TRUE(tip.AddTool(dialog.edit.Handle(), 1, dialog.edit.ClientRect(), "Add video files to the list"));
  EXPECT_EQ(tip.GetToolCount(), 1);
  EXPECT_EQ(tip.GetText(dialog.edit.Handle(), 1), "Add video files to the list");
  tip.UpdateTipText(dialog.edit.Handle(), 1, "About,help,home page,tip of the day. – ü");
  EXPECT_EQ(tip.GetText(dialog.edit.Handle(), 1), "About,help,home page,tip of the day. – ü");
  tip.SetMaxTipWidth(400);
  EXPECT_EQ(tip.GetMaxTipWidth(), 400);
  tip.Activate(true);
  MSG msg{dialog.edit.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(2, 2), GetTickCount(), {0, 0}};
  tip.RelayEvent(msg);  // must simply be accepted
  tip.Activate(false);
  EXPECT_TRUE(tip.DestroyWindow());
}

}  // namespace
}  // namespace velto
