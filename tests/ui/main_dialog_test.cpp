// The main window driven through its messages: what it shows after opening,
// the quick settings, the system menu, the image buttons, the encoder's
// report message, and the settings saved when it goes.
#include "ui/main_dialog.h"

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/encoder_interface.h"
#include "base/text_encoding.h"
#include "controls/image_button.h"
#include "engine/media_list.h"
#include "engine/progress_dialog.h"
#include "framework/controls.h"
#include "res/resource_ids.h"
#include "settings/conversion_settings.h"
#include "settings/settings_store.h"
#include "settings/value_lists.h"
#include "tests/support/message_box_answerer.h"
#include "tests/support/pump.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/when_ready.h"
#include "tests/support/window_text.h"

namespace velto {
namespace {

using testing::ComboTexts;
using testing::Pump;
using testing::ReadBytes;
using testing::ScratchDir;
using testing::WindowText;
using testing::WriteBytes;

template <std::size_t N>
std::vector<std::string> Texts(const std::array<std::string_view, N>& list) {
  return std::vector<std::string>(list.begin(), list.end());
}

int IconWidth(HICON icon) {
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return 0;
  BITMAP bitmap{};
  GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  return bitmap.bmWidth;
}

int Selection(HWND combo) { return static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0)); }

// The text of the first tool of a tooltip window; "<no tool>" when it has none.
std::string TooltipText(HWND tooltip) {
  if (!tooltip) return "<no tooltip>";
  wchar_t buffer[256] = {};
  TTTOOLINFOW info{};
  info.cbSize = sizeof info;
  info.lpszText = buffer;
  if (!SendMessageW(tooltip, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&info))) return "<no tool>";
  buffer[0] = L'\0';
  info.lpszText = buffer;
  SendMessageW(tooltip, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&info));
  return WideToUtf8(buffer);
}

// Settings lines for option.ini; anything left out takes its default.
std::string OptionFile(const std::vector<std::string>& lines) {
  std::string text = "[Destinate]\r\n";
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

class MainWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    g_mediaList = MediaList{};
    g_engineState = EngineState{};
    g_settings = ConversionSettings{};
  }
  void TearDown() override { dialog.reset(); }

  // Opens the window modeless with option.ini holding `lines` (none: no file).
  void Open(const std::vector<std::string>& lines = {}, bool writeFile = true) {
    if (writeFile) WriteBytes(scratch.File("option.ini"), OptionFile(lines));
    dialog = std::make_unique<MainDialog>(scratch.Directory());
    ASSERT_TRUE(dialog->Create(nullptr));
    hwnd = dialog->Handle();
    Pump();
  }
  HWND Item(int id) const { return GetDlgItem(hwnd, id); }
  ImageButton* Button(int id) const { return dynamic_cast<ImageButton*>(Window::FromHandle(Item(id))); }

  // A choice in a drop-down list as the user makes it: new selection, then
  // the notification to the dialog.
  void Pick(int id, int index) {
    SendMessageW(Item(id), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(Item(id)));
  }

  ScratchDir scratch{"main window"};
  std::unique_ptr<MainDialog> dialog;
  HWND hwnd = nullptr;
};

TEST_F(MainWindow, OpensWithEmptyListThreeColumnsAndTheDefaultFolder) {
  Open({}, false);
  ListView list;
  list.Attach(Item(IDC_MAIN_FILE_LIST));
  EXPECT_EQ(list.GetItemCount(), 0);
  EXPECT_TRUE(list.GetExtendedStyle() & LVS_EX_FULLROWSELECT);
  ASSERT_EQ(list.GetColumnCount(), 3);
  EXPECT_EQ(list.GetColumnText(0), " Number");
  EXPECT_EQ(list.GetColumnText(1), "  File path");
  EXPECT_EQ(list.GetColumnText(2), "   Duration");
  EXPECT_EQ(list.GetColumnWidth(0), 90);
  EXPECT_EQ(list.GetColumnWidth(1), 360);
  EXPECT_EQ(list.GetColumnWidth(2), 122);
  EXPECT_EQ(list.GetColumnFormat(0) & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT);
  EXPECT_EQ(list.GetColumnFormat(1) & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT);
  EXPECT_EQ(list.GetColumnFormat(2) & LVCFMT_JUSTIFYMASK, LVCFMT_CENTER);
  list.Detach();

  EXPECT_EQ(WindowText(hwnd), "Velto ASF Converter");
  EXPECT_EQ(WindowText(Item(IDC_MAIN_OUTPUT_FOLDER)), "C:\\output video\\");
  EXPECT_EQ(g_mediaList.totalDuration, 0.0);
  // The template's own aspect items are gone before the window is seen.
  EXPECT_EQ(ComboTexts(Item(IDC_MAIN_ASPECT)), Texts(kDvdAspectTexts));
}

