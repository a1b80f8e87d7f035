#pragma once
// Helpers of the link tests: stand-ins for opening addresses, an answerer
// for message boxes, and the colours a control asks its parent for.
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/support/message_box_answerer.h"
#include "ui/link_controls.h"

namespace velto::testing {

// Replaces the calls OpenUrl makes while it lives, and records them.
class FakeUrlOpening {
 public:
  FakeUrlOpening() : saved_(CurrentUrlOpeningCalls()) {
    UrlOpeningCalls& calls = CurrentUrlOpeningCalls();
    calls.shellOpen = [this](const std::wstring& url, int show) {
      opened.push_back(url);
      shows.push_back(show);
      return shellResult;
    };
    calls.readRegistryDefault = [this](HKEY root, const std::wstring& subkey, std::wstring& value) -> LONG {
      keysRead.push_back(subkey);
      if (root != HKEY_CLASSES_ROOT) return ERROR_FILE_NOT_FOUND;
      if (subkey == L".htm" && !documentType.empty()) {
        value = documentType;
        return ERROR_SUCCESS;
      }
      if (subkey == documentType + L"\\shell\\open\\command" && !handler.empty()) {
        value = handler;
        return ERROR_SUCCESS;
      }
      return ERROR_FILE_NOT_FOUND;
    };
    calls.startProgram = [this](const std::wstring& commandLine, int show) {
      started.push_back(commandLine);
      shows.push_back(show);
      return startResult;
    };
  }
  ~FakeUrlOpening() { CurrentUrlOpeningCalls() = std::move(saved_); }
  FakeUrlOpening(const FakeUrlOpening&) = delete;
  FakeUrlOpening& operator=(const FakeUrlOpening&) = delete;

  int shellResult = 42;
  int startResult = 33;
  std::wstring documentType;  // empty: no ".htm" key
  std::wstring handler;       // empty: no open command
  std::vector<std::wstring> opened;
  std::vector<std::wstring> keysRead;
  std::vector<std::wstring> started;
  std::vector<int> shows;

 private:
  UrlOpeningCalls saved_;
};

// What a static control's parent answers to its colour request.
struct ColourAnswer {
  COLORREF text = 0;
  int backgroundMode = 0;
  HBRUSH brush = nullptr;
  HFONT font = nullptr;  // selected into the device context
};

inline ColourAnswer AskColours(HWND control) {
  ColourAnswer answer;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  const HGDIOBJ startFont = GetCurrentObject(dc, OBJ_FONT);
  SetTextColor(dc, RGB(1, 2, 3));
  answer.brush = reinterpret_cast<HBRUSH>(
      SendMessageW(GetParent(control), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control)));
  answer.text = GetTextColor(dc);
  answer.backgroundMode = GetBkMode(dc);
  answer.font = static_cast<HFONT>(GetCurrentObject(dc, OBJ_FONT));
  SelectObject(dc, startFont);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return answer;
}

}  // namespace velto::testing
