// The Output Settings template as built: title, controls, their kinds and
// places, the format list's items; and a picture of the dialog for review.
#include <windows.h>

#include <commctrl.h>
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
using OutputSettingsLayout = testing::SettingsDialogTest;

struct Placed {
  int id;
  const wchar_t* windowClass;
  int x, y, width, height;  // dialog units; a list's height is its drop-down's
};

constexpr Placed kControls[] = {
    {IDC_SETTINGS_FORMAT, L"ComboBox", 65, 8, 198, 97},
    {IDC_SETTINGS_QUALITY, L"ComboBox", 65, 26, 198, 80},
    {IDC_SETTINGS_VIDEO_CODEC, L"ComboBox", 65, 44, 65, 41},
    {IDC_SETTINGS_AUDIO_CODEC, L"ComboBox", 198, 44, 65, 41},
    {IDC_SETTINGS_RESOLUTION, L"ComboBox", 65, 62, 65, 209},
    {IDC_SETTINGS_FRAME_RATE, L"ComboBox", 198, 62, 65, 99},
    {IDC_SETTINGS_TV_MODE, L"ComboBox", 65, 80, 65, 30},
    {IDC_SETTINGS_ASPECT, L"ComboBox", 198, 80, 65, 79},
    {IDC_SETTINGS_VOLUME, TRACKBAR_CLASSW, 62, 101, 70, 9},
    {IDC_SETTINGS_VOLUME_LABEL, L"Static", 149, 100, 38, 8},
    {IDC_SETTINGS_LETTERBOX, L"Button", 64, 113, 121, 10},
    {IDC_SETTINGS_FIT_TO_DISC, L"Button", 64, 127, 121, 10},
    {IDC_SETTINGS_DISC_SIZE, L"ComboBox", 65, 141, 120, 50},
    {IDOK, L"Button", 173, 165, 35, 12},
    {IDCANCEL, L"Button", 220, 165, 35, 12},
};

// The label of each list and the column it stands in.
struct Label {
  const char* text;
  int x;
  int besideId;
};

constexpr Label kLabels[] = {
    {"Output &format", 12, IDC_SETTINGS_FORMAT},   {"Output &quality", 12, IDC_SETTINGS_QUALITY},
    {"&Video codec", 12, IDC_SETTINGS_VIDEO_CODEC}, {"A&udio codec", 149, IDC_SETTINGS_AUDIO_CODEC},
    {"&Resolution", 12, IDC_SETTINGS_RESOLUTION},   {"Fra&me rate", 149, IDC_SETTINGS_FRAME_RATE},
    {"&TV mode", 12, IDC_SETTINGS_TV_MODE},         {"&Aspect ratio", 149, IDC_SETTINGS_ASPECT},
    {"V&olume", 12, IDC_SETTINGS_VOLUME},           {"Disc si&ze", 12, IDC_SETTINGS_DISC_SIZE},
};