TEST_F(MainWindow, ShowsTheFolderFromTheSettings) {
  g_mediaList.totalDuration = 77.0;
  Open({"Temporary folder=D:\\Vidéos & 100%!\\"});
  EXPECT_EQ(WindowText(Item(IDC_MAIN_OUTPUT_FOLDER)), "D:\\Vidéos & 100%!\\");
  EXPECT_EQ(dialog->OutputFolder(), "D:\\Vidéos & 100%!\\");
  EXPECT_EQ(g_mediaList.totalDuration, 0.0);
}

TEST_F(MainWindow, WindowStyleAndIcons) {
  Open();
  const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
  EXPECT_TRUE(style & WS_CAPTION);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_TRUE(GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_APPWINDOW);

  ASSERT_NE(dialog->Icon(), nullptr);
  EXPECT_EQ(IconWidth(dialog->Icon()), 48);

  EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0)), dialog->Icon());
  const auto small = reinterpret_cast<HICON>(SendMessageW(hwnd, WM_GETICON, ICON_SMALL, 0));
  ASSERT_NE(small, nullptr);
  EXPECT_NE(small, dialog->Icon());
  EXPECT_EQ(IconWidth(small), GetSystemMetrics(SM_CXSMICON));
  EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(hwnd, WM_QUERYDRAGICON, 0, 0)), dialog->Icon());
}

TEST_F(MainWindow, SystemMenuEndsWithSeparatorAndAbout) {
  Open();
  HMENU menu = GetSystemMenu(hwnd, FALSE);
  ASSERT_NE(menu, nullptr);
  const int count = GetMenuItemCount(menu);
  ASSERT_GE(count, 2);

  MENUITEMINFOW separator{};
  separator.cbSize = sizeof separator;
  separator.fMask = MIIM_FTYPE;
  ASSERT_TRUE(GetMenuItemInfoW(menu, static_cast<UINT>(count - 2), TRUE, &separator));
  EXPECT_TRUE(separator.fType & MFT_SEPARATOR);

  EXPECT_EQ(GetMenuItemID(menu, count - 1), static_cast<UINT>(IDM_ABOUTBOX));
  wchar_t text[128] = {};
  GetMenuStringW(menu, static_cast<UINT>(count - 1), text, 128, MF_BYPOSITION);
  EXPECT_EQ(WideToUtf8(text), "&About Velto ASF Converter...");
}

