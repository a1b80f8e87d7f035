// The Add, Convert and file-list commands of the main window, driven through
// its messages, with a stand-in encoder that does what its source file says.
#include <windows.h>

#include <commctrl.h>
#include <dlgs.h>
#include <gtest/gtest.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "base/module_directory.h"
#include "base/text_encoding.h"
#include "base/work_files.h"
#include "engine/batch_journal_store.h"
#include "tests/support/main_window_test.h"
#include "tests/support/message_box_answerer.h"
#include "tests/support/process_list.h"
#include "tests/support/run_program.h"
#include "tests/support/stand_in_encoder.h"
#include "tests/support/when_ready.h"
#include "tests/support/window_picture.h"
#include "tests/support/window_text.h"
#include "ui/batch_indicator.h"
#include "ui/preview_dialog.h"

namespace velto {
namespace {

using testing::Exists;
using testing::MessageBoxAnswerer;
using testing::PathFromUtf8;
using testing::Pump;
using testing::ReadBytes;
using testing::Utf8Texts;
using testing::WhenReady;
using testing::WindowText;
using testing::WriteBytes;

constexpr char kOkSource[] = "duration=65\nwidth=320\nheight=240\nfps=299700000\n";

// A drop as the shell sends it: DROPFILES, then the wide paths, each ended
// by a NUL and the list by a second NUL. The receiver frees it.
HDROP MakeDrop(const std::vector<std::string>& paths) {
  std::wstring list;
  for (const std::string& path : paths) list += Utf8ToWide(path) + L'\0';
  list += L'\0';
  const size_t bytes = sizeof(DROPFILES) + list.size() * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GHND, bytes);
  auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
  header->pFiles = sizeof(DROPFILES);
  header->fWide = TRUE;
  memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), list.data(), list.size() * sizeof(wchar_t));
  GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

// The width of a control's text drawn on one line in the control's font,
// and the width it has for it.
std::pair<int, int> TextAndRoomWidth(HWND control) {
  const std::wstring text = testing::WideWindowText(control);
  HDC dc = GetDC(control);
  const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  RECT room{};
  GetClientRect(control, &room);
  return {size.cx, room.right - room.left};
}

POINT CentreOf(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

// The current folder, ending with a backslash.
std::string CurrentFolder() {
  wchar_t folder[MAX_PATH] = {};
  std::string text = WideToUtf8(std::wstring(folder, GetCurrentDirectoryW(MAX_PATH, folder)));
  if (!text.empty() && text.back() != '\\') text += '\\';
  return text;
}

// Whether the thread keeps the machine awake; asking without ES_CONTINUOUS
// leaves the lasting state as it is.
bool KeepsAwake() {
  const EXECUTION_STATE state = SetThreadExecutionState(ES_SYSTEM_REQUIRED);
  return (state & (ES_CONTINUOUS | ES_SYSTEM_REQUIRED)) == (ES_CONTINUOUS | ES_SYSTEM_REQUIRED);
}

// Writes down what a batch shows on the taskbar button; repeated progress
// steps count once.
class RecordingIndicator : public BatchIndicator {
 public:
  struct Record {
    std::vector<std::string> events;
    std::vector<int> values;
    bool awakeDuringProgress = true;
    size_t messagesBeforeEnd = 0;
    int endSignals = 0;
  };
  RecordingIndicator(Record& record, const std::vector<std::wstring>& messages)
      : record_(record), messages_(messages) {}
  void Begin() override { Add("begin"); }
  void SetProgress(int perMille) override {
    record_.values.push_back(perMille);
    if (!KeepsAwake()) record_.awakeDuringProgress = false;
    if (record_.events.empty() || record_.events.back() != "progress") Add("progress");
  }
  void MarkError() override { Add("error"); }
  void SignalEnd() override { ++record_.endSignals; }
  void End() override {
    record_.messagesBeforeEnd = messages_.size();
    Add("end");
  }

 private:
  void Add(const std::string& event) { record_.events.push_back(event); }
  Record& record_;
  const std::vector<std::wstring>& messages_;
};


class Commands : public testing::MainWindowTest {
 protected:
  Commands() : MainWindowTest("commands & 100%!", "sources & 100%!") {}
  void SetUp() override {
    MainWindowTest::SetUp();
    std::filesystem::create_directories(PathFromUtf8(output));
    encoder = testing::InstallStandInEncoder(scratch.Directory() + "encoder\\");
    dialog->SetEncoderDirectory(encoder);
  }

  std::string Source(const std::string& name, const std::string& content = kOkSource) {
    return MainWindowTest::Source(name, content);
  }
  // Where the stand-in encoder writes the output `name` until it publishes it.
  std::string Partial(const std::string& name) const {
    return WideToUtf8(PartialOutputFor(Utf8ToWide(output + name)));
  }
  // A row added without a probe, for the list commands.
  void AddRow(const std::string& path, double duration, int width = 320, int height = 240, double fps = 25.0) {
    g_mediaList.pending = MediaEntry{"", duration, width, height, fps};
    ASSERT_EQ(dialog->AppendListRow(path), 0);
  }
  void Select(int row) {
    list.SetItemState(-1, 0, LVIS_SELECTED);
    if (row >= 0) list.SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
  }
  std::vector<std::string> Numbers() const {
    std::vector<std::string> expected;
    for (int row = 0; row < list.GetItemCount(); ++row) expected.push_back("          " + std::to_string(row + 1));
    return expected;
  }
  // The list view and the media list agree row by row.
  void ExpectRowsMatchEntries() const {
    ASSERT_EQ(list.GetItemCount(), g_mediaList.count());
    EXPECT_EQ(Column(0), Numbers());
    for (int row = 0; row < g_mediaList.count(); ++row) EXPECT_EQ(list.GetItemText(row, 1), g_mediaList.at(row).path);
  }
  std::vector<std::string> Calls() const {
    std::vector<std::string> lines;
    const std::string text = ReadBytes(encoder + "calls.txt");
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
      lines.push_back(text.substr(start, end - start));
    }
    return lines;
  }
  int Selected() const { return list.GetSelectedItem(); }
  // The Preview window while it is the active one, and its object.
  static PreviewDialog* Preview() {
    const HWND active = GetActiveWindow();
    return active && WindowText(active).rfind("Preview - ", 0) == 0
               ? dynamic_cast<PreviewDialog*>(Window::FromHandle(active))
               : nullptr;
  }
  static std::string PreviewItem(int id) { return WindowText(GetDlgItem(Preview()->Handle(), id)); }
  // The slider moved to `tenths` of a second and let go.
  static void MovePreviewTo(int tenths) {
    const HWND slider = GetDlgItem(Preview()->Handle(), IDC_PREVIEW_SLIDER);
    SendMessageW(slider, TBM_SETPOS, TRUE, tenths);
    for (const WORD code : {static_cast<WORD>(TB_THUMBTRACK), static_cast<WORD>(TB_ENDTRACK)})
      SendMessageW(Preview()->Handle(), WM_HSCROLL, MAKEWPARAM(code, 0), reinterpret_cast<LPARAM>(slider));
  }
  static void ClosePreview() { PostMessageW(Preview()->Handle(), WM_COMMAND, IDCANCEL, 0); }
  // Closes whatever the steps left open.
  static void GiveUp() {
    for (HWND top = GetActiveWindow(); top && WindowText(top) != "Velto ASF Converter"; top = GetActiveWindow()) {
      SendMessageW(top, WM_COMMAND, IDCANCEL, 0);
      Pump();
    }
  }
  bool ListHasFocus() const { return GetFocus() == list.Handle(); }

  std::string encoder;
};

// ---------------------------------------------------------------- Add

TEST_F(Commands, AddThreeFilesOfWhichTheSecondFails) {
  const std::string a = Source("a.wmv"), b = Source("b.wmv", "duration=0\nwidth=320\nheight=240\nfps=1\n"),
                    c = Source("c ü.asf", "duration=3725\nwidth=640\nheight=480\nfps=250000000\n");
  MessageBoxAnswerer answerer(IDOK);
  dialog->AddFilesFrom({a, b, c});

  EXPECT_EQ(Column(0), (std::vector<std::string>{"          1", "          2"}));
  EXPECT_EQ(Column(1), (std::vector<std::string>{a, c}));
  EXPECT_EQ(Column(2), (std::vector<std::string>{"00:01:05", "01:02:05"}));
  EXPECT_EQ(Utf8Texts(answerer.texts), std::vector<std::string>{"Load file " + b + " failed."});
  EXPECT_EQ(Utf8Texts(answerer.captions), std::vector<std::string>{"Velto ASF Converter"});
  EXPECT_EQ(answerer.icons, std::vector<std::string>{"warning"});
  ASSERT_EQ(g_mediaList.count(), 2);
  EXPECT_EQ(g_mediaList.at(1), (MediaEntry{c, 3725.0, 640, 480, 25.0}));
  EXPECT_DOUBLE_EQ(g_mediaList.totalDuration, 65.0 + 3725.0);
  EXPECT_EQ(Calls(), (std::vector<std::string>{"probe " + a, "probe " + b, "probe " + c}));
}

