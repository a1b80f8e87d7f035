// Start-up and shutdown of the real VeltoConverter.exe, watched from
// outside: the Tip of the Day before the main window (or not at all with
// /Embedding), the per-user profile, the settings saved once when the main
// window closes, and the skin layer shut down last (the program writes each
// step to the debug output).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "res/resource_ids.h"
#include "tests/support/remote_program.h"
#include "tests/support/scratch_dir.h"

namespace velto::testing {
namespace {

constexpr DWORD kWindowTimeoutMs = 60000;
constexpr wchar_t kTipTitle[] = L"Tip of the Day";

bool IsMainWindow(HWND window) { return GetDlgItem(window, IDC_MAIN_FILE_LIST) != nullptr; }
bool IsTipWindow(HWND window) { return WideWindowText(window) == kTipTitle; }

// The names that appear in a folder (created or renamed to), recorded
// while the watcher lives.
class FolderWatcher {
 public:
  explicit FolderWatcher(const std::wstring& folder) {
    folder_ = CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                          nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
    event_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (folder_ != INVALID_HANDLE_VALUE && event_ && Arm()) thread_ = std::thread([this] { Watch(); });
  }
  ~FolderWatcher() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (folder_ != INVALID_HANDLE_VALUE) {
      CancelIo(folder_);
      CloseHandle(folder_);
    }
    if (event_) CloseHandle(event_);
  }
  FolderWatcher(const FolderWatcher&) = delete;
  FolderWatcher& operator=(const FolderWatcher&) = delete;

  bool Works() const { return thread_.joinable(); }

  int TimesWritten(const std::wstring& name) const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(std::count_if(appeared_.begin(), appeared_.end(), [&](const std::wstring& found) {
      return CompareStringOrdinal(found.c_str(), -1, name.c_str(), -1, TRUE) == CSTR_EQUAL;
    }));
  }

 private:
  bool Arm() {
    ResetEvent(event_);
    overlapped_ = OVERLAPPED{};
    overlapped_.hEvent = event_;
    return ReadDirectoryChangesW(folder_, buffer_, sizeof buffer_, FALSE,
                                 FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE, nullptr, &overlapped_,
                                 nullptr) != FALSE;
  }

  void Watch() {
    while (!stop_) {
      if (WaitForSingleObject(event_, 50) != WAIT_OBJECT_0) continue;
      DWORD size = 0;
      if (!GetOverlappedResult(folder_, &overlapped_, &size, FALSE)) return;
      Record(size);
      if (!Arm()) return;
    }
  }

  void Record(DWORD size) {
    std::lock_guard lock(mutex_);
    DWORD offset = 0;
    while (size >= sizeof(FILE_NOTIFY_INFORMATION) && offset < size) {
      const auto* info = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(buffer_ + offset);
      if (info->Action == FILE_ACTION_ADDED || info->Action == FILE_ACTION_RENAMED_NEW_NAME) {
        appeared_.emplace_back(info->FileName, info->FileNameLength / sizeof(wchar_t));
      }
      if (info->NextEntryOffset == 0) break;
      offset += info->NextEntryOffset;
    }
  }

  HANDLE folder_ = INVALID_HANDLE_VALUE;
  HANDLE event_ = nullptr;
  OVERLAPPED overlapped_{};
  alignas(DWORD) BYTE buffer_[16384];
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  std::vector<std::wstring> appeared_;
  std::thread thread_;
};

class ProgramStart : public ::testing::Test {
 protected:
  void SetUp() override {
    SetEnvironmentVariableW(L"APPDATA", appData.c_str());
    profilePath = appData + L"\\Velto ASF Converter\\VeltoConverter.INI";
  }
  void TearDown() override {
    program.Kill();
    SetEnvironmentVariableW(L"APPDATA", nullptr);
  }

  void Start(const std::wstring& arguments = {}) {
    ASSERT_TRUE(monitor.Works());
    ASSERT_TRUE(program.Start(bin + L"VeltoConverter.exe", arguments, bin));
    monitor.FollowProcess(program.Id());
  }

  // "StartUp" of the Tip of the Day in the per-user profile: "0" shows it
  // at start-up, "1" does not.
  void SetTipStartUp(const wchar_t* value) {
    CreateDirectoryW((appData + L"\\Velto ASF Converter").c_str(), nullptr);
    ASSERT_TRUE(WritePrivateProfileStringW(L"Tip", L"StartUp", value, profilePath.c_str()));
  }

  // Started with the Tip of the Day switched off: its main window.
  HWND StartWithoutTip() {
    SetTipStartUp(L"1");
    Start();
    const HWND main =
        program.WaitForDialog([](HWND w) { return IsMainWindow(w) || IsTipWindow(w); }, kWindowTimeoutMs);
    EXPECT_TRUE(main && IsMainWindow(main)) << "no main window, or a Tip of the Day although it is switched off";
    return main && IsMainWindow(main) ? main : nullptr;
  }

  // Waits until option.ini has been written and a second write would have
  // been seen; how often it was.
  static int TimesSettingsWritten(const FolderWatcher& watcher) {
    WaitUntil([&] { return watcher.TimesWritten(L"option.ini") > 0; }, 2000);
    Sleep(300);
    return watcher.TimesWritten(L"option.ini");
  }

