#include "engine/encoder_process.h"

#include <map>

#include "base/encoder_interface.h"
#include "base/file_system.h"
#include "base/owned_handles.h"
#include "base/process_win.h"
#include "base/text_encoding.h"
#include "engine/local_data.h"
#include "framework/window.h"

namespace velto {
namespace {

// Set when PumpOneMessage took a WM_QUIT that belongs to an outer loop.
bool g_quitTaken = false;
int g_quitCode = 0;

std::wstring QuoteProgramPath(const std::wstring& path) { return L"\"" + path + L"\""; }

// "C:\..." or "\\server\...": a path that names its drive or share.
bool IsFullPath(const std::wstring& path) {
  const auto separator = [](wchar_t c) { return c == L'\\' || c == L'/'; };
  if (path.size() >= 3 && path[1] == L':' && separator(path[2])) return true;
  return path.size() >= 3 && separator(path[0]) && separator(path[1]);
}

// Every veltoenc.exe the converter starts runs in this job, which ends
// them (and the ffmpeg runs in their own jobs) when the converter ends,
// however it ends: killed, crashed or closed.
HANDLE EncoderJob() {
  static const JobObject job = MakeKillOnCloseJob();
  return job.Get();
}

// How long an ended encoder may take to go.
constexpr DWORD kEndWaitMs = 5000;

// When the process started; 0 when it cannot be asked.
ULONGLONG StartTime(HANDLE process) {
  FILETIME created{}, exited{}, kernel{}, user{};
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
  return (ULONGLONG{created.dwHighDateTime} << 32) | created.dwLowDateTime;
}

}  // namespace

int EndOrphanedRuns(const std::wstring& folder) {
  std::map<DWORD, PROCESSENTRY32W> running;
  for (const PROCESSENTRY32W& entry : RunningProcesses()) running[entry.th32ProcessID] = entry;
  int ended = 0;
  for (const auto& [id, entry] : running) {
    if (_wcsicmp(entry.szExeFile, L"veltoenc.exe") != 0 && _wcsicmp(entry.szExeFile, L"ffmpeg.exe") != 0 &&
        _wcsicmp(entry.szExeFile, L"ffprobe.exe") != 0)
      continue;
    const UniqueHandle run(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
    wchar_t image[1024];
    DWORD length = 1024;
    if (!run || !QueryFullProcessImageNameW(run.Get(), 0, image, &length)) continue;
    if (_wcsicmp(std::wstring(image, length).c_str(), (folder + entry.szExeFile).c_str()) != 0) continue;
    // Its starter is there when the process of that number started before
    // it (numbers are used again).
    if (const auto parent = running.find(entry.th32ParentProcessID); parent != running.end()) {
      const UniqueHandle starter(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, parent->first));
      if (starter && StartTime(starter.Get()) <= StartTime(run.Get())) continue;
    }
    // Only a program that never ran is ours to end: made suspended, as our
    // starts are, and left so by a starter that is gone, it would wait for
    // ever. One that runs is someone else's (or still in our job, which
    // ends it with its converter).
    if (!AllThreadsSuspended(id)) continue;
    if (!TerminateProcess(run.Get(), kExitStopped)) continue;
    WaitForSingleObject(run.Get(), kEndWaitMs);
    LogConverterLine("ended " + WideToUtf8(entry.szExeFile) + " (process " + std::to_string(id) +
                     "): it never ran, and what started it had gone");
    ++ended;
  }
  return ended;
}

std::string FindEncoderLog(const std::string& folder, const EncoderRunResult& run) {
  if (folder.empty() || !run.started || run.processId == 0) return {};
  const std::wstring wideFolder = Utf8ToWide(folder);
  const std::wstring pattern = wideFolder + L"\\veltoenc-*-" + std::to_wstring(run.processId) + L".log";
  WIN32_FIND_DATAW found{};
  const FileSearch search(FindFirstFileW(pattern.c_str(), &found));
  if (!search) return {};
  std::wstring newest;
  do {
    // Names sort by their time.
    if (newest.empty() || newest < found.cFileName) newest = found.cFileName;
  } while (FindNextFileW(search.Get(), &found));
  return WideToUtf8(wideFolder + L"\\" + newest);
}

EncoderCauseRecord CauseOfRun(const EncoderRunResult& run, const std::string& logPath) {
  EncoderCauseRecord record;
  if (!logPath.empty()) {
    if (const std::optional<std::string> log = ReadWholeFile(logPath)) record = ReadEncoderCause(*log);
  }
  if (record.cause == EncoderCause::kUnknown) record.cause = CauseOfExitCode(static_cast<int>(run.exitCode));
  return record;
}

void PumpOneMessage() {
  MSG msg;
  if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return;
  if (msg.message == WM_QUIT) {
    g_quitTaken = true;
    g_quitCode = static_cast<int>(msg.wParam);
    return;
  }
  ProcessMessage(msg);
}

// Ours with the encoder's thread share set (or none): a block of
// "NAME=value" strings, each ending in a zero, the block in another.
std::wstring EnvironmentWithThreads(std::int32_t threads) {
  std::wstring block;
  const std::wstring prefix = std::wstring(kThreadsVariable) + L"=";
  if (wchar_t* strings = GetEnvironmentStringsW()) {
    for (const wchar_t* entry = strings; *entry; entry += wcslen(entry) + 1) {
      if (_wcsnicmp(entry, prefix.c_str(), prefix.size()) != 0) block.append(entry).push_back(L'\0');
    }
    FreeEnvironmentStringsW(strings);
  }
  block.append(prefix + std::to_wstring(threads)).push_back(L'\0');
  block.push_back(L'\0');
  return block;
}

StartedEncoder StartEncoderProcess(const EncoderCommand& command) {
  StartedEncoder started;
  const std::wstring program = Utf8ToWide(command.encoderPath);
  if (!IsFullPath(program)) return started;
  std::wstring commandLine = QuoteProgramPath(program) + L" " + Utf8ToWide(command.arguments);
  const std::wstring folder = Utf8ToWide(command.startFolder);

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION process{};
  std::wstring environment = command.threads > 0 ? EnvironmentWithThreads(command.threads) : std::wstring();
  // Started suspended, so that it is in the job before it can start an
  // ffmpeg run of its own.
  if (StartTryingTwice(program, [&] {
        return CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                              CREATE_SUSPENDED | CREATE_UNICODE_ENVIRONMENT,
                              environment.empty() ? nullptr : environment.data(),
                              folder.empty() ? nullptr : folder.c_str(), &startup, &process) != FALSE;
      })) {
    if (!AssignProcessToJobObject(EncoderJob(), process.hProcess)) {
      static bool said = false;  // once per start of the program
      if (!said) LogConverterLine("veltoenc.exe runs outside a job (system error " + std::to_string(GetLastError()) +
                                  "): it may outlive the converter");
      said = true;
    }
    ResumeThread(process.hThread);
    started.process = OwnedProcess(process);
    started.processId = process.dwProcessId;
  }
  return started;
}

