#pragma once
// Answers the message boxes this thread shows, through a CBT hook, and keeps
// their texts and when each came up.
#include <windows.h>

#include <string>
#include <vector>

namespace velto::testing {

class MessageBoxAnswerer {
 public:
  explicit MessageBoxAnswerer(int answer = IDOK) : answer_(answer) {
    current_ = this;
    hook_ = SetWindowsHookExW(WH_CBT, &Hook, nullptr, GetCurrentThreadId());
  }
  ~MessageBoxAnswerer() {
    UnhookWindowsHookEx(hook_);
    current_ = nullptr;
  }
  MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
  MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;

  std::vector<std::wstring> texts;
  std::vector<std::wstring> captions;
  std::vector<DWORD> ticks;

 private:
  static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && current_) {
      const HWND box = reinterpret_cast<HWND>(wParam);
      wchar_t className[32] = {};
      GetClassNameW(box, className, 32);
      const HWND text = GetDlgItem(box, 0xFFFF);  // a message box's text
      if (std::wstring(className) == L"#32770" && text) {
        wchar_t buffer[1024] = {};
        GetWindowTextW(text, buffer, 1024);
        current_->texts.push_back(buffer);
        GetWindowTextW(box, buffer, 1024);
        current_->captions.push_back(buffer);
        current_->ticks.push_back(GetTickCount());
        PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(current_->answer_), 0);
      }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }

  static inline MessageBoxAnswerer* current_ = nullptr;
  int answer_;
  HHOOK hook_ = nullptr;
};

}  // namespace velto::testing
