#include "encoder/run/converter_watch_win.h"

#include <string>

#include "base/encoder_interface.h"
#include "encoder/common/ffmpeg_process_win.h"

namespace velto {
namespace {

// The process that owns the window; 0 when it is no window. The window
// library is loaded here, on the watch's thread, so that the conversion's
// first ffmpeg start does not wait for it.
DWORD WindowOwner(std::int32_t windowHandle) {
  wchar_t system[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryW(system, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 0;
  const HMODULE user32 = LoadLibraryW((std::wstring(system) + L"\\user32.dll").c_str());
  if (!user32) return 0;
  using OwnerFunction = DWORD(WINAPI*)(HWND, DWORD*);
  const auto owner = reinterpret_cast<OwnerFunction>(
      reinterpret_cast<void*>(GetProcAddress(user32, "GetWindowThreadProcessId")));
  DWORD process = 0;
  if (owner && owner(reinterpret_cast<HWND>(static_cast<INT_PTR>(windowHandle)), &process) == 0) process = 0;
  return process;
}

}  // namespace

ConverterWatch::ConverterWatch(std::int32_t windowHandle, RunLog& log)
    : quit_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  if (windowHandle != 0 && quit_) thread_ = std::thread([this, windowHandle, &log] { Watch(windowHandle, log); });
}

ConverterWatch::~ConverterWatch() {
  if (quit_) SetEvent(quit_.Get());
  if (thread_.joinable()) thread_.join();
}

void ConverterWatch::Watch(std::int32_t windowHandle, RunLog& log) {
  const DWORD owner = WindowOwner(windowHandle);
  if (owner == 0 || owner == GetCurrentProcessId()) return;
  const UniqueHandle converter(OpenProcess(SYNCHRONIZE, FALSE, owner));
  if (!converter) return;
  const HANDLE waits[2] = {quit_.Get(), converter.Get()};
  if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) return;
  log.Line("the converter has ended: the engine runs end with this run, the finished parts are kept");
  log.Timed("exit " + std::to_string(kExitStopped) + ": the converter has ended");
  log.Write();
  EndWithEveryFfmpegRun(kExitStopped);
}

}  // namespace velto
