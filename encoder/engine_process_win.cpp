#include "encoder/engine_process_win.h"

#include <algorithm>

#include "base/text_encoding.h"
#include "encoder/command_line_tokens.h"

namespace velto {
namespace {

void CloseIfOpen(HANDLE& handle) {
  if (handle) CloseHandle(handle);
  handle = nullptr;
}

// A pipe whose one end the child inherits.
bool MakePipe(HANDLE& ours, HANDLE& theirs, bool childReads) {
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  HANDLE read = nullptr, write = nullptr;
  if (!CreatePipe(&read, &write, &sa, 1 << 16)) return false;
  ours = childReads ? write : read;
  theirs = childReads ? read : write;
  SetHandleInformation(ours, HANDLE_FLAG_INHERIT, 0);
  return true;
}

// Reads until the program has ended and its pipe is empty. End of file is
// not waited for: a process the program started (under Wine even the
// desktop process) may hold the pipe's other end for ever.
void ReadAll(HANDLE pipe, HANDLE process, const EngineProcess::Sink& sink) {
  char buffer[4096];
  while (true) {
    DWORD available = 0;
    if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) break;
    if (available > 0) {
      DWORD got = 0;
      if (!ReadFile(pipe, buffer, std::min<DWORD>(available, sizeof buffer), &got, nullptr) || got == 0) break;
      if (sink) sink(std::string(buffer, got));
      continue;
    }
    // Nothing to read: wait a moment for more (the engine writes its
    // progress twice a second), waking at once when the program ends.
    if (WaitForSingleObject(process, 50) == WAIT_OBJECT_0) {
      // Whatever was written before the end is in the pipe by now.
      if (PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available > 0) continue;
      break;
    }
  }
  CloseHandle(pipe);
}

// Programs started here end with this process, even when it is killed.
HANDLE EngineJob() {
  static HANDLE job = [] {
    HANDLE created = CreateJobObjectW(nullptr, nullptr);
    if (created) {
      JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
      limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
      if (!SetInformationJobObject(created, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
        CloseHandle(created);
        created = nullptr;
      }
    }
    return created;
  }();
  return job;
}

}  // namespace

EngineProcess::~EngineProcess() {
  if (process_ && !Wait(0)) Terminate();
  JoinReaders();
  CloseIfOpen(input_);
  CloseIfOpen(process_);
}

bool EngineProcess::Start(const std::wstring& program, const std::vector<std::string>& arguments,
                          Sink onOutput, Sink onError) {
  HANDLE inChild = nullptr, outOurs = nullptr, outChild = nullptr, errOurs = nullptr, errChild = nullptr;
  if (!MakePipe(input_, inChild, true)) return false;
  if (!MakePipe(outOurs, outChild, false)) {
    CloseHandle(inChild);
    return false;
  }
  if (!MakePipe(errOurs, errChild, false)) {
    CloseHandle(inChild);
    CloseHandle(outOurs);
    CloseHandle(outChild);
    return false;
  }
  std::vector<std::string> all = {WideToUtf8(program)};
  all.insert(all.end(), arguments.begin(), arguments.end());
  commandLine_ = Utf8ToWide(JoinCommandLine(all));
  std::wstring mutableLine = commandLine_;

  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
  si.wShowWindow = SW_HIDE;
  si.hStdInput = inChild;
  si.hStdOutput = outChild;
  si.hStdError = errChild;
  PROCESS_INFORMATION pi{};
  const BOOL started = CreateProcessW(program.c_str(), mutableLine.data(), nullptr, nullptr, TRUE,
                                      DETACHED_PROCESS | CREATE_UNICODE_ENVIRONMENT | CREATE_SUSPENDED, nullptr, nullptr, &si, &pi);
  CloseHandle(inChild);
  CloseHandle(outChild);
  CloseHandle(errChild);
  if (!started) {
    CloseHandle(outOurs);
    CloseHandle(errOurs);
    CloseIfOpen(input_);
    return false;
  }
  if (HANDLE job = EngineJob()) AssignProcessToJobObject(job, pi.hProcess);
  ResumeThread(pi.hThread);
  CloseHandle(pi.hThread);
  process_ = pi.hProcess;
  outputReader_ = std::thread(ReadAll, outOurs, process_, std::move(onOutput));
  errorReader_ = std::thread(ReadAll, errOurs, process_, std::move(onError));
  return true;
}

bool EngineProcess::Wait(DWORD timeoutMs) {
  return !process_ || WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0;
}

void EngineProcess::AskToQuit() {
  if (!input_) return;
  DWORD written = 0;
  WriteFile(input_, "q", 1, &written, nullptr);
  CloseIfOpen(input_);
}

void EngineProcess::Terminate() {
  if (process_) {
    TerminateProcess(process_, 255);
    WaitForSingleObject(process_, 5000);
  }
}

void EngineProcess::JoinReaders() {
  if (outputReader_.joinable()) outputReader_.join();
  if (errorReader_.joinable()) errorReader_.join();
}

DWORD EngineProcess::ExitCode() const {
  DWORD code = 1;
  if (!process_ || !GetExitCodeProcess(process_, &code)) return 1;
  return code;
}

bool RunAndCapture(const std::wstring& program, const std::vector<std::string>& arguments,
                   std::string& output) {
  EngineProcess process;
  std::string collected;
  if (!process.Start(program, arguments, [&](const std::string& bytes) { collected += bytes; }, nullptr))
    return false;
  process.Wait(INFINITE);
  process.JoinReaders();
  output = std::move(collected);
  return process.ExitCode() == 0;
}

}  // namespace velto