TEST_F(Commands, AProbeMustReportAllFourValuesAndEndWell) {
  const std::string good = Source("good.wmv");
  const std::string noRate = Source("no rate.wmv", "duration=10\nwidth=100\nheight=80\n");
  const std::string badExit = Source("bad exit.wmv", std::string(kOkSource) + "probe_exit=4\n");
  const std::string missing = sources + "missing.wmv";
  dialog->SetEncoderDirectory(encoder);
  MessageBoxAnswerer answerer(IDOK);
  dialog->AddFilesFrom({good, noRate, badExit, missing});

  // One message names them all, each with what its encoder's exit tells.
  EXPECT_EQ(Column(1), std::vector<std::string>{good});
  EXPECT_EQ(Utf8Texts(answerer.texts),
            std::vector<std::string>{"Load file " + noRate + " failed.\nLoad file " + badExit +
                                     " failed. (the encoder's engine (ffmpeg.exe or ffprobe.exe) is missing)\n"
                                     "Load file " + missing + " failed. (the source cannot be read)"});

  // An encoder that cannot be started fails every file.
  dialog->SetEncoderDirectory(scratch.Directory() + "nowhere\\");
  answerer.texts.clear();
  dialog->AddFilesFrom({good});
  EXPECT_EQ(Utf8Texts(answerer.texts),
            std::vector<std::string>{"Load file " + good + " failed. (the encoder could not be started)"});
  EXPECT_EQ(g_mediaList.count(), 1);
}

TEST_F(Commands, TheListTakesNinetyNineFilesAndRefusesTheRestWithOneMessage) {
  for (int i = 0; i < 98; ++i) AddRow(sources + "x" + std::to_string(i) + ".wmv", 1.0);
  const std::string a = Source("a.wmv"), b = Source("b.wmv"), c = Source("c.wmv");
  MessageBoxAnswerer answerer(IDOK);
  dialog->AddFilesFrom({a, b, c});

  EXPECT_EQ(g_mediaList.count(), 99);
  EXPECT_EQ(list.GetItemCount(), 99);
  EXPECT_EQ(list.GetItemText(98, 0), "          99");
  EXPECT_EQ(list.GetItemText(98, 1), a);
  EXPECT_EQ(Utf8Texts(answerer.texts),
            std::vector<std::string>{"The list is full: it holds at most 99 files. 2 files were not added."});
  EXPECT_EQ(Calls(), std::vector<std::string>{"probe " + a});  // no probe for a refused file
}

TEST_F(Commands, WhileProbingTheCommandsWaitAndClosingComesAfterTheProbe) {
  const std::string first = Source("first.wmv");
  AddRow(first, 5.0);
  Select(0);
  g_settings.outputFormat = 0;
  const std::string slow = Source("slow.wmv", std::string(kOkSource) + "probe_sleep_ms=600\n");
  const std::string later = Source("later.wmv");
  MessageBoxAnswerer answerer(IDOK);
  bool wasVisibleDuringProbe = false;
  WhenReady during([&] { return dialog->IsBusy(); },
                   [&] {
                     Command(IDC_MAIN_REMOVE);
                     Command(IDC_MAIN_CONVERT);
                     Command(IDC_MAIN_SETTINGS);
                     Command(IDC_MAIN_ADD);
                     const HWND format = GetDlgItem(hwnd, IDC_MAIN_FORMAT);
                     SendMessageW(format, CB_SETCURSEL, 8, 0);
                     SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDC_MAIN_FORMAT, CBN_SELCHANGE),
                                  reinterpret_cast<LPARAM>(format));
                     SendMessageW(hwnd, WM_CLOSE, 0, 0);
                     wasVisibleDuringProbe = IsWindowVisible(hwnd) != FALSE;
                   });
  dialog->AddFilesFrom({slow, later});

  ASSERT_TRUE(during.done());
  EXPECT_TRUE(wasVisibleDuringProbe);
  // The probe under way finished and its file was added; the next was not probed.
  EXPECT_EQ(Column(1), (std::vector<std::string>{first, slow}));
  EXPECT_EQ(Calls(), std::vector<std::string>{"probe " + slow});
  EXPECT_TRUE(answerer.texts.empty());
  EXPECT_EQ(g_settings.outputFormat, 0);
  EXPECT_EQ(SendMessageW(GetDlgItem(hwnd, IDC_MAIN_FORMAT), CB_GETCURSEL, 0, 0), 0);
  // Then the window closed (a modeless one hides), and it still exists.
  EXPECT_TRUE(IsWindow(hwnd));
  EXPECT_FALSE(IsWindowVisible(hwnd));
}

// ---------------------------------------------------------------- drops

TEST_F(Commands, DroppedFilesAndFoldersAreAddedAsAddDoesAndTheRestNamedOnce) {
  const std::string a = Source("a.wmv");
  const std::string b = Source("b ü.ASF");
  const std::string failing = Source("c.wmv", "duration=0\nwidth=320\nheight=240\nfps=1\n");
  const std::string notes = Source("notes.txt");
  const std::string folder = sources + "clips & more";
  const std::string empty = sources + "empty";
  std::filesystem::create_directories(PathFromUtf8(folder + "\\sub"));
  std::filesystem::create_directories(PathFromUtf8(empty));
  const std::string y = Source("clips & more\\y.wmv");
  const std::string x = Source("clips & more\\X.asx");
  Source("clips & more\\readme.txt");
  Source("clips & more\\sub\\z.wmv");

  MessageBoxAnswerer answerer(IDOK);
  SendMessageW(hwnd, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({a, notes, folder, b, empty, failing})), 0);

  // Folders give the videos directly inside, by name; the rows follow the drop.
  EXPECT_EQ(Column(1), (std::vector<std::string>{a, x, y, b}));
  ExpectRowsMatchEntries();
  EXPECT_EQ(Calls(), (std::vector<std::string>{"probe " + a, "probe " + x, "probe " + y, "probe " + b,
                                               "probe " + failing}));
  EXPECT_EQ(Utf8Texts(answerer.texts),
            (std::vector<std::string>{"2 items were not added: only ASF, WMV and ASX files can be converted.\n\n" +
                                          notes + "\n" + empty + "\n    (a folder without ASF, WMV or ASX files)",
                                      "Load file " + failing + " failed."}));
}

TEST_F(Commands, FilesDroppedWhileProbingAreAddedAfterwards) {
  const std::string slow = Source("slow.wmv", std::string(kOkSource) + "probe_sleep_ms=400\n");
  const std::string dropped = Source("dropped.wmv");
  MessageBoxAnswerer answerer(IDOK);
  WhenReady during([&] { return dialog->IsBusy(); },
                   [&] { PostMessageW(hwnd, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({dropped})), 0); });
  dialog->AddFilesFrom({slow});

  ASSERT_TRUE(during.done());
  EXPECT_EQ(Column(1), (std::vector<std::string>{slow, dropped}));
  EXPECT_TRUE(answerer.texts.empty());
}

