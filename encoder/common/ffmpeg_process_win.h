#pragma once
// One run of an ffmpeg program (ffmpeg.exe, ffprobe.exe): started directly,
// never through a shell, without a window, its input a pipe of ours and its
// outputs drained by threads so that no pipe ever fills.
#include <windows.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "base/owned_handles.h"

namespace velto {

class FfmpegProcess {
 public:
  using Sink = std::function<void(const std::string& bytes)>;

  FfmpegProcess() = default;
  FfmpegProcess(const FfmpegProcess&) = delete;
  FfmpegProcess& operator=(const FfmpegProcess&) = delete;
  ~FfmpegProcess();

  // The sinks are called on the reader threads. False when the program
  // could not be started. `awaitedBytes`: output of that size is awaited
  // (a preview's frame): the pipe holds it whole, so that the program
  // writes it without waiting for our reads, and it is looked for every
  // millisecond or two rather than up to 50 ms apart.
  bool Start(const std::wstring& program, const std::vector<std::string>& arguments, Sink onOutput,
             Sink onError, std::size_t awaitedBytes = 0);
  // True once the program has ended (waits at most timeoutMs).
  bool Wait(DWORD timeoutMs);
  // Asks the program to finish ("q" on its input).
  void AskToQuit();
  // Writes `bytes` on the program's input and closes it: the program reads
  // them to their end. False when not all could be written.
  bool GiveInput(const std::string& bytes);
  void Terminate();
  // Waits for the end of both outputs; call after the program has ended.
  void JoinReaders();
  DWORD ExitCode() const;
  const std::wstring& CommandLine() const { return commandLine_; }
  // It runs in the job that ends it with this process.
  bool InJob() const { return inJob_; }
  // The process, to wait on with others; null before a start.
  HANDLE Process() const { return process_.Get(); }

 private:
  UniqueHandle process_;
  UniqueHandle input_;
  std::thread outputReader_, errorReader_;
  std::wstring commandLine_;
  bool inJob_ = false;
};

// Ends this process at once with `exitCode`, and with it every program
// started here (their job closes with it); a start under way is let finish
// first, so that none is left outside the job, suspended.
[[noreturn]] void EndWithEveryFfmpegRun(UINT exitCode);

enum class CaptureOutcome {
  kDone,      // ended with code 0; its output is given
  kFailed,    // could not be started, or ended with another code
  kTimedOut,  // still running after the time allowed, and ended
};

// The time a prober run is given: long enough for any file it reads to the
// end, short enough that nothing waits on one without end. 30 s, or the
// seconds VELTO_PROBER_SECONDS names (for tests).
DWORD ProberTimeLimitMs();

// Runs a program to its end, for at most timeoutMs, and gives what it wrote
// on its output.
CaptureOutcome RunAndCapture(const std::wstring& program, const std::vector<std::string>& arguments,
                             std::string& output, DWORD timeoutMs);

}  // namespace velto
