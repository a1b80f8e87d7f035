// Measures the real program from outside, one measurement per run, and
// prints it as one line of key=value pairs for bench/run.sh:
//
//   velto_bench_driver startup PROGRAM FOLDER CONTROL_ID
//       start to the first shown dialog of PROGRAM (with control CONTROL_ID,
//       0: any dialog): ms, and peak_ws half a second after it showed
//   velto_bench_driver convert FORMAT FOLDER SOURCE_FOLDER OUTPUT_FOLDER ARGS_FILE NAME...
//       VeltoConverter.exe started in FOLDER, NAME... added from
//       SOURCE_FOLDER, FORMAT chosen, Convert until the final message
//       (looked for every 10 ms):
//       ms (wall), self_ms (CPU of the program), tree_ms (CPU of the
//       program, the encoder front end and the engine: from the control
//       group when the script made one, else sampled from /proc, as
//       sampled_tree_ms always is), wait_ms and
//       wait_self_ms (wall and the program's CPU while the encoder front
//       end was seen running), peak_ws (the
//       program's peak working set, bytes); the engine's arguments of the
//       last file are left in ARGS_FILE
//   velto_bench_driver engine ARGS_FILE FOLDER
//       ffmpeg.exe run with the arguments in ARGS_FILE in FOLDER, started as
//       the encoder front end starts it: ms, tree_ms
//   velto_bench_driver add FOLDER SOURCE_FOLDER NAME...
//       Add of NAME... from the open-file dialog until every row is shown: ms
//   velto_bench_driver probe SOURCE_FOLDER NAME...
//       ffprobe.exe on each NAME in turn, as the encoder front end runs it: ms
//
// The program runs with the profile folder named by VELTO_BENCH_APPDATA as
// its APPDATA, so the Tip of the Day stays off as the script set it.
#include <windows.h>

#include <commctrl.h>
#include <dlgs.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "base/owned_handles.h"
#include "base/process_win.h"
#include "base/text_encoding.h"
#include "res/resource_ids.h"
#include "tests/support/process_list.h"
#include "tests/support/remote_program.h"

namespace velto::bench {
namespace {

using velto::testing::ExecutableFolder;
using velto::testing::IsMessageBox;
using velto::testing::PostCommand;
using velto::testing::RemoteProgram;
using velto::testing::SetText;
using velto::testing::WaitUntil;
using velto::testing::WideWindowText;

constexpr DWORD kWindowTimeoutMs = 120000;
constexpr DWORD kBatchTimeoutMs = 3600000;

// ------------------------------------------------------------------ clock

double NowMs() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) * 1000.0 / frequency;
}

// Polls `done` every `stepMs` until it holds; false after `timeoutMs`.
bool PollUntil(const std::function<bool()>& done, DWORD timeoutMs, DWORD stepMs) {
  const double end = NowMs() + timeoutMs;
  for (;;) {
    if (done()) return true;
    if (NowMs() >= end) return false;
    Sleep(stepMs);
  }
}

// With VELTO_BENCH_TRACE set, marks moments on the error output in the
// clock of Wine's +timestamp debug channel, to line them up with a trace.
void Mark(const char* what) {
  static const bool wanted = _wgetenv(L"VELTO_BENCH_TRACE") != nullptr;
  if (!wanted) return;
  std::fprintf(stderr, "%lu.%03lu:bench:%s\n", GetTickCount() / 1000, GetTickCount() % 1000, what);
  std::fflush(stderr);
}

[[noreturn]] void Fail(const std::string& why) {
  std::fprintf(stderr, "velto_bench_driver: %s\n", why.c_str());
  std::fflush(stderr);
  ExitProcess(2);
}

// ------------------------------------------------------------------ Linux files

