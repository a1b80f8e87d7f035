#pragma once
// Runs the real Output Settings dialog modally and drives it with the
// messages its controls would send: a step runs inside the modal loop (on a
// thread timer), then a click on "Ok" or "Cancel" ends the dialog.
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

namespace velto::testing {

// The dialog window as the user sees it.
class SettingsBox {
 public:
  explicit SettingsBox(HWND hwnd) : hwnd_(hwnd) {}

  HWND Handle() const { return hwnd_; }
  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }

  std::vector<std::string> Items(int id) const {
    std::vector<std::string> texts;
    const int count = static_cast<int>(SendMessageW(Item(id), CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) texts.push_back(ItemText(id, i));
    return texts;
  }
  int Selection(int id) const { return static_cast<int>(SendMessageW(Item(id), CB_GETCURSEL, 0, 0)); }
  // The selected item's text; "" when nothing is selected.
  std::string Shown(int id) const {
    const int index = Selection(id);
    return index < 0 ? std::string() : ItemText(id, index);
  }
  bool Enabled(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }
  std::string Text(int id) const {
    wchar_t text[256] = {};
    GetWindowTextW(Item(id), text, 256);
    return WideToUtf8(text);
  }

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
  std::string ItemText(int id, int index) const {
    const LRESULT length = SendMessageW(Item(id), CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(Item(id), CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    return WideToUtf8(text);
  }

  HWND hwnd_;
};

// What the timer does inside the modal loop.
struct DialogScript {
  SettingsDialog* dialog = nullptr;
  const std::function<void(SettingsBox&)>* step = nullptr;
  int closeWith = IDCANCEL;
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
    current_ = {&dialog, &step, closeWith};
    const UINT_PTR timer = SetTimer(nullptr, 0, 10, &SettingsDialogTest::OnTimer);
    const INT_PTR result = dialog.DoModal();
    KillTimer(nullptr, timer);
    return result;
  }

 private:
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (!current_.dialog || !current_.dialog->IsWindow()) return;
    SettingsBox box(current_.dialog->Handle());
    (*current_.step)(box);
    box.Click(current_.closeWith);
    current_ = {};
  }

  ConversionSettings saved_{};
  static inline DialogScript current_{};
};

}  // namespace velto::testing
