// Stands in for ffmpeg.exe or ffprobe.exe (as it is named) in a test folder,
// where a test wants the engine to fail in ways the real one does not on
// cue. It runs the real program of its name from the folder in
// VELTO_REAL_ENGINE_DIR on the same arguments, its standard streams handed
// on, then does to the file written (the last argument, a file: URL) what
// VELTO_ENGINE_FAULT says:
//   fail-parts    a run writing a video part of a split conversion fails at once
//   cut-output=P  the output (no part) is cut to P % of its bytes
//   cut-parts=P   every video part is cut to P % of its bytes
//   empty-output  the output is emptied
//   no-sound      the output is written without sound
//   hang          nothing is run and the program never ends
//   hang-prober   so, as ffprobe.exe only
//   linger        the real program is run, and then this one never ends
// Without a fault it is the real program. The real one runs in a job that
// ends it with this one.
#include <windows.h>

#include <string>
#include <vector>

#include "base/owned_handles.h"
#include "base/process_win.h"
#include "base/text_encoding.h"
#include "encoder/common/command_line_tokens.h"
#include "tests/support/run_program.h"

namespace {

std::wstring Variable(const wchar_t* name) {
  wchar_t value[1024];
  const DWORD length = GetEnvironmentVariableW(name, value, 1024);
  return length > 0 && length < 1024 ? std::wstring(value, length) : L"";
}

bool IsPart(const std::string& path) { return path.find(".parts\\") != std::string::npos; }

bool IsVideoPart(const std::string& path) {
  return IsPart(path) && path.substr(path.find_last_of('\\') + 1).starts_with("video-");
}

void CutTo(const std::string& path, int percent) {
  const velto::UniqueHandle file(CreateFileW(velto::Utf8ToWide(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                             nullptr, OPEN_EXISTING, 0, nullptr));
  LARGE_INTEGER size{};
  if (!file || !GetFileSizeEx(file.Get(), &size)) return;
  size.QuadPart = size.QuadPart * percent / 100;
  SetFilePointerEx(file.Get(), size, nullptr, FILE_BEGIN);
  SetEndOfFile(file.Get());
}

// The real program's exit code, or 1 when it could not be run.
DWORD RunReal(const std::vector<std::string>& words) {
  STARTUPINFOW startup = velto::testing::StartupSharingOurStreams();
  std::wstring line = velto::Utf8ToWide(velto::JoinCommandLine(words));
  const velto::JobObject job = velto::MakeKillOnCloseJob();
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(velto::Utf8ToWide(words[0]).c_str(), line.data(), nullptr, nullptr, TRUE,
                      CREATE_SUSPENDED | CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info))
    return 1;
  const velto::OwnedProcess real(info);
  AssignProcessToJobObject(job.Get(), info.hProcess);
  ResumeThread(info.hThread);
  WaitForSingleObject(info.hProcess, INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(info.hProcess, &code);
  return code;
}

}  // namespace

int wmain() {
  std::vector<std::string> words = velto::SplitCommandLine(velto::WideToUtf8(GetCommandLineW()), true);
  const std::wstring fault = Variable(L"VELTO_ENGINE_FAULT");
  if (fault == L"hang") Sleep(INFINITE);
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::wstring name = self;
  if (fault == L"hang-prober" && name.ends_with(L"ffprobe.exe")) Sleep(INFINITE);
  words.insert(words.begin(),
               velto::WideToUtf8(Variable(L"VELTO_REAL_ENGINE_DIR") + name.substr(name.find_last_of(L'\\') + 1)));
  std::string output = words.size() > 1 ? words.back() : "";
  if (output.starts_with("file:")) output.erase(0, 5);
  if (fault == L"fail-parts" && IsVideoPart(output)) return 1;
  if (fault == L"no-sound" && !IsPart(output)) words.insert(words.end() - 1, "-an");
  const DWORD code = RunReal(words);
  if (fault == L"linger") Sleep(INFINITE);
  if (code != 0 || output.empty()) return static_cast<int>(code);
  if (fault.starts_with(L"cut-output=") && !IsPart(output)) CutTo(output, std::stoi(fault.substr(11)));
  if (fault.starts_with(L"cut-parts=") && IsVideoPart(output)) CutTo(output, std::stoi(fault.substr(10)));
  if (fault == L"empty-output" && !IsPart(output)) CutTo(output, 0);
  return static_cast<int>(code);
}
