#include <windows.h>

#include <string>

#include "base/file_system.h"
#include "base/owned_handles.h"
#include "base/text_encoding.h"

namespace velto {
namespace {

// Paths this long need the "\\?\" form to get past the classic path limit.
constexpr std::size_t kLongPathFrom = MAX_PATH - 12;

std::wstring WidePath(const std::string& path) {
  std::wstring wide = Utf8ToWide(path);
  if (wide.size() < kLongPathFrom || wide.rfind(L"\\\\?\\", 0) == 0) return wide;
  const DWORD need = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (need == 0) return wide;
  std::wstring full(need, L'\0');
  const DWORD got = GetFullPathNameW(wide.c_str(), need, full.data(), nullptr);
  if (got == 0 || got >= need) return wide;
  full.resize(got);
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  if (full.size() >= 3 && full[1] == L':' && full[2] == L'\\') return L"\\\\?\\" + full;
  return wide;
}

bool WriteAll(HANDLE file, std::string_view content) {
  while (!content.empty()) {
    const DWORD chunk = content.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(content.size());
    DWORD written = 0;
    if (!WriteFile(file, content.data(), chunk, &written, nullptr) || written == 0) return false;
    content.remove_prefix(written);
  }
  return true;
}

// 0, or the system's error code of the step that failed.
DWORD WriteTemporary(const std::wstring& temp, std::string_view content) {
  UniqueHandle file(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  // The close is checked too: a written file can still fail there.
  if (!file || !WriteAll(file.Get(), content) || !FlushFileBuffers(file.Get()) || !CloseHandle(file.Release())) {
    const DWORD error = GetLastError();
    return error == 0 ? ERROR_WRITE_FAULT : error;
  }
  return 0;
}

// The system's words for an error code, without the line end.
std::string ErrorText(DWORD error) {
  wchar_t text[512] = {};
  const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                      text, 512, nullptr);
  std::wstring words(text, length);
  while (!words.empty() && (words.back() == L'\r' || words.back() == L'\n' || words.back() == L' ')) words.pop_back();
  return words.empty() ? "system error " + std::to_string(error) : WideToUtf8(words);
}

DWORD AttributesOf(const std::string& path) {
  return GetFileAttributesW(WidePath(path).c_str());
}

}  // namespace

std::optional<std::string> ReadWholeFile(const std::string& path, std::size_t maxBytes) {
  const UniqueHandle file(CreateFileW(WidePath(path).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file || GetFileType(file.Get()) != FILE_TYPE_DISK) return std::nullopt;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0 ||
      static_cast<unsigned long long>(size.QuadPart) > maxBytes)
    return std::nullopt;
  std::string content;
  content.reserve(static_cast<std::size_t>(size.QuadPart));
  char buffer[65536];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr)) return std::nullopt;
    if (got == 0) break;
    if (content.size() + got > maxBytes) return std::nullopt;
    content.append(buffer, got);
  }
  return content;
}

bool ReplaceFileAtomically(const std::string& path, std::string_view content, std::string* why) {
  const std::wstring target = WidePath(path);
  const std::wstring temp = WidePath(TemporaryPathFor(path));
  DWORD error = WriteTemporary(temp, content);
  if (error == 0 && !MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error = GetLastError();
  }
  if (error == 0) return true;
  DeleteFileW(temp.c_str());
  if (why) *why = ErrorText(error);
  return false;
}

bool PathExists(const std::string& path) { return AttributesOf(path) != INVALID_FILE_ATTRIBUTES; }

bool IsDirectory(const std::string& path) {
  const DWORD attributes = AttributesOf(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string TemporaryPathFor(const std::string& path) {
  return path + ".~" + std::to_string(GetCurrentProcessId()) + ".tmp";
}

}  // namespace velto
