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
#include <string>
#include <vector>

#include "base/encoder_interface.h"
#include "base/module_directory.h"
#include "base/text_encoding.h"
#include "tests/support/main_window_test.h"
#include "tests/support/message_box_answerer.h"
#include "tests/support/run_program.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/when_ready.h"
#include "tests/support/window_text.h"

namespace velto::reliability {

using testing::Exists;
using testing::Ffmpeg;
using testing::PathFromUtf8;
using testing::Pump;
using testing::ReadBytes;
using testing::RunProgram;
using testing::ScratchDir;
using testing::Utf8Texts;
using testing::WhenReady;
using testing::WriteBytes;

inline std::uintmax_t Size(const std::string& path) {
  std::error_code error;
  const auto size = std::filesystem::file_size(PathFromUtf8(path), error);
  return error ? 0 : size;
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
      if (message->message == kProgressMessage) current_->seen_(message->wParam, message->lParam);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }
  static inline ReportWatcher* current_ = nullptr;
  std::function<void(WPARAM, LPARAM)> seen_;
  HHOOK hook_ = nullptr;
};

// The main window on a scratch folder with the real encoder beside the tests.
class MainWindowTest : public testing::MainWindowTest {
 protected:
  MainWindowTest() : testing::MainWindowTest("reliability & 100%!", "sources") {}
  void SetUp() override {
    testing::MainWindowTest::SetUp();
    dialog->SetEncoderDirectory(ModuleDirectory());
    // What happens at a given file's report: one file at a time.
    SetEnvironmentVariableW(L"VELTO_RUNS_AT_ONCE", L"1");
  }

  void SetOutputFolder(const std::string& folder) {
    SetWindowTextW(GetDlgItem(hwnd, IDC_MAIN_OUTPUT_FOLDER), Utf8ToWide(folder).c_str());
  }
  // The same click queued, handled when the running loop next takes a message.
  void QueueCancel() {
    PostMessageW(ProgressWindow(), WM_COMMAND, MAKEWPARAM(IDC_PROGRESS_CANCEL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(ProgressWindow(), IDC_PROGRESS_CANCEL)));
  }
  // Converts the list, every message box answered with OK: the batch ends
  // with its closing message, kept in closingMessage, and no other.
  void ConvertToTheEnd() {
    testing::MessageBoxAnswerer answerer(IDOK);
    Command(IDC_MAIN_CONVERT);
    ASSERT_EQ(answerer.texts.size(), 1u);
    closingMessage = WideToUtf8(answerer.texts[0]);
    EXPECT_EQ(closingMessage.rfind("Mission accomplished! Total Time:", 0), 0u) << closingMessage;
  }
  // The main window is usable again and the progress window is gone.
  void ExpectIdle() const {
    EXPECT_TRUE(IsWindowEnabled(hwnd));
    EXPECT_FALSE(IsWindowVisible(ProgressWindow()));
    EXPECT_FALSE(dialog->IsBusy());
  }

  std::string closingMessage;
};

}  // namespace velto::reliability
