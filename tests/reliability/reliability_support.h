#pragma once
// Shared by the reliability tests: the main window in-process on a scratch
// folder, clips made with ffmpeg.exe, a hook on the encoder's reports, and
// file fingerprints to prove that nothing was touched.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/module_directory.h"
#include "base/text_encoding.h"
#include "engine/media_list.h"
#include "engine/progress_dialog.h"
#include "framework/controls.h"
#include "framework/window.h"
#include "res/resource_ids.h"
#include "settings/conversion_settings.h"
#include "tests/support/message_box_answerer.h"
#include "tests/support/when_ready.h"
#include "tests/support/scratch_dir.h"
#include "ui/main_dialog.h"

namespace velto::reliability {

using velto::testing::WhenReady;

using testing::PathFromUtf8;
using testing::ReadBytes;
using testing::ScratchDir;
using testing::WriteBytes;

inline constexpr UINT kReportMessage = 0x720;

inline void Pump() {
  MSG msg{};
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ProcessMessage(msg);
}

inline bool Exists(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::exists(PathFromUtf8(path), ignored);
}

inline std::uintmax_t Size(const std::string& path) {
  std::error_code error;
  const auto size = std::filesystem::file_size(PathFromUtf8(path), error);
  return error ? 0 : size;
}

inline std::vector<std::string> Utf8Texts(const std::vector<std::wstring>& texts) {
  std::vector<std::string> out;
  for (const auto& text : texts) out.push_back(WideToUtf8(text));
  return out;
}

// Runs a program to its end, hidden; its exit code, or -1 when it did not start.
inline int RunProgram(const std::wstring& path, const std::wstring& arguments, DWORD timeoutMs = 60000) {
  std::wstring line = L"\"" + path + L"\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(path.c_str(), line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                      &startup, &process)) {
    return -1;
  }
  if (WaitForSingleObject(process.hProcess, timeoutMs) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 99);
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}

// ffmpeg.exe beside the tests with `arguments`; true when it made `output`.
inline bool Ffmpeg(const std::string& arguments, const std::string& output) {
  const std::wstring ffmpeg = Utf8ToWide(ModuleDirectory() + "ffmpeg.exe");
  const int code = RunProgram(ffmpeg, L"-hide_banner -loglevel error -y " + Utf8ToWide(arguments) + L" \"file:" +
                                          Utf8ToWide(output) + L"\"");
  return code == 0 && Size(output) > 0;
}

inline bool RealEncoderPresent() {
  return Exists(ModuleDirectory() + "veltoenc.exe") && Exists(ModuleDirectory() + "ffmpeg.exe") &&
         Exists(ModuleDirectory() + "ffprobe.exe");
}

// A fingerprint of a file's bytes (FNV-1a) with its size; "missing" when absent.
inline std::string Fingerprint(const std::string& path) {
  if (!Exists(path)) return "missing";
  const std::string bytes = ReadBytes(path);
  std::uint64_t hash = 1469598103934665603ull;
  for (unsigned char c : bytes) hash = (hash ^ c) * 1099511628211ull;
  return std::to_string(bytes.size()) + ":" + std::to_string(hash);
}

inline std::map<std::string, std::string> Fingerprints(const std::vector<std::string>& paths) {
  std::map<std::string, std::string> prints;
  for (const std::string& path : paths) prints[path] = Fingerprint(path);
  return prints;
}

// Names of the files in a folder, sorted; empty when it is missing.
inline std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (auto it = std::filesystem::directory_iterator(PathFromUtf8(folder), error);
       !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
    names.push_back(testing::Utf8FromPath(it->path().filename()));
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Calls `seen` with each encoder report (kind, value) before the main window
// handles it.
class ReportWatcher {
 public:
  explicit ReportWatcher(std::function<void(WPARAM, LPARAM)> seen) : seen_(std::move(seen)) {
    current_ = this;
    hook_ = SetWindowsHookExW(WH_CALLWNDPROC, &Hook, nullptr, GetCurrentThreadId());
  }
  ~ReportWatcher() {
    UnhookWindowsHookEx(hook_);
    current_ = nullptr;
  }
  ReportWatcher(const ReportWatcher&) = delete;
  ReportWatcher& operator=(const ReportWatcher&) = delete;

 private:
  static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && current_) {
      const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
      if (message->message == kReportMessage) current_->seen_(message->wParam, message->lParam);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }
  static inline ReportWatcher* current_ = nullptr;
  std::function<void(WPARAM, LPARAM)> seen_;
  HHOOK hook_ = nullptr;
};

// The main window on a scratch folder: option.ini there, sources in
// "sources", outputs in "out", the real encoder beside the tests.
class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_mediaList = MediaList{};
    g_engineState = EngineState{};
    g_settings = ConversionSettings{};
    sources = scratch.Directory() + "sources\\";
    output = scratch.Directory() + "out\\";
    std::filesystem::create_directories(PathFromUtf8(sources));
    WriteBytes(scratch.File("option.ini"), "[Destinate]\r\nTemporary folder=" + output + "\r\n");
    dialog = std::make_unique<MainDialog>(scratch.Directory());
    ASSERT_TRUE(dialog->Create(nullptr));
    dialog->SetEncoderDirectory(ModuleDirectory());
    hwnd = dialog->Handle();
    ShowWindow(hwnd, SW_SHOW);
    list.Attach(GetDlgItem(hwnd, IDC_MAIN_FILE_LIST));
    Pump();
  }
  void TearDown() override {
    list.Detach();
    dialog.reset();
  }

  void Command(int id) { SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
  void SetOutputFolder(const std::string& folder) {
    SetWindowTextW(GetDlgItem(hwnd, IDC_MAIN_OUTPUT_FOLDER), Utf8ToWide(folder).c_str());
  }
  std::vector<std::string> Column(int column) const {
    std::vector<std::string> texts;
    for (int row = 0; row < list.GetItemCount(); ++row) texts.push_back(list.GetItemText(row, column));
    return texts;
  }
  HWND ProgressWindow() const { return g_engineState.progressDialog->Handle(); }
  // A click on the progress window's Cancel button, handled at once.
  void ClickCancel() {
    SendMessageW(ProgressWindow(), WM_COMMAND, MAKEWPARAM(IDC_PROGRESS_CANCEL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(ProgressWindow(), IDC_PROGRESS_CANCEL)));
  }
  // The same click queued, handled when the running loop next takes a message.
  void QueueCancel() {
    PostMessageW(ProgressWindow(), WM_COMMAND, MAKEWPARAM(IDC_PROGRESS_CANCEL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(ProgressWindow(), IDC_PROGRESS_CANCEL)));
  }
  // The main window is usable again and the progress window is gone.
  void ExpectIdle() const {
    EXPECT_TRUE(IsWindowEnabled(hwnd));
    EXPECT_FALSE(IsWindowVisible(ProgressWindow()));
    EXPECT_FALSE(dialog->IsBusy());
  }

  ScratchDir scratch{"reliability & 100%!"};
  std::string sources, output;
  std::unique_ptr<MainDialog> dialog;
  HWND hwnd = nullptr;
  ListView list;
};

}  // namespace velto::reliability