// Typing into the dialog's name box and taking OK, as a user does.
void TypeIntoFileDialog(const std::string& text) {
  const HWND box = FindWindowW(L"#32770", L"Import video files");
  HWND name = GetDlgItem(box, cmb13);
  if (!name) name = GetDlgItem(box, edt1);
  SetWindowTextW(name, Utf8ToWide(text).c_str());
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

TEST_F(Commands, AddThroughTheRealOpenFileDialog) {
  const std::string a = Source("picked ä.wmv");
  std::string title, filter;
  // The sources' folder is browsed to, then the file picked by its name.
  WhenReady browse([] { return FindWindowW(L"#32770", L"Import video files") != nullptr; },
                   [&] {
                     const HWND box = FindWindowW(L"#32770", L"Import video files");
                     title = WindowText(box);
                     const HWND types = GetDlgItem(box, cmb1);
                     wchar_t first[128] = {};
                     if (SendMessageW(types, CB_GETLBTEXTLEN, 0, 0) < 128) SendMessageW(types, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(first));
                     filter = WideToUtf8(first);
                     TypeIntoFileDialog(sources);
                   });
  WhenReady pick([&] { return browse.done() && FindWindowW(L"#32770", L"Import video files") != nullptr; },
                 [] { TypeIntoFileDialog("picked ä.wmv"); });
  const std::string before = CurrentFolder();
  Command(IDC_MAIN_ADD);
  ASSERT_TRUE(pick.done());
  EXPECT_EQ(CurrentFolder(), before);  // not the folder browsed to
  EXPECT_EQ(title, "Import video files");
  EXPECT_EQ(filter, "ASF WMV file (*.ASF,*.WMV,*.ASX)");
  EXPECT_EQ(Column(1), std::vector<std::string>{a});
  // Probed once, by the probe that started as the dialog took OK.
  EXPECT_EQ(Calls(), std::vector<std::string>{"probe " + a});
}

TEST_F(Commands, CancellingTheOpenFileDialogRunsNothing) {
  WhenReady cancel([] { return FindWindowW(L"#32770", L"Import video files") != nullptr; },
                   [] { PostMessageW(FindWindowW(L"#32770", L"Import video files"), WM_COMMAND, IDCANCEL, 0); });
  Command(IDC_MAIN_ADD_SMALL);
  ASSERT_TRUE(cancel.done());
  EXPECT_EQ(list.GetItemCount(), 0);
  EXPECT_TRUE(Calls().empty());
}

// ---------------------------------------------------------------- list commands

TEST_F(Commands, RemoveTheMiddleTheLastAndTheOnlyRow) {
  AddRow("C:\\a.wmv", 60.0);
  AddRow("C:\\b.wmv", 90.0);
  AddRow("C:\\c.wmv", 30.0);
  Select(1);
  Command(IDC_MAIN_REMOVE);
  EXPECT_EQ(Column(1), (std::vector<std::string>{"C:\\a.wmv", "C:\\c.wmv"}));
  ExpectRowsMatchEntries();
  EXPECT_EQ(Selected(), 1);
  EXPECT_TRUE(ListHasFocus());
  EXPECT_DOUBLE_EQ(g_mediaList.totalDuration, 90.0);

  Command(IDM_LIST_REMOVE);  // the menu item: the selected last row
  EXPECT_EQ(Column(1), std::vector<std::string>{"C:\\a.wmv"});
  EXPECT_EQ(Selected(), -1);
  ExpectRowsMatchEntries();

  Command(IDC_MAIN_REMOVE);  // nothing selected: nothing happens
  EXPECT_EQ(list.GetItemCount(), 1);
  Select(0);
  Command(IDC_MAIN_REMOVE);
  EXPECT_EQ(list.GetItemCount(), 0);
  EXPECT_EQ(g_mediaList.count(), 0);
  EXPECT_DOUBLE_EQ(g_mediaList.totalDuration, 0.0);

  MessageBoxAnswerer answerer(IDOK);
  Command(IDC_MAIN_MOVE_UP);
  Command(IDC_MAIN_MOVE_DOWN);
  Command(IDC_MAIN_REMOVE);
  EXPECT_TRUE(answerer.texts.empty());
}

TEST_F(Commands, MovesAtTheEndsOnlyFocusTheList) {
  AddRow("C:\\a.wmv", 1.0);
  AddRow("C:\\b.wmv", 2.0);
  Select(0);
  SetFocus(hwnd);
  Command(IDC_MAIN_MOVE_UP);
  EXPECT_EQ(Column(1), (std::vector<std::string>{"C:\\a.wmv", "C:\\b.wmv"}));
  EXPECT_TRUE(ListHasFocus());
  Select(1);
  SetFocus(hwnd);
  Command(IDM_LIST_MOVE_DOWN);
  EXPECT_EQ(Column(1), (std::vector<std::string>{"C:\\a.wmv", "C:\\b.wmv"}));
  EXPECT_TRUE(ListHasFocus());
  EXPECT_EQ(Selected(), 1);
}

TEST_F(Commands, MovingWithoutSelectionWarnsOnlyWithTwoOrMoreFiles) {
  MessageBoxAnswerer answerer(IDOK);
  AddRow("C:\\a.wmv", 1.0);
  Command(IDC_MAIN_MOVE_DOWN);
  EXPECT_TRUE(answerer.texts.empty());
  AddRow("C:\\b.wmv", 2.0);
  Command(IDC_MAIN_MOVE_DOWN);
  Command(IDM_LIST_MOVE_UP);
  EXPECT_EQ(Utf8Texts(answerer.texts), (std::vector<std::string>{"No item was selected!", "No item was selected!"}));
  EXPECT_EQ(Utf8Texts(answerer.captions), (std::vector<std::string>{"Warning", "Warning"}));
  EXPECT_EQ(answerer.icons, (std::vector<std::string>{"warning", "warning"}));
  EXPECT_EQ(Column(1), (std::vector<std::string>{"C:\\a.wmv", "C:\\b.wmv"}));
}

TEST_F(Commands, TheSelectedFileMovesWithItsDataAndTheNumbersStayInOrder) {
  AddRow("C:\\a.wmv", 10.0, 100, 50, 10.0);
  AddRow("C:\\b.wmv", 20.0, 200, 60, 20.0);
  AddRow("C:\\c.wmv", 30.0, 300, 70, 30.0);
  AddRow("C:\\d.wmv", 40.0, 400, 80, 40.0);
  Select(0);
  Command(IDC_MAIN_MOVE_DOWN);
  Command(IDC_MAIN_MOVE_DOWN);  // a: 0 -> 2
  EXPECT_EQ(Selected(), 2);
  EXPECT_TRUE(list.GetItemState(2, LVIS_FOCUSED) & LVIS_FOCUSED);
  EXPECT_EQ(Column(1), (std::vector<std::string>{"C:\\b.wmv", "C:\\c.wmv", "C:\\a.wmv", "C:\\d.wmv"}));
  EXPECT_EQ(Column(2), (std::vector<std::string>{"00:00:20", "00:00:30", "00:00:10", "00:00:40"}));
  ExpectRowsMatchEntries();
  EXPECT_EQ(g_mediaList.at(2), (MediaEntry{"C:\\a.wmv", 10.0, 100, 50, 10.0}));

  Select(3);
  Command(IDC_MAIN_MOVE_UP);  // d: 3 -> 2
  Select(0);
  Command(IDC_MAIN_REMOVE);   // b goes
  Select(2);
  Command(IDC_MAIN_MOVE_UP);  // a: 2 -> 1
  EXPECT_EQ(Column(1), (std::vector<std::string>{"C:\\c.wmv", "C:\\a.wmv", "C:\\d.wmv"}));
  ExpectRowsMatchEntries();
  EXPECT_EQ(g_mediaList.at(2), (MediaEntry{"C:\\d.wmv", 40.0, 400, 80, 40.0}));
  EXPECT_DOUBLE_EQ(g_mediaList.totalDuration, 80.0);
  EXPECT_EQ(Selected(), 1);
}

TEST_F(Commands, TheListMenuHasItsFiveItemsAndOpensOnARightClick) {
  HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_LIST_MENU));
  ASSERT_NE(menu, nullptr);
  wchar_t text[64] = {};
  GetMenuStringW(menu, 0, text, 64, MF_BYPOSITION);
  EXPECT_EQ(WideToUtf8(text), "Edit");
  HMENU popup = GetSubMenu(menu, 0);
  ASSERT_EQ(GetMenuItemCount(popup), 5);
  const UINT ids[] = {IDM_LIST_ADD, IDM_LIST_REMOVE, IDM_LIST_MOVE_UP, IDM_LIST_MOVE_DOWN, IDM_LIST_PREVIEW};
  const char* texts[] = {"Add video files to list", "Remove video file from list", "Move up", "Move down",
                         "Preview..."};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(GetMenuItemID(popup, i), ids[i]);
    GetMenuStringW(popup, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
    EXPECT_EQ(WideToUtf8(text), texts[i]);
    EXPECT_EQ(GetMenuState(popup, static_cast<UINT>(i), MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED), 0u);
  }
  DestroyMenu(menu);

  // A right click shows the popup; picking "Remove" reaches the window.
  AddRow("C:\\a.wmv", 1.0);
  Select(0);
  WhenReady pick([] { return FindWindowW(L"#32768", nullptr) != nullptr; },
                 [] {
                   const HWND shown = FindWindowW(L"#32768", nullptr);
                   PostMessageW(shown, WM_KEYDOWN, VK_DOWN, 0);
                   PostMessageW(shown, WM_KEYDOWN, VK_DOWN, 0);
                   PostMessageW(shown, WM_KEYDOWN, VK_RETURN, 0);
                 });
  NMHDR click{list.Handle(), static_cast<UINT_PTR>(IDC_MAIN_FILE_LIST), static_cast<UINT>(NM_RCLICK)};
  EXPECT_EQ(SendMessageW(hwnd, WM_NOTIFY, IDC_MAIN_FILE_LIST, reinterpret_cast<LPARAM>(&click)), 0);
  Pump();
  ASSERT_TRUE(pick.done());
  EXPECT_EQ(list.GetItemCount(), 0);
}

TEST_F(Commands, ChangeTakesTheBrowsedFolderWithABackslash) {
  const std::string chosen = scratch.Directory() + "chosen";
  std::filesystem::create_directories(PathFromUtf8(chosen));
  std::string title;
  // A new Wine prefix fills the browser's tree slowly: the folder is chosen
  // again on every tick until the tree shows it selected (or time is up).
  int ticks = 0;
  WhenReady choose(
      [&] {
        const HWND browser = GetActiveWindow();
        if (!browser || browser == hwnd || GetWindow(browser, GW_OWNER) != hwnd) return false;
        const std::wstring path = Utf8ToWide(chosen);
        SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(path.c_str()));
        const HWND tree = FindWindowExW(browser, nullptr, L"SysTreeView32", nullptr);
        wchar_t text[MAX_PATH] = {};
        TVITEMW item{};
        item.mask = TVIF_TEXT;
        item.hItem = tree ? TreeView_GetSelection(tree) : nullptr;
        item.pszText = text;
        item.cchTextMax = MAX_PATH;
        const bool selected = item.hItem && TreeView_GetItem(tree, &item) && std::wstring(text) == L"chosen";
        return selected || ++ticks > 250;
      },
      [&] { PostMessageW(GetActiveWindow(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); });
  Command(IDC_MAIN_CHANGE_FOLDER);
  ASSERT_TRUE(choose.done());
  EXPECT_EQ(WindowText(GetDlgItem(hwnd, IDC_MAIN_OUTPUT_FOLDER)), chosen + "\\");
  EXPECT_EQ(dialog->OutputFolder(), chosen + "\\");
}

