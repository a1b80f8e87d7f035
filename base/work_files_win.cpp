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

// A live run keeps its folder's lock open without sharing delete, so the
// lock cannot be removed while it runs.
bool HeldByLiveRun(const std::wstring& folder) {
  const std::wstring lock = folder + kPartsLockName;
  return !Gone(lock) && !DeleteFileW(lock.c_str()) && GetLastError() == ERROR_SHARING_VIOLATION;
}

}  // namespace

bool RemovePartsFolder(const std::wstring& given) {
  const std::wstring folder = given.ends_with(L"\\") ? given : given + L"\\";
  const std::wstring name = NameOf(folder);
  if (!name.starts_with(kWorkFilePrefix) || !name.ends_with(kPartsSuffix)) return false;
  for (int attempt = 0; attempt < 30; ++attempt) {
    if (Gone(folder)) return true;
    if (HeldByLiveRun(folder)) return false;
    WIN32_FIND_DATAW found;
    if (const FileSearch search(FindFirstFileW((folder + L"*").c_str(), &found)); search) {
      do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
          const std::wstring file = folder + found.cFileName;
          SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
          DeleteFileW(file.c_str());
        }
      } while (FindNextFileW(search.Get(), &found));
    }
    if (RemoveDirectoryW(folder.c_str()) || Gone(folder)) return true;
    Sleep(100);
  }
  return false;
}

bool RemoveWorkFiles(const std::wstring& output) {
  const std::wstring partial = PartialOutputFor(output);
  const bool parts = RemovePartsFolder(PartsFolderFor(output));
  return (DeleteFileW(partial.c_str()) || Gone(partial)) && parts;
}

void SweepWorkFiles(const std::wstring& folder, const std::wstring& keep) {
  const std::wstring keepPartial = NameOf(PartialOutputFor(keep));
  const std::wstring keepParts = NameOf(PartsFolderFor(keep));
  WIN32_FIND_DATAW found;
  const FileSearch search(FindFirstFileW((folder + kWorkFilePrefix + L"*").c_str(), &found));
  if (!search) return;
  do {
    const std::wstring name = found.cFileName;
    // Names are the same in any letter case.
    const auto same = [&name](const std::wstring& kept) {
      return CompareStringOrdinal(name.c_str(), -1, kept.c_str(), -1, TRUE) == CSTR_EQUAL;
    };
    if (!IsWorkFileName(name) || same(keepPartial) || same(keepParts)) continue;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      RemovePartsFolder(folder + name);
    } else {
      // One that a live run writes cannot be removed while it is open.
      DeleteFileW((folder + name).c_str());
    }
  } while (FindNextFileW(search.Get(), &found));
}

}  // namespace velto