std::pair<std::size_t, EncoderRunResult> WaitForAnyEncoder(const std::vector<StartedEncoder*>& encoders,
                                                           SilentStopWatch* watch) {
  std::vector<HANDLE> handles;
  for (StartedEncoder* encoder : encoders) handles.push_back(encoder->process.process.Get());
  // One that never started ends at once.
  for (std::size_t i = 0; i < handles.size(); ++i)
    if (!handles[i]) return {i, EncoderRunResult{}};
  if (handles.empty() || handles.size() >= MAXIMUM_WAIT_OBJECTS) return {0, EncoderRunResult{}};

  const auto count = static_cast<DWORD>(handles.size());
  DWORD ended = 0;
  for (;;) {
    DWORD timeout = INFINITE;
    if (watch) {
      const std::uint32_t due = MillisecondsToSilentStopQuestion(watch->state, watch->ui.TickCount());
      if (due == 0) {
        if (AskToStop(watch->state, watch->ui))
          for (StartedEncoder* encoder : encoders) EndEncoderProcess(*encoder);
        continue;
      }
      if (due != kNoStopQuestion) timeout = due;
    }
    const DWORD r = MsgWaitForMultipleObjectsEx(count, handles.data(), timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (r < WAIT_OBJECT_0 + count) {
      ended = r - WAIT_OBJECT_0;
      break;
    }
    if (r == WAIT_OBJECT_0 + count) {
      PumpOneMessage();
      continue;
    }
    if (r == WAIT_TIMEOUT) continue;
    // The wait itself failed.
    ended = WaitForMultipleObjects(count, handles.data(), FALSE, INFINITE) - WAIT_OBJECT_0;
    if (ended >= count) ended = 0;
    break;
  }
  StartedEncoder& started = *encoders[ended];
  EncoderRunResult result;
  result.started = true;
  result.processId = started.processId;
  WaitForSingleObject(handles[ended], INFINITE);
  GetExitCodeProcess(handles[ended], &result.exitCode);
  started.process = OwnedProcess();

  if (g_quitTaken) {
    g_quitTaken = false;
    PostQuitMessage(g_quitCode);
  }
  return {ended, result};
}

EncoderRunResult WaitForEncoder(StartedEncoder& started, SilentStopWatch* watch) {
  if (!started.process.process.Get()) return EncoderRunResult{};
  return WaitForAnyEncoder({&started}, watch).second;
}

EncoderRunResult RunEncoderProcess(const EncoderCommand& command, const std::function<void()>& started,
                                   SilentStopWatch* watch) {
  StartedEncoder encoder = StartEncoderProcess(command);
  if (started) started();
  return WaitForEncoder(encoder, watch);
}

void EndEncoderProcess(StartedEncoder& encoder) {
  const HANDLE process = encoder.process.process.Get();
  if (!process) return;
  TerminateProcess(process, kExitStopped);
  WaitForSingleObject(process, kEndWaitMs);
}

}  // namespace velto
