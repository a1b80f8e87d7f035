#pragma once
// Answers the message boxes this thread shows, through a CBT hook, and keeps
// their texts, their icons and when each came up; on request it leaves a
// picture of the next box before answering it.
#include <windows.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/window_picture.h"

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

  // The next box is shown long enough to be drawn, pictured into `file`
  // (a name in the pictures folder), then answered.
  void PictureNext(std::filesystem::path file) { pictureFile_ = PictureFolder() / std::move(file); }

  std::vector<std::wstring> texts;
  std::vector<std::wstring> captions;
  // "warning", "error", "information", "question", or "" for a box without one.
  std::vector<std::string> icons;
  std::vector<DWORD> ticks;

 private:
  // The system icon a box shows, by the handle its icon control holds.
  static std::string IconOf(HWND box) {
    HWND control = GetDlgItem(box, 1088);  // Wine's id of a box's icon
    if (!control) control = GetDlgItem(box, 20);  // the platform's
    const auto shown = control ? reinterpret_cast<HICON>(SendMessageW(control, STM_GETICON, 0, 0)) : nullptr;
    if (!shown) return "";
    const std::pair<LPCWSTR, const char*> kinds[] = {
        {IDI_WARNING, "warning"}, {IDI_ERROR, "error"}, {IDI_INFORMATION, "information"}, {IDI_QUESTION, "question"}};
    for (const auto& [id, name] : kinds) {
      if (LoadIconW(nullptr, id) == shown) return name;
    }
    return "another icon";
  }

  static void CALLBACK AnswerAfterPicture(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    if (!current_ || !current_->pictured_) return;
    const HWND box = std::exchange(current_->pictured_, nullptr);
    SaveWindowPicture(box, current_->pictureFile_);
    current_->pictureFile_.clear();
    PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(current_->answer_), 0);
  }

  static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && current_) {
      const HWND box = reinterpret_cast<HWND>(wParam);
      wchar_t className[32] = {};
      GetClassNameW(box, className, 32);
      const HWND text = GetDlgItem(box, 0xFFFF);  // a message box's text
      if (std::wstring(className) == L"#32770" && text) {
        wchar_t buffer[2048] = {};
        GetWindowTextW(text, buffer, 2048);
        current_->texts.push_back(buffer);
        GetWindowTextW(box, buffer, 2048);
        current_->captions.push_back(buffer);
        current_->icons.push_back(IconOf(box));
        current_->ticks.push_back(GetTickCount());
        if (!current_->pictureFile_.empty()) {
          current_->pictured_ = box;
          SetTimer(nullptr, 0, 400, &AnswerAfterPicture);
        } else {
          PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(current_->answer_), 0);
        }
      }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }

  static inline MessageBoxAnswerer* current_ = nullptr;
  int answer_;
  HHOOK hook_ = nullptr;
  std::filesystem::path pictureFile_;
  HWND pictured_ = nullptr;
};

}  // namespace velto::testing