TEST_F(MainWindow, SystemCommandsOtherThanAboutKeepTheirDefault) {
  Open();
  ShowWindow(hwnd, SW_SHOW);
  {
    // The low four bits are ignored: this is still the About item.
    bool aboutShown = false;
    velto::testing::WhenReady close(
        [] { return FindWindowW(L"#32770", L"About Velto ASF Converter") != nullptr; },
        [&] {
          aboutShown = true;
          PostMessageW(FindWindowW(L"#32770", L"About Velto ASF Converter"), WM_COMMAND, IDOK, 0);
        });
    SendMessageW(hwnd, WM_SYSCOMMAND, IDM_ABOUTBOX | 0x3, 0);
    EXPECT_TRUE(aboutShown);
  }
  EXPECT_FALSE(IsIconic(hwnd));
  SendMessageW(hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_TRUE(IsIconic(hwnd));
  // Painting the minimised window must not fail.
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
  SendMessageW(hwnd, WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_FALSE(IsIconic(hwnd));
}

TEST_F(MainWindow, ImageButtonsCarryIconsTooltipsAndLayout) {
  Open();
  struct Expected {
    int id;
    int iconSize;
    const char* tooltip;
    const char* text;
  };
  const Expected expected[] = {
      {IDC_MAIN_CONVERT, 48, "Start converting", "&Convert"},
      {IDC_MAIN_SETTINGS, 48, "Settings...", "&Settings"},
      {IDC_MAIN_ADD, 48, "Add video files to the list", "&Add"},
      {IDC_MAIN_HELP, 32, "About,help,home page,tip of the day.", "&Help"},
      {IDC_MAIN_ADD_SMALL, 16, "Add video files to the list", ""},
      {IDC_MAIN_REMOVE, 16, "Remove the selected video file", ""},
      {IDC_MAIN_MOVE_UP, 16, "Move the selected video file up", ""},
      {IDC_MAIN_MOVE_DOWN, 16, "Move the selected video file down", ""},
  };
  for (const Expected& e : expected) {
    SCOPED_TRACE(e.id);
    EXPECT_EQ(WindowText(Item(e.id)), e.text);
    ImageButton* button = Button(e.id);
    ASSERT_NE(button, nullptr);
    ASSERT_NE(button->GetIcon(0), nullptr);
    EXPECT_EQ(button->GetIconSize(0).cx, e.iconSize);
    EXPECT_EQ(button->GetIconSize(0).cy, e.iconSize);
    EXPECT_EQ(button->GetIcon(1), nullptr);
    EXPECT_TRUE(button->IsTransparent());
    EXPECT_EQ(button->GetLayout(), ImageButton::kIconAbove);
    // The tooltip window comes with the pointer.
    PostMessageW(Item(e.id), WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    Pump();
    EXPECT_EQ(TooltipText(button->GetTooltipHandle()), e.tooltip);
    EXPECT_TRUE(button->IsTooltipActive());
  }

  ImageButton* change = Button(IDC_MAIN_CHANGE_FOLDER);
  ASSERT_NE(change, nullptr);
  EXPECT_EQ(change->GetIcon(0), nullptr);
  EXPECT_FALSE(change->IsTransparent());
  EXPECT_EQ(change->GetLayout(), ImageButton::kIconLeft);
  PostMessageW(Item(IDC_MAIN_CHANGE_FOLDER), WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
  Pump();
  EXPECT_EQ(change->GetTooltipHandle(), nullptr);
  EXPECT_EQ(WindowText(Item(IDC_MAIN_CHANGE_FOLDER)), "Chan&ge");

  // The small Settings and Convert buttons stay plain controls.
  EXPECT_EQ(Window::FromHandle(Item(IDC_MAIN_SETTINGS_SMALL)), nullptr);
  EXPECT_EQ(Window::FromHandle(Item(IDC_MAIN_CONVERT_SMALL)), nullptr);
  EXPECT_EQ(WindowText(Item(IDC_MAIN_SETTINGS_SMALL)), "S&ettings");
  EXPECT_EQ(WindowText(Item(IDC_MAIN_CONVERT_SMALL)), "Con&vert");
}

TEST_F(MainWindow, CreatesTheHiddenProgressWindowAndDeletesItWithTheDialog) {
  Open();
  ProgressDialog* progress = g_engineState.progressDialog;
  ASSERT_NE(progress, nullptr);
  ASSERT_TRUE(progress->IsWindow());
  EXPECT_FALSE(progress->IsVisible());
  EXPECT_EQ(GetWindow(progress->Handle(), GW_OWNER), hwnd);
  dialog.reset();
  EXPECT_EQ(g_engineState.progressDialog, nullptr);
}

// Format lists as each output format shows them. Stored: TV mode PAL,
// MPEG aspect 2.21:1 (3), DVD aspect 4:3 (0).
struct FormatCase {
  int format;
  bool discFormat;  // TV mode and the two-entry aspect list enabled
  bool mpegFormat;  // four-entry aspect list
};

void PrintTo(const FormatCase& c, std::ostream* out) { *out << "format " << c.format; }

class MainWindowFormats : public MainWindow, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(MainWindowFormats, QuickSettingsFollowTheFormat) {
  const FormatCase c = GetParam();
  Open({"Output format=" + std::to_string(c.format), "TV mode=1", "MPEG aspect ratio=3",
        "DVD aspect ratio=0"});

  EXPECT_EQ(ComboTexts(Item(IDC_MAIN_FORMAT)), Texts(kOutputFormatTexts));
  EXPECT_EQ(Selection(Item(IDC_MAIN_FORMAT)), c.format);

  EXPECT_EQ(ComboTexts(Item(IDC_MAIN_TV_MODE)), Texts(kTvModeTexts));
  EXPECT_EQ(Selection(Item(IDC_MAIN_TV_MODE)), 1);
  EXPECT_EQ(IsWindowEnabled(Item(IDC_MAIN_TV_MODE)) != FALSE, c.discFormat);

  if (c.mpegFormat) {
    EXPECT_EQ(ComboTexts(Item(IDC_MAIN_ASPECT)), Texts(kMpegAspectTexts));
    EXPECT_EQ(Selection(Item(IDC_MAIN_ASPECT)), 3);
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_MAIN_ASPECT)));
  } else {
    EXPECT_EQ(ComboTexts(Item(IDC_MAIN_ASPECT)), Texts(kDvdAspectTexts));
    EXPECT_EQ(Selection(Item(IDC_MAIN_ASPECT)), 0);
    EXPECT_EQ(IsWindowEnabled(Item(IDC_MAIN_ASPECT)) != FALSE, c.discFormat);
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, MainWindowFormats,
                         ::testing::Values(FormatCase{kFormatAvi, false, false},
                                           FormatCase{kFormatMpeg1, false, true},
                                           FormatCase{kFormatMpeg2, false, true},
                                           FormatCase{kFormatVcd, true, false},
                                           FormatCase{kFormatDvd, true, false},
                                           FormatCase{kFormatWmv, false, false},
                                           FormatCase{kFormatAsf, false, false},
                                           FormatCase{kFormatMp4, false, false}),
                         [](const ::testing::TestParamInfo<FormatCase>& info) {
                           return "Format" + std::to_string(info.param.format);
                         });

TEST_F(MainWindow, SwitchingFormatsKeepsTheTwoAspectValuesApart) {
  Open({"Output format=2", "TV mode=0", "MPEG aspect ratio=3", "DVD aspect ratio=0"});
  const HWND aspect = Item(IDC_MAIN_ASPECT);

  Pick(IDC_MAIN_FORMAT, kFormatDvd);
  EXPECT_EQ(g_settings.outputFormat, kFormatDvd);
  EXPECT_EQ(ComboTexts(aspect), Texts(kDvdAspectTexts));
  EXPECT_EQ(Selection(aspect), 0);
  EXPECT_TRUE(IsWindowEnabled(aspect));
  EXPECT_TRUE(IsWindowEnabled(Item(IDC_MAIN_TV_MODE)));

  Pick(IDC_MAIN_ASPECT, 1);
  EXPECT_EQ(g_settings.dvdAspectRatio, 1);
  EXPECT_EQ(g_settings.mpegAspectRatio, 3);

  Pick(IDC_MAIN_FORMAT, kFormatMpeg2);
  EXPECT_EQ(ComboTexts(aspect), Texts(kMpegAspectTexts));
  EXPECT_EQ(Selection(aspect), 3);
  EXPECT_FALSE(IsWindowEnabled(Item(IDC_MAIN_TV_MODE)));

  Pick(IDC_MAIN_ASPECT, 0);
  EXPECT_EQ(g_settings.mpegAspectRatio, 0);
  EXPECT_EQ(g_settings.dvdAspectRatio, 1);

  Pick(IDC_MAIN_FORMAT, kFormatDvd);
  EXPECT_EQ(Selection(aspect), 1);
}

TEST_F(MainWindow, TvModeChoiceChangesOnlyTheTvMode) {
  Open({"Output format=6", "TV mode=0", "MPEG aspect ratio=2", "DVD aspect ratio=1"});
  const ConversionSettings before = g_settings;
  Pick(IDC_MAIN_TV_MODE, 1);
  ConversionSettings expected = before;
  expected.tvMode = 1;
  EXPECT_EQ(g_settings, expected);
  EXPECT_EQ(Selection(Item(IDC_MAIN_ASPECT)), 1);
}

TEST_F(MainWindow, OutOfRangeStoredIndexesLeaveNoSelection) {
  Open({"Output format=12", "TV mode=5", "MPEG aspect ratio=9", "DVD aspect ratio=-3"});
  EXPECT_EQ(Selection(Item(IDC_MAIN_FORMAT)), CB_ERR);
  EXPECT_EQ(Selection(Item(IDC_MAIN_TV_MODE)), CB_ERR);
  EXPECT_EQ(Selection(Item(IDC_MAIN_ASPECT)), CB_ERR);
  EXPECT_EQ(ComboTexts(Item(IDC_MAIN_ASPECT)), Texts(kDvdAspectTexts));
  EXPECT_FALSE(IsWindowEnabled(Item(IDC_MAIN_TV_MODE)));
  EXPECT_FALSE(IsWindowEnabled(Item(IDC_MAIN_ASPECT)));

  // A notification while nothing is selected changes no value.
  SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDC_MAIN_FORMAT, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(Item(IDC_MAIN_FORMAT)));
  SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDC_MAIN_TV_MODE, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(Item(IDC_MAIN_TV_MODE)));
  SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDC_MAIN_ASPECT, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(Item(IDC_MAIN_ASPECT)));
  EXPECT_EQ(g_settings.outputFormat, 12);
  EXPECT_EQ(g_settings.tvMode, 5);
  EXPECT_EQ(g_settings.mpegAspectRatio, 9);
  EXPECT_EQ(g_settings.dvdAspectRatio, -3);

  // The MPEG group with an out-of-range MPEG aspect value.
  Pick(IDC_MAIN_FORMAT, kFormatMpeg1);
  EXPECT_EQ(ComboTexts(Item(IDC_MAIN_ASPECT)), Texts(kMpegAspectTexts));
  EXPECT_EQ(Selection(Item(IDC_MAIN_ASPECT)), CB_ERR);
  EXPECT_EQ(g_settings.mpegAspectRatio, 9);
}