// A file of /proc or /sys, which their writers may hold open.
UniqueHandle OpenForReading(const std::wstring& path) {
  return UniqueHandle(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
}

std::string ReadSmallFile(const std::wstring& path) {
  std::string bytes;
  const UniqueHandle file = OpenForReading(path);
  if (!file) return bytes;
  char chunk[2048];
  DWORD read = 0;
  while (bytes.size() < 16384 && ReadFile(file.Get(), chunk, sizeof chunk, &read, nullptr) && read > 0) {
    bytes.append(chunk, read);
  }
  return bytes;
}

// ------------------------------------------------------------------ control group

// The processor time of the Linux control group the script started this
// driver in (VELTO_BENCH_CPU names its cpuacct.usage, in ns, or its
// cgroup v2 cpu.stat), less the driver's own: the time of every process the
// driver started and of theirs, also of those that have ended, which
// sampling /proc loses for runs that end between two looks. Negative
// without a group.
double GroupCpuMs() {
  static const std::wstring file = [] {
    const wchar_t* named = _wgetenv(L"VELTO_BENCH_CPU");
    return std::wstring(named ? named : L"");
  }();
  if (file.empty()) return -1.0;
  const std::string usage = ReadSmallFile(file);
  if (usage.empty()) return -1.0;
  const std::size_t micro = usage.find("usage_usec ");
  const double groupMs = micro != std::string::npos ? std::atof(usage.c_str() + micro + 11) / 1000.0
                                                    : std::atof(usage.c_str()) / 1e6;
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  const auto ms = [](const FILETIME& t) {
    return static_cast<double>(static_cast<unsigned long long>(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 1e4;
  };
  return groupMs - ms(kernel) - ms(user);
}

// ------------------------------------------------------------------ process tree

// Wine reports no processor times of other processes, so they are read
// where Linux keeps them: /proc/<pid>/stat of the processes whose command
// line names one of our programs in this folder. Samples often enough that
// an ending process loses at most one sampling step.
class ProcessTree {
 public:
  explicit ProcessTree(std::vector<std::wstring> programs) : programs_(std::move(programs)) {
    std::wstring folder = ExecutableFolder();
    windowsFolder_ = Lower(folder);
    if (folder.size() > 2 && folder[1] == L':') folder = folder.substr(2);
    for (wchar_t& c : folder) c = c == L'\\' ? L'/' : c;
    unixFolder_ = Lower(folder);
    Scan();
    for (auto& [pid, process] : processes_) process.baseMs = process.lastMs;
  }

  // A full look for new processes now and then; the known ones every time.
  void Sample() {
    justScanned_ = turn_++ % 10 == 0;
    if (justScanned_) {
      Scan();
      return;
    }
    for (auto& [pid, process] : processes_) {
      if (process.ended) continue;
      const double ms = StatCpuMs(process.stat);
      if (ms < 0) {
        process.ended = true;
      } else {
        process.lastMs = ms;
      }
    }
  }

  // Processor time used since construction by the processes seen.
  double CpuMs() const {
    double total = 0.0;
    for (const auto& [pid, process] : processes_) total += process.lastMs - process.baseMs;
    return total;
  }

  double CpuMsOf(const std::wstring& program) const {
    double total = 0.0;
    for (const auto& [pid, process] : processes_) {
      if (process.program == program) total += process.lastMs - process.baseMs;
    }
    return total;
  }

  size_t Seen() const { return processes_.size(); }

  // The last sample only looked for new processes: the known ones' times
  // were not read again.
  bool JustScanned() const { return justScanned_; }

  bool IsRunning(const std::wstring& program) const {
    for (const auto& [pid, process] : processes_) {
      if (process.program == program && !process.ended) return true;
    }
    return false;
  }

 private:
  // The stat file stays open and is read again from its start at each
  // sample: opening and closing it each time were two Wine server calls.
  struct Process {
    std::wstring program;
    UniqueHandle stat;
    double baseMs = 0.0;
    double lastMs = 0.0;
    bool ended = false;
  };

  static std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(towlower(c));
    return text;
  }

  static UniqueHandle OpenStat(int pid) {
    return OpenForReading(L"Z:\\proc\\" + std::to_wstring(pid) + L"\\stat");
  }

  // utime + stime of a /proc/<pid>/stat in ms; -1 when the process is gone.
  static double StatCpuMs(const UniqueHandle& file) {
    if (!file) return -1.0;
    char bytes[1024];
    OVERLAPPED from{};  // the start of the file, read anew
    DWORD read = 0;
    if (!ReadFile(file.Get(), bytes, sizeof bytes - 1, &read, &from) || read == 0) return -1.0;
    const std::string stat(bytes, read);
    const size_t close = stat.rfind(')');
    if (close == std::string::npos) return -1.0;
    std::vector<std::string> fields;
    size_t at = close + 2;
    while (at < stat.size() && fields.size() < 13) {
      const size_t space = stat.find(' ', at);
      fields.push_back(stat.substr(at, space - at));
      if (space == std::string::npos) break;
      at = space + 1;
    }
    if (fields.size() < 13) return -1.0;
    constexpr double kMsPerTick = 10.0;  // USER_HZ is 100 on Linux
    return (std::stod(fields[11]) + std::stod(fields[12])) * kMsPerTick;
  }

  void Scan() {
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(L"Z:\\proc\\*", &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
      const std::wstring name = found.cFileName;
      if (name.empty() || name.find_first_not_of(L"0123456789") != std::wstring::npos) continue;
      const int pid = _wtoi(name.c_str());
      if (processes_.count(pid) || others_.count(pid)) continue;
      const std::string raw = ReadSmallFile(L"Z:\\proc\\" + name + L"\\cmdline");
      if (raw.empty()) continue;
      // Each file read here is a round trip through the Wine server, which
      // takes processor time from the runs being measured: a process that
      // is not ours is read once.
      others_.insert(pid);
      std::wstring line;
      for (char c : raw) line += c ? static_cast<wchar_t>(static_cast<unsigned char>(c)) : L' ';
      line = Lower(line);
      for (const std::wstring& program : programs_) {
        const std::wstring lowerProgram = Lower(program);
        if (line.find(windowsFolder_ + lowerProgram) == std::wstring::npos &&
            line.find(unixFolder_ + lowerProgram) == std::wstring::npos) {
          continue;
        }
        UniqueHandle stat = OpenStat(pid);
        const double ms = StatCpuMs(stat);
        if (ms >= 0) {
          processes_[pid] = Process{program, std::move(stat), 0.0, ms, false};
          others_.erase(pid);
        }
        break;
      }
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }

  std::vector<std::wstring> programs_;
  std::wstring windowsFolder_;
  std::wstring unixFolder_;
  std::map<int, Process> processes_;
  std::set<int> others_;
  unsigned turn_ = 0;
  bool justScanned_ = false;
};

// ------------------------------------------------------------------ the engine

struct EngineRun {
  double ms = 0.0;
  double cpuMs = 0.0;
  DWORD exitCode = 0;
};

// Reads a pipe to its end, as the encoder front end reads the engine's output.
void Drain(UniqueHandle pipe) {
  char chunk[4096];
  DWORD read = 0;
  while (ReadFile(pipe.Get(), chunk, sizeof chunk, &read, nullptr) && read > 0) {
  }
}

// Runs an engine program as the encoder front end does: detached (no
// console), hidden, with pipes for its input and both outputs, in `folder`.
// With `countCpu` its processor time is taken from the control group, or,
// without one, sampled from /proc while it runs; without, nothing but its
// end is waited for, so that the time measured is the program's alone.
EngineRun RunEngineProgram(const std::wstring& program, const std::wstring& arguments, const std::wstring& folder,
                           bool countCpu) {
  EngineRun run;
  const double groupStart = countCpu ? GroupCpuMs() : -1.0;
  const double start = NowMs();
  ProcessStart how;
  how.program = program;
  how.commandLine = L"\"" + program + L"\" " + arguments;
  how.folder = folder;
  how.input = how.output = how.error = StreamUse::kPipe;
  auto started = StartHidden(how);
  if (!started) Fail("cannot start " + WideToUtf8(program));
  const HANDLE process = started->handles.process.Get();
  std::thread outReader(Drain, std::move(started->output));
  std::thread errReader(Drain, std::move(started->error));
  std::optional<ProcessTree> tree;
  if (countCpu && groupStart < 0) {
    tree.emplace(std::vector<std::wstring>{program.substr(program.find_last_of(L'\\') + 1)});
    while (WaitForSingleObject(process, 20) == WAIT_TIMEOUT) tree->Sample();
  } else {
    WaitForSingleObject(process, INFINITE);
  }
  run.ms = NowMs() - start;
  outReader.join();
  errReader.join();
  if (groupStart >= 0) run.cpuMs = GroupCpuMs() - groupStart;
  else if (tree) run.cpuMs = tree->CpuMs();
  GetExitCodeProcess(process, &run.exitCode);
  return run;
}

std::wstring ReadLineFromFile(const std::wstring& path) {
  const std::string bytes = velto::testing::ReadFileBytes(path);
  return Utf8ToWide(std::string_view(bytes).substr(0, bytes.find_first_of("\r\n")));
}

// ------------------------------------------------------------------ the program

bool IsMainWindow(HWND window) { return GetDlgItem(window, IDC_MAIN_FILE_LIST) != nullptr; }
bool IsProgressWindow(HWND window) { return GetDlgItem(window, IDC_PROGRESS_BAR) != nullptr; }
bool IsImportDialog(HWND window) { return WideWindowText(window) == L"Import video files"; }

HWND FileNameEdit(HWND dialog) {
  if (const HWND combo = GetDlgItem(dialog, cmb13)) {
    const HWND edit = FindWindowExW(combo, nullptr, L"Edit", nullptr);
    return edit ? edit : combo;
  }
  return GetDlgItem(dialog, edt1);
}

int RowCount(HWND main) {
  return static_cast<int>(SendMessageW(GetDlgItem(main, IDC_MAIN_FILE_LIST), LVM_GETITEMCOUNT, 0, 0));
}

class Converter {
 public:
  explicit Converter(const std::wstring& folder) {
    if (!program_.Start(ExecutableFolder() + L"VeltoConverter.exe", L"", folder)) Fail("cannot start the program");
    main_ = program_.WaitForDialog(IsMainWindow, kWindowTimeoutMs);
    if (!main_) Fail("no main window");
  }
  ~Converter() {
    PostMessageW(main_, WM_CLOSE, 0, 0);
    if (!program_.WaitForEnd(30000)) program_.Kill();
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  HWND Main() const { return main_; }
  RemoteProgram& Program() { return program_; }

  // Add; the folder is typed first (Open goes there), then the names. The
  // time runs from the dialog's OK until every row is shown.
  double Add(const std::wstring& sourceFolder, const std::vector<std::wstring>& names) {
    const int before = RowCount(main_);
    PostCommand(main_, IDC_MAIN_ADD);
    const HWND dialog = program_.WaitForDialog(IsImportDialog, kWindowTimeoutMs);
    if (!dialog) Fail("no open-file dialog");
    const HWND edit = FileNameEdit(dialog);
    if (!edit) Fail("no file name box");
    SendMessageW(edit, EM_SETLIMITTEXT, 0, 0);
    SetText(edit, sourceFolder);
    SendMessageTimeoutW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0, SMTO_ABORTIFHUNG, 10000, nullptr);
    std::wstring selection;
    for (const std::wstring& name : names) selection += (selection.empty() ? L"\"" : L" \"") + name + L"\"";
    SetText(edit, selection);
    const LRESULT typed = SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0);
    if (typed != static_cast<LRESULT>(selection.size())) Fail("the file name box took only part of the selection");
    const double start = NowMs();
    Mark("Add OK posted");
    PostCommand(dialog, IDOK);
    const int wanted = before + static_cast<int>(names.size());
    if (!PollUntil([&] { return RowCount(main_) >= wanted || FindMessageBox(); }, kBatchTimeoutMs, 5)) {
      Fail("the files were not added");
    }
    const double ms = NowMs() - start;
    Mark("rows shown");
    if (RowCount(main_) < wanted)
      Fail("a file was refused: " + WideToUtf8(velto::testing::MessageBoxText(FindMessageBox())));
    return ms;
  }

  // A message box of the program, looked for among dialog windows only:
  // listing every window and asking each for its process is a round of
  // Wine server calls, which at every look took processor time from the
  // program measured.
  HWND FindMessageBox() const {
    for (HWND window = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); window;
         window = FindWindowExW(nullptr, window, L"#32770", nullptr)) {
      DWORD owner = 0;
      GetWindowThreadProcessId(window, &owner);
      if (owner == program_.Id() && IsWindowVisible(window) && IsMessageBox(window)) return window;
    }
    return nullptr;
  }

 private:
  RemoteProgram program_;
  HWND main_ = nullptr;
};

// The encoder front end the program runs for the file at work, waited on
// by its handle. Found by a process snapshot (one Wine server call) while
// none is known.
class EncoderWatch {
 public:
  explicit EncoderWatch(DWORD programId) : programId_(programId) {}

  // True while a front end of the program runs.
  bool Running() {
    if (Alive()) return true;
    running_.Reset();
    for (const DWORD id : velto::testing::ChildProcesses(programId_, L"veltoenc.exe")) {
      if (!seen_.insert(id).second) continue;
      running_.Reset(OpenProcess(SYNCHRONIZE, FALSE, id));
      if (Alive()) return true;
    }
    running_.Reset();
    return false;
  }

  // Waits up to `ms`, ending at once when the running front end ends.
  void Wait(DWORD ms) {
    if (running_) {
      WaitForSingleObject(running_.Get(), ms);
    } else {
      Sleep(ms);
    }
  }

 private:
  bool Alive() const { return running_ && WaitForSingleObject(running_.Get(), 0) == WAIT_TIMEOUT; }

  DWORD programId_;
  UniqueHandle running_;
  std::set<DWORD> seen_;
};

// ------------------------------------------------------------------ commands

void PrintPairs(const std::vector<std::pair<std::string, double>>& pairs) {
  std::string line;
  for (const auto& [key, value] : pairs) {
    char text[64];
    std::snprintf(text, sizeof text, "%s=%.3f", key.c_str(), value);
    line += (line.empty() ? "" : " ") + std::string(text);
  }
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

int Startup(const std::wstring& program, const std::wstring& folder, int controlId) {
  RemoteProgram run;
  const double start = NowMs();
  Mark("starting");
  if (!run.Start(program, L"", folder)) Fail("cannot start " + WideToUtf8(program));
  HWND shown = nullptr;
  PollUntil(
      [&] {
        shown = run.FindDialog([&](HWND w) { return controlId == 0 || GetDlgItem(w, controlId) != nullptr; });
        return shown != nullptr || run.HasEnded();
      },
      kWindowTimeoutMs, 2);
  const double ms = NowMs() - start;
  Mark("window shown");
  if (!shown) Fail("no window from " + WideToUtf8(program));
  Sleep(500);  // settled
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof memory;
  GetProcessMemoryInfo(run.Process(), &memory, sizeof memory);
  PostMessageW(shown, WM_CLOSE, 0, 0);
  if (!run.WaitForEnd(30000)) run.Kill();
  PrintPairs({{"ms", ms}, {"peak_ws", static_cast<double>(memory.PeakWorkingSetSize)}});
  return 0;
}

int Convert(int format, const std::wstring& folder, const std::wstring& sourceFolder,
            const std::wstring& outputFolder, const std::vector<std::wstring>& names) {
  Converter converter(folder);
  const HWND main = converter.Main();
  converter.Add(sourceFolder, names);
  velto::testing::ChooseComboItem(main, IDC_MAIN_FORMAT, format);
  SetText(GetDlgItem(main, IDC_MAIN_OUTPUT_FOLDER), outputFolder);

  HANDLE process = converter.Program().Process();
  ProcessTree tree({L"VeltoConverter.exe", L"veltoenc.exe", L"ffmpeg.exe", L"ffprobe.exe"});
  const double groupStart = GroupCpuMs();
  const double start = NowMs();
  Mark("Convert posted");
  PostCommand(main, IDC_MAIN_CONVERT);
  HWND box = nullptr;
  // The final message is looked for every 10 ms (the reference's end is
  // seen at once), but only while no encoder front end runs: each look is a
  // round of Wine server calls, which took the conversion measured some
  // 10 % of a processor, where the reference, a process waited on, pays
  // nothing of the kind. A running front end is waited on instead. The
  // processes are sampled every 20 ms where their processor time comes
  // from the samples; with the control group's, only the program's waiting
  // cost does, and every 100 ms is plenty.
  EncoderWatch encoder(converter.Program().Id());
  const DWORD sampleMs = groupStart >= 0 ? 100 : 20;
  // The waiting cost proper: the program's processor time from the first
  // to the last sample taken while an encoder front end ran (without the
  // encoder's start and the final message around it).
  double waitStartMs = -1.0, waitEndMs = 0.0, waitStartSelf = 0.0, waitEndSelf = 0.0;
  const double deadline = start + kBatchTimeoutMs;
  bool ended = false;
  for (unsigned turn = 0; NowMs() < deadline; ++turn) {
    const bool encoding = encoder.Running();
    if (encoding || turn % 2 == 0) {
      tree.Sample();
      if (encoding && !tree.JustScanned()) {
        const double now = NowMs();
        const double self = tree.CpuMsOf(L"VeltoConverter.exe");
        if (waitStartMs < 0) {
          waitStartMs = now;
          waitStartSelf = self;
        }
        waitEndMs = now;
        waitEndSelf = self;
      }
    }
    if (!encoding) {
      box = converter.FindMessageBox();
      if (box != nullptr || converter.Program().HasEnded()) {
        ended = true;
        break;
      }
    }
    encoder.Wait(encoding ? sampleMs : 10);
  }
  const double ms = NowMs() - start;
  Mark("final message found");
  const double groupMs = groupStart >= 0 ? GroupCpuMs() - groupStart : -1.0;
  tree.Sample();
  const double selfMs = tree.CpuMsOf(L"VeltoConverter.exe");
  if (!ended || !box) Fail("no final message");
  const std::wstring text = velto::testing::MessageBoxText(box);
  if (text.rfind(L"Mission accomplished!", 0) != 0) Fail("the batch failed: " + WideToUtf8(text));
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof memory;
  GetProcessMemoryInfo(process, &memory, sizeof memory);
  PostCommand(box, IDOK);
  WaitUntil([&] { return IsWindowEnabled(main) != FALSE; }, kWindowTimeoutMs);
  PrintPairs({{"ms", ms},
              {"self_ms", selfMs},
              {"wait_ms", waitStartMs < 0 ? 0.0 : waitEndMs - waitStartMs},
              {"wait_self_ms", waitEndSelf - waitStartSelf},
              {"tree_ms", groupMs >= 0 ? groupMs : tree.CpuMs()},
              {"sampled_tree_ms", tree.CpuMs()},
              {"children", static_cast<double>(tree.Seen())},
              {"peak_ws", static_cast<double>(memory.PeakWorkingSetSize)}});
  return 0;
}

// A DVD batch whose converter is killed once the progress bar reaches
// `killPerMille`, then started again and told Yes: the time from Convert
// to the continued batch's final message, restarts and all.
int Resume(const std::wstring& folder, const std::wstring& sourceFolder, const std::wstring& outputFolder,
           int killPerMille, const std::vector<std::wstring>& names) {
  constexpr int kDvd = 7;
  double start = 0, killedMs = 0;
  {
    Converter first(folder);
    const HWND main = first.Main();
    first.Add(sourceFolder, names);
    velto::testing::ChooseComboItem(main, IDC_MAIN_FORMAT, kDvd);
    SetText(GetDlgItem(main, IDC_MAIN_OUTPUT_FOLDER), outputFolder);
    start = NowMs();
    PostCommand(main, IDC_MAIN_CONVERT);
    HWND bar = nullptr;
    if (!PollUntil(
            [&] {
              if (!bar) bar = GetDlgItem(first.Program().FindDialog(IsProgressWindow), IDC_PROGRESS_BAR);
              return bar && SendMessageW(bar, PBM_GETPOS, 0, 0) >= killPerMille;
            },
            kBatchTimeoutMs, 20))
      Fail("the batch never came so far");
    killedMs = NowMs() - start;
    Mark("killed");
    first.Program().Kill();
  }
  const auto allEnded = [] {
    return velto::testing::ProcessesNamed({L"veltoenc.exe", L"ffmpeg.exe", L"ffprobe.exe"}).empty();
  };
  if (!PollUntil(allEnded, 5000, 20)) Fail("conversions outlived the converter");
  Converter second(folder);
  HWND box = nullptr;
  if (!PollUntil([&] { return (box = second.FindMessageBox()) != nullptr; }, kWindowTimeoutMs, 10))
    Fail("no question at the next start");
  PostCommand(box, IDYES);
  PollUntil([&] { return !IsWindow(box); }, kWindowTimeoutMs, 10);
  if (!PollUntil([&] { return (box = second.FindMessageBox()) != nullptr; }, kBatchTimeoutMs, 10))
    Fail("the continued batch did not end");
  const double ms = NowMs() - start;
  const std::wstring text = velto::testing::MessageBoxText(box);
  if (text.rfind(L"Mission accomplished!", 0) != 0) Fail("the continued batch failed: " + WideToUtf8(text));
  PostCommand(box, IDOK);
  PrintPairs({{"ms", ms}, {"killed_ms", killedMs}});
  return 0;
}

int Engine(const std::wstring& argsFile, const std::wstring& folder) {
  const std::wstring arguments = ReadLineFromFile(argsFile);
  if (arguments.empty()) Fail("no engine arguments in " + WideToUtf8(argsFile));
  const EngineRun run = RunEngineProgram(ExecutableFolder() + L"ffmpeg.exe", arguments, folder, true);
  if (run.exitCode != 0) Fail("the engine failed");
  PrintPairs({{"ms", run.ms}, {"tree_ms", run.cpuMs}});
  return 0;
}

// The engine run `count` times one after the other, as a batch of equal
// files converted one at a time would run it: with the threads the engine
// likes (a batch running files side by side gives each its share).
int Engines(int count, const std::wstring& argsFile, const std::wstring& folder) {
  std::wstring arguments = ReadLineFromFile(argsFile);
  if (arguments.empty()) Fail("no engine arguments in " + WideToUtf8(argsFile));
  if (const std::size_t threads = arguments.find(L"-threads "); threads != std::wstring::npos) {
    const std::size_t value = threads + 9, end = arguments.find(L' ', value);
    arguments.replace(value, end == std::wstring::npos ? std::wstring::npos : end - value, L"0");
  }
  double ms = 0, cpuMs = 0;
  for (int i = 0; i < count; ++i) {
    const EngineRun run = RunEngineProgram(ExecutableFolder() + L"ffmpeg.exe", arguments, folder, true);
    if (run.exitCode != 0) Fail("the engine failed");
    ms += run.ms;
    cpuMs += run.cpuMs;
  }
  PrintPairs({{"ms", ms}, {"tree_ms", cpuMs}});
  return 0;
}

int Add(const std::wstring& folder, const std::wstring& sourceFolder, const std::vector<std::wstring>& names) {
  Converter converter(folder);
  const double ms = converter.Add(sourceFolder, names);
  PrintPairs({{"ms", ms}});
  return 0;
}

int Probe(const std::wstring& sourceFolder, const std::vector<std::wstring>& names) {
  const double start = NowMs();
  for (const std::wstring& name : names) {
    const std::wstring arguments =
        L"-hide_banner -v error -print_format json -show_format -show_streams \"file:" + sourceFolder + L"\\" +
        name + L"\"";
    const EngineRun run = RunEngineProgram(ExecutableFolder() + L"ffprobe.exe", arguments, sourceFolder, false);
    if (run.exitCode != 0) Fail("the prober failed");
  }
  PrintPairs({{"ms", NowMs() - start}});
  return 0;
}

int Usage() {
  std::fprintf(stderr, "usage: velto_bench_driver startup|convert|resume|engine|engines|add|probe ... (see the source)\n");
  return 2;
}

int Main(int argc, wchar_t** argv) {
  if (argc < 2) return Usage();
  const std::wstring command = argv[1];
  // Wine sets APPDATA itself; the profile folder comes under another name.
  if (const wchar_t* profile = _wgetenv(L"VELTO_BENCH_APPDATA"); profile && *profile) {
    SetEnvironmentVariableW(L"APPDATA", profile);
  }
  std::vector<std::wstring> rest(argv + 2, argv + argc);
  if (command == L"startup" && rest.size() == 3) return Startup(rest[0], rest[1], _wtoi(rest[2].c_str()));
  if (command == L"convert" && rest.size() >= 6) {
    const std::vector<std::wstring> names(rest.begin() + 5, rest.end());
    // The converter's encoder front ends leave the engine's arguments here.
    SetEnvironmentVariableW(L"VELTO_ENCODER_ENGINE_ARGS_FILE", rest[4].c_str());
    return Convert(_wtoi(rest[0].c_str()), rest[1], rest[2], rest[3], names);
  }
  if (command == L"engine" && rest.size() == 2) return Engine(rest[0], rest[1]);
  if (command == L"engines" && rest.size() == 3) return Engines(_wtoi(rest[0].c_str()), rest[1], rest[2]);
  if (command == L"resume" && rest.size() >= 5) {
    const std::vector<std::wstring> names(rest.begin() + 4, rest.end());
    return Resume(rest[0], rest[1], rest[2], _wtoi(rest[3].c_str()), names);
  }
  if (command == L"add" && rest.size() >= 3) {
    return Add(rest[0], rest[1], std::vector<std::wstring>(rest.begin() + 2, rest.end()));
  }
  if (command == L"probe" && rest.size() >= 2) {
    return Probe(rest[0], std::vector<std::wstring>(rest.begin() + 1, rest.end()));
  }
  return Usage();
}

}  // namespace
}  // namespace velto::bench

int wmain(int argc, wchar_t** argv) { return velto::bench::Main(argc, argv); }
