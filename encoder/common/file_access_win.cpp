#include "encoder/common/file_access_win.h"

#include <windows.h>

#include <cstring>
#include <utility>
#include <vector>

#include "base/owned_handles.h"
#include "base/work_files.h"
#include "encoder/common/command_line_tokens.h"

namespace velto {

bool FileExists(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring FullPath(const std::wstring& path) {
  const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (size == 0) return path;
  std::wstring full(size, L'\0');
  const DWORD got = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
  full.resize(got);
  return full;
}

namespace {

// Both name the same file (letter case aside).
bool SamePath(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(FullPath(a).c_str(), -1, FullPath(b).c_str(), -1, TRUE) == CSTR_EQUAL;
}

// A file's volume and index; nullopt when it cannot be opened.
std::optional<std::pair<DWORD, std::uint64_t>> FileIdentity(const std::wstring& path) {
  const UniqueHandle file(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!file || !GetFileInformationByHandle(file.Get(), &info)) return std::nullopt;
  return std::pair{info.dwVolumeSerialNumber, (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
}

}  // namespace

bool SameFile(const std::wstring& a, const std::wstring& b) {
  const auto first = FileIdentity(a), second = FileIdentity(b);
  return first && second ? *first == *second : SamePath(a, b);
}

bool HideFile(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  return (attributes & FILE_ATTRIBUTE_HIDDEN) || SetFileAttributesW(path.c_str(), attributes | FILE_ATTRIBUTE_HIDDEN);
}

std::optional<std::string> ReadHead(const std::wstring& path, std::size_t limit) {
  const UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  std::string bytes(limit, '\0');
  DWORD got = 0;
  if (!ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(limit), &got, nullptr)) return std::nullopt;
  bytes.resize(got);
  return bytes;
}

std::optional<std::string> ReadTail(const std::wstring& path, std::size_t limit) {
  const UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  if (!file || !GetFileSizeEx(file.Get(), &size)) return std::nullopt;
  LARGE_INTEGER start{};
  start.QuadPart = size.QuadPart > static_cast<LONGLONG>(limit) ? size.QuadPart - static_cast<LONGLONG>(limit) : 0;
  if (!SetFilePointerEx(file.Get(), start, nullptr, FILE_BEGIN)) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(size.QuadPart - start.QuadPart), '\0');
  DWORD got = 0;
  if (!ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr)) return std::nullopt;
  bytes.resize(got);
  return bytes;
}

bool WriteTextFile(const std::wstring& path, std::string_view text) {
  const UniqueHandle file(
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
         written == text.size();
}

bool ReplaceFileDurably(const std::wstring& path, std::string_view text) {
  const std::wstring temporary = path + L".new";
  const bool written = [&] {
    const UniqueHandle file(
        CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD done = 0;
    return file && WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &done, nullptr) &&
           done == text.size() && FlushFileBuffers(file.Get());
  }();
  if (written && MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  DeleteFileW(temporary.c_str());
  return false;
}

namespace {

bool MarkForDeletion(HANDLE file, bool gone) {
  FILE_DISPOSITION_INFO disposition{};
  disposition.DeleteFile = gone;
  return SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition);
}

// Renames an open file, shown, over `path`.
bool NameOpenFile(HANDLE file, const std::wstring& path) {
  FILE_BASIC_INFO basic{};
  basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
  if (!SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic)) return false;
  const std::wstring full = FullPath(path);
  std::vector<char> buffer(sizeof(FILE_RENAME_INFO) + full.size() * sizeof(wchar_t));
  auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  rename->ReplaceIfExists = TRUE;
  rename->RootDirectory = nullptr;
  rename->FileNameLength = static_cast<DWORD>(full.size() * sizeof(wchar_t));
  std::memcpy(rename->FileName, full.c_str(), rename->FileNameLength);
  return SetFileInformationByHandle(file, FileRenameInfo, rename, static_cast<DWORD>(buffer.size()));
}

}  // namespace

std::uint32_t WriteOutputWhole(const std::wstring& path, std::string_view bytes) {
  const std::wstring temporary = PartialOutputFor(path);
  UniqueHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_HIDDEN, nullptr));
  if (!file) return GetLastError();
  const bool marked = MarkForDeletion(file.Get(), true);
  DWORD done = 0;
  if (!WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) ||
      done != bytes.size() || !FlushFileBuffers(file.Get())) {
    const DWORD error = GetLastError();
    file.Reset();
    if (!marked) DeleteFileW(temporary.c_str());
    return error == 0 ? ERROR_WRITE_FAULT : error;
  }
  // Kept from here on; a kill between these two steps leaves the hidden
  // temporary file, which a sweep of the folder removes.
  if (marked && !MarkForDeletion(file.Get(), false)) return GetLastError();
  if (NameOpenFile(file.Get(), path)) return 0;
  file.Reset();
  SetFileAttributesW(temporary.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return 0;
  const DWORD error = GetLastError();
  DeleteFileW(temporary.c_str());
  return error;
}

bool FlushToDisk(const std::wstring& path) {
  const UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  return file && FlushFileBuffers(file.Get());
}

namespace {

std::optional<WIN32_FILE_ATTRIBUTE_DATA> FileData(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return std::nullopt;
  return data;
}

}  // namespace

std::optional<std::uint64_t> FileBytes(const std::wstring& path) {
  const auto data = FileData(path);
  if (!data) return std::nullopt;
  return (std::uint64_t{data->nFileSizeHigh} << 32) | data->nFileSizeLow;
}

std::string FileStamp(const std::wstring& path) {
  const auto data = FileData(path);
  if (!data) return "";
  const std::uint64_t time =
      (std::uint64_t{data->ftLastWriteTime.dwHighDateTime} << 32) | data->ftLastWriteTime.dwLowDateTime;
  return std::to_string(*FileBytes(path)) + "@" + std::to_string(time);
}

EncoderCause CauseOfOutputError(std::uint32_t error) {
  return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL ? EncoderCause::kDiskFull
                                                                      : EncoderCause::kOutputDenied;
}

void LeaveFfmpegArguments(const std::vector<std::string>& arguments) {
  wchar_t path[MAX_PATH];
  const DWORD length = GetEnvironmentVariableW(L"VELTO_ENCODER_ENGINE_ARGS_FILE", path, MAX_PATH);
  if (length > 0 && length < MAX_PATH) WriteTextFile(path, JoinCommandLine(arguments) + "\n");
}

std::uint32_t WriteOpenError(const std::wstring& path) {
  UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  const DWORD error = GetLastError();
  if (!file) return error == 0 ? ERROR_ACCESS_DENIED : error;
  file.Reset();
  // OPEN_ALWAYS says ERROR_ALREADY_EXISTS for a file that was there.
  if (error != ERROR_ALREADY_EXISTS) DeleteFileW(path.c_str());
  return 0;
}

std::optional<std::uint64_t> FreeBytesBeside(const std::wstring& path) {
  const std::wstring full = FullPath(path);
  const std::wstring folder = full.substr(0, full.find_last_of(L"\\/") + 1);
  ULARGE_INTEGER available{};
  if (folder.empty() || !GetDiskFreeSpaceExW(folder.c_str(), &available, nullptr, nullptr)) return std::nullopt;
  return available.QuadPart;
}

}  // namespace velto
