#include "engine/local_data.h"

#include <windows.h>
#include <shlobj.h>

#include <cstdio>

#include "base/encoder_interface.h"
#include "base/owned_handles.h"
#include "base/text_encoding.h"

namespace velto {
namespace {

constexpr char kConverterLogName[] = "converter.log";

}  // namespace

std::string LocalDataFolder() {
  wchar_t base[MAX_PATH] = {};
  const DWORD got = GetEnvironmentVariableW(L"LOCALAPPDATA", base, MAX_PATH);
  if (got == 0 || got >= MAX_PATH) {
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, base))) return {};
  }
  return WideToUtf8(std::wstring(base) + L"\\" + kEncoderLogParent);
}

std::string EncoderLogFolder() {
  const std::string folder = LocalDataFolder();
  return folder.empty() ? std::string() : folder + "\\" + WideToUtf8(kEncoderLogSubfolder);
}

void LogConverterLine(const std::string& line) {
  const std::string folder = EncoderLogFolder();
  if (folder.empty()) return;
  SHCreateDirectoryExW(nullptr, Utf8ToWide(folder).c_str(), nullptr);
  SYSTEMTIME now;
  GetLocalTime(&now);
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u ", now.wYear, now.wMonth, now.wDay, now.wHour,
                now.wMinute, now.wSecond);
  const std::string text = stamp + line + "\r\n";
  const UniqueHandle file(CreateFileW(Utf8ToWide(folder + "\\" + kConverterLogName).c_str(), FILE_APPEND_DATA,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0, nullptr));
  if (!file) return;
  DWORD written = 0;
  WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

}  // namespace velto
