#include "encoder/encoder_run_win.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <optional>

#include "base/module_directory.h"
#include "base/text_encoding.h"
#include "encoder/asf_header.h"
#include "encoder/asf_objects.h"
#include "encoder/asf_packets.h"
#include "encoder/asx_playlist.h"
#include "encoder/command_line_tokens.h"
#include "encoder/encoder_job.h"
#include "encoder/engine_arguments.h"
#include "encoder/engine_process_win.h"
#include "encoder/media_probe.h"
#include "encoder/progress_stream.h"
#include "encoder/run_log.h"
#include "base/encoder_interface.h"

namespace velto {
namespace {

// ---- the log of this run --------------------------------------------------

// Milliseconds since this process was created (loading included).
long long MsSinceStart() {
  FILETIME created, exited, kernel, user, now;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return -1;
  GetSystemTimePreciseAsFileTime(&now);
  const auto ticks = [](const FILETIME& t) {
    return static_cast<long long>(static_cast<unsigned long long>(t.dwHighDateTime) << 32 | t.dwLowDateTime);
  };
  return (ticks(now) - ticks(created)) / 10'000;
}

class RunLog {
 public:
  void Line(const std::string& text) { text_ += text + "\r\n"; }
  // A line with the time it was reached, for looking into where time goes.
  void Timed(const std::string& text) { Line("[" + std::to_string(MsSinceStart()) + " ms] " + text); }
  void Write();

 private:
  std::string text_;
};

// The user's local application-data folder. The environment names it; the
// shell (a heavy library to load for one call) is asked only when it does not.
std::wstring LocalAppDataFolder() {
  wchar_t base[MAX_PATH] = {};
  const DWORD got = GetEnvironmentVariableW(L"LOCALAPPDATA", base, MAX_PATH);
  if (got > 0 && got < MAX_PATH) return base;
  HMODULE shell = LoadLibraryW(L"shell32.dll");
  if (!shell) return L"";
  using GetFolderPath = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPWSTR);
  const auto getFolderPath = reinterpret_cast<GetFolderPath>(
      reinterpret_cast<void*>(GetProcAddress(shell, "SHGetFolderPathW")));
  std::wstring folder;
  if (getFolderPath && SUCCEEDED(getFolderPath(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, base)))
    folder = base;
  FreeLibrary(shell);
  return folder;
}

std::wstring LogFolder() {
  const std::wstring base = LocalAppDataFolder();
  if (base.empty()) return L"";
  std::wstring folder = base + L"\\Velto ASF Converter";
  CreateDirectoryW(folder.c_str(), nullptr);
  folder += L"\\logs";
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

void RunLog::Write() {
  const std::wstring folder = LogFolder();
  if (folder.empty()) return;
  SYSTEMTIME now;
  GetLocalTime(&now);
  const LogTime t{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
  const std::wstring path = folder + L"\\" + Utf8ToWide(LogFileName(t, GetCurrentProcessId()));
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(file, text_.data(), static_cast<DWORD>(text_.size()), &written, nullptr);
    CloseHandle(file);
  }
  std::vector<std::string> names;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\veltoenc-*.log").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do names.push_back(WideToUtf8(found.cFileName));
    while (FindNextFileW(search, &found));
    FindClose(search);
  }
  for (const auto& name : LogsToDelete(names, kLogsKept)) DeleteFileW((folder + L"\\" + Utf8ToWide(name)).c_str());
}

// ---- reports to the converter's window ------------------------------------

// The window library is loaded at the first report, not at start: under
// Wine its start takes 10-40 ms, which would otherwise come before the
// engine's start in every conversion.
class Reporter {
 public:
  // The handle travels as a signed 32-bit number; window handles are
  // sign-extended to the pointer's width.
  explicit Reporter(std::int32_t handle) : handle_(handle) {}
  // True when the window answers 1: stop.
  bool Send(unsigned kind, std::int32_t value) {
    if (!Connect()) return false;
    return sendMessage_(window_, kProgressMessage, kind, static_cast<LPARAM>(value)) == 1;
  }

