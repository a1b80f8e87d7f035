// Every text the user reads fits the control that shows it: each static,
// button and check box, and every item of every drop-down list both in the
// list's selection field and in its opened list. The main window, Output
// Settings (for each output format, whose lists differ), the About box, the
// Tip of the Day, the progress window and the countdown before Sleep are
// measured at the screen's dpi of the child run that DpiScaling starts
// (dpi_test.cpp); Output Settings leaves pictures of three formats at 100 %
// and 200 %.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/owned_handles.h"
#include "base/text_encoding.h"
#include "engine/media_list.h"
#include "engine/progress_dialog.h"
#include "framework/dpi.h"
#include "res/resource_ids.h"
#include "settings/conversion_settings.h"
#include "settings/settings_dialog.h"
#include "settings/value_lists.h"
#include "base/module_directory.h"
#include "tests/support/run_program.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/window_picture.h"
#include "tests/support/window_text.h"
#include "tests/ui/dpi_child.h"
#include "ui/about_dialog.h"
#include "ui/countdown_dialog.h"
#include "ui/main_dialog.h"
#include "ui/preview_dialog.h"
#include "ui/tip_dialog.h"

namespace velto {
namespace {

// The text as drawn: "&&" shows one ampersand, a single one underlines the
// next letter and takes no room.
std::wstring Drawn(const std::wstring& text) {
  std::wstring drawn;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'&' && i + 1 < text.size()) ++i;
    drawn += text[i];
  }
  return drawn;
}

// A device context of the window with the window's own font selected.
class FontDC {
 public:
  explicit FontDC(HWND window)
      : dc_(window), font_(dc_.Get(), reinterpret_cast<HGDIOBJ>(SendMessageW(window, WM_GETFONT, 0, 0))) {}
  HDC Get() const { return dc_.Get(); }

 private:
  WindowDC dc_;
  SelectedObject font_;
};

// The face the window's font resolves to on this system.
std::wstring FaceOf(HWND window) {
  wchar_t face[LF_FACESIZE] = {};
  GetTextFaceW(FontDC(window).Get(), LF_FACESIZE, face);
  return face;
}

// Measures texts in their control's own font and collects those that do not
// fit, each named with where it stands and how much room it lacks.
class TextFit {
 public:
  explicit TextFit(UINT dpi) : dpi_(dpi) {}

  // Every visible static, button, check box and drop-down list of `dialog`.
  void CheckDialog(const std::string& where, HWND dialog) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      const LONG style = GetWindowLongW(child, GWL_STYLE);
      if (!(style & WS_VISIBLE)) continue;  // shown once the dialog is
      const std::wstring kind = testing::ClassName(child);
      if (kind == L"Static") {
        CheckStatic(where, child, style);
      } else if (kind == L"Button") {
        CheckButton(where, child, style);
      } else if (kind == L"ComboBox") {
        CheckList(where, child);
      }
    }
  }

  const std::vector<std::string>& Misfits() const { return misfits_; }

 private:
  static SIZE Extent(HWND control, const std::wstring& text) {
    SIZE size{};
    GetTextExtentPoint32W(FontDC(control).Get(), text.c_str(), static_cast<int>(text.size()), &size);
    return size;
  }

  // Half the width of a "0": the gap a check box leaves between its box and
  // its text.
  static int TextOffset(HWND control) {
    int width = 0;
    GetCharWidth32W(FontDC(control).Get(), L'0', L'0', &width);
    return width / 2;
  }

  void Fits(const std::string& where, HWND control, const std::wstring& text, SIZE needs, SIZE has) {
    if (needs.cx <= has.cx && needs.cy <= has.cy) return;
    misfits_.push_back(where + ": " + WideToUtf8(testing::ClassName(control)) + " " +
                       std::to_string(GetDlgCtrlID(control)) + " \"" + WideToUtf8(text) + "\" needs " +
                       std::to_string(needs.cx) + " x " + std::to_string(needs.cy) + " pixels, has " +
                       std::to_string(has.cx) + " x " + std::to_string(has.cy));
  }

  static SIZE ClientSize(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    return SIZE{client.right, client.bottom};
  }

  void CheckStatic(const std::string& where, HWND control, LONG style) {
    const LONG type = style & SS_TYPEMASK;
    if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT && type != SS_SIMPLE && type != SS_LEFTNOWORDWRAP) {
      return;  // pictures, frames and lines
    }
    const std::wstring text = testing::WideWindowText(control);
    if (text.empty()) return;
    Fits(where, control, text, Extent(control, (style & SS_NOPREFIX) ? text : Drawn(text)), ClientSize(control));
  }

  void CheckButton(const std::string& where, HWND control, LONG style) {
    const std::wstring text = testing::WideWindowText(control);
    if (text.empty()) return;
    SIZE needs = Extent(control, Drawn(text));
    switch (style & BS_TYPEMASK) {
      case BS_CHECKBOX:
      case BS_AUTOCHECKBOX:
      case BS_3STATE:
      case BS_AUTO3STATE:
      case BS_RADIOBUTTON:
      case BS_AUTORADIOBUTTON:
        needs.cx += ScaleForDpi(12, dpi_) + 1 + TextOffset(control);  // the box, then a gap
        break;
      case BS_OWNERDRAW:
        break;  // the image buttons draw their caption across their whole width
      default:
        needs.cx += 2 * 3;  // the frame and the default button's border on either side
        needs.cy += 2 * 3;
        break;
    }
    Fits(where, control, text, needs, ClientSize(control));
  }

  // Each item, as the selection field would show it and in the opened list.
  void CheckList(const std::string& where, HWND combo) {
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetComboBoxInfo(combo, &info));
    const SIZE field{info.rcItem.right - info.rcItem.left, info.rcItem.bottom - info.rcItem.top};
    SIZE row{};
    const bool opens = IsWindowEnabled(combo) != FALSE;
    if (opens) {
      SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
      row = ClientSize(info.hwndList);
      row.cy = static_cast<LONG>(SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0));
      SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
    }
    for (const std::string& item : testing::ComboTexts(combo)) {
      const std::wstring text = Utf8ToWide(item);
      SIZE needs = Extent(combo, text);
      needs.cx += 3;  // drawn two pixels in, clipped a pixel before the edge
      needs.cy = 0;   // the list sizes its rows to its font
      Fits(where + " (selection field)", combo, text, needs, field);
      if (opens) Fits(where + " (opened list)", combo, text, needs, row);
    }
  }

  UINT dpi_;
  std::vector<std::string> misfits_;
};

