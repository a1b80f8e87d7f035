#include "encoder/run/reporter_win.h"

#include <string>

#include "base/encoder_interface.h"

namespace velto {

bool Reporter::Send(unsigned kind, std::int32_t value) {
  if (!Connect()) return false;
  return sendMessage_(window_, kProgressMessage, kind, static_cast<LPARAM>(value)) == 1;
}

void Reporter::SendOutputName(const std::wstring& path) {
  if (!Connect() || !sendMessageTimeout_) return;
  COPYDATASTRUCT data{kOutputNamedCopyData, static_cast<DWORD>(path.size() * sizeof(wchar_t)),
                      const_cast<wchar_t*>(path.data())};
  DWORD_PTR answer = 0;
  sendMessageTimeout_(window_, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 5000, &answer);
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
  sendMessageTimeout_ = reinterpret_cast<SendMessageTimeoutFunction>(
      reinterpret_cast<void*>(GetProcAddress(user32, "SendMessageTimeoutW")));
  const HWND window = reinterpret_cast<HWND>(static_cast<INT_PTR>(handle_));
  if (isWindow && sendMessage_ && isWindow(window)) window_ = window;
  return window_ != nullptr;
}

}  // namespace velto
