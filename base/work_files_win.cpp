#include <windows.h>

#include "base/owned_handles.h"
#include "base/work_files.h"

namespace velto {
namespace {

std::wstring NameOf(std::wstring_view path) {
  while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.remove_suffix(1);
  const auto slash = path.find_last_of(L"\\/");
  return std::wstring(slash == std::wstring_view::npos ? path : path.substr(slash + 1));
}

bool Gone(const std::wstring& path) { return GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES; }

// Names are the same in any letter case.
bool SameName(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// A live run keeps its folder's lock open without sharing delete, so the
// lock cannot be removed while it runs.
bool HeldByLiveRun(const std::wstring& folder) {
  const std::wstring lock = folder + kPartsLockName;
  return !Gone(lock) && !DeleteFileW(lock.c_str()) && GetLastError() == ERROR_SHARING_VIOLATION;
}

// Deletes the files of a folder (ending with a backslash) but `spared`;
// true when none of the others is left.
bool DeleteFilesIn(const std::wstring& folder, const wchar_t* spared) {
  bool all = true;
  WIN32_FIND_DATAW found;
  if (const FileSearch search(FindFirstFileW((folder + L"*").c_str(), &found)); search) {
    do {
      if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || (spared && SameName(found.cFileName, spared)))
        continue;
      const std::wstring file = folder + found.cFileName;
      SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
      all = (DeleteFileW(file.c_str()) || Gone(file)) && all;
    } while (FindNextFileW(search.Get(), &found));
  }
  return all;
}

}  // namespace

bool WorkFilesHeld(const std::wstring& output) { return HeldByLiveRun(PartsFolderFor(output)); }

bool RemovePartsFolder(const std::wstring& given) {
  const std::wstring folder = given.ends_with(L"\\") ? given : given + L"\\";
  const std::wstring name = NameOf(folder);
  if (!name.starts_with(kWorkFilePrefix) || !name.ends_with(kPartsSuffix)) return false;
  for (int attempt = 0; attempt < 30; ++attempt) {
    if (Gone(folder)) return true;
    if (HeldByLiveRun(folder)) return false;
    DeleteFilesIn(folder, nullptr);
    if (RemoveDirectoryW(folder.c_str()) || Gone(folder)) return true;
    Sleep(100);
  }
  return false;
}

bool RemoveWorkFiles(const std::wstring& output) {
  const std::wstring partial = PartialOutputFor(output);
  const bool parts = RemovePartsFolder(PartsFolderFor(output));
  return parts && (DeleteFileW(partial.c_str()) || Gone(partial));
}

void SweepWorkFiles(const std::wstring& folder, const std::optional<std::vector<std::wstring>>& waiting) {
  WIN32_FIND_DATAW found;
  const FileSearch search(FindFirstFileW((folder + kWorkFilePrefix + L"*").c_str(), &found));
  if (!search) return;
  do {
    const std::wstring name = found.cFileName;
    if (!IsWorkFileName(name)) continue;
    const bool isFolder = found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
    // Both work names of an output share their stem; the lock is in the
    // parts folder.
    const std::size_t suffix = (isFolder ? std::size(kPartsSuffix) : std::size(kPartialSuffix)) - 1;
    const std::wstring stem = name.substr(0, name.size() - suffix);
    if (HeldByLiveRun(folder + stem + kPartsSuffix + L"\\")) continue;
    if (!isFolder) {
      DeleteFileW((folder + name).c_str());
      continue;
    }
    if (!waiting) continue;
    bool kept = false;
    for (const std::wstring& output : *waiting) kept = kept || SameName(PartsFolderFor(output), folder + name + L"\\");
    if (!kept) RemovePartsFolder(folder + name);
  } while (FindNextFileW(search.Get(), &found));
}

WorkClaim::WorkClaim(const std::wstring& output) : folder_(PartsFolderFor(output)) {
  // The folder may go between its making and the lock's opening, removed
  // by a run that found it unheld: then it is made again.
  for (int attempt = 0; attempt < 5; ++attempt) {
    if (!CreateDirectoryW(folder_.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
      error_ = GetLastError();
      return;
    }
    SetFileAttributesW(folder_.c_str(), FILE_ATTRIBUTE_HIDDEN);
    // Opened without sharing delete, no other process can remove the lock
    // (and so the folder) while this one lives; it goes with the last
    // handle, also when this process is killed.
    const HANDLE lock =
        CreateFileW((folder_ + kPartsLockName).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_READ,
                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (lock != INVALID_HANDLE_VALUE) {
      lock_ = lock;
      outcome_ = Outcome::kHeld;
      return;
    }
    error_ = GetLastError();
    if (error_ == ERROR_SHARING_VIOLATION || error_ == ERROR_ACCESS_DENIED) {
      // Access is denied also to a file whose deletion is pending.
      if (error_ == ERROR_SHARING_VIOLATION || !Gone(folder_ + kPartsLockName)) {
        outcome_ = Outcome::kInUse;
        return;
      }
    } else if (error_ != ERROR_PATH_NOT_FOUND && error_ != ERROR_FILE_NOT_FOUND) {
      return;
    }
    Sleep(10);
  }
}

WorkClaim::~WorkClaim() {
  if (!Held()) return;
  CloseHandle(lock_);
  RemovePartsFolder(folder_);
}

bool WorkClaim::ClearParts() const {
  for (int attempt = 0; attempt < 30; ++attempt) {
    if (DeleteFilesIn(folder_, kPartsLockName)) return true;
    Sleep(100);  // ffmpeg may still hold a part for a moment
  }
  return false;
}

}  // namespace velto