// Picks the item of a drop-down list as the user would: the dialog hears
// of the change.
void Choose(HWND dialog, int id, int index) {
  const HWND list = GetDlgItem(dialog, id);
  SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

std::string FormatName(int format) { return std::string(kOutputFormatTexts[static_cast<size_t>(format)]); }

// The formats Output Settings is pictured with, at 100 % and 200 %.
const char* PictureName(int format) {
  switch (format) {
    case kFormatAvi: return "avi";
    case kFormatDvd: return "dvd";
    case kFormatWmv: return "wmv";
    default: return nullptr;
  }
}

// The dialogs that use the template font "Arial" get it, or Liberation Sans
// where Wine stands in for it with the font of Arial's metrics.
void ExpectArialMetrics(const std::string& where, HWND dialog) {
  const std::wstring face = FaceOf(dialog);
  EXPECT_TRUE(face == L"Arial" || face == L"Liberation Sans") << where << " is drawn in " << WideToUtf8(face);
}

TEST(DpiChild, EveryTextFitsItsControl) {
  const UINT dpi = testing::ChildDpi();
  if (dpi == 0) GTEST_SKIP() << "runs only when started by DpiScaling";
  TextFit fit(dpi);

  testing::ScratchDir scratch("fit");
  g_mediaList = MediaList{};
  {
    MainDialog main(scratch.Directory());
    ASSERT_TRUE(main.Create(nullptr));
    for (int format = 0; format < kFormatCount; ++format) {
      Choose(main.Handle(), IDC_MAIN_FORMAT, format);
      fit.CheckDialog("main window, " + FormatName(format), main.Handle());
    }
  }

  const std::string percent = std::to_string(dpi * 100 / kDefaultDpi) + "-percent.bmp";
  {
    SettingsDialog settings;
    ASSERT_TRUE(settings.Create(nullptr));
    ExpectArialMetrics("Output Settings", settings.Handle());
    for (int format = 0; format < kFormatCount; ++format) {
      Choose(settings.Handle(), IDC_SETTINGS_FORMAT, format);
      fit.CheckDialog("Output Settings, " + FormatName(format), settings.Handle());
      if (const char* name = PictureName(format); name && dpi != 144) {
        EXPECT_TRUE(testing::ShowForPicture(settings.Handle(), "output-settings-" + (name + ("-" + percent))));
      }
    }
  }
  {
    AboutDialog about;
    ASSERT_TRUE(about.Create(nullptr));
    ExpectArialMetrics("About box", about.Handle());
    fit.CheckDialog("About box", about.Handle());
  }
  {
    TipDialog tip;
    ASSERT_TRUE(tip.Create(nullptr));
    ExpectArialMetrics("Tip of the Day", tip.Handle());
    fit.CheckDialog("Tip of the Day", tip.Handle());
  }
  {
    ProgressDialog progress;
    ASSERT_TRUE(progress.CreateHidden(nullptr));
    progress.SetTimeLeftText("About 100:00:00 left");
    fit.CheckDialog("progress window", progress.Handle());
    CountdownDialog countdown(WhenDone::kSleep, 60);  // the longer text
    ASSERT_TRUE(countdown.Create(nullptr));
    fit.CheckDialog("countdown", countdown.Handle());
  }
  {
    // A DVD's 16:9 frame of a 4:3 clip, made by the encoder beside the tests.
    const std::string clip = scratch.File("clip.wmv");
    if (testing::Exists(ModuleDirectory() + "veltoenc.exe") &&
        testing::Ffmpeg("-f lavfi -i testsrc=size=640x480:rate=25 -t 4 -c:v wmv2 -an -f asf", clip)) {
      g_settings = ConversionSettings{};
      g_settings.outputFormat = kFormatDvd;
      g_settings.dvdAspectRatio = 1;
      g_settings.letterbox = 1;
      PreviewDialog preview(nullptr, MediaEntry{clip, 4.0, 640, 480, 25.0}, ModuleDirectory());
      ASSERT_TRUE(preview.Create(nullptr));
      for (const DWORD end = GetTickCount() + 30000; preview.Working() && GetTickCount() < end;) testing::PumpFor(50);
      fit.CheckDialog("Preview", preview.Handle());
      EXPECT_EQ(preview.PictureWidth(), 720);
      if (dpi != 144) {
        EXPECT_TRUE(testing::ShowForPicture(preview.Handle(), "preview-" + percent));
      }
    }
  }
  for (const std::string& misfit : fit.Misfits()) ADD_FAILURE() << misfit;
}

}  // namespace
}  // namespace velto