TEST_F(MainWindow, ProbeReportsReachThePendingEntry) {
  Open();
  EXPECT_EQ(SendMessageW(hwnd, kProgressMessage, 1, 125), 0);
  EXPECT_EQ(SendMessageW(hwnd, kProgressMessage, 2, 320), 0);
  EXPECT_EQ(SendMessageW(hwnd, kProgressMessage, 3, 240), 0);
  EXPECT_EQ(SendMessageW(hwnd, kProgressMessage, 4, 299700000), 0);
  EXPECT_EQ(g_mediaList.pending.duration, 125.0);
  EXPECT_EQ(g_mediaList.pending.width, 320);
  EXPECT_EQ(g_mediaList.pending.height, 240);
  EXPECT_DOUBLE_EQ(g_mediaList.pending.frameRate, 29.97);
  EXPECT_FALSE(g_engineState.probeFailed);

  // A negative value travels as a sign-extended LPARAM.
  EXPECT_EQ(SendMessageW(hwnd, kProgressMessage, 1, static_cast<LPARAM>(-5)), 0);
  EXPECT_TRUE(g_engineState.probeFailed);
  EXPECT_EQ(g_mediaList.pending.duration, 125.0);

  // Kinds the handler does not know change nothing, including one that would
  // wrap onto kind 2 if cut to 32 bits.
  const MediaEntry before = g_mediaList.pending;
  EXPECT_EQ(SendMessageW(hwnd, kProgressMessage, 5, 7), 0);
  EXPECT_EQ(SendMessageW(hwnd, kProgressMessage, 7, 7), 0);
  EXPECT_EQ(SendMessageW(hwnd, kProgressMessage, (WPARAM{1} << 32) | 2, 999), 0);
  EXPECT_EQ(g_mediaList.pending, before);
}

