#include "encoder/common/run_log_win.h"

#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "base/encoder_interface.h"
#include "base/owned_handles.h"
#include "base/text_encoding.h"
#include "encoder/common/file_access_win.h"
#include "encoder/common/run_log.h"

namespace velto {
namespace {

// Milliseconds since this process was created (loading included).
long long MsSinceStart() {
  FILETIME created, exited, kernel, user, now;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return -1;
  GetSystemTimePreciseAsFileTime(&now);
  const auto ticks = [](const FILETIME& t) {
    return static_cast<long long>(static_cast<unsigned long long>(t.dwHighDateTime) << 32 | t.dwLowDateTime);
  };
  return (ticks(now) - ticks(created)) / 10'000;
}

std::wstring LogFolder() {
  const std::wstring base = LocalAppDataFolder();
  if (base.empty()) return L"";
  std::wstring folder = base + L"\\" + kEncoderLogParent;
  CreateDirectoryW(folder.c_str(), nullptr);
  folder += std::wstring(L"\\") + kEncoderLogSubfolder;
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

std::vector<std::string> LogNames(const std::wstring& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW found;
  const FileSearch search(FindFirstFileW((folder + L"\\veltoenc-*.log").c_str(), &found));
  if (!search) return names;
  do names.push_back(WideToUtf8(found.cFileName));
  while (FindNextFileW(search.Get(), &found));
  return names;
}

}  // namespace

// The environment names it; the shell (a heavy library to load for one call)
// is asked only when it does not.
std::wstring LocalAppDataFolder() {
  wchar_t base[MAX_PATH] = {};
  const DWORD got = GetEnvironmentVariableW(L"LOCALAPPDATA", base, MAX_PATH);
  if (got > 0 && got < MAX_PATH) return base;
  HMODULE shell = LoadLibraryW(L"shell32.dll");
  if (!shell) return L"";
  using GetFolderPath = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPWSTR);
  const auto getFolderPath = reinterpret_cast<GetFolderPath>(
      reinterpret_cast<void*>(GetProcAddress(shell, "SHGetFolderPathW")));
  std::wstring folder;
  if (getFolderPath && SUCCEEDED(getFolderPath(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, base)))
    folder = base;
  FreeLibrary(shell);
  return folder;
}

void RunLog::Timed(const std::string& text) { Line("[" + std::to_string(MsSinceStart()) + " ms] " + text); }

void RunLog::Write() {
  const std::lock_guard<std::mutex> guard(lock_);
  if (written_) return;
  written_ = true;
  const std::wstring folder = LogFolder();
  if (folder.empty()) return;
  SYSTEMTIME now;
  GetLocalTime(&now);
  const LogTime t{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
  WriteTextFile(folder + L"\\" + Utf8ToWide(LogFileName(t, GetCurrentProcessId())), text_ + EncoderCauseLines(cause_));
  for (const auto& name : LogsToDelete(LogNames(folder), kLogsKept))
    DeleteFileW((folder + L"\\" + Utf8ToWide(name)).c_str());
}

}  // namespace velto
