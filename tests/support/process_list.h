#pragma once
// The processes running now, picked by name or by parent.
#include <windows.h>

#include <functional>
#include <initializer_list>
#include <vector>

#include "base/process_win.h"

namespace velto::testing {

// The numbers of the processes for which `matches` holds.
inline std::vector<DWORD> ProcessesWhere(const std::function<bool(const PROCESSENTRY32W&)>& matches) {
  std::vector<DWORD> found;
  for (const PROCESSENTRY32W& entry : RunningProcesses())
    if (matches(entry)) found.push_back(entry.th32ProcessID);
  return found;
}

// The processes running under any of `names` (any letter case).
inline std::vector<DWORD> ProcessesNamed(std::initializer_list<const wchar_t*> names) {
  return ProcessesWhere([&](const PROCESSENTRY32W& entry) {
    for (const wchar_t* name : names)
      if (_wcsicmp(entry.szExeFile, name) == 0) return true;
    return false;
  });
}

// The processes named `name` (any letter case) that `parent` started; they
// keep its number after it has ended.
inline std::vector<DWORD> ChildProcesses(DWORD parent, const wchar_t* name) {
  return ProcessesWhere([&](const PROCESSENTRY32W& entry) {
    return entry.th32ParentProcessID == parent && _wcsicmp(entry.szExeFile, name) == 0;
  });
}

}  // namespace velto::testing
