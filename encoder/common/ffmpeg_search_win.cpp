#include "encoder/common/ffmpeg_search_win.h"

#include <windows.h>

#include "base/module_directory.h"
#include "base/text_encoding.h"
#include "encoder/common/file_access_win.h"

namespace velto {
namespace {

bool IsAbsoluteFolder(const std::wstring& folder) {
  return (folder.size() >= 3 && folder[1] == L':' && (folder[2] == L'\\' || folder[2] == L'/')) ||
         folder.rfind(L"\\\\", 0) == 0;
}

}  // namespace

std::optional<std::wstring> FindFfmpegProgram(const wchar_t* name) {
  const std::wstring beside = Utf8ToWide(ModuleDirectory()) + name;
  if (!ModuleDirectory().empty() && FileExists(beside)) return beside;
  const DWORD size = GetEnvironmentVariableW(L"PATH", nullptr, 0);
  if (size == 0) return std::nullopt;
  std::wstring path(size, L'\0');
  path.resize(GetEnvironmentVariableW(L"PATH", path.data(), size));
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find(L';', start);
    if (end == std::wstring::npos) end = path.size();
    std::wstring folder = path.substr(start, end - start);
    start = end + 1;
    if (folder.size() >= 2 && folder.front() == L'"' && folder.back() == L'"') folder = folder.substr(1, folder.size() - 2);
    if (!IsAbsoluteFolder(folder)) continue;
    if (folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
    if (FileExists(folder + name)) return folder + name;
  }
  return std::nullopt;
}

}  // namespace velto
