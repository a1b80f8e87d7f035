#include "encoder/run/split_folder_win.h"

#include <cstdlib>
#include <string_view>

#include "base/owned_handles.h"
#include "base/process_win.h"
#include "base/text_encoding.h"
#include "encoder/common/command_line_tokens.h"
#include "encoder/common/file_access_win.h"

namespace velto {
namespace {

constexpr wchar_t kFolderPrefix[] = L"~velto-";
constexpr wchar_t kFolderSuffix[] = L".parts";

std::wstring FolderName(DWORD pid) { return kFolderPrefix + std::to_wstring(pid) + kFolderSuffix; }

// Only folders named as this program names them are ever emptied.
bool IsSplitFolder(const std::wstring& folder) {
  std::wstring_view path(folder);
  while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.remove_suffix(1);
  const auto slash = path.find_last_of(L"\\/");
  const std::wstring_view name = slash == std::wstring_view::npos ? path : path.substr(slash + 1);
  return name.starts_with(kFolderPrefix) && name.ends_with(kFolderSuffix);
}

// The files in the folder, then the folder; ffmpeg may hold a file for a
// moment after its end, so this tries for a few seconds.
bool RemoveSplitFolder(const std::wstring& folder) {
  if (!IsSplitFolder(folder)) return false;
  for (int attempt = 0; attempt < 50; ++attempt) {
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
      if (GetLastError() == ERROR_PATH_NOT_FOUND || GetLastError() == ERROR_FILE_NOT_FOUND) return true;
    } else {
      const FileSearch owned(search);
      do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileW((folder + found.cFileName).c_str());
      } while (FindNextFileW(search, &found));
    }
    if (RemoveDirectoryW(folder.c_str()) || GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
    Sleep(100);
  }
  return false;
}

// A second veltoenc.exe, outside the ffmpeg runs' job, that removes the
// folder once this process has ended: also when it is killed, which ends
// the ffmpeg runs with it. It finds this process by its number and
// inherits nothing.
bool StartWatch(const std::wstring& folder) {
  wchar_t self[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  ProcessStart how;
  how.program = self;
  how.commandLine = Utf8ToWide(JoinCommandLine(
      {WideToUtf8(self), kRemoveWhenEnded, std::to_string(GetCurrentProcessId()), WideToUtf8(folder)}));
  return StartHidden(how).has_value();
}

}  // namespace

std::wstring SplitFolderFor(const std::string& output) {
  std::wstring folder = FullPath(Utf8ToWide(output));
  const auto slash = folder.find_last_of(L"\\/");
  folder.resize(slash == std::wstring::npos ? 0 : slash + 1);
  return folder + FolderName(GetCurrentProcessId()) + L"\\";
}

SplitFolder::SplitFolder(std::wstring path, RunLog& log) : path_(std::move(path)), log_(log) {
  RemoveSplitFolder(path_);  // left by an earlier process of the same number
  made_ = CreateDirectoryW(path_.c_str(), nullptr);
  if (!made_) {
    log_.Line("the split folder could not be made");
    return;
  }
  SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_HIDDEN);
  // Started from a thread of its own while the ffmpeg runs start, rather
  // than before them.
  watchStart_ = std::jthread([this] { watching_ = StartWatch(path_); });
}

SplitFolder::~SplitFolder() {
  parts_.End();
  join_.End();
  if (!made_) return;
  if (watchStart_.joinable()) watchStart_.join();
  if (!watching_) log_.Line("the split folder's watch could not be started");
  if (!RemoveSplitFolder(path_)) log_.Line("the split folder could not be removed");
}

bool WatchSplitFolder(const std::vector<std::string>& words) {
  if (words.size() != 3 || words[0] != kRemoveWhenEnded) return false;
  const std::wstring folder = Utf8ToWide(words[2]);
  if (!IsSplitFolder(folder)) return true;
  const DWORD id = static_cast<DWORD>(std::strtoul(words[1].c_str(), nullptr, 10));
  const UniqueHandle watched(OpenProcess(SYNCHRONIZE, FALSE, id));
  // A process that cannot be found has ended already.
  const bool ended = watched ? WaitForSingleObject(watched.Get(), INFINITE) == WAIT_OBJECT_0
                             : GetLastError() == ERROR_INVALID_PARAMETER;
  if (ended) RemoveSplitFolder(folder);
  return true;
}

}  // namespace velto