// ---------------------------------------------------------------- Convert

TEST_F(Commands, ConvertWithAnEmptyListOnlySaysSo) {
  const std::string folder = scratch.Directory() + "never";
  SetWindowTextW(GetDlgItem(hwnd, IDC_MAIN_OUTPUT_FOLDER), Utf8ToWide(folder).c_str());
  MessageBoxAnswerer answerer(IDOK);
  Command(IDC_MAIN_CONVERT);
  EXPECT_EQ(Utf8Texts(answerer.texts), std::vector<std::string>{"No file in the list"});
  EXPECT_EQ(answerer.icons, std::vector<std::string>{"warning"});
  EXPECT_FALSE(Exists(folder));
  EXPECT_FALSE(IsWindowVisible(ProgressWindow()));
  EXPECT_TRUE(IsWindowEnabled(hwnd));
}

TEST_F(Commands, ConvertCreatesTheFolderTwoLevelsDeepAndSaysMissionAccomplished) {
  const std::string a = Source("a.wmv", std::string(kOkSource) + "seconds=3\nsleep_ms=100\n");
  MessageBoxAnswerer answerer(IDOK);
  dialog->AddFilesFrom({a});
  std::filesystem::create_directories(PathFromUtf8(scratch.Directory() + "deep"));
  const std::string folder = scratch.Directory() + "deep\\b c\\d";  // no trailing backslash
  SetWindowTextW(GetDlgItem(hwnd, IDC_MAIN_OUTPUT_FOLDER), Utf8ToWide(folder).c_str());
  bool progressShown = false, mainDisabled = false, journalKept = false;
  WhenReady watch([] { return true; },
                  [&] {
                    progressShown = IsWindowVisible(ProgressWindow()) != FALSE;
                    mainDisabled = !IsWindowEnabled(hwnd);
                    journalKept = LoadBatchJournal().journal.has_value();
                  });
  Command(IDC_MAIN_CONVERT_SMALL);

  EXPECT_TRUE(Exists(folder + "\\a.avi"));
  EXPECT_EQ(dialog->OutputFolder(), folder);
  // The encoder started in the output folder; the program stands in its own.
  EXPECT_EQ(ReadBytes(encoder + "folder.txt"), folder);
  EXPECT_EQ(CurrentFolder(), ModuleDirectory());
  ASSERT_EQ(answerer.texts.size(), 1u);
  const std::string done = WideToUtf8(answerer.texts[0]);
  EXPECT_EQ(done.rfind("Mission accomplished! Total Time:00:00:0", 0), 0u) << done;
  EXPECT_EQ(done.size(), std::string("Mission accomplished! Total Time:00:00:00").size());
  EXPECT_EQ(answerer.icons, std::vector<std::string>{"information"});
  EXPECT_TRUE(watch.done() && progressShown && mainDisabled);
  EXPECT_TRUE(journalKept);
  EXPECT_FALSE(LoadBatchJournal().journal) << "the journal outlived its batch";
  EXPECT_TRUE(IsWindowEnabled(hwnd));
  EXPECT_FALSE(IsWindowVisible(ProgressWindow()));
}

// The folder's limit of 255 characters counts them as Windows does: 130
// letters of two UTF-8 bytes each are 130, not 260.
TEST_F(Commands, AnOutputFolderIsCountedInCharactersNotBytes) {
  AddRow(Source("a.wmv"), 65.0);
  std::string folder = scratch.Directory() + "out";
  for (int level = 0; level < 5; ++level) {  // a name on the disk below takes at most 255 bytes
    folder += "\\";
    for (int letter = 0; letter < 26; ++letter) folder += "\u00e9";
  }
  ASSERT_GT(folder.size(), 255u);
  ASSERT_LE(Utf16Length(folder), 255u);
  SetWindowTextW(GetDlgItem(hwnd, IDC_MAIN_OUTPUT_FOLDER), Utf8ToWide(folder).c_str());
  MessageBoxAnswerer answerer(IDOK);
  Command(IDC_MAIN_CONVERT);
  ASSERT_EQ(answerer.texts.size(), 1u);
  EXPECT_EQ(WideToUtf8(answerer.texts[0]).rfind("Mission accomplished!", 0), 0u) << WideToUtf8(answerer.texts[0]);
  EXPECT_TRUE(Exists(folder + "\\a.avi"));
  EXPECT_EQ(dialog->OutputFolder(), folder);

  // One character past 255 is refused.
  const std::string tooLong = folder + "\\" + std::string(255 - Utf16Length(folder), 'x');
  SetWindowTextW(GetDlgItem(hwnd, IDC_MAIN_OUTPUT_FOLDER), Utf8ToWide(tooLong).c_str());
  answerer.texts.clear();
  Command(IDC_MAIN_CONVERT);
  EXPECT_EQ(Utf8Texts(answerer.texts), std::vector<std::string>{"Fail to create tmp folder " + tooLong});
  EXPECT_FALSE(Exists(tooLong));
}

