#pragma once
// Drives a program of ours from outside: starts it, finds its windows, sends
// them messages, answers its message boxes, reads its list view through the
// other process's memory, and follows its debug output. Also runs the
// engine's console programs and captures what they print.
#include <windows.h>

#include <commctrl.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/process_win.h"
#include "tests/support/window_text.h"

namespace velto::testing {

// ------------------------------------------------------------------ basics

// The folder of the running test executable, ending with a backslash.
inline std::wstring ExecutableFolder() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

// Calls `done` every `periodMs` until it is true or `timeoutMs` has passed.
// Each look at another program's windows costs it and the Wine server some
// work: a test that times the program looks less often.
inline bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs, DWORD periodMs = 20) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  for (;;) {
    if (done()) return true;
    if (GetTickCount64() >= end) return false;
    Sleep(periodMs);
  }
}

inline bool FileExists(const std::wstring& path) {
  std::error_code ignored;
  return std::filesystem::is_regular_file(path, ignored);
}

inline std::string ReadFileBytes(const std::wstring& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
  return out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())).good();
}

// Removes a folder with everything in it; true when it is gone.
inline bool RemoveTree(const std::wstring& folder) {
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  return !std::filesystem::exists(folder, ignored);
}

// Takes a file away for a test (option.ini beside the program, say) and puts
// it back as it was afterwards.
class FileSetAside {
 public:
  explicit FileSetAside(std::wstring path) : path_(std::move(path)), had_(FileExists(path_)) {
    if (had_) saved_ = ReadFileBytes(path_);
    DeleteFileW(path_.c_str());
  }
  ~FileSetAside() {
    if (had_) {
      WriteFileBytes(path_, saved_);
    } else {
      DeleteFileW(path_.c_str());
    }
  }
  FileSetAside(const FileSetAside&) = delete;
  FileSetAside& operator=(const FileSetAside&) = delete;

 private:
  std::wstring path_;
  bool had_;
  std::string saved_;
};

// ------------------------------------------------------------------ console programs

struct ConsoleResult {
  bool started = false;
  DWORD exitCode = 0;
  std::string output;  // the output collected; the other is dropped
};

enum class Collect { kOutput, kErrors };

// Runs a command line hidden in `folder` (empty: the current one) and
// collects its standard output (or its standard error); gives up (and ends
// it) after `timeoutMs`.
inline ConsoleResult RunConsole(const std::wstring& commandLine, const std::wstring& folder = {},
                                DWORD timeoutMs = 120000, Collect collect = Collect::kOutput) {
  ConsoleResult result;
  ProcessStart how;
  how.commandLine = commandLine;
  how.folder = folder;
  how.input = StreamUse::kNull;
  how.output = collect == Collect::kOutput ? StreamUse::kPipe : StreamUse::kNull;
  how.error = collect == Collect::kErrors ? StreamUse::kPipe : StreamUse::kNull;
  how.console = true;
  auto started = StartHidden(how);
  result.started = started.has_value();
  if (!started) return result;
  const HANDLE process = started->handles.process.Get();
  const HANDLE collected = (collect == Collect::kOutput ? started->output : started->error).Get();
  std::thread reader([&] {
    char chunk[4096];
    DWORD read = 0;
    while (ReadFile(collected, chunk, sizeof chunk, &read, nullptr) && read > 0)
      result.output.append(chunk, read);
  });
  if (WaitForSingleObject(process, timeoutMs) != WAIT_OBJECT_0) TerminateProcess(process, 1);
  WaitForSingleObject(process, INFINITE);
  reader.join();
  GetExitCodeProcess(process, &result.exitCode);
  return result;
}

// ------------------------------------------------------------------ debug output

// Collects the debug-output lines (OutputDebugString) of one process while
// it lives: the system-wide debug-output buffer protocol, as debug-output
// viewers use it. Create it before starting the process.
class DebugOutputMonitor {
 public:
  DebugOutputMonitor() {
    bufferReady_ = CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_BUFFER_READY");
    dataReady_ = CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_DATA_READY");
    mapping_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, L"DBWIN_BUFFER");
    if (mapping_) view_ = static_cast<const Buffer*>(MapViewOfFile(mapping_, FILE_MAP_READ, 0, 0, 4096));
    if (bufferReady_ && dataReady_ && view_) thread_ = std::thread([this] { Listen(); });
  }
  ~DebugOutputMonitor() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (view_) UnmapViewOfFile(view_);
    if (mapping_) CloseHandle(mapping_);
    if (dataReady_) CloseHandle(dataReady_);
    if (bufferReady_) CloseHandle(bufferReady_);
  }
  DebugOutputMonitor(const DebugOutputMonitor&) = delete;
  DebugOutputMonitor& operator=(const DebugOutputMonitor&) = delete;

  bool Works() const { return thread_.joinable(); }
  void FollowProcess(DWORD processId) { processId_ = processId; }

  // The lines of the followed process so far, line ends removed.
  std::vector<std::string> Lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
  }

 private:
  struct Buffer {
    DWORD processId;
    char text[4096 - sizeof(DWORD)];
  };

  void Listen() {
    SetEvent(bufferReady_);
    while (!stop_) {
      if (WaitForSingleObject(dataReady_, 50) != WAIT_OBJECT_0) continue;
      if (view_->processId == processId_) {
        std::string text(view_->text, strnlen(view_->text, sizeof view_->text));
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
        std::lock_guard lock(mutex_);
        lines_.push_back(text);
      }
      SetEvent(bufferReady_);
    }
  }

  HANDLE bufferReady_ = nullptr;
  HANDLE dataReady_ = nullptr;
  HANDLE mapping_ = nullptr;
  const Buffer* view_ = nullptr;
  std::atomic<DWORD> processId_{0};
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
  std::thread thread_;
};

