#pragma once
// One conversion's engine run: the engine started on the translated
// arguments, its position reported to the window, stopped when the window
// asks, its last error lines logged.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "encoder/reporter_win.h"
#include "encoder/run_log_win.h"

namespace velto {

struct EngineRunResult {
  bool started = false;
  bool stopped = false;     // on the window's request
  DWORD exitCode = 1;
  std::int64_t frames = 0;  // as the engine's progress last said
  std::string lastError;    // the engine's last error line, if any
};

EngineRunResult RunEngine(const std::wstring& engine, const std::vector<std::string>& arguments,
                          Reporter& reporter, RunLog& log);

}  // namespace velto