TEST_F(Commands, TheProgressWindowNamesTheFileAtWorkOverTheMainWindowAndItsRowIsInView) {
  // More rows than the list shows: the last must be scrolled to.
  constexpr int kFiles = 24;
  for (int i = 0; i + 1 < kFiles; ++i) AddRow(Source("f" + std::to_string(i) + ".wmv"), 65.0);
  const std::string longName =
      "a talk given at the yearly meeting on moving pictures, recorded from the back of the hall, part two.wmv";
  AddRow(Source(longName, std::string(kOkSource) + "seconds=20\nsleep_ms=40\n"), 65.0);
  const std::string longOutput = longName.substr(0, longName.size() - 4) + ".avi";
  SetWindowPos(hwnd, nullptr, 40, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  std::string second, last;
  std::pair<int, int> lastWidths;
  POINT mainCentre{}, progressCentre{};
  int selected = -1, top = -1, perPage = 0;
  MessageBoxAnswerer answerer(IDOK);
  WhenReady atSecond([] { return g_engineState.currentIndex == 1; },
                     [&] { second = WindowText(GetDlgItem(ProgressWindow(), IDC_PROGRESS_FILE)); });
  WhenReady atLast([&] { return g_engineState.currentIndex == kFiles - 1 && Exists(Partial(longOutput)); },
                   [&] {
                     const HWND line = GetDlgItem(ProgressWindow(), IDC_PROGRESS_FILE);
                     last = WindowText(line);
                     lastWidths = TextAndRoomWidth(line);
                     mainCentre = CentreOf(hwnd);
                     progressCentre = CentreOf(ProgressWindow());
                     selected = list.GetSelectedItem();
                     top = static_cast<int>(list.Send(LVM_GETTOPINDEX));
                     perPage = static_cast<int>(list.Send(LVM_GETCOUNTPERPAGE));
                     testing::SaveWindowPicture(ProgressWindow(), testing::PictureFolder() / "progress-window.bmp");
                   });
  Command(IDC_MAIN_CONVERT);

  ASSERT_TRUE(atSecond.done() && atLast.done());
  EXPECT_EQ(second, "File 2 of 24: f1.wmv");
  // The name shortened in the middle: its start and end stay, and it fits.
  EXPECT_EQ(last.rfind("File 24 of 24: a talk given", 0), 0u) << last;
  EXPECT_NE(last.find("\u2026"), std::string::npos) << last;
  EXPECT_EQ(last.substr(last.size() - 7), "two.wmv") << last;
  EXPECT_LE(lastWidths.first, lastWidths.second) << last;
  EXPECT_NEAR(progressCentre.x, mainCentre.x, 2);
  EXPECT_NEAR(progressCentre.y, mainCentre.y, 2);
  EXPECT_EQ(selected, kFiles - 1);
  EXPECT_LT(perPage, kFiles);
  EXPECT_TRUE(top <= kFiles - 1 && kFiles - 1 < top + perPage) << top << " " << perPage;
  // The status text below the file line is the batch's own.
  EXPECT_EQ(WindowText(GetDlgItem(ProgressWindow(), IDC_PROGRESS_STATUS)).rfind("Total time:", 0), 0u);
}

TEST_F(Commands, AFolderThatCannotBeCreatedIsReported) {
  AddRow(Source("a.wmv"), 65.0);
  WriteBytes(scratch.File("blocker"), "a file, not a folder");
  const std::string folder = scratch.Directory() + "blocker\\sub\\";
  SetWindowTextW(GetDlgItem(hwnd, IDC_MAIN_OUTPUT_FOLDER), Utf8ToWide(folder).c_str());
  MessageBoxAnswerer answerer(IDOK);
  Command(IDC_MAIN_CONVERT);
  EXPECT_EQ(Utf8Texts(answerer.texts), std::vector<std::string>{"Fail to create tmp folder " + folder});
  EXPECT_EQ(answerer.icons, std::vector<std::string>{"error"});
  EXPECT_TRUE(Calls().empty());
  EXPECT_FALSE(IsWindowVisible(ProgressWindow()));
}

TEST_F(Commands, AMovedFileIsConvertedWithItsOwnSizeAndRate) {
  const std::string a = Source("a.wmv", "duration=5\nwidth=320\nheight=240\nfps=250000000\n");
  const std::string b = Source("b.wmv", "duration=5\nwidth=1280\nheight=720\nfps=200000000\n");
  MessageBoxAnswerer answerer(IDOK);
  dialog->AddFilesFrom({a, b});
  g_settings.outputFormat = kFormatAvi;
  g_settings.aviResolution = 17;  // 640 x 480
  g_settings.aviFrameRate = 0;    // the source's own rate
  g_settings.letterbox = 1;
  Select(1);
  Command(IDC_MAIN_MOVE_UP);
  // One file after another, so that the order of the runs shows the list's.
  SetEnvironmentVariableW(L"VELTO_RUNS_AT_ONCE", L"1");
  Command(IDC_MAIN_CONVERT);
  SetEnvironmentVariableW(L"VELTO_RUNS_AT_ONCE", nullptr);

  const std::string outB = ReadBytes(output + "b.avi");
  const std::string outA = ReadBytes(output + "a.avi");
  EXPECT_NE(outB.find("\"" + b + "\" -o \"" + output + "b.avi\""), std::string::npos) << outB;
  EXPECT_NE(outB.find(" -ofps 20.000000"), std::string::npos) << outB;
  EXPECT_NE(outB.find(" -vf scale=640:-3,harddup,expand=640:480"), std::string::npos) << outB;
  EXPECT_NE(outA.find(" -ofps 25.000000"), std::string::npos) << outA;
  EXPECT_NE(outA.find(" -vf scale=640:480,harddup"), std::string::npos) << outA;
  EXPECT_EQ(outA.find("expand"), std::string::npos) << outA;
  EXPECT_EQ(Calls(), (std::vector<std::string>{"probe " + a, "probe " + b, "convert " + b, "convert " + a}));
}

// A probe sends the output size the last conversion left, not one made
// from the settings of the moment.
TEST_F(Commands, AProbeSendsTheOutputSizeOfTheLastConversion) {
  MessageBoxAnswerer answerer(IDOK);
  dialog->AddFilesFrom({Source("a.wmv")});
  g_settings.outputFormat = kFormatAvi;
  g_settings.aviResolution = 10;  // 320 x 240
  Command(IDC_MAIN_CONVERT);
  g_settings.outputFormat = kFormatVcd;  // 352 x 240 in NTSC
  g_settings.tvMode = kTvNtsc;
  dialog->AddFilesFrom({Source("b.wmv", std::string(kOkSource) + "probe_write=1\n")});
  ASSERT_EQ(g_mediaList.count(), 2);
  const std::string probe = ReadBytes(output + "b.mpeg");
  EXPECT_NE(probe.find(" -vf scale=320:240,harddup -endpos 9:0:0 1 "), std::string::npos) << probe;
}

TEST_F(Commands, OutputsNeverOverwriteAFileOrASourceOfTheList) {
  g_settings.outputFormat = kFormatWmv;
  const std::string inFolder = Source("clip.WMV");
  WriteBytes(output + "talk.wmv", "keep me");
  WriteBytes(output + "talk_wmv.wmv", "keep me too");
  const std::string talk = Source("talk.wmv");
  MessageBoxAnswerer answerer(IDOK);
  dialog->AddFilesFrom({talk, inFolder});
  // The output folder is the sources' folder: clip.WMV itself is a source.
  SetWindowTextW(GetDlgItem(hwnd, IDC_MAIN_OUTPUT_FOLDER), Utf8ToWide(sources).c_str());
  Command(IDC_MAIN_CONVERT);
  EXPECT_EQ(ReadBytes(inFolder), kOkSource);
  EXPECT_TRUE(Exists(sources + "clip_WMV.wmv"));
  EXPECT_TRUE(Exists(sources + "talk_wmv.wmv"));  // talk.wmv is the source itself

  SetWindowTextW(GetDlgItem(hwnd, IDC_MAIN_OUTPUT_FOLDER), Utf8ToWide(output).c_str());
  Command(IDC_MAIN_CONVERT);
  EXPECT_EQ(ReadBytes(output + "talk.wmv"), "keep me");
  EXPECT_EQ(ReadBytes(output + "talk_wmv.wmv"), "keep me too");
  EXPECT_TRUE(Exists(output + "talk_wmv_2.wmv"));
  EXPECT_TRUE(Exists(output + "clip.wmv"));
}

TEST_F(Commands, FailedFilesAreNamedWithTheirLogsAndTheBatchGoesOn) {
  const std::string a = Source("a.wmv");
  const std::string b = Source("b.wmv");
  const std::string c = Source("c.wmv");
  const std::string d = Source("d.wmv");
  MessageBoxAnswerer answerer(IDOK);
  dialog->AddFilesFrom({a, b, c, d});
  ASSERT_EQ(g_mediaList.count(), 4);
  // Made to fail after their probes: b ends with an error leaving a partial
  // file, c ends well but writes nothing.
  WriteBytes(b, std::string(kOkSource) + "convert_exit=5\n");
  WriteBytes(c, std::string(kOkSource) + "write=0\n");
  Command(IDC_MAIN_CONVERT);

  EXPECT_TRUE(Exists(output + "a.avi"));
  EXPECT_FALSE(Exists(output + "b.avi"));
  EXPECT_FALSE(Exists(Partial("b.avi")));
  EXPECT_FALSE(Exists(output + "c.avi"));
  EXPECT_TRUE(Exists(output + "d.avi"));
  ASSERT_EQ(answerer.texts.size(), 1u);
  const std::string message = WideToUtf8(answerer.texts[0]);
  EXPECT_EQ(message.find("Mission accomplished"), std::string::npos) << message;
  EXPECT_NE(message.find("2 of 4 files could not be converted."), std::string::npos) << message;
  EXPECT_NE(message.find(b + "\n    (the engine failed; log: "), std::string::npos) << message;
  EXPECT_EQ(answerer.icons, std::vector<std::string>{"warning"});
  EXPECT_NE(message.find(c + "\n    (no output was written"), std::string::npos) << message;
  // The named log is the one the failed run wrote.
  const size_t logStart = message.find("log: ") + 5;
  const std::string log = message.substr(logStart, message.find(')', logStart) - logStart);
  EXPECT_NE(log.find("veltoenc-"), std::string::npos);
  EXPECT_NE(ReadBytes(log).find(b), std::string::npos) << log;
  EXPECT_TRUE(IsWindowEnabled(hwnd));
  EXPECT_FALSE(IsWindowVisible(ProgressWindow()));
}

TEST_F(Commands, TheTaskbarFollowsTheBatchTurnsToErrorAndTheMachineStaysAwake) {
  const std::string a = Source("a.wmv"), b = Source("b.wmv"), c = Source("c.wmv");
  MessageBoxAnswerer answerer(IDOK);
  dialog->AddFilesFrom({a, b, c});
  ASSERT_EQ(g_mediaList.count(), 3);
  for (const std::string& path : {a, b, c}) WriteBytes(path, std::string(kOkSource) + "seconds=65\n");
  WriteBytes(b, std::string(kOkSource) + "seconds=65\nconvert_exit=5\n");
  RecordingIndicator::Record record;
  dialog->SetBatchIndicator(std::make_unique<RecordingIndicator>(record, answerer.texts));
  Command(IDC_MAIN_CONVERT);

  EXPECT_EQ(record.events, (std::vector<std::string>{"begin", "progress", "error", "progress", "end"}));
  ASSERT_FALSE(record.values.empty());
  EXPECT_TRUE(std::is_sorted(record.values.begin(), record.values.end()));
  EXPECT_EQ(record.values.back(), 1000);
  EXPECT_TRUE(record.awakeDuringProgress);
  // The error shows until the closing message has been answered.
  EXPECT_EQ(record.messagesBeforeEnd, 1u);
  EXPECT_FALSE(KeepsAwake());
}

// The closing summary of the newest batch, as kept beside the encoder's logs.
std::string NewestBatchSummary() {
  const std::filesystem::path folder = PathFromUtf8(EncoderLogFolder());
  std::filesystem::path newest;
  std::error_code ignored;
  for (const auto& file : std::filesystem::directory_iterator(folder, ignored)) {
    const std::wstring name = file.path().filename().wstring();
    if (name.starts_with(L"batch-") && (newest.empty() || file.path() > newest)) newest = file.path();
  }
  return newest.empty() ? std::string() : ReadBytes(WideToUtf8(newest.wstring()));
}

// Nobody waits to read the closing message: it is kept in a file, and the
// program closes instead of showing it.
TEST_F(Commands, CloseTheProgramWhenDoneKeepsTheSummaryInAFileInsteadOfShowingIt) {
  MessageBoxAnswerer answerer(IDOK);
  dialog->AddFilesFrom({Source("a.wmv", std::string(kOkSource) + "seconds=3\nsleep_ms=100\n")});
  WhenReady choose([&] { return IsWindowVisible(ProgressWindow()) != FALSE; },
                   [&] { SendMessageW(GetDlgItem(ProgressWindow(), IDC_PROGRESS_WHEN_DONE), CB_SETCURSEL, 1, 0); });
  Command(IDC_MAIN_CONVERT);

  ASSERT_TRUE(choose.done());
  EXPECT_TRUE(answerer.texts.empty());
  EXPECT_FALSE(IsWindowVisible(hwnd)) << "the program did not close";  // a modeless window hides
  const std::string summary = NewestBatchSummary();
  EXPECT_EQ(summary.rfind("Mission accomplished! Total Time:00:00:0", 0), 0u) << summary;
}

// Once per batch, not per file, and only when the user looks elsewhere.
TEST_F(Commands, TheEndOfABatchIsSignalledOnceWhenAnotherWindowIsActive) {
  MessageBoxAnswerer answerer(IDOK);
  const std::string slow = std::string(kOkSource) + "seconds=3\nsleep_ms=100\n";
  dialog->AddFilesFrom({Source("a.wmv", slow), Source("b.wmv", slow)});
  RecordingIndicator::Record record;
  dialog->SetBatchIndicator(std::make_unique<RecordingIndicator>(record, answerer.texts));
  SetForegroundWindow(hwnd);
  Command(IDC_MAIN_CONVERT);
  EXPECT_EQ(record.endSignals, 0);

  const HWND elsewhere = CreateWindowExW(0, L"Static", L"elsewhere", WS_POPUP | WS_VISIBLE, 0, 0, 80, 40, nullptr,
                                         nullptr, nullptr, nullptr);
  WhenReady lookAway([&] { return IsWindowVisible(ProgressWindow()) != FALSE; },
                     [&] { SetForegroundWindow(elsewhere); });
  Command(IDC_MAIN_CONVERT);
  DestroyWindow(elsewhere);
  EXPECT_TRUE(lookAway.done());
  EXPECT_EQ(record.endSignals, 1);
}

// Every file starts from the start-up position, 999: a first report of
// exactly 999 is not shown.
TEST_F(Commands, AFirstPositionOfNineHundredNinetyNineIsNotShown) {
  const std::string a = Source("a.wmv", "duration=1000\nwidth=320\nheight=240\nfps=250000000\nfirst=999\nseconds=999\n");
  MessageBoxAnswerer answerer(IDOK);
  dialog->AddFilesFrom({a});
  ASSERT_EQ(g_mediaList.count(), 1);
  Command(IDC_MAIN_CONVERT);
  ASSERT_EQ(answerer.texts.size(), 1u);
  EXPECT_EQ(WindowText(GetDlgItem(ProgressWindow(), IDC_PROGRESS_STATUS)),
            "Total time:00:00:00,Elapsed time:00:00:00;Finished 0.0%");
  EXPECT_EQ(SendMessageW(GetDlgItem(ProgressWindow(), IDC_PROGRESS_BAR), PBM_GETPOS, 0, 0), 0);
}

// Silent but for the files that failed before the stop.
TEST_F(Commands, ConfirmedCancelDuringTheThirdFileNamesOnlyTheFilesThatFailedBefore) {
  const std::string a = Source("a.wmv");
  const std::string b = Source("b.wmv");
  const std::string c = Source("c.wmv");
  const std::string d = Source("d.wmv");
  MessageBoxAnswerer answerer(IDYES);
  dialog->AddFilesFrom({a, b, c, d});
  ASSERT_EQ(g_mediaList.count(), 4);
  WriteBytes(b, std::string(kOkSource) + "convert_exit=5\n");
  WriteBytes(c, std::string(kOkSource) + "seconds=500\nsleep_ms=20\n");
  std::string cancelText;
  WhenReady cancel([&] { return g_engineState.currentIndex == 2 && Exists(Partial("c.avi")); },
                   [&] {
                     ClickCancel();
                     cancelText = WindowText(GetDlgItem(ProgressWindow(), IDC_PROGRESS_STATUS));
                   });
  Command(IDC_MAIN_CONVERT);

  ASSERT_TRUE(cancel.done());
  EXPECT_EQ(cancelText, "Cancel processing...");
  ASSERT_EQ(answerer.texts.size(), 2u);
  EXPECT_EQ(WideToUtf8(answerer.texts[0]), "Do you really want to stop?");
  const std::string summary = WideToUtf8(answerer.texts[1]);
  EXPECT_EQ(summary.rfind("1 of 4 files could not be converted.", 0), 0u) << summary;
  EXPECT_NE(summary.find(b + "\n    (the engine failed"), std::string::npos) << summary;
  EXPECT_EQ(summary.find(c), std::string::npos) << summary;
  EXPECT_EQ(answerer.icons, (std::vector<std::string>{"question", "warning"}));
  EXPECT_TRUE(Exists(output + "a.avi"));
  EXPECT_FALSE(Exists(output + "b.avi"));
  EXPECT_FALSE(Exists(output + "c.avi"));
  const auto calls = Calls();
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "convert " + d), 0);
  EXPECT_TRUE(IsWindowEnabled(hwnd));
  EXPECT_FALSE(IsWindowVisible(ProgressWindow()));
  EXPECT_FALSE(dialog->IsBusy());
}

