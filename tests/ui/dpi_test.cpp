// The main window and the Tip of the Day at 100 %, 150 % and 200 % scaling. The screen's dpi is
// set in the registry for one run of this program at a time, which opens
// the window, checks its layout and leaves a picture of it in the
// screenshots folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "base/text_encoding.h"
#include "controls/image_button.h"
#include "engine/media_list.h"
#include "framework/controls.h"
#include "framework/dpi.h"
#include "res/resource_ids.h"
#include "settings/conversion_settings.h"
#include "tests/support/run_program.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/window_picture.h"
#include "tests/support/window_text.h"
#include "tests/ui/dpi_child.h"
#include "ui/main_dialog.h"
#include "ui/tip_dialog.h"

namespace velto {
namespace {

using testing::kDpiVariable;
constexpr wchar_t kDesktopKey[] = L"Control Panel\\Desktop";

RECT InClient(HWND dialog, HWND control) {
  RECT rect{};
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// The size `text` takes in `window`'s font, on one line.
SIZE TextExtent(HWND window, const std::wstring& text) {
  HDC dc = GetDC(window);
  const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)));
  RECT rect{0, 0, 0, 0};
  DrawTextW(dc, text.c_str(), -1, &rect, DT_CALCRECT | DT_SINGLELINE);
  SelectObject(dc, old);
  ReleaseDC(window, dc);
  return SIZE{rect.right, rect.bottom};
}

// ---------------------------------------------------------------- the child run

// Runs only in the child started below, with the dpi it is to see.
TEST(DpiChild, MainWindowLaysOutAtTheScreensDpi) {
  const UINT dpi = testing::ChildDpi();
  if (dpi == 0) GTEST_SKIP() << "runs only when started by DpiScaling";

  testing::ScratchDir scratch("dpi");
  testing::WriteBytes(scratch.File("option.ini"), "[Destinate]\r\nOutput format=7\r\nTV mode=1\r\n");
  g_mediaList = MediaList{};
  auto dialog = std::make_unique<MainDialog>(scratch.Directory());
  ASSERT_TRUE(dialog->Create(nullptr));
  const HWND hwnd = dialog->Handle();
  EXPECT_EQ(WindowDpi(hwnd), dpi);

  struct Icon {
    int id;
    int size;
  };
  for (const Icon& icon : {Icon{IDC_MAIN_CONVERT, 48}, Icon{IDC_MAIN_HELP, 32}, Icon{IDC_MAIN_REMOVE, 16}}) {
    auto* button = dynamic_cast<ImageButton*>(Window::FromHandle(GetDlgItem(hwnd, icon.id)));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->GetIconSize(0).cx, ScaleForDpi(icon.size, dpi)) << icon.id;
    // The big buttons hold their icon and caption one above the other.
    const RECT area = InClient(hwnd, button->Handle());
    const SIZE caption = TextExtent(button->Handle(), Utf8ToWide(button->GetText()));
    if (icon.size == 48) {
      EXPECT_LE(button->GetIconSize(0).cy + caption.cy, area.bottom - area.top) << icon.id;
    }
  }
  ListView list;
  list.Attach(GetDlgItem(hwnd, IDC_MAIN_FILE_LIST));
  EXPECT_EQ(list.GetColumnWidth(1), ScaleForDpi(360, dpi));
  list.Detach();

  // Every control inside the window; labels wide enough for their text;
  // no two controls one can use on top of each other.
  RECT client{};
  GetClientRect(hwnd, &client);
  std::vector<RECT> usable;
  for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    const RECT rect = InClient(hwnd, child);
    SCOPED_TRACE(testing::WindowText(child) + " " + std::to_string(GetDlgCtrlID(child)));
    EXPECT_GE(rect.left, 0);
    EXPECT_GE(rect.top, 0);
    EXPECT_LE(rect.right, client.right);
    if (testing::ClassName(child) != L"ComboBox") {
      EXPECT_LE(rect.bottom, client.bottom);
    }
    const LONG style = GetWindowLongW(child, GWL_STYLE);
    if (testing::ClassName(child) == L"Static" && !testing::WindowText(child).empty()) {
      const SIZE text = TextExtent(child, testing::WideWindowText(child));
      EXPECT_LE(text.cx, rect.right - rect.left);
    }
    if (!(style & WS_TABSTOP)) continue;
    for (const RECT& other : usable) {
      RECT overlap{};
      EXPECT_FALSE(IntersectRect(&overlap, &rect, &other));
    }
    usable.push_back(rect);
  }

  const std::string percent = std::to_string(dpi * 100 / kDefaultDpi) + "-percent.bmp";
  EXPECT_TRUE(testing::ShowForPicture(hwnd, "main-window-" + percent));
  dialog.reset();

  // The Tip of the Day draws its picture and heading itself.
  TipDialog tip;
  ASSERT_TRUE(tip.Create(nullptr));
  EXPECT_TRUE(testing::ShowForPicture(tip.Handle(), "tip-of-the-day-" + percent));
}

// ---------------------------------------------------------------- the parent

// Sets the screen's dpi for processes started from now on; restores the
// earlier setting when it goes.
class ScreenDpi {
 public:
  explicit ScreenDpi(DWORD dpi) {
    DWORD size = sizeof previous_;
    hadPrevious_ = RegGetValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", RRF_RT_REG_DWORD, nullptr,
                                &previous_, &size) == ERROR_SUCCESS;
    Set(dpi);
  }
  ~ScreenDpi() {
    if (hadPrevious_) {
      Set(previous_);
    } else {
      RegDeleteKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels");
    }
  }
  ScreenDpi(const ScreenDpi&) = delete;
  ScreenDpi& operator=(const ScreenDpi&) = delete;

 private:
  static void Set(DWORD dpi) {
    RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", REG_DWORD, &dpi, sizeof dpi);
  }
  DWORD previous_ = 0;
  bool hadPrevious_ = false;
};

// This program again, running only the child test; its exit code.
DWORD RunChild(UINT dpi) {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring command = L"\"" + std::wstring(self) + L"\" --gtest_filter=DpiChild.*";
  SetEnvironmentVariableW(Utf8ToWide(kDpiVariable).c_str(), std::to_wstring(dpi).c_str());
  // The child's report goes where this program's does.
  STARTUPINFOW startup = testing::StartupSharingOurStreams();
  PROCESS_INFORMATION process{};
  const BOOL started =
      CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
  SetEnvironmentVariableW(Utf8ToWide(kDpiVariable).c_str(), nullptr);
  if (!started) return 1000;
  DWORD code = 1001;
  if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process.hProcess, &code);
  } else {
    TerminateProcess(process.hProcess, 1001);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return code;
}

TEST(DpiScaling, MainWindowAt100And150And200Percent) {
  if (testing::ChildDpi() != 0) GTEST_SKIP() << "the child run";
  for (const UINT dpi : {96u, 144u, 192u}) {
    SCOPED_TRACE(dpi);
    ScreenDpi screen(dpi);
    EXPECT_EQ(RunChild(dpi), 0u);
  }
}

}  // namespace
}  // namespace velto
