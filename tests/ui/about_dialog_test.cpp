// The About box: its title from the version text, its two links, and a
// picture of it for the record.
#include "ui/about_dialog.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "base/module_directory.h"
#include "base/text_encoding.h"
#include "res/resource_ids.h"
#include "settings/settings_store.h"
#include "tests/support/pump.h"
#include "tests/support/when_ready.h"
#include "tests/support/window_picture.h"
#include "tests/ui/link_test_support.h"

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
  void Run(AboutDialog& dialog, const std::function<void(HWND)>& step) {
    result = testing::RunModal(dialog, [&](HWND box) {
      step(box);
      SendMessageW(box, WM_COMMAND, IDOK, 0);
    });
  }

  std::string savedVersion;
  INT_PTR result = 0;
};

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
    testing::PumpFor(300);
    file = testing::PictureFolder() / "about-dialog.bmp";
    saved = testing::SaveWindowPicture(box, file);
  });
  EXPECT_TRUE(saved);
  EXPECT_GT(std::filesystem::file_size(file), 10000u);
}

}  // namespace
}  // namespace velto
