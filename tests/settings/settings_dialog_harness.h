#pragma once
// Runs the real Output Settings dialog modally and drives it with the
// messages its controls would send: a step runs inside the modal loop, then
// a click on "Ok" or "Cancel" ends the dialog.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "base/text_encoding.h"
#include "res/resource_ids.h"
#include "settings/conversion_settings.h"
#include "settings/settings_dialog.h"
#include "settings/settings_store.h"
#include "tests/support/when_ready.h"
#include "tests/support/window_text.h"

namespace velto::testing {

// The dialog window as the user sees it.
class SettingsBox {
 public:
  explicit SettingsBox(HWND hwnd) : hwnd_(hwnd) {}

  HWND Handle() const { return hwnd_; }
  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }

  std::vector<std::string> Items(int id) const { return ComboTexts(Item(id)); }
  int Selection(int id) const { return static_cast<int>(SendMessageW(Item(id), CB_GETCURSEL, 0, 0)); }
  // The selected item's text; "" when nothing is selected.
  std::string Shown(int id) const {
    const int index = Selection(id);
    return index < 0 ? std::string() : Items(id)[static_cast<size_t>(index)];
  }
  bool Enabled(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }
  std::string Text(int id) const { return WindowText(Item(id)); }

  // Picks the item with this text as the user would: the list changes its
  // selection and tells the dialog.
  void Choose(int id, const std::string& text) const {
    const HWND list = Item(id);
    const std::wstring wide = Utf8ToWide(text);
    const LRESULT index = SendMessageW(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(wide.c_str()));
    ASSERT_NE(index, CB_ERR) << "no item \"" << text << "\" in list " << id;
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(hwnd_, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
  }
  void Click(int id) const { SendMessageW(Item(id), BM_CLICK, 0, 0); }
  bool Checked(int id) const { return IsDlgButtonChecked(hwnd_, id) == BST_CHECKED; }
  // A key press on the focused trackbar; it moves the thumb and reports to
  // the dialog with WM_HSCROLL.
  void PressKey(int id, WPARAM key) const {
    SendMessageW(Item(id), WM_KEYDOWN, key, 1);
    SendMessageW(Item(id), WM_KEYUP, key, 0xC0000001);
  }
  int SliderPos() const { return static_cast<int>(SendMessageW(Item(IDC_SETTINGS_VOLUME), TBM_GETPOS, 0, 0)); }

 private:
  HWND hwnd_;
};

// Keeps g_settings as it was around each test; tests start from the defaults.
class SettingsDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = g_settings;
    g_settings = DefaultConversionSettings();
  }
  void TearDown() override { g_settings = saved_; }

  // Runs the dialog; `step` runs inside its modal loop, then the button
  // `closeWith` (IDOK or IDCANCEL) is clicked. Returns DoModal's result.
  INT_PTR Run(const std::function<void(SettingsBox&)>& step, int closeWith = IDCANCEL) {
    SettingsDialog dialog;
    return RunModal(dialog, [&](HWND hwnd) {
      SettingsBox box(hwnd);
      step(box);
      box.Click(closeWith);
    });
  }

 private:
  ConversionSettings saved_{};
};

}  // namespace velto::testing