// An encoder that reports nothing (stuck on a lost network share): Cancel is
// asked about without a report, and Yes ends the encoder.
TEST_F(Commands, CancelWithASilentEncoderIsAskedAnywayAndYesEndsIt) {
  const std::string a = Source("a.wmv"), b = Source("b.wmv");
  MessageBoxAnswerer answerer(IDYES);
  dialog->AddFilesFrom({a, b});
  WriteBytes(a, std::string(kOkSource) + "reports=0\nstall_ms=120000\n");
  WhenReady cancel([&] { return Exists(Partial("a.avi")); }, [&] { ClickCancel(); });
  Command(IDC_MAIN_CONVERT);

  ASSERT_TRUE(cancel.done());
  EXPECT_EQ(Utf8Texts(answerer.texts), std::vector<std::string>{"Do you really want to stop?"});
  EXPECT_FALSE(Exists(Partial("a.avi")));
  EXPECT_FALSE(Exists(encoder + "reports.txt"));  // ended before its end
  EXPECT_EQ(Calls(), (std::vector<std::string>{"probe " + a, "probe " + b, "convert " + a}));
  EXPECT_TRUE(IsWindowEnabled(hwnd));
}

// The session ends during a batch: the settings are kept, the encoder at
// work is ended with its temporary output removed, and nothing more is
// converted or said.
TEST_F(Commands, TheSessionsEndInterruptsTheBatch) {
  const std::string a = Source("a.wmv"), b = Source("b.wmv");
  MessageBoxAnswerer answerer(IDOK);
  dialog->AddFilesFrom({a, b});
  WriteBytes(a, std::string(kOkSource) + "reports=0\nstall_ms=120000\n");
  g_settings.outputFormat = kFormatDvd;
  WhenReady end([&] { return Exists(Partial("a.vob")); },
                [&] {
                  SendMessageW(hwnd, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
                  SendMessageW(hwnd, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
                });
  Command(IDC_MAIN_CONVERT);

  ASSERT_TRUE(end.done());
  EXPECT_NE(ReadBytes(scratch.File("option.ini")).find("Output format=7"), std::string::npos);
  EXPECT_FALSE(Exists(Partial("a.vob")));
  EXPECT_FALSE(Exists(output + "a.vob"));
  EXPECT_FALSE(Exists(encoder + "reports.txt"));
  EXPECT_EQ(Calls(), (std::vector<std::string>{"probe " + a, "probe " + b, "convert " + a}));
  EXPECT_TRUE(answerer.texts.empty());
  // Kept for the next start, the interrupted file with its output.
  const LoadedJournal kept = LoadBatchJournal();
  ASSERT_TRUE(kept.journal);
  EXPECT_EQ(kept.journal->DoneCount(), 0);
  ASSERT_EQ(kept.journal->files.size(), 2u);
  EXPECT_TRUE(kept.journal->files[0].output.ends_with("a.vob")) << kept.journal->files[0].output;
}

// Yes to the question at the start: the files not done are converted with
// the journal's settings, the done one is left alone, and the journal goes.
TEST_F(Commands, AContinuedBatchConvertsWhatWasNotDoneWithItsOwnSettings) {
  const std::string a = Source("a.wmv", std::string(kOkSource) + "seconds=3\n");
  const std::string b = Source("b.wmv", std::string(kOkSource) + "seconds=3\n");
  BatchJournal journal;
  journal.settings.outputFormat = kFormatDvd;
  journal.outputFolder = output;
  journal.files = {{{a, 3.0, 320, 240, 25.0, 0.0}, output + "a.vob", JournalState::kDone, "", 0},
                   {{b, 3.0, 320, 240, 25.0, 0.0}, "", JournalState::kWaiting, "", 0}};
  ASSERT_TRUE(SaveBatchJournal(journal));
  MessageBoxAnswerer answerer(IDYES);
  dialog->OfferResume();

  ASSERT_EQ(answerer.texts.size(), 2u);
  EXPECT_EQ(WideToUtf8(answerer.texts[0]),
            "The last conversion stopped before it finished (1 of 2 files done). Continue it?");
  EXPECT_EQ(Calls(), std::vector<std::string>{"convert " + b});
  EXPECT_TRUE(Exists(output + "b.vob"));
  EXPECT_EQ(Column(1), std::vector<std::string>{b});
  EXPECT_FALSE(LoadBatchJournal().journal);
}

// Another's file took the output's name as it was published: the name the
// output got is journaled at once, the session's end removes neither file,
// and the continued batch counts the file done.
TEST_F(Commands, TheNameAnOutputGotIsKeptAndCountsAsDoneAfterAnInterruption) {
  const std::string a = Source("a.wmv");
  MessageBoxAnswerer answerer(IDYES);
  dialog->AddFilesFrom({a});
  WriteBytes(a, std::string(kOkSource) + "taken=1\nafter_ms=120000\n");
  WhenReady end([&] { return Exists(output + "a_2.avi"); },
                [&] {
                  SendMessageW(hwnd, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
                  SendMessageW(hwnd, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
                });
  Command(IDC_MAIN_CONVERT);
  ASSERT_TRUE(end.done());
  EXPECT_EQ(ReadBytes(output + "a.avi"), "another's\r\n");
  EXPECT_TRUE(Exists(output + "a_2.avi"));

  dialog->OfferResume();
  EXPECT_EQ(Calls(), (std::vector<std::string>{"probe " + a, "convert " + a}));
  ASSERT_EQ(answerer.texts.size(), 2u);
  EXPECT_EQ(WideToUtf8(answerer.texts[1]).rfind("Mission accomplished!", 0), 0u) << WideToUtf8(answerer.texts[1]);
  EXPECT_TRUE(Exists(output + "a_2.avi"));
}

// A file that failed gave its name up to a later file of the same name in
// an older journal: it is converted again under a name of its own, and the
// other's output is left alone.
TEST_F(Commands, AFailedFileWhoseNameAnotherFileTookIsConvertedOnResume) {
  const std::string asf = Source("clip.asf", std::string(kOkSource) + "seconds=3\n");
  const std::string wmv = Source("clip.wmv", std::string(kOkSource) + "seconds=3\n");
  WriteBytes(output + "clip.avi", "clip.wmv's\r\n");
  BatchJournal journal;
  journal.outputFolder = output;
  journal.files = {{{asf, 3.0, 320, 240, 25.0, 0.0}, output + "clip.avi", JournalState::kFailed, "", 0},
                   {{wmv, 3.0, 320, 240, 25.0, 0.0}, output + "clip.avi", JournalState::kDone, "", 0}};
  ASSERT_TRUE(SaveBatchJournal(journal));
  MessageBoxAnswerer answerer(IDYES);
  dialog->OfferResume();

  EXPECT_EQ(Calls(), std::vector<std::string>{"convert " + asf});
  EXPECT_EQ(ReadBytes(output + "clip.avi"), "clip.wmv's\r\n");
  EXPECT_TRUE(Exists(output + "clip_asf.avi"));
  ASSERT_EQ(answerer.texts.size(), 2u);
  EXPECT_EQ(WideToUtf8(answerer.texts[1]).rfind("Mission accomplished!", 0), 0u) << WideToUtf8(answerer.texts[1]);
}

// The pointer passed over Remove; Enter then removes nothing.
TEST_F(Commands, EnterPressesNoButtonThePointerCrossed) {
  AddRow("C:\\a.wmv", 1.0);
  AddRow("C:\\b.wmv", 2.0);
  Select(0);
  SendMessageW(GetDlgItem(hwnd, IDC_MAIN_REMOVE), WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
  Pump();
  list.SetFocus();
  PostMessageW(list.Handle(), WM_KEYDOWN, VK_RETURN, 0);
  Pump();
  EXPECT_EQ(list.GetItemCount(), 2);
  EXPECT_TRUE(IsWindowVisible(hwnd));
}

// Without the program's folder the encoder is not looked for elsewhere: a
// veltoenc.exe in the current folder is never started.
TEST_F(Commands, WithoutTheProgramsFolderNothingIsStartedFromTheCurrentFolder) {
  const std::string a = Source("a.wmv");
  AddRow(a, 65.0);
  testing::InstallStandInEncoder(output);
  dialog->SetEncoderDirectory("");
  const std::string before = CurrentFolder();
  SetCurrentDirectoryW(Utf8ToWide(output).c_str());
  MessageBoxAnswerer answerer(IDOK);
  dialog->AddFilesFrom({a});
  Command(IDC_MAIN_CONVERT);
  SetCurrentDirectoryW(Utf8ToWide(before).c_str());
  EXPECT_FALSE(Exists(output + "calls.txt"));
  EXPECT_EQ(Utf8Texts(answerer.texts),
            (std::vector<std::string>{"Load file " + a + " failed. (the encoder could not be started)",
                                      "The program's own folder cannot be found, so veltoenc.exe cannot be "
                                      "started. Nothing was converted."}));
}

// ---------------------------------------------------------------- Preview

// The stand-in's previews: a refused moment says why and the window goes on;
// a file that ends before the moment says its last picture is shown; closing
// during a run ends it at once and leaves no picture behind.
TEST_F(Commands, APreviewSaysWhyOrThatTheFileEndsEarlierAndClosingEndsItsRun) {
  AddRow(Source("cut.wmv", std::string(kOkSource) + "preview_end=3\n"), 65.0);
  AddRow(Source("bad.wmv", std::string(kOkSource) + "preview_exit=3\n"), 65.0);
  AddRow(Source("slow.wmv", std::string(kOkSource) + "preview_sleep_ms=30000\n"), 65.0);
  MessageBoxAnswerer answerer(IDOK);
  Select(-1);
  Command(IDM_LIST_PREVIEW);
  EXPECT_EQ(Utf8Texts(answerer.texts), std::vector<std::string>{"No item was selected!"});

  std::vector<std::string> seen;
  const auto idle = [] { return Preview() && !Preview()->Working(); };
  Select(0);
  {
    testing::Steps steps({{idle, [&] {
                             seen = {PreviewItem(IDC_PREVIEW_TIME), PreviewItem(IDC_PREVIEW_STATUS),
                                     std::to_string(Preview()->PictureWidth())};
                             ClosePreview();
                           }}},
                         20000, GiveUp);
    Command(IDM_LIST_PREVIEW);
    EXPECT_TRUE(steps.done());
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"00:00:06", "The file ends before this moment: its last picture is shown.",
                                            "8"}));
  Select(1);
  {
    testing::Steps steps({{idle, [&] {
                             seen = {PreviewItem(IDC_PREVIEW_STATUS)};
                             MovePreviewTo(300);
                           }},
                          {idle, [&] {
                             seen.push_back(PreviewItem(IDC_PREVIEW_TIME));
                             ClosePreview();
                           }}},
                         20000, GiveUp);
    Command(IDM_LIST_PREVIEW);
    EXPECT_TRUE(steps.done());
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"No picture of this moment: the source cannot be read.", "00:00:30"}));
  const std::vector<std::string> calls = Calls();
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "preview " + g_mediaList.at(1).path), 2);

  Select(2);
  std::string picture;
  DWORD closedAt = 0;
  {
    testing::Steps steps({{[] { return Preview() && Preview()->Working(); },
                           [&] {
                             picture = Preview()->PicturePath();
                             closedAt = GetTickCount();
                             ClosePreview();
                           }}},
                         20000, GiveUp);
    Command(IDM_LIST_PREVIEW);
    EXPECT_TRUE(steps.done());
  }
  EXPECT_LT(GetTickCount() - closedAt, 5000u);
  EXPECT_TRUE(testing::ChildProcesses(GetCurrentProcessId(), L"veltoenc.exe").empty());
  EXPECT_FALSE(picture.empty());
  EXPECT_FALSE(Exists(picture));
}

