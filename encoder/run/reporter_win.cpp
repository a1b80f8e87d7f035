#include "encoder/run/reporter_win.h"

#include <string>

#include "base/encoder_interface.h"

namespace velto {

bool Reporter::Send(unsigned kind, std::int32_t value) {
  if (!Connect()) return false;
  return sendMessage_(window_, kProgressMessage, kind, static_cast<LPARAM>(value)) == 1;
}

bool Reporter::Connect() {
  if (connected_) return window_ != nullptr;
  connected_ = true;
  if (handle_ == 0) return false;
  wchar_t system[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryW(system, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  const HMODULE user32 = LoadLibraryW((std::wstring(system) + L"\\user32.dll").c_str());
  if (!user32) return false;
  using IsWindowFunction = BOOL(WINAPI*)(HWND);
  const auto isWindow =
      reinterpret_cast<IsWindowFunction>(reinterpret_cast<void*>(GetProcAddress(user32, "IsWindow")));
  sendMessage_ =
      reinterpret_cast<SendMessageFunction>(reinterpret_cast<void*>(GetProcAddress(user32, "SendMessageW")));
  const HWND window = reinterpret_cast<HWND>(static_cast<INT_PTR>(handle_));
  if (isWindow && sendMessage_ && isWindow(window)) window_ = window;
  return window_ != nullptr;
}

}  // namespace velto
