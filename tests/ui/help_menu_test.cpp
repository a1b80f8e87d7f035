// The Help button's menu: where it opens, what it holds, and the About box,
// home page, help file and Tip of the Day behind it.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/text_encoding.h"
#include "framework/application.h"
#include "res/resource_ids.h"
#include "tests/support/main_window_test.h"
#include "tests/support/when_ready.h"
#include "tests/support/window_text.h"
#include "tests/ui/link_test_support.h"
#include "ui/about_dialog.h"
#include "ui/help.h"
#include "ui/link_controls.h"

namespace velto {
namespace {

using testing::Pump;
using testing::WhenReady;
using testing::WindowText;

class HelpMenu : public testing::MainWindowTest {
 protected:
  HelpMenu() : MainWindowTest("help menu", "sources") {}
  void SetUp() override {
    app.SetProfileName(Utf8ToWide(scratch.Directory() + "profile.ini"));
    MainWindowTest::SetUp();
  }

  Application app;
};

TEST_F(HelpMenu, OpensAtTheMouseCursorWithItsFiveItems) {
  SetCursorPos(300, 200);
  RECT shownAt{};
  int items = 0;
  WhenReady look([] { return FindWindowW(L"#32768", nullptr) != nullptr; },
                 [&] {
                   const HWND popup = FindWindowW(L"#32768", nullptr);
                   GetWindowRect(popup, &shownAt);
                   items = GetMenuItemCount(reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0)));
                   EndMenu();
                 });
  // A keyboard press of the button sends the same command as a click.
  Command(IDC_MAIN_HELP);
  Pump();
  ASSERT_TRUE(look.done());
  EXPECT_EQ(items, 5);
  POINT cursor{};
  GetCursorPos(&cursor);
  EXPECT_EQ(shownAt.left, cursor.x);
  EXPECT_EQ(shownAt.top, cursor.y);
}

TEST_F(HelpMenu, MenuResourceHoldsContentAboutHomePageAndTips) {
  HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_HELP_MENU));
  ASSERT_NE(menu, nullptr);
  HMENU popup = GetSubMenu(menu, 0);
  const std::vector<UINT> ids = {IDM_HELP_CONTENT, 0, IDM_HELP_ABOUT, IDM_HELP_HOME_PAGE, IDM_HELP_TIPS};
  const std::vector<std::string> texts = {"Content", "", "About", "Home page", "Tip of the Day..."};
  ASSERT_EQ(GetMenuItemCount(popup), 5);
  for (int i = 0; i < 5; ++i) {
    wchar_t text[64] = {};
    GetMenuStringW(popup, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
    EXPECT_EQ(WideToUtf8(text), texts[static_cast<size_t>(i)]);
    if (ids[static_cast<size_t>(i)] != 0) {
      EXPECT_EQ(GetMenuItemID(popup, i), ids[static_cast<size_t>(i)]);
    }
  }
  DestroyMenu(menu);
}

TEST_F(HelpMenu, AboutFromTheMenuAndFromTheSystemMenu) {
  for (bool fromSystemMenu : {false, true}) {
    std::string title;
    WhenReady close([] { return FindWindowW(L"#32770", L"About Velto ASF Converter") != nullptr; },
                    [&] {
                      const HWND about = FindWindowW(L"#32770", L"About Velto ASF Converter");
                      title = WindowText(GetDlgItem(about, IDC_ABOUT_TITLE));
                      PostMessageW(about, WM_COMMAND, IDOK, 0);
                    });
    if (fromSystemMenu) {
      SendMessageW(hwnd, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    } else {
      Command(IDM_HELP_ABOUT);
    }
    ASSERT_TRUE(close.done()) << fromSystemMenu;
    EXPECT_EQ(title.rfind("Velto ASF Converter ", 0), 0u) << title;
  }
}

TEST_F(HelpMenu, HomePageOpensTheProductAddress) {
  testing::FakeUrlOpening fake;
  Command(IDM_HELP_HOME_PAGE);
  ASSERT_EQ(fake.opened.size(), 1u);
  EXPECT_EQ(WideToUtf8(fake.opened[0]), std::string(HomePageAddress()));
  EXPECT_EQ(fake.shows[0], SW_SHOW);
}

TEST_F(HelpMenu, ContentOpensTheHelpFileAtItsOverview) {
  std::string asked;
  HtmlHelpLoader::SystemCalls calls;
  calls.readRegisteredLibrary = [](std::wstring& path) {
    path = L"stand-in.ocx";
    return true;
  };
  calls.loadLibrary = [](const std::wstring&) { return GetModuleHandleW(nullptr); };
  static std::string* record = nullptr;
  record = &asked;
  calls.findExport = [](HMODULE, WORD) {
    HtmlHelpFunction help = [](HWND, LPCSTR file, UINT, DWORD_PTR) -> HWND {
      *record = file;
      return nullptr;
    };
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(help));
  };
  HtmlHelpLoader::UseSystemCalls(calls);
  Command(IDM_HELP_CONTENT);
  HtmlHelpLoader::UseSystemCalls(HtmlHelpLoader::RealSystemCalls());
  EXPECT_NE(asked.find("help.chm::/overview/overview.htm"), std::string::npos) << asked;
}

TEST_F(HelpMenu, TipOfTheDayShowsAndAdvancesEvenWithStartUpTipsOff) {
  app.WriteProfileInt("Tip", "StartUp", 1);
  std::vector<int> positions;
  for (int i = 0; i < 2; ++i) {
    WhenReady close([] { return FindWindowW(L"#32770", L"Tip of the Day") != nullptr; },
                    [] { PostMessageW(FindWindowW(L"#32770", L"Tip of the Day"), WM_COMMAND, IDCANCEL, 0); });
    Command(IDM_HELP_TIPS);
    ASSERT_TRUE(close.done());
    positions.push_back(app.GetProfileInt("Tip", "FilePos", -1));
  }
  EXPECT_GT(positions[0], 0);
  EXPECT_GT(positions[1], positions[0]);
  EXPECT_EQ(app.GetProfileInt("Tip", "StartUp", -1), 1);
}

}  // namespace
}  // namespace velto
