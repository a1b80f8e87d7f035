// Files and folders dropped on the main window.
#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/owned_handles.h"
#include "base/text_encoding.h"
#include "framework/application.h"
#include "ui/file_list_text.h"
#include "ui/main_dialog.h"

namespace velto {
namespace {

std::vector<std::wstring> DroppedPaths(HDROP drop) {
  std::vector<std::wstring> paths;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    const UINT length = DragQueryFileW(drop, i, nullptr, 0);
    if (length == 0) continue;
    std::wstring path(length + 1, L'\0');
    path.resize(DragQueryFileW(drop, i, path.data(), length + 1));
    if (!path.empty()) paths.push_back(std::move(path));
  }
  return paths;
}

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool NameBefore(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
         CSTR_LESS_THAN;
}

// The video files directly inside `folder`, by name; sub-folders are not
// searched.
std::vector<std::string> VideoFilesIn(const std::wstring& folder) {
  std::wstring prefix = folder;
  if (prefix.back() != L'\\' && prefix.back() != L'/') prefix += L'\\';
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found{};
  const FileSearch search(FindFirstFileW((prefix + L"*").c_str(), &found));
  if (!search) return {};
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    if (IsVideoFileName(WideToUtf8(found.cFileName))) names.emplace_back(found.cFileName);
  } while (FindNextFileW(search.Get(), &found));
  std::sort(names.begin(), names.end(), NameBefore);
  std::vector<std::string> paths;
  for (const std::wstring& name : names) paths.push_back(WideToUtf8(prefix + name));
  return paths;
}

}  // namespace

LRESULT MainDialog::OnDropFiles(WPARAM drop, LPARAM) {
  const auto handle = reinterpret_cast<HDROP>(drop);
  const std::vector<std::wstring> dropped = DroppedPaths(handle);
  DragFinish(handle);

  std::vector<std::string> accepted;
  std::vector<RefusedDrop> refused;
  for (const std::wstring& path : dropped) {
    if (IsFolder(path)) {
      const std::vector<std::string> inside = VideoFilesIn(path);
      if (inside.empty()) refused.push_back({WideToUtf8(path), true});
      accepted.insert(accepted.end(), inside.begin(), inside.end());
    } else if (IsVideoFileName(WideToUtf8(path))) {
      accepted.push_back(WideToUtf8(path));
    } else {
      refused.push_back({WideToUtf8(path), false});
    }
  }
  if (!refused.empty()) ShowMessageBox(RefusedDropText(refused), MB_OK | MB_ICONWARNING);
  AddDroppedPaths(accepted);
  return 0;
}

void MainDialog::AddDroppedPaths(const std::vector<std::string>& paths) {
  if (paths.empty()) return;
  if (m_busy) {
    m_queuedDrops.insert(m_queuedDrops.end(), paths.begin(), paths.end());
    return;
  }
  AddFilesFrom(paths);
}

void MainDialog::AddQueuedDrops() {
  if (m_busy || m_closeRequested || m_queuedDrops.empty() || !IsWindow()) return;
  std::vector<std::string> paths;
  paths.swap(m_queuedDrops);
  AddFilesFrom(paths);
}

}  // namespace velto
