#pragma once
// Reports to the converter's window: message kProgressMessage, sent.
#include <windows.h>

#include <cstdint>
#include <string>

namespace velto {

// The window library is loaded at the first report, not at start: under
// Wine its start takes 10-40 ms, which would otherwise come before the
// ffmpeg's start in every conversion.
class Reporter {
 public:
  // The handle travels as a signed 32-bit number; window handles are
  // sign-extended to the pointer's width. 0, or no window, means no reports.
  explicit Reporter(std::int32_t handle) : handle_(handle) {}
  // True when the window answers 1: stop.
  bool Send(unsigned kind, std::int32_t value);
  // The name the output was given (kOutputNamedCopyData); a window that
  // does not answer within a few seconds is left.
  void SendOutputName(const std::wstring& path);

 private:
  using SendMessageFunction = LRESULT(WINAPI*)(HWND, UINT, WPARAM, LPARAM);
  using SendMessageTimeoutFunction = LRESULT(WINAPI*)(HWND, UINT, WPARAM, LPARAM, UINT, UINT, PDWORD_PTR);

  bool Connect();

  std::int32_t handle_;
  bool connected_ = false;
  HWND window_ = nullptr;
  SendMessageFunction sendMessage_ = nullptr;
  SendMessageTimeoutFunction sendMessageTimeout_ = nullptr;
};

}  // namespace velto