 private:
  using IsWindowFunction = BOOL(WINAPI*)(HWND);
  using SendMessageFunction = LRESULT(WINAPI*)(HWND, UINT, WPARAM, LPARAM);

  bool Connect() {
    if (connected_) return window_ != nullptr;
    connected_ = true;
    if (handle_ == 0) return false;
    wchar_t system[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;
    const HMODULE user32 = LoadLibraryW((std::wstring(system) + L"\\user32.dll").c_str());
    if (!user32) return false;
    const auto isWindow =
        reinterpret_cast<IsWindowFunction>(reinterpret_cast<void*>(GetProcAddress(user32, "IsWindow")));
    sendMessage_ =
        reinterpret_cast<SendMessageFunction>(reinterpret_cast<void*>(GetProcAddress(user32, "SendMessageW")));
    const HWND window = reinterpret_cast<HWND>(static_cast<INT_PTR>(handle_));
    if (isWindow && sendMessage_ && isWindow(window)) window_ = window;
    return window_ != nullptr;
  }

  std::int32_t handle_;
  bool connected_ = false;
  HWND window_ = nullptr;
  SendMessageFunction sendMessage_ = nullptr;
};

// ---- files and programs ---------------------------------------------------

bool FileExists(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Beside this program, else on the PATH (absolute folders only; the
// current folder, the output folder, is never searched).
std::optional<std::wstring> FindEngineProgram(const wchar_t* name) {
  const std::wstring beside = Utf8ToWide(ModuleDirectory()) + name;
  if (!ModuleDirectory().empty() && FileExists(beside)) return beside;
  const DWORD size = GetEnvironmentVariableW(L"PATH", nullptr, 0);
  if (size == 0) return std::nullopt;
  std::wstring path(size, L'\0');
  path.resize(GetEnvironmentVariableW(L"PATH", path.data(), size));
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find(L';', start);
    if (end == std::wstring::npos) end = path.size();
    std::wstring folder = path.substr(start, end - start);
    start = end + 1;
    if (folder.size() >= 2 && folder.front() == L'"' && folder.back() == L'"') folder = folder.substr(1, folder.size() - 2);
    const bool absolute = (folder.size() >= 3 && folder[1] == L':' && (folder[2] == L'\\' || folder[2] == L'/')) ||
                          folder.rfind(L"\\\\", 0) == 0;
    if (!absolute) continue;
    if (folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
    if (FileExists(folder + name)) return folder + name;
  }
  return std::nullopt;
}

std::wstring FullPath(const std::wstring& path) {
  const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (size == 0) return path;
  std::wstring full(size, L'\0');
  const DWORD got = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
  full.resize(got);
  return full;
}

std::optional<std::string> ReadHead(const std::wstring& path, std::size_t limit) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string bytes(limit, '\0');
  DWORD got = 0;
  const BOOL ok = ReadFile(file, bytes.data(), static_cast<DWORD>(limit), &got, nullptr);
  CloseHandle(file);
  if (!ok) return std::nullopt;
  bytes.resize(got);
  return bytes;
}

// The media file behind the source: the source itself, or the first local
// file an ASX playlist names (playlists within playlists, a few deep).
std::optional<std::string> ResolveSource(const std::string& source, RunLog& log) {
  std::wstring current = FullPath(Utf8ToWide(source));
  for (int depth = 0; depth < 4; ++depth) {
    const auto head = ReadHead(current, 1 << 16);
    if (!head) return std::nullopt;
    if (!LooksLikeAsx(*head)) return WideToUtf8(current);
    const std::string text = PlaylistTextToUtf8(*head);
    const std::wstring folder = current.substr(0, current.find_last_of(L"\\/") + 1);
    std::optional<std::wstring> next;
    for (const auto& entry : AsxEntries(text)) {
      const auto local = LocalPathOfEntry(entry, WideToUtf8(folder));
      if (!local) {
        log.Line("playlist entry skipped (not a local file): " + entry);
        continue;
      }
      const std::wstring candidate = FullPath(Utf8ToWide(*local));
      if (FileExists(candidate)) {
        next = candidate;
        break;
      }
      log.Line("playlist entry missing: " + *local);
    }
    if (!next) return std::nullopt;
    log.Line("playlist entry used: " + WideToUtf8(*next));
    current = *next;
  }
  return std::nullopt;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(FullPath(a).c_str(), -1, FullPath(b).c_str(), -1, TRUE) == CSTR_EQUAL;
}

void DeleteIncompleteOutput(const std::string& output, RunLog& log) {
  const std::wstring path = Utf8ToWide(output);
  for (int attempt = 0; attempt < 50 && FileExists(path); ++attempt) {
    if (DeleteFileW(path.c_str())) {
      log.Line("incomplete output deleted");
      return;
    }
    Sleep(100);  // the engine may still hold it for a moment
  }
  if (FileExists(path)) log.Line("could not delete the incomplete output");
}

std::string EnvironmentText(const wchar_t* name) {
  wchar_t buffer[1024];
  const DWORD got = GetEnvironmentVariableW(name, buffer, 1024);
  if (got == 0 || got >= 1024) return "";
  return WideToUtf8(std::wstring(buffer, got));
}

// ---- probing --------------------------------------------------------------

std::optional<SourceInfo> ProbeSource(const std::wstring& prober, const std::string& source, bool countIfNeeded,
                                      RunLog& log) {
  std::string json;
  if (!RunAndCapture(prober, ProbeArguments(source, false), json)) {
    log.Line("the prober could not read the source");
    return std::nullopt;
  }
  auto info = ParseProbeJson(json);
  if (!info) {
    log.Line("the prober's output was not understood");
    return std::nullopt;
  }
  if (countIfNeeded && info->hasVideo && FrameRateNeedsCounting(*info)) {
    std::string counted;
    if (RunAndCapture(prober, ProbeArguments(source, true), counted)) {
      if (const auto again = ParseProbeJson(counted)) info->frameCount = again->frameCount;
    }
  }
  return info;
}

// The first bytes of a file: its whole ASF header object (when it states a
// believable size) and `extra` bytes after it.
std::optional<std::string> ReadAsfHead(const std::wstring& path, std::size_t extra) {
  auto head = ReadHead(path, 1 << 16);
  if (!head || head->size() < 24) return std::nullopt;
  const std::uint64_t headerSize = asf::Little(*head, 16, 8);
  if (headerSize + extra > head->size() && headerSize <= (16u << 20)) {
    head = ReadHead(path, static_cast<std::size_t>(headerSize) + extra);
  }
  return head;
}

// An ASF source's header read directly, which spares starting the prober.
std::optional<SourceInfo> ReadSourceHeader(const std::string& source) {
  const auto head = ReadAsfHead(Utf8ToWide(source), 0);
  if (!head) return std::nullopt;
  return ReadAsfHeader(*head);
}

// An ASF source described without the prober: the header gives the size
// and duration, the presentation times of the first video frames (up to
// ten seconds of them) the frame rate. nullopt when anything is unusual.
std::optional<SourceInfo> ProbeAsfDirectly(const std::string& source) {
  constexpr std::int64_t kEnoughMs = 10'000;
  constexpr std::int64_t kEnoughFrames = 20'000;
  const std::wstring path = Utf8ToWide(source);
  const auto head = ReadAsfHead(path, 64);  // and the data object's own header
  if (!head) return std::nullopt;
  auto info = ReadAsfHeader(*head);
  const auto layout = ReadAsfDataLayout(*head);
  if (!info || !layout) return std::nullopt;

  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  // A file cut off before its data ends keeps the header's duration, which
  // it no longer has: the prober judges it.
  LARGE_INTEGER fileSize{};
  if (!GetFileSizeEx(file, &fileSize) || static_cast<std::uint64_t>(fileSize.QuadPart) < layout->dataEnd) {
    CloseHandle(file);
    return std::nullopt;
  }
  LARGE_INTEGER start;
  start.QuadPart = static_cast<LONGLONG>(layout->firstPacket);
  AsfFrameScan scan(layout->videoStream);
  bool sound = SetFilePointerEx(file, start, nullptr, FILE_BEGIN) != FALSE;
  const std::size_t perRead = std::max<std::size_t>(1, (256u << 10) / layout->packetSize);
  std::string chunk(perRead * layout->packetSize, '\0');
  while (sound && scan.SpanMs() < kEnoughMs && scan.Frames() < kEnoughFrames) {
    DWORD got = 0;
    if (!ReadFile(file, chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr)) sound = false;
    const std::size_t packets = got / layout->packetSize;  // a cut-off last packet is left out
    for (std::size_t i = 0; sound && i < packets; ++i)
      sound = scan.Feed(std::string_view(chunk).substr(i * layout->packetSize, layout->packetSize));
    if (got < chunk.size()) break;
  }
  CloseHandle(file);
  if (!sound) return std::nullopt;
  info->frameRate = FrameRateFromTimes(scan.Times());
  if (info->frameRate.num == 0) return std::nullopt;
  return info;
}

// What a probe reports on: read in-process where the file allows, else
// from the prober.
std::optional<SourceInfo> DescribeSource(const std::wstring& prober, const std::string& source, RunLog& log) {
  if (auto info = ProbeAsfDirectly(source)) {
    log.Line("read from the ASF header and data packets");
    return info;
  }
  return ProbeSource(prober, source, true, log);
}

// ---- the two runs ---------------------------------------------------------

int Probe(const EncoderJob& job, Reporter& reporter, RunLog& log) {
  ProbeReport report;
  int exit = kExitDone;
  const auto prober = FindEngineProgram(L"ffprobe.exe");
  if (!prober) {
    log.Line("ffprobe.exe not found");
    exit = kExitEngineMissing;
  } else if (const auto source = ResolveSource(job.source, log); !source) {
    log.Line("source unreadable");
    exit = kExitSourceUnreadable;
  } else if (const auto info = DescribeSource(*prober, *source, log); !info || !info->hasVideo) {
    log.Line("no video stream found");
    exit = kExitSourceUnreadable;
  } else {
    report = MakeProbeReport(*info);
    if (report.durationSeconds <= 0 || report.frameRate <= 0) exit = kExitSourceUnreadable;
  }
  char text[160];
  std::snprintf(text, sizeof text, "probe: %d s, %d x %d, frame rate x 1e7 %d", report.durationSeconds,
                report.width, report.height, report.frameRate);
  log.Line(text);
  reporter.Send(kReportDuration, report.durationSeconds);
  reporter.Send(kReportWidth, report.width);
  reporter.Send(kReportHeight, report.height);
  reporter.Send(kReportFrameRate, report.frameRate);
  return exit;
}

int Convert(const EncoderJob& original, Reporter& reporter, RunLog& log) {
  if (const std::string why = CheckConvertible(original); !why.empty()) {
    log.Line("refused: " + why);
    return kExitBadArguments;
  }
  if (SamePath(Utf8ToWide(original.source), Utf8ToWide(original.output))) {
    log.Line("refused: the output would overwrite the source");
    return kExitBadArguments;
  }
  const auto engine = FindEngineProgram(L"ffmpeg.exe");
  const auto prober = FindEngineProgram(L"ffprobe.exe");
  if (!engine || !prober) {
    log.Line("ffmpeg.exe or ffprobe.exe not found");
    return kExitEngineMissing;
  }
  EncoderJob job = original;
  const auto source = ResolveSource(job.source, log);
  if (!source) {
    log.Line("source unreadable");
    return kExitSourceUnreadable;
  }
  job.source = *source;
  auto info = ReadSourceHeader(job.source);
  if (!info) info = ProbeSource(*prober, job.source, false, log);
  if (!info || !info->hasVideo) {
    log.Line("no video stream found");
    return kExitSourceUnreadable;
  }
  const EngineArguments translated = TranslateJob(job, *info);
  if (!translated.error.empty()) {
    log.Line("refused: " + translated.error);
    return kExitBadArguments;
  }
  if (const std::string argsFile = EnvironmentText(L"VELTO_ENCODER_ENGINE_ARGS_FILE"); !argsFile.empty()) {
    const std::string line = JoinCommandLine(translated.arguments) + "\n";
    HANDLE file = CreateFileW(Utf8ToWide(argsFile).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
      CloseHandle(file);
    }
  }

  std::mutex lock;
  ProgressStream progress;
  LastLines errors;
  EngineProcess process;
  const bool started = process.Start(
      *engine, translated.arguments,
      [&](const std::string& bytes) {
        std::lock_guard<std::mutex> guard(lock);
        progress.Feed(bytes);
      },
      [&](const std::string& bytes) {
        std::lock_guard<std::mutex> guard(lock);
        errors.Feed(bytes);
      });
  log.Timed("engine: " + WideToUtf8(process.CommandLine()));
  if (!started) {
    log.Line("the engine could not be started");
    return kExitEngineMissing;
  }
  auto position = [&] {
    std::lock_guard<std::mutex> guard(lock);
    return progress.WholeSeconds();
  };
  // The position goes to the window at most twice a second: each report
  // costs the window a repaint, and the engine needs both cores more.
  constexpr DWORD kReportIntervalMs = 500;
  std::int32_t reported = -1;
  bool stopped = false;
  while (true) {
    const bool ended = process.Wait(kReportIntervalMs);
    const std::int32_t now = position();
    if (now != reported) {
      reported = now;
      if (reporter.Send(kReportPosition, now)) {
        stopped = true;
        break;
      }
    }
    if (ended) break;
  }
  if (stopped) {
    log.Line("stop requested by the window");
    process.AskToQuit();
    if (!process.Wait(600)) process.Terminate();
  }
  process.JoinReaders();
  log.Timed("engine ended");
  if (!stopped && position() != reported) reporter.Send(kReportPosition, position());  // the last second
  const DWORD code = process.ExitCode();
  for (const auto& line : errors.Lines()) log.Line("engine said: " + line);
  if (stopped) {
    DeleteIncompleteOutput(job.output, log);
    return kExitStopped;
  }
  std::int64_t frames = 0;
  {
    std::lock_guard<std::mutex> guard(lock);
    frames = progress.Frames();
  }
  if (code != 0 || frames == 0 || !FileExists(Utf8ToWide(job.output))) {
    log.Line("engine failed with exit code " + std::to_string(code) + " after " + std::to_string(frames) + " frames");
    DeleteIncompleteOutput(job.output, log);
    return kExitEngineFailed;
  }
  return kExitDone;
}

const char* ExitName(int code) {
  switch (code) {
    case kExitDone: return "done";
    case kExitBadArguments: return "bad arguments";
    case kExitStopped: return "stopped on request";
    case kExitSourceUnreadable: return "source unreadable";
    case kExitEngineMissing: return "engine missing";
    default: return "engine failed";
  }
}

}  // namespace

int RunEncoderFrontEnd(const std::wstring& commandLine) {
  RunLog log;
  const std::string line = WideToUtf8(commandLine);
  log.Line("arguments: " + line);
  const JobParseResult parsed = ParseEncoderArguments(SplitCommandLine(line, true));
  int exit = kExitBadArguments;
  if (!parsed.job) {
    log.Line("refused: " + parsed.error);
    // A caller that asked for a probe still learns that it failed.
    const auto words = SplitCommandLine(line, true);
    if (words.size() >= 2 && words[words.size() - 2] == "1") {
      const std::string& handle = words.back();
      char* end = nullptr;
      const long long value = std::strtoll(handle.c_str(), &end, 10);
      if (!handle.empty() && *end == '\0' && value >= INT32_MIN && value <= INT32_MAX) {
        Reporter reporter(static_cast<std::int32_t>(value));
        for (unsigned kind : {kReportDuration, kReportWidth, kReportHeight, kReportFrameRate}) reporter.Send(kind, 0);
      }
    }
  } else {
    Reporter reporter(parsed.job->windowHandle);
    exit = parsed.job->runMode == kRunProbe ? Probe(*parsed.job, reporter, log) : Convert(*parsed.job, reporter, log);
  }
  log.Timed(std::string("exit ") + std::to_string(exit) + ": " + ExitName(exit));
  log.Write();
  return exit;
}

}  // namespace velto
