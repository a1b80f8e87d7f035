#pragma once
// The processes running now, as the system lists them.
#include <windows.h>
#include <tlhelp32.h>

#include <vector>

#include "base/owned_handles.h"

namespace velto::testing {

// The processes named `name` (any letter case) that `parent` started; they
// keep its number after it has ended.
inline std::vector<DWORD> ChildProcesses(DWORD parent, const wchar_t* name) {
  std::vector<DWORD> children;
  const UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return children;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry))
    if (entry.th32ParentProcessID == parent && _wcsicmp(entry.szExeFile, name) == 0)
      children.push_back(entry.th32ProcessID);
  return children;
}

}  // namespace velto::testing
