#pragma once
// Runs the programs beside the tests (ffmpeg.exe, the stand-ins) to their end.
#include <windows.h>

#include <string>

#include "base/module_directory.h"
#include "base/owned_handles.h"
#include "base/text_encoding.h"
#include "tests/support/scratch_dir.h"

namespace velto::testing {

// Runs a program hidden; its exit code, or -1 when it did not start. One
// that has not ended after `timeoutMs` is ended with code 99.
inline int RunProgram(const std::wstring& path, const std::wstring& arguments, DWORD timeoutMs = 60000) {
  std::wstring line = L"\"" + path + L"\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(path.c_str(), line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                      &startup, &process)) {
    return -1;
  }
  const OwnedProcess started(process);
  if (WaitForSingleObject(process.hProcess, timeoutMs) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 99);
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  return static_cast<int>(code);
}

// ffmpeg.exe beside the tests with `arguments`, writing `output` (UTF-8);
// true when it made the file.
inline bool Ffmpeg(const std::string& arguments, const std::string& output) {
  const int code = RunProgram(Utf8ToWide(ModuleDirectory() + "ffmpeg.exe"),
                              L"-hide_banner -loglevel error -y " + Utf8ToWide(arguments) + L" \"file:" +
                                  Utf8ToWide(output) + L"\"");
  std::error_code error;
  return code == 0 && std::filesystem::file_size(PathFromUtf8(output), error) > 0 && !error;
}

}  // namespace velto::testing