TEST_F(MainWindow, ConfirmedStopIsAnsweredThroughTheMessageResult) {
  Open();
  g_engineState.stopRequested = true;
  testing::MessageBoxAnswerer yes(IDYES);
  EXPECT_EQ(SendMessageW(hwnd, kProgressMessage, 6, 10), 1);
  ASSERT_EQ(yes.texts.size(), 1u);
  EXPECT_EQ(WideToUtf8(yes.texts[0]), "Do you really want to stop?");
}

TEST_F(MainWindow, ClosingSavesNothingDestroyingSavesOnce) {
  Open({"Output format=0", "Temporary folder=E:\\out\\"});
  Pick(IDC_MAIN_FORMAT, kFormatWmv);
  Pick(IDC_MAIN_ASPECT, 1);  // disabled for WMV, but a notification still counts
  const std::string before = ReadBytes(scratch.File("option.ini"));
  SendMessageW(hwnd, WM_CLOSE, 0, 0);
  Pump();
  EXPECT_EQ(ReadBytes(scratch.File("option.ini")), before);

  dialog.reset();
  const std::string saved = ReadBytes(scratch.File("option.ini"));
  EXPECT_NE(saved.find("Output format=8"), std::string::npos) << saved;
  EXPECT_NE(saved.find("DVD aspect ratio=1"), std::string::npos) << saved;
  EXPECT_NE(saved.find("Temporary folder=E:\\out\\"), std::string::npos) << saved;
  // Every key once.
  EXPECT_EQ(saved.find("Output format="), saved.rfind("Output format="));
}