// ---------------------------------------------------------------- the real encoder

TEST_F(Commands, WithTheRealEncoderAClipIsAddedAndConvertedAndWhatIsNoVideoIsRefusedWithItsCause) {
  if (!Exists(ModuleDirectory() + "veltoenc.exe") || !Exists(ModuleDirectory() + "ffmpeg.exe")) {
    GTEST_SKIP() << "veltoenc.exe or ffmpeg.exe is not beside the tests";
  }
  const std::string clip = sources + "clip \xC3\xBC.wmv";
  ASSERT_TRUE(testing::Ffmpeg("-f lavfi -i testsrc=size=320x240:rate=25 -t 2 -c:v wmv2 -an -f asf", clip));
  const std::string garbage = Source("garbage.wmv", "this is no video");
  const std::string sound = sources + "sound only.wma.wmv";
  ASSERT_TRUE(testing::Ffmpeg("-f lavfi -i sine=duration=1 -c:a wmav2 -f asf", sound));
  const std::string missing = sources + "gone.wmv";
  dialog->SetEncoderDirectory(ModuleDirectory());
  MessageBoxAnswerer answerer(IDOK);
  answerer.PictureNext("refused-files.bmp");
  dialog->AddFilesFrom({clip, garbage, sound, missing});
  EXPECT_EQ(Column(1), std::vector<std::string>{clip});
  EXPECT_EQ(Column(2), std::vector<std::string>{"00:00:02"});
  ASSERT_EQ(g_mediaList.count(), 1);
  EXPECT_EQ(g_mediaList.at(0).width, 320);
  EXPECT_NEAR(g_mediaList.at(0).frameRate, 25.0, 0.01);
  EXPECT_EQ(Utf8Texts(answerer.texts),
            std::vector<std::string>{"Load file " + garbage + " failed. (the source is not a video file)\nLoad file " +
                                     sound + " failed. (the source has no video stream)\nLoad file " + missing +
                                     " failed. (the source cannot be read)"});
  EXPECT_EQ(answerer.icons, std::vector<std::string>{"warning"});

  answerer.texts.clear();
  g_settings.outputFormat = kFormatAvi;
  Command(IDC_MAIN_CONVERT);
  ASSERT_EQ(answerer.texts.size(), 1u);
  EXPECT_EQ(WideToUtf8(answerer.texts[0]).rfind("Mission accomplished! Total Time:", 0), 0u)
      << WideToUtf8(answerer.texts[0]);
  EXPECT_GT(std::filesystem::file_size(PathFromUtf8(output + "clip \xC3\xBC.avi")), 1000u);
}

