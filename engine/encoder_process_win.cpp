#include "engine/encoder_process.h"


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

}  // namespace

std::string EncoderLogFolder() {
  const std::string folder = LocalDataFolder();
  return folder.empty() ? std::string() : folder + "\\" + WideToUtf8(kEncoderLogSubfolder);
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
  // Started suspended, so that it is in the job before it can start an
  // ffmpeg run of its own.
  if (StartTryingTwice(program, [&] {
        return CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                              nullptr, folder.empty() ? nullptr : folder.c_str(), &startup, &process) != FALSE;
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

EncoderRunResult WaitForEncoder(StartedEncoder& started, SilentStopWatch* watch) {
  EncoderRunResult result;
  const HANDLE encoder = started.process.process.Get();
  if (!encoder) return result;
  result.started = true;
  result.processId = started.processId;

  for (;;) {
    DWORD timeout = INFINITE;
    if (watch) {
      const std::uint32_t due = MillisecondsToSilentStopQuestion(watch->state, watch->ui.TickCount());
      if (due == 0) {
        if (AskToStop(watch->state, watch->ui)) EndEncoderProcess(started);
        continue;
      }
      if (due != kNoStopQuestion) timeout = due;
    }
    const DWORD r = MsgWaitForMultipleObjectsEx(1, &encoder, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (r == WAIT_OBJECT_0) break;
    if (r == WAIT_OBJECT_0 + 1) {
      PumpOneMessage();
      continue;
    }
    if (r == WAIT_TIMEOUT) continue;
    WaitForSingleObject(encoder, INFINITE);  // the wait itself failed
    break;
  }
  GetExitCodeProcess(encoder, &result.exitCode);
  started.process = OwnedProcess();

  if (g_quitTaken) {
    g_quitTaken = false;
    PostQuitMessage(g_quitCode);
  }
  return result;
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