RECT InDialog(HWND dialog, HWND control) {
  RECT rect{};
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

RECT Pixels(HWND dialog, int x, int y, int width, int height) {
  RECT rect{x, y, x + width, y + height};
  MapDialogRect(dialog, &rect);
  return rect;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

std::string TextOf(HWND window) { return testing::WindowText(window); }

HWND ChildWithText(HWND dialog, const std::string& text) {
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (TextOf(child) == text) return child;
  }
  return nullptr;
}

TEST_F(OutputSettingsLayout, EveryControlStandsWhereTheTemplatePutsIt) {
  Run([](SettingsBox& box) {
    const HWND dialog = box.Handle();
    EXPECT_EQ(TextOf(dialog), "Output Settings");
    RECT client{};
    GetClientRect(dialog, &client);
    const RECT dialogSize = Pixels(dialog, 0, 0, 279, 181);
    EXPECT_EQ(client.right, dialogSize.right);
    EXPECT_EQ(client.bottom, dialogSize.bottom);

    for (const Placed& c : kControls) {
      SCOPED_TRACE("control " + std::to_string(c.id));
      const HWND control = box.Item(c.id);
      ASSERT_NE(control, nullptr);
      EXPECT_EQ(ClassOf(control), c.windowClass);
      // The dialog manager scales position and size each on its own.
      const RECT place = Pixels(dialog, c.x, c.y, 0, 0);
      const RECT size = Pixels(dialog, 0, 0, c.width, c.height);
      const RECT got = InDialog(dialog, control);
      EXPECT_EQ(got.left, place.left);
      EXPECT_EQ(got.top, place.top);
      EXPECT_EQ(got.right - got.left, size.right);
      if (c.windowClass != std::wstring(L"ComboBox")) {
        EXPECT_EQ(got.bottom - got.top, size.bottom);
      }
    }

    const LONG_PTR sliderStyle = GetWindowLongPtrW(box.Item(IDC_SETTINGS_VOLUME), GWL_STYLE);
    EXPECT_EQ(sliderStyle & TBS_VERT, 0);
    EXPECT_NE(sliderStyle & TBS_NOTICKS, 0);
    EXPECT_EQ(GetWindowLongPtrW(box.Item(IDC_SETTINGS_LETTERBOX), GWL_STYLE) & BS_TYPEMASK, BS_AUTOCHECKBOX);
    EXPECT_EQ(box.Text(IDC_SETTINGS_LETTERBOX), "Add &letter box to keep aspect ratio");
    EXPECT_EQ(GetWindowLongPtrW(box.Item(IDC_SETTINGS_FIT_TO_DISC), GWL_STYLE) & BS_TYPEMASK, BS_AUTOCHECKBOX);
    EXPECT_EQ(box.Text(IDC_SETTINGS_FIT_TO_DISC), "Fit the list on one &disc");
    EXPECT_EQ(box.Text(IDOK), "Ok");
    EXPECT_EQ(box.Text(IDCANCEL), "Cancel");
    EXPECT_EQ(GetWindowLongPtrW(box.Item(IDC_SETTINGS_FORMAT), GWL_STYLE) & 3, CBS_DROPDOWNLIST);

    // The etched line across the dialog above the buttons.
    int etchedLines = 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      if (ClassOf(child) != L"Static" || (GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) != SS_ETCHEDHORZ) continue;
      ++etchedLines;
      const RECT line = InDialog(dialog, child);
      EXPECT_EQ(line.top, Pixels(dialog, 0, 159, 0, 0).top);
      EXPECT_GT(line.right - line.left, client.right * 9 / 10);
    }
    EXPECT_EQ(etchedLines, 1);

    for (const Label& label : kLabels) {
      SCOPED_TRACE(label.text);
      const HWND item = ChildWithText(dialog, label.text);
      ASSERT_NE(item, nullptr);
      const RECT got = InDialog(dialog, item);
      const RECT beside = InDialog(dialog, box.Item(label.besideId));
      EXPECT_EQ(got.left, Pixels(dialog, label.x, 0, 0, 0).left);
      EXPECT_LE(got.right, beside.left);
      EXPECT_GE(got.top, beside.top - 2);
      EXPECT_LE(got.bottom, beside.bottom + 2);
    }
  });
}

// Alt and a label's underlined letter reach the list beside it, as the
// dialog manager finds it: the next control in tab order after the label.
TEST_F(OutputSettingsLayout, MnemonicsReachTheirControls) {
  Run([](SettingsBox& box) {
    const HWND dialog = box.Handle();
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

TEST_F(OutputSettingsLayout, TheFormatListHoldsTheTenFormatsFromTheTemplate) {
  Run([](SettingsBox& box) {
    const std::vector<std::string> expected(kOutputFormatTexts.begin(), kOutputFormatTexts.end());
    EXPECT_EQ(box.Items(IDC_SETTINGS_FORMAT), expected);
  });
  // Every run adds them once, never twice.
  Run([](SettingsBox& box) { EXPECT_EQ(box.Items(IDC_SETTINGS_FORMAT).size(), 10u); });
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
