// The About box: its title from the version text, its two links, and a
// picture of it for the record.
#include "ui/about_dialog.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "base/module_directory.h"
#include "base/text_encoding.h"
#include "res/resource_ids.h"
#include "settings/settings_store.h"
#include "tests/links/link_test_support.h"

namespace velto {
namespace {

using testing::AskColours;
using testing::FakeUrlOpening;

class AboutBox : public ::testing::Test {
 protected:
  void SetUp() override { savedVersion = g_versionText; }
  void TearDown() override { g_versionText = savedVersion; }

  // Runs the dialog modally; `step` runs inside it once it is shown, then OK
  // closes it.
  void Run(AboutDialog& dialog, std::function<void(HWND)> step) {
    current = std::move(step);
    SetTimer(nullptr, 0, 50, &TimerProc);
    result = dialog.DoModal();
  }
  static void CALLBACK TimerProc(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    const HWND box = FindWindowW(nullptr, L"About Velto ASF Converter");
    if (!box) return;
    current(box);
    SendMessageW(box, WM_COMMAND, IDOK, 0);
  }

  std::string savedVersion;
  INT_PTR result = 0;
  static inline std::function<void(HWND)> current;
};

// Lets the dialog paint and its timers run.
void Pump(int milliseconds) {
  const DWORD end = GetTickCount() + static_cast<DWORD>(milliseconds);
  while (static_cast<LONG>(end - GetTickCount()) > 0) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(10);
  }
}

// The window as a 24-bit bottom-up BMP file. Copied from the screen: Wine's
// PrintWindow leaves the child controls out.
bool SaveWindowPicture(HWND window, const std::filesystem::path& file) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  RECT rect{};
  GetWindowRect(window, &rect);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HGDIOBJ old = SelectObject(memory, bitmap);
  const bool printed =
      bitmap && BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY) != FALSE;
  GdiFlush();
  const DWORD stride = ((static_cast<DWORD>(width) * 3 + 3) / 4) * 4;
  const DWORD imageSize = stride * static_cast<DWORD>(height);
  BITMAPFILEHEADER header{};
  header.bfType = 0x4D42;
  header.bfOffBits = sizeof(header) + sizeof(info.bmiHeader);
  header.bfSize = header.bfOffBits + imageSize;
  std::ofstream out(file, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&header), sizeof header);
  out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
  if (bits) out.write(static_cast<const char*>(bits), imageSize);
  const bool ok = printed && bits && out.good();
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return ok;
}

TEST_F(AboutBox, TitleShowsTheVersionTextAsItIs) {
  g_versionText = "2.5 beta %s";
  AboutDialog dialog;
  std::string title, caption;
  Run(dialog, [&](HWND box) {
    title = dialog.m_title.GetText();
    caption = Window::FromHandle(box) ? Window::FromHandle(box)->GetText() : "";
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(title, "Velto ASF Converter 2.5 beta %s");
  EXPECT_EQ(caption, "About Velto ASF Converter");
}

TEST_F(AboutBox, TheDefaultVersionGivesTheProductNameAndOnePointZeroZero) {
  g_versionText = std::string(kDefaultVersionText);
  AboutDialog dialog;
  std::string title;
  Run(dialog, [&](HWND) { title = dialog.m_title.GetText(); });
  EXPECT_EQ(title, "Velto ASF Converter 1.00");
}

// The build writes the engine's version into version.ini beside the tests.
TEST_F(AboutBox, NamesTheCodecEngineOfVersionIni) {
  const std::string engine = ReadEngineText(ModuleDirectory());
  ASSERT_EQ(engine.rfind("FFmpeg ", 0), 0u) << "version.ini beside the tests names no engine: " << engine;
  AboutDialog dialog;
  std::string shown;
  Run(dialog, [&](HWND) { shown = dialog.m_engine.GetText(); });
  EXPECT_EQ(shown, "Codec engine: " + engine);
}

TEST_F(AboutBox, TheLinksCarryTheProductsAddresses) {
  FakeUrlOpening fake;
  AboutDialog dialog;
  Run(dialog, [&](HWND box) {
    UrlLinkControl& home = dialog.m_homePageLink;
    UrlLinkControl& support = dialog.m_supportLink;
    EXPECT_EQ(home.Handle(), GetDlgItem(box, IDC_ABOUT_HOME_PAGE));
    EXPECT_EQ(support.Handle(), GetDlgItem(box, IDC_ABOUT_SUPPORT));
    EXPECT_EQ(home.GetText(), "Home page");
    EXPECT_EQ(support.GetText(), "Technical support");
    EXPECT_EQ(home.GetUrl(), HomePageAddress());
    EXPECT_EQ(support.GetUrl(), SupportAddress());
    EXPECT_EQ(home.Tip().GetText(home.Handle(), UrlLinkControl::kToolId), HomePageAddress());
    EXPECT_EQ(support.Tip().GetText(support.Handle(), UrlLinkControl::kToolId), SupportAddress());
    for (UrlLinkControl* link : {&home, &support}) {
      EXPECT_EQ(link->GetUnderline(), 1);
      EXPECT_EQ(reinterpret_cast<HFONT>(link->Send(WM_GETFONT)), link->UnderlinedFont());
    }
    // The title label draws in its own bold font.
    EXPECT_EQ(AskColours(dialog.m_title.Handle()).font, dialog.m_title.Font());

    SendMessageW(box, WM_COMMAND, MAKEWPARAM(IDC_ABOUT_HOME_PAGE, STN_CLICKED),
                 reinterpret_cast<LPARAM>(home.Handle()));
    EXPECT_TRUE(home.GetVisited());
    EXPECT_FALSE(support.GetVisited());
    EXPECT_EQ(AskColours(home.Handle()).text, UrlLinkControl::kVisitedColour);
    EXPECT_EQ(AskColours(support.Handle()).text, UrlLinkControl::kLinkColour);
  });
  ASSERT_EQ(fake.opened.size(), 1u);
  EXPECT_EQ(fake.opened[0], Utf8ToWide(HomePageAddress()));
}

TEST_F(AboutBox, SavesAPicture) {
  g_versionText = "1.00";
  AboutDialog dialog;
  bool saved = false;
  std::filesystem::path file;
  Run(dialog, [&](HWND box) {
    SetWindowPos(box, HWND_TOPMOST, 40, 40, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    Pump(300);
    // Tests run in the folder of the built executables.
    const std::filesystem::path folder = std::filesystem::path(Utf8ToWide(ModuleDirectory())) / ".." / "screenshots";
    std::filesystem::create_directories(folder);
    file = folder / "about-dialog.bmp";
    saved = SaveWindowPicture(box, file);
  });
  EXPECT_TRUE(saved);
  EXPECT_GT(std::filesystem::file_size(file), 10000u);
}

}  // namespace
}  // namespace velto
