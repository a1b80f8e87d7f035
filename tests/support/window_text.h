#pragma once
// Reading windows: their text (of this process or another), their class,
// the items of a drop-down list.
#include <windows.h>

#include <string>
#include <vector>

#include "base/text_encoding.h"

namespace velto::testing {

// WM_GETTEXT is marshalled between processes; GetWindowText is not, for
// another process's controls.
inline std::wstring WideWindowText(HWND window) {
  DWORD_PTR length = 0;
  SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                      5000, &copied);
  text.resize(static_cast<size_t>(copied));
  return text;
}

inline std::string WindowText(HWND window) { return WideToUtf8(WideWindowText(window)); }

inline std::wstring ClassName(HWND window) {
  wchar_t buffer[64] = {};
  GetClassNameW(window, buffer, 64);
  return buffer;
}

inline std::vector<std::string> Utf8Texts(const std::vector<std::wstring>& texts) {
  std::vector<std::string> out;
  for (const auto& text : texts) out.push_back(WideToUtf8(text));
  return out;
}

// The items of a combo box, in order.
inline std::vector<std::string> ComboTexts(HWND combo) {
  std::vector<std::string> texts;
  const int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    std::wstring text(static_cast<size_t>(SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0)) + 1, L'\0');
    text.resize(static_cast<size_t>(
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()))));
    texts.push_back(WideToUtf8(text));
  }
  return texts;
}

}  // namespace velto::testing