// ------------------------------------------------------------------ the program

// One run of a program of ours, started normally (shown) in a folder.
class RemoteProgram {
 public:
  RemoteProgram() = default;
  ~RemoteProgram() { Kill(); }
  RemoteProgram(const RemoteProgram&) = delete;
  RemoteProgram& operator=(const RemoteProgram&) = delete;

  bool Start(const std::wstring& executable, const std::wstring& arguments, const std::wstring& folder) {
    std::wstring line = L"\"" + executable + L"\"";
    if (!arguments.empty()) line += L" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!StartTryingTwice(executable, [&] {
          return CreateProcessW(executable.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                folder.c_str(), &startup, &process) != FALSE;
        }))
      return false;
    CloseHandle(process.hThread);
    process_ = process.hProcess;
    id_ = process.dwProcessId;
    return true;
  }

  DWORD Id() const { return id_; }
  HANDLE Process() const { return process_; }
  bool HasEnded() const { return !process_ || WaitForSingleObject(process_, 0) == WAIT_OBJECT_0; }
  bool WaitForEnd(DWORD timeoutMs) const { return !process_ || WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0; }

  void Kill() {
    if (!process_) return;
    if (!HasEnded()) {
      TerminateProcess(process_, 99);
      WaitForSingleObject(process_, 10000);
    }
    CloseHandle(process_);
    process_ = nullptr;
  }

  // The visible top-level windows of the program, in z-order.
  std::vector<HWND> TopWindows() const {
    struct Search {
      DWORD id;
      std::vector<HWND> found;
    } search{id_, {}};
    EnumWindows(
        [](HWND window, LPARAM parameter) -> BOOL {
          auto* s = reinterpret_cast<Search*>(parameter);
          DWORD owner = 0;
          GetWindowThreadProcessId(window, &owner);
          if (owner == s->id && IsWindowVisible(window)) s->found.push_back(window);
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
  }

  // The first visible dialog window of the program for which `matches` holds.
  HWND FindDialog(const std::function<bool(HWND)>& matches) const {
    for (HWND window : TopWindows()) {
      if (ClassName(window) == L"#32770" && matches(window)) return window;
    }
    return nullptr;
  }

  HWND WaitForDialog(const std::function<bool(HWND)>& matches, DWORD timeoutMs) const {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindDialog(matches)) != nullptr || HasEnded(); }, timeoutMs);
    return found;
  }

 private:
  HANDLE process_ = nullptr;
  DWORD id_ = 0;
};

// ------------------------------------------------------------------ controls

// A message box: a dialog whose text lies in the static 0xFFFF and that has
// only the message box's own buttons (OK, Cancel, Yes, No).
inline bool IsMessageBox(HWND window) {
  if (!GetDlgItem(window, 0xFFFF)) return false;
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    const int id = GetDlgCtrlID(child);
    const bool messageBoxItem = id == 0xFFFF || id == IDOK || id == IDCANCEL || id == IDYES || id == IDNO ||
                                ClassName(child) == L"Static";
    if (!messageBoxItem) return false;
  }
  return true;
}

inline std::wstring MessageBoxText(HWND box) { return WideWindowText(GetDlgItem(box, 0xFFFF)); }

// A command as a click on the dialog's button (or menu item) `id` would send it.
inline void PostCommand(HWND dialog, int id) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

inline void SetText(HWND control, const std::wstring& text) {
  SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 5000,
                      nullptr);
}

// Selects item `index` of a drop-down list and tells its dialog, as a user's
// choice would.
inline void ChooseComboItem(HWND dialog, int comboId, int index) {
  const HWND combo = GetDlgItem(dialog, comboId);
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(comboId, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

// The texts of every row of a list view in another process (columns 0 to
// columnCount - 1), read through a buffer in that process.
inline std::vector<std::vector<std::wstring>> ListViewRows(HWND list, HANDLE process, int columnCount) {
  std::vector<std::vector<std::wstring>> rows;
  constexpr SIZE_T kTextChars = 512;
  const SIZE_T size = sizeof(LVITEMW) + kTextChars * sizeof(wchar_t);
  auto* remote = static_cast<char*>(VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE));
  if (!remote) return rows;
  auto* remoteText = reinterpret_cast<wchar_t*>(remote + sizeof(LVITEMW));
  const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int row = 0; row < count; ++row) {
    std::vector<std::wstring> texts;
    for (int column = 0; column < columnCount; ++column) {
      LVITEMW item{};
      item.mask = LVIF_TEXT;
      item.iItem = row;
      item.iSubItem = column;
      item.pszText = remoteText;
      item.cchTextMax = kTextChars;
      const wchar_t empty = L'\0';
      WriteProcessMemory(process, remote, &item, sizeof item, nullptr);
      WriteProcessMemory(process, remoteText, &empty, sizeof empty, nullptr);
      SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote));
      wchar_t text[kTextChars] = {};
      ReadProcessMemory(process, remoteText, text, sizeof text - sizeof(wchar_t), nullptr);
      texts.push_back(text);
    }
    rows.push_back(std::move(texts));
  }
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  return rows;
}

}  // namespace velto::testing