// Frames of the first video stream that decode, as the engine counts them:
// each becomes 64 bytes of an 8 x 8 grey picture.
int DecodedFrames(const std::string& path, const std::string& pictures) {
  if (testing::RunProgram(Utf8ToWide(ModuleDirectory() + "ffmpeg.exe"),
                          L"-hide_banner -loglevel quiet -y -i \"file:" + Utf8ToWide(path) +
                              L"\" -map 0:v:0 -vsync passthrough -vf scale=8:8 -pix_fmt gray -f rawvideo \"file:" +
                              Utf8ToWide(pictures) + L"\"") != 0) {
    return -1;
  }
  return static_cast<int>(ReadBytes(pictures).size() / 64);
}

// A download that stopped: the header intact, the data cut at 90 % and at
// 50 %, and once inside the first data packet, before any video.
TEST_F(Commands, WithTheRealEncoderCutFilesGiveTheirDataAndNoVideoIsRefused) {
  if (!Exists(ModuleDirectory() + "veltoenc.exe") || !Exists(ModuleDirectory() + "ffmpeg.exe")) {
    GTEST_SKIP() << "veltoenc.exe or ffmpeg.exe is not beside the tests";
  }
  const std::string whole = sources + "whole.wmv";
  ASSERT_TRUE(testing::Ffmpeg("-f lavfi -i testsrc=size=640x480:rate=25 -f lavfi -i sine=sample_rate=44100 -t 10 "
                              "-c:v wmv2 -b:v 800k -c:a wmav2 -ac 2 -f asf",
                              whole));
  const std::string bytes = ReadBytes(whole);
  ASSERT_GT(bytes.size(), 100000u);
  std::uint64_t headerSize = 0;
  for (int i = 7; i >= 0; --i) headerSize = headerSize << 8 | static_cast<unsigned char>(bytes[16 + i]);
  const std::string c90 = Source("cut 90.wmv", bytes.substr(0, bytes.size() * 9 / 10));
  const std::string c50 = Source("cut 50.wmv", bytes.substr(0, bytes.size() / 2));
  const std::string empty = Source("no video.wmv", bytes.substr(0, headerSize + 50 + 100));
  dialog->SetEncoderDirectory(ModuleDirectory());
  MessageBoxAnswerer answerer(IDOK);
  dialog->AddFilesFrom({c90, c50, empty});
  EXPECT_EQ(Column(1), (std::vector<std::string>{c90, c50}));
  EXPECT_EQ(Utf8Texts(answerer.texts),
            std::vector<std::string>{"Load file " + empty + " failed. (the source has no video stream)"});
  ASSERT_EQ(g_mediaList.count(), 2);

  const std::string frames = scratch.File("frames.raw");
  for (const auto& [format, extension, fps] :
       {std::tuple{kFormatDvd, ".vob", 30000.0 / 1001}, std::tuple{kFormatAvi, ".avi", 25.0}}) {
    answerer.texts.clear();
    g_settings.outputFormat = format;
    Command(IDC_MAIN_CONVERT);
    ASSERT_EQ(answerer.texts.size(), 1u);
    EXPECT_EQ(WideToUtf8(answerer.texts[0]).rfind("Mission accomplished!", 0), 0u) << WideToUtf8(answerer.texts[0]);
    for (int i = 0; i < 2; ++i) {
      const MediaEntry& entry = g_mediaList.at(i);
      const double present = DecodedFrames(entry.path, frames) / 25.0;
      SCOPED_TRACE(entry.path + extension);
      EXPECT_NEAR(entry.duration, present, 1.0);
      const std::string out = output + (i == 0 ? "cut 90" : "cut 50") + extension;
      EXPECT_NEAR(DecodedFrames(out, frames) / fps, present, 1.0);
    }
  }
}

// The preview opened by a double click and from the menu, its slider moved,
// and Output Settings changed from it: the picture follows (AVI 320 x 240,
// then DVD's 720 x 480), and closing during a run leaves nothing running.
TEST_F(Commands, WithTheRealEncoderThePreviewFollowsTheSliderAndTheOutputSettings) {
  if (!Exists(ModuleDirectory() + "veltoenc.exe") || !Exists(ModuleDirectory() + "ffmpeg.exe")) {
    GTEST_SKIP() << "veltoenc.exe or ffmpeg.exe is not beside the tests";
  }
  const std::string clip = sources + "clip \xC3\xBC.wmv";
  ASSERT_TRUE(testing::Ffmpeg("-f lavfi -i testsrc=size=640x480:rate=25 -t 10 -c:v wmv2 -an -f asf", clip));
  dialog->SetEncoderDirectory(ModuleDirectory());
  MessageBoxAnswerer answerer(IDOK);
  dialog->AddFilesFrom({clip});
  ASSERT_EQ(g_mediaList.count(), 1);
  g_settings.outputFormat = kFormatAvi;
  g_settings.aviResolution = 10;  // 320 x 240
  g_settings.letterbox = 1;
  g_settings.dvdAspectRatio = 1;  // 16:9

  std::vector<std::string> seen;
  std::string picture;
  const auto shows = [](int width) {
    return [width] { return Preview() && !Preview()->Working() && Preview()->PictureWidth() == width; };
  };
  const auto look = [&] {
    seen.insert(seen.end(), {WindowText(Preview()->Handle()), PreviewItem(IDC_PREVIEW_TIME),
                             PreviewItem(IDC_PREVIEW_OUTPUT), PreviewItem(IDC_PREVIEW_STATUS),
                             std::to_string(Preview()->PictureWidth()) + "x" +
                                 std::to_string(Preview()->PictureHeight())});
  };
  testing::Steps byDoubleClick({{shows(320), [&] {
                                   look();
                                   MovePreviewTo(50);
                                 }},
                                {shows(320), [&] {
                                   seen.push_back(PreviewItem(IDC_PREVIEW_TIME));
                                   PostMessageW(Preview()->Handle(), WM_COMMAND, IDC_PREVIEW_SETTINGS, 0);
                                 }},
                                {[] { return WindowText(GetActiveWindow()) == "Output Settings"; },
                                 [] {
                                   const HWND settings = GetActiveWindow();
                                   const HWND format = GetDlgItem(settings, IDC_SETTINGS_FORMAT);
                                   SendMessageW(format, CB_SETCURSEL, kFormatDvd, 0);
                                   SendMessageW(settings, WM_COMMAND, MAKEWPARAM(IDC_SETTINGS_FORMAT, CBN_SELCHANGE),
                                                reinterpret_cast<LPARAM>(format));
                                   PostMessageW(settings, WM_COMMAND, IDOK, 0);
                                 }},
                                {shows(720), [&] {
                                   look();
                                   ClosePreview();
                                 }}},
                               60000, GiveUp);
  Select(0);
  NMITEMACTIVATE click{};
  click.hdr = {list.Handle(), static_cast<UINT_PTR>(IDC_MAIN_FILE_LIST), static_cast<UINT>(NM_DBLCLK)};
  click.iItem = 0;
  SendMessageW(hwnd, WM_NOTIFY, IDC_MAIN_FILE_LIST, reinterpret_cast<LPARAM>(&click));
  ASSERT_TRUE(byDoubleClick.done()) << "step " << byDoubleClick.failedStep() << " did not come";
  EXPECT_EQ(seen, (std::vector<std::string>{
                      "Preview - clip \xC3\xBC.wmv", "00:00:01", "AVI, 320 x 240, 25 fps", "", "320x240", "00:00:05",
                      "Preview - clip \xC3\xBC.wmv", "00:00:05",
                      "DVD compatible MPEG2, 720 x 480, 16:9, letterboxed, 29.97 fps", "", "720x480"}));
  EXPECT_EQ(g_settings.outputFormat, kFormatDvd);

  // From the menu, closed while its run works.
  testing::Steps fromTheMenu({{[] { return Preview() && Preview()->Working(); }, [&] {
                                 picture = Preview()->PicturePath();
                                 ClosePreview();
                               }}},
                             60000, GiveUp);
  Command(IDM_LIST_PREVIEW);
  ASSERT_TRUE(fromTheMenu.done());
  // The engine's runs go with the encoder's job as it is ended.
  for (const DWORD end = GetTickCount() + 3000;
       !testing::ProcessesNamed({L"veltoenc.exe", L"ffmpeg.exe"}).empty() && GetTickCount() < end;)
    Sleep(50);
  EXPECT_TRUE(testing::ProcessesNamed({L"veltoenc.exe", L"ffmpeg.exe"}).empty());
  EXPECT_FALSE(Exists(picture));
}

}  // namespace
}  // namespace velto