  void CloseMainWindow(HWND main) {
    PostMessageW(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(program.WaitForEnd(30000)) << "the program did not end after its main window was closed";
  }

  std::vector<std::string> Steps() {
    // The last lines may still be on their way from the ended process.
    WaitUntil([&] { return !monitor.Lines().empty() && monitor.Lines().back() == "VeltoConverter: skin shut down"; },
              3000);
    std::vector<std::string> steps;
    for (const std::string& line : monitor.Lines()) {
      if (line.rfind("VeltoConverter: ", 0) == 0) steps.push_back(line.substr(16));
    }
    return steps;
  }

  std::wstring bin = ExecutableFolder();
  std::wstring settingsPath = bin + L"option.ini";
  FileSetAside settingsFile{settingsPath};
  ScratchDir appDataFolder{"program appdata"};
  std::wstring appData = appDataFolder.path().wstring();
  std::wstring profilePath;
  DebugOutputMonitor monitor;
  RemoteProgram program;
};

TEST_F(ProgramStart, ShowsTheTipBeforeTheMainWindowAndKeepsItsSettingsPerUser) {
  Start();
  const HWND tip = program.WaitForDialog(IsTipWindow, kWindowTimeoutMs);
  ASSERT_NE(tip, nullptr) << "no Tip of the Day";
  EXPECT_EQ(program.FindDialog(IsMainWindow), nullptr) << "the main window is there before the tip was closed";
  EXPECT_EQ(SendMessageW(GetDlgItem(tip, IDC_TIP_STARTUP), BM_GETCHECK, 0, 0), BST_CHECKED);
  // The per-user profile folder was made and holds the tips file's time stamp.
  wchar_t stamp[64] = {};
  GetPrivateProfileStringW(L"Tip", L"TimeStamp", L"", stamp, 64, profilePath.c_str());
  EXPECT_NE(std::wstring(stamp), L"") << "nothing in the per-user profile";

  // Clear "Show Tips on StartUp" and close: the choice lands in the per-user profile.
  SendMessageW(GetDlgItem(tip, IDC_TIP_STARTUP), BM_SETCHECK, BST_UNCHECKED, 0);
  PostCommand(tip, IDOK);
  const HWND main = program.WaitForDialog(IsMainWindow, kWindowTimeoutMs);
  ASSERT_NE(main, nullptr) << "no main window after the tip was closed";
  EXPECT_EQ(GetPrivateProfileIntW(L"Tip", L"StartUp", -1, profilePath.c_str()), 1);
  CloseMainWindow(main);

  const std::vector<std::string> expected = {
      "no player control beside the program", "skin started", "skin loaded", "dialog style set", "tip shown",
      "main window constructed", "main window closed", "main window destroyed", "skin shut down"};
  EXPECT_EQ(Steps(), expected);
}

TEST_F(ProgramStart, OffersNoTipWhenStartedAsAnAutomationServer) {
  SetTipStartUp(L"0");
  Start(L"/Embedding");
  const HWND main = program.WaitForDialog([](HWND w) { return IsMainWindow(w) || IsTipWindow(w); }, kWindowTimeoutMs);
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(IsMainWindow(main)) << "the Tip of the Day was shown";
  CloseMainWindow(main);
  const std::vector<std::string> steps = Steps();
  EXPECT_NE(std::find(steps.begin(), steps.end(), "tip not offered"), steps.end());
  EXPECT_EQ(std::find(steps.begin(), steps.end(), "tip shown"), steps.end());
  // The tip was not even read: no read position was stored.
  EXPECT_EQ(GetPrivateProfileIntW(L"Tip", L"FilePos", -1, profilePath.c_str()), -1);
}

TEST_F(ProgramStart, ClosingSavesTheSettingsOnceAndShutsTheSkinDownLast) {
  FolderWatcher watcher(bin);
  ASSERT_TRUE(watcher.Works());
  const HWND main = StartWithoutTip();
  ASSERT_NE(main, nullptr);
  EXPECT_FALSE(FileExists(settingsPath)) << "settings written before the window closed";

  ChooseComboItem(main, IDC_MAIN_FORMAT, 8);  // WMV
  CloseMainWindow(main);

  const std::string saved = ReadFileBytes(settingsPath);
  EXPECT_NE(saved.find("Output format=8"), std::string::npos) << saved;
  EXPECT_EQ(TimesSettingsWritten(watcher), 1);

  const std::vector<std::string> steps = Steps();
  ASSERT_FALSE(steps.empty());
  EXPECT_EQ(steps.back(), "skin shut down");
  EXPECT_EQ(std::count(steps.begin(), steps.end(), "skin shut down"), 1);
  const auto destroyed = std::find(steps.begin(), steps.end(), "main window destroyed");
  ASSERT_NE(destroyed, steps.end());
  EXPECT_EQ(destroyed + 1, steps.end() - 1) << "something came between the settings and the skin's shutdown";
  EXPECT_EQ(std::find(steps.begin(), steps.end(), "tip shown"), steps.end());
}

// A log-off or shutdown, as Windows sends it: the settings are saved by the
// time the session's end has been handled, and not again when the window
// closes.
TEST_F(ProgramStart, TheSessionsEndSavesTheSettingsOnce) {
  FolderWatcher watcher(bin);
  ASSERT_TRUE(watcher.Works());
  const HWND main = StartWithoutTip();
  ASSERT_NE(main, nullptr);
  ChooseComboItem(main, IDC_MAIN_FORMAT, 7);  // DVD
  EXPECT_NE(SendMessageW(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), 0);
  SendMessageW(main, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);

  const std::string saved = ReadFileBytes(settingsPath);
  EXPECT_NE(saved.find("Output format=7"), std::string::npos) << saved;
  CloseMainWindow(main);
  EXPECT_EQ(TimesSettingsWritten(watcher), 1);
}

}  // namespace
}  // namespace velto::testing