// The folder of option.ini is gone, a file standing in its place: saving
// fails, and one message names the file and the system's reason.
TEST_F(MainWindow, ASettingsFileThatCannotBeWrittenIsNamedOnceWithTheReason) {
  WriteBytes(scratch.File("blocked"), "a file, not a folder");
  const std::string folder = scratch.Directory() + "blocked\\";
  dialog = std::make_unique<MainDialog>(folder);
  ASSERT_TRUE(dialog->Create(nullptr));
  testing::MessageBoxAnswerer answerer(IDOK);
  dialog.reset();
  ASSERT_EQ(answerer.texts.size(), 1u);
  const std::string text = WideToUtf8(answerer.texts[0]);
  const std::string named = "The settings could not be saved to " + folder + "option.ini:\n";
  EXPECT_EQ(text.rfind(named, 0), 0u) << text;
  EXPECT_GT(text.size(), named.size() + 3) << "no reason given: " << text;
  EXPECT_EQ(answerer.icons, std::vector<std::string>{"error"});
}

// The modal run as the application makes it: closed from a timer, then the
// object goes and the settings are written.
MainDialog* g_modalDialog = nullptr;
bool g_modalSeenVisible = false;

void CALLBACK CloseModalDialog(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  if (!g_modalDialog || !g_modalDialog->IsWindow()) return;
  g_modalSeenVisible = g_modalDialog->IsVisible();
  g_modalDialog->Post(WM_CLOSE);
}

TEST_F(MainWindow, ModalRunEndsOnCloseAndSavesWhenDestroyed) {
  auto modal = std::make_unique<MainDialog>(scratch.Directory());
  g_modalDialog = modal.get();
  g_modalSeenVisible = false;
  SetTimer(nullptr, 0, 200, &CloseModalDialog);
  EXPECT_EQ(modal->DoModal(), IDCANCEL);
  EXPECT_TRUE(g_modalSeenVisible);
  EXPECT_FALSE(modal->IsWindow());
  EXPECT_FALSE(std::filesystem::exists(scratch.path() / "option.ini"));
  g_settings.volume = 33;
  modal.reset();
  g_modalDialog = nullptr;
  const std::string saved = ReadBytes(scratch.File("option.ini"));
  EXPECT_NE(saved.find("Volume=33"), std::string::npos) << saved;
  EXPECT_NE(saved.find("Temporary folder=C:\\output video\\"), std::string::npos) << saved;
}

