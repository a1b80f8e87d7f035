#pragma once
// Runs the programs beside the tests (ffmpeg.exe, the stand-ins) to their end.
#include <windows.h>

#include <optional>
#include <string>

#include "base/module_directory.h"
#include "base/process_win.h"
#include "base/text_encoding.h"
#include "tests/support/scratch_dir.h"

namespace velto::testing {

// Start-up information that hands a child this program's own standard
// streams (to be inherited).
inline STARTUPINFOW StartupSharingOurStreams() {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  return startup;
}

// Runs a program hidden; its exit code, or -1 when it did not start. One
// that has not ended after `timeoutMs` is ended with code 99. As the
// converter does, a start that fails while the program file is there (held
// for a moment by a loader under load) is tried once more.
inline int RunProgram(const std::wstring& path, const std::wstring& arguments, DWORD timeoutMs = 60000) {
  ProcessStart how;
  how.program = path;
  how.commandLine = L"\"" + path + L"\" " + arguments;
  how.console = true;
  std::optional<StartedProcess> started;
  if (!StartTryingTwice(path, [&] { return (started = StartHidden(how)).has_value(); })) return -1;
  const HANDLE process = started->handles.process.Get();
  if (WaitForSingleObject(process, timeoutMs) != WAIT_OBJECT_0) TerminateProcess(process, 99);
  DWORD code = 1;
  GetExitCodeProcess(process, &code);
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
