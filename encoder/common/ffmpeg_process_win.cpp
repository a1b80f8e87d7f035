#include "encoder/common/ffmpeg_process_win.h"

#include <algorithm>
#include <optional>
#include <shared_mutex>
#include <vector>

#include "base/process_win.h"
#include "base/text_encoding.h"
#include "encoder/common/command_line_tokens.h"

namespace velto {
namespace {

// Reads until the program has ended and its pipe is empty. End of file is
// not waited for: a process the program started (under Wine even the
// desktop process) may hold the pipe's other end for ever.
void ReadAll(UniqueHandle pipe, HANDLE process, const FfmpegProcess::Sink& sink, DWORD longestPauseMs,
             std::size_t bufferBytes) {
  // Output that comes in a stream (a prober's listing) is taken as it
  // comes: a pipe left full stops its writer. While nothing comes, the
  // looks grow rarer, up to longestPauseMs apart.
  std::vector<char> buffer(bufferBytes);
  DWORD pause = 1;
  while (true) {
    DWORD available = 0;
    if (!PeekNamedPipe(pipe.Get(), nullptr, 0, nullptr, &available, nullptr)) break;
    if (available > 0) {
      DWORD got = 0;
      const DWORD wanted = std::min<DWORD>(available, static_cast<DWORD>(buffer.size()));
      if (!ReadFile(pipe.Get(), buffer.data(), wanted, &got, nullptr) || got == 0) break;
      if (sink) sink(std::string(buffer.data(), got));
      pause = 1;
      continue;
    }
    // Nothing to read: wait a moment for more, waking at once when the
    // program ends.
    if (WaitForSingleObject(process, pause) == WAIT_OBJECT_0) {
      // Whatever was written before the end is in the pipe by now.
      if (PeekNamedPipe(pipe.Get(), nullptr, 0, nullptr, &available, nullptr) && available > 0) continue;
      break;
    }
    pause = std::min(pause * 2, longestPauseMs);
  }
}

// Programs started here end with this process, even when it is killed.
HANDLE FfmpegJob() {
  static const JobObject job = MakeKillOnCloseJob();
  return job.Get();
}

// Starts share this lock and the end of the process takes it whole, so
// that no program is between its making and its joining the job then.
std::shared_mutex& StartLock() {
  static std::shared_mutex lock;
  return lock;
}

// ffmpeg writes its progress twice a second: looks 50 ms apart at most
// cost nothing there; an awaited output is looked for at once, and read in
// one piece.
constexpr DWORD kCalmPauseMs = 50;
constexpr DWORD kPromptPauseMs = 2;
constexpr std::size_t kReadBytes = 64 << 10;
constexpr std::size_t kMostAwaitedBytes = 64 << 20;

}  // namespace

FfmpegProcess::~FfmpegProcess() {
  if (process_ && !Wait(0)) Terminate();
  JoinReaders();
}

bool FfmpegProcess::Start(const std::wstring& program, const std::vector<std::string>& arguments,
                          Sink onOutput, Sink onError, std::size_t awaitedBytes) {
  std::vector<std::string> all = {WideToUtf8(program)};
  all.insert(all.end(), arguments.begin(), arguments.end());
  commandLine_ = Utf8ToWide(JoinCommandLine(all));
  ProcessStart how;
  how.program = program;
  how.commandLine = commandLine_;
  how.input = how.output = how.error = StreamUse::kPipe;
  how.job = FfmpegJob();
  // Some room over the awaited bytes, for what the program writes with them.
  const std::size_t awaited = std::min(awaitedBytes, kMostAwaitedBytes);
  if (awaited > 0) how.outputPipeBytes = static_cast<DWORD>(awaited + kReadBytes);
  std::optional<StartedProcess> started;
  {
    const std::shared_lock<std::shared_mutex> starting(StartLock());
    started = StartHidden(how);
  }
  if (!started) return false;
  process_ = std::move(started->handles.process);
  inJob_ = started->inJob;
  input_ = std::move(started->input);
  outputReader_ = std::thread(ReadAll, std::move(started->output), process_.Get(), std::move(onOutput),
                              awaited > 0 ? kPromptPauseMs : kCalmPauseMs, std::max(awaited, kReadBytes));
  errorReader_ = std::thread(ReadAll, std::move(started->error), process_.Get(), std::move(onError), kCalmPauseMs,
                             kReadBytes);
  return true;
}

bool FfmpegProcess::Wait(DWORD timeoutMs) {
  return !process_ || WaitForSingleObject(process_.Get(), timeoutMs) == WAIT_OBJECT_0;
}

void FfmpegProcess::AskToQuit() { GiveInput("q"); }

bool FfmpegProcess::GiveInput(const std::string& bytes) {
  if (!input_) return false;
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD written = 0;
    if (!WriteFile(input_.Get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &written, nullptr) ||
        written == 0)
      break;
    done += written;
  }
  input_.Reset();
  return done == bytes.size();
}

void FfmpegProcess::Terminate() {
  if (process_) {
    TerminateProcess(process_.Get(), 255);
    WaitForSingleObject(process_.Get(), 5000);
  }
}

void FfmpegProcess::JoinReaders() {
  if (outputReader_.joinable()) outputReader_.join();
  if (errorReader_.joinable()) errorReader_.join();
}

DWORD FfmpegProcess::ExitCode() const {
  DWORD code = 1;
  if (!process_ || !GetExitCodeProcess(process_.Get(), &code)) return 1;
  return code;
}

void EndWithEveryFfmpegRun(UINT exitCode) {
  StartLock().lock();  // held until the end
  if (const HANDLE job = FfmpegJob()) TerminateJobObject(job, exitCode);
  TerminateProcess(GetCurrentProcess(), exitCode);
  ExitProcess(exitCode);  // not reached
}

DWORD ProberTimeLimitMs() {
  wchar_t text[16];
  const DWORD length = GetEnvironmentVariableW(L"VELTO_PROBER_SECONDS", text, 16);
  const int seconds = length > 0 && length < 16 ? _wtoi(text) : 0;
  return seconds > 0 ? static_cast<DWORD>(seconds) * 1000 : 30'000;
}

CaptureOutcome RunAndCapture(const std::wstring& program, const std::vector<std::string>& arguments,
                             std::string& output, DWORD timeoutMs) {
  FfmpegProcess process;
  std::string collected;
  if (!process.Start(program, arguments, [&](const std::string& bytes) { collected += bytes; }, nullptr))
    return CaptureOutcome::kFailed;
  const bool ended = process.Wait(timeoutMs);
  if (!ended) process.Terminate();
  process.JoinReaders();
  output = std::move(collected);
  if (!ended) return CaptureOutcome::kTimedOut;
  return process.ExitCode() == 0 ? CaptureOutcome::kDone : CaptureOutcome::kFailed;
}

}  // namespace velto
