// The Output Settings template as built: title, texts, labels and their
// mnemonics, the disc controls' room and tab order, the format list's items;
// and a picture of the dialog for review.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "base/owned_handles.h"
#include "settings/value_lists.h"
#include "tests/settings/settings_dialog_harness.h"
#include "tests/support/window_picture.h"

namespace velto {
namespace {

using testing::SettingsBox;
using testing::WindowText;
using OutputSettingsLayout = testing::SettingsDialogTest;

// The label of each list, standing just before it in tab order.
struct Label {
  const char* text;
  int besideId;
};

constexpr Label kLabels[] = {
    {"Output &format", IDC_SETTINGS_FORMAT},   {"Output &quality", IDC_SETTINGS_QUALITY},
    {"&Video codec", IDC_SETTINGS_VIDEO_CODEC}, {"A&udio codec", IDC_SETTINGS_AUDIO_CODEC},
    {"&Resolution", IDC_SETTINGS_RESOLUTION},   {"Fra&me rate", IDC_SETTINGS_FRAME_RATE},
    {"&TV mode", IDC_SETTINGS_TV_MODE},         {"&Aspect ratio", IDC_SETTINGS_ASPECT},
    {"V&olume", IDC_SETTINGS_VOLUME},           {"Disc si&ze", IDC_SETTINGS_DISC_SIZE},
};

// Alt and a label's underlined letter reach the list beside it, as the
// dialog manager finds it: the next control in tab order after the label.
TEST_F(OutputSettingsLayout, MnemonicsReachTheirControls) {
  Run([](SettingsBox& box) {
    const HWND dialog = box.Handle();
    EXPECT_EQ(WindowText(dialog), "Output Settings");
    EXPECT_EQ(box.Text(IDC_SETTINGS_LETTERBOX), "Add &letter box to keep aspect ratio");
    EXPECT_EQ(box.Text(IDC_SETTINGS_FIT_TO_DISC), "Fit the list on one &disc");
    EXPECT_EQ(box.Text(IDC_SETTINGS_LOUDNESS), "&Even out loudness");
    EXPECT_EQ(box.Text(IDOK), "Ok");
    EXPECT_EQ(box.Text(IDCANCEL), "Cancel");
    for (const Label& label : kLabels) {
      EXPECT_EQ(WindowText(GetWindow(box.Item(label.besideId), GW_HWNDPREV)), label.text);
    }
    const auto alt = [&](char key) {
      MSG message{GetFocus(), WM_SYSCHAR, static_cast<WPARAM>(key), 0x20000000, 0, {}};
      IsDialogMessageW(dialog, &message);
    };
    // Lists a format fixes are disabled and cannot take the focus: a disc
    // format and AVI between them enable every list.
    std::set<int> reached;
    for (const int format : {7, 0}) {
      // Picked in the format list, which has the focus then: a list the new
      // format disables cannot keep it.
      SetFocus(box.Item(IDC_SETTINGS_FORMAT));
      box.Choose(IDC_SETTINGS_FORMAT, std::string(kOutputFormatTexts[static_cast<size_t>(format)]));
      for (const Label& label : kLabels) {
        if (!box.Enabled(label.besideId)) continue;
        SCOPED_TRACE(label.text);
        alt(strchr(label.text, '&')[1]);
        EXPECT_EQ(GetFocus(), box.Item(label.besideId));
        reached.insert(label.besideId);
      }
    }
    EXPECT_EQ(reached.size(), std::size(kLabels));
    alt('l');
    EXPECT_EQ(GetFocus(), box.Item(IDC_SETTINGS_LETTERBOX));
    alt('e');
    EXPECT_EQ(GetFocus(), box.Item(IDC_SETTINGS_LOUDNESS));
  });
}

// The width a text takes in a control's font, the '&' of a mnemonic left out.
int TextWidth(HWND control, const std::string& text) {
  const WindowDC dc(control);
  const SelectedObject font(dc.Get(), reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
  const std::wstring wide = Utf8ToWide(text);
  RECT rect{};
  DrawTextW(dc.Get(), wide.c_str(), -1, &rect, DT_CALCRECT | DT_SINGLELINE);
  return rect.right - rect.left;
}

int Width(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect.right - rect.left;
}

HWND ChildWithText(HWND dialog, const std::string& text) {
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (WindowText(child) == text) return child;
  }
  return nullptr;
}

// The disc controls show their whole texts and come after the letter box
// check box in tab order.
TEST_F(OutputSettingsLayout, TheDiscControlsFitTheirTextsInTabOrder) {
  Run([](SettingsBox& box) {
    box.Choose(IDC_SETTINGS_FORMAT, std::string(kOutputFormatTexts[kFormatDvd]));
    const HWND check = box.Item(IDC_SETTINGS_FIT_TO_DISC);
    EXPECT_LE(GetSystemMetrics(SM_CXMENUCHECK) + 4 + TextWidth(check, box.Text(IDC_SETTINGS_FIT_TO_DISC)),
              Width(check));
    const HWND list = box.Item(IDC_SETTINGS_DISC_SIZE);
    for (const std::string& item : box.Items(IDC_SETTINGS_DISC_SIZE)) {
      EXPECT_LE(TextWidth(list, item) + GetSystemMetrics(SM_CXVSCROLL) + 2 * GetSystemMetrics(SM_CXEDGE) + 4,
                Width(list))
          << item;
    }
    const HWND label = ChildWithText(box.Handle(), "Disc si&ze");
    ASSERT_NE(label, nullptr);
    EXPECT_LE(TextWidth(label, "Disc si&ze"), Width(label));

    const HWND dialog = box.Handle();
    EXPECT_EQ(GetNextDlgTabItem(dialog, box.Item(IDC_SETTINGS_LETTERBOX), FALSE), check);
    EXPECT_EQ(GetNextDlgTabItem(dialog, check, FALSE), list);
    EXPECT_EQ(GetNextDlgTabItem(dialog, list, FALSE), box.Item(IDOK));
  });
}

TEST_F(OutputSettingsLayout, TheFormatListHoldsEveryFormatFromTheTemplate) {
  Run([](SettingsBox& box) {
    const std::vector<std::string> expected(kOutputFormatTexts.begin(), kOutputFormatTexts.end());
    EXPECT_EQ(box.Items(IDC_SETTINGS_FORMAT), expected);
  });
  // Every run adds them once, never twice.
  Run([](SettingsBox& box) { EXPECT_EQ(box.Items(IDC_SETTINGS_FORMAT).size(), kOutputFormatTexts.size()); });
}

// ---------------------------------------------------------------- picture

// The dialog as it stands on the screen, saved as settings-dialog.bmp in the
// screenshots folder (made a PNG beside it after the run).
TEST_F(OutputSettingsLayout, SavesAPictureOfTheDialog) {
  g_settings.outputFormat = kFormatDvd;
  bool saved = false;
  Run([&saved](SettingsBox& box) {
    saved = testing::SaveWindowPicture(box.Handle(), testing::PictureFolder() / "settings-dialog.bmp");
  });
  EXPECT_TRUE(saved);
}

}  // namespace
}  // namespace velto