// Tab and Shift+Tab as the dialog manager sees them.
void PressTab(HWND dialog) {
  MSG tab{GetFocus(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
  IsDialogMessageW(dialog, &tab);
}

int FocusedId() { return GetDlgCtrlID(GetFocus()); }

TEST_F(MainWindow, TabVisitsEveryEnabledControlInOrderAndComesRound) {
  Open({"Output format=7"});  // a disc format: TV mode and aspect ratio enabled
  ShowWindow(hwnd, SW_SHOW);
  SetFocus(Item(IDC_MAIN_ADD));
  std::vector<int> visited{FocusedId()};
  for (int i = 0; i < 16; ++i) {
    PressTab(hwnd);
    visited.push_back(FocusedId());
  }
  EXPECT_EQ(visited, (std::vector<int>{IDC_MAIN_ADD, IDC_MAIN_CONVERT, IDC_MAIN_SETTINGS, IDC_MAIN_HELP,
                                       IDC_MAIN_FILE_LIST, IDC_MAIN_ADD_SMALL, IDC_MAIN_REMOVE, IDC_MAIN_MOVE_UP,
                                       IDC_MAIN_MOVE_DOWN, IDC_MAIN_OUTPUT_FOLDER, IDC_MAIN_CHANGE_FOLDER,
                                       IDC_MAIN_FORMAT, IDC_MAIN_SETTINGS_SMALL, IDC_MAIN_TV_MODE, IDC_MAIN_ASPECT,
                                       IDC_MAIN_CONVERT_SMALL, IDC_MAIN_ADD}));
  // A focused image button draws itself focused.
  SetFocus(Item(IDC_MAIN_CONVERT));
  UpdateWindow(Item(IDC_MAIN_CONVERT));
  EXPECT_TRUE(Button(IDC_MAIN_CONVERT)->LastPaintFocused());
}

TEST_F(MainWindow, MnemonicsReachTheLabelledControlsAndPressTheButtons) {
  Open({"Output format=7"});
  ShowWindow(hwnd, SW_SHOW);
  const auto alt = [&](wchar_t key) {
    MSG message{GetFocus(), WM_SYSCHAR, key, 0x20000000, 0, {}};
    return IsDialogMessageW(hwnd, &message) != FALSE;
  };
  // Each label stands just before its control in tab order.
  const struct {
    wchar_t key;
    const char* label;
    int id;
  } labelled[] = {{L'o', "Output f&older", IDC_MAIN_OUTPUT_FOLDER},
                  {L'r', "Output fo&rmat", IDC_MAIN_FORMAT},
                  {L't', "&TV mode", IDC_MAIN_TV_MODE},
                  {L'p', "As&pect ratio", IDC_MAIN_ASPECT}};
  for (const auto& [key, label, id] : labelled) {
    SCOPED_TRACE(label);
    EXPECT_EQ(WindowText(GetWindow(Item(id), GW_HWNDPREV)), label);
    EXPECT_TRUE(alt(key));
    EXPECT_EQ(FocusedId(), id);
  }
  // Alt+S presses the (owner-drawn) Settings button, which opens its dialog.
  bool opened = false;
  velto::testing::WhenReady close([] { return FindWindowW(L"#32770", L"Output Settings") != nullptr; },
                                  [&] {
                                    opened = true;
                                    PostMessageW(FindWindowW(L"#32770", L"Output Settings"), WM_COMMAND, IDCANCEL, 0);
                                  });
  EXPECT_TRUE(alt(L's'));
  Pump();
  EXPECT_TRUE(opened);
}

TEST_F(MainWindow, MovingToAScreenOfAnotherDpiReloadsIconsAndWidensColumns) {
  Open();
  RECT suggested{};
  GetWindowRect(hwnd, &suggested);
  SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(Button(IDC_MAIN_CONVERT)->GetIconSize(0).cx, 96);
  EXPECT_EQ(Button(IDC_MAIN_HELP)->GetIconSize(0).cx, 64);
  EXPECT_EQ(Button(IDC_MAIN_REMOVE)->GetIconSize(0).cx, 32);
  EXPECT_EQ(IconWidth(dialog->Icon()), 96);
  ListView list;
  list.Attach(Item(IDC_MAIN_FILE_LIST));
  EXPECT_EQ(list.GetColumnWidth(0), 180);
  EXPECT_EQ(list.GetColumnWidth(1), 720);
  EXPECT_EQ(list.GetColumnWidth(2), 244);
  list.Detach();
}

}  // namespace
}  // namespace velto
