// The Convert command: the output folder, one encoder run per file of the
// list, the progress window, and the closing message.
#include <windows.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/encoder_interface.h"
#include "base/file_system.h"
#include "base/module_directory.h"
#include "base/process_win.h"
#include "base/text_encoding.h"
#include "base/work_files.h"
#include "engine/batch_journal_store.h"
#include "engine/batch_runner.h"
#include "engine/batch_rules.h"
#include "engine/disc_fit.h"
#include "engine/encoder_process.h"
#include "engine/encoder_reports.h"
#include "engine/format_duration.h"
#include "engine/local_data.h"
#include "engine/media_list.h"
#include "engine/progress_dialog.h"
#include "framework/application.h"
#include "settings/conversion_settings.h"
#include "settings/settings_store.h"
#include "ui/batch_report_sink.h"
#include "ui/file_list_text.h"
#include "ui/main_dialog.h"

namespace velto {
namespace {

constexpr char kNoFileText[] = "No file in the list";
constexpr char kFolderFailedText[] = "Fail to create tmp folder ";
constexpr char kDoneText[] = "Mission accomplished! Total Time:";
constexpr char kNoProgramFolderText[] =
    "The program's own folder cannot be found, so veltoenc.exe cannot be started. Nothing was converted.";

class WindowsFolderOps : public FolderOps {
 public:
  bool IsDirectory(const std::string& path) override {
    const DWORD attributes = GetFileAttributesW(Utf8ToWide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  }
  bool MakeCurrent(const std::string& path) override {
    return ::SetCurrentDirectoryW(Utf8ToWide(path).c_str()) != FALSE;
  }
  bool MakeFolder(const std::string& path) override {
    return ::CreateDirectoryW(Utf8ToWide(path).c_str(), nullptr) != FALSE;
  }
};

std::string CurrentFolder() {
  const DWORD size = GetCurrentDirectoryW(0, nullptr);
  if (size == 0) return {};
  std::wstring folder(size, L'\0');
  const DWORD length = GetCurrentDirectoryW(size, folder.data());
  if (length == 0 || length >= size) return {};
  folder.resize(length);
  if (folder.back() != L'\\') folder += L'\\';
  return WideToUtf8(folder);
}

// The size of a file; -1 when there is none.
long long FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(Utf8ToWide(path).c_str(), GetFileExInfoStandard, &data)) return -1;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
  return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// When a file was last written, as a file time; none when there is no such
// file.
std::optional<std::uint64_t> LastWritten(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(Utf8ToWide(path).c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return std::nullopt;
  return (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
}

std::uint64_t FileTimeNow() {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  return (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

// The temporary output of a run that did not convert; only what the run
// wrote, never a published name. ffmpeg may hold it for a moment after its
// encoder was ended.
void RemovePartialOutput(const std::string& output) {
  const std::wstring wide = PartialOutputFor(Utf8ToWide(output));
  for (int attempt = 0; attempt < 30; ++attempt) {
    if (DeleteFileW(wide.c_str()) || GetLastError() != ERROR_SHARING_VIOLATION) return;
    Sleep(100);
  }
}

// Back to the program's own folder once the output folder has been made and
// checked: a folder the program stands in cannot be renamed, deleted or
// ejected.
void LeaveOutputFolder() {
  const std::string programFolder = ModuleDirectory();
  if (!programFolder.empty()) SetCurrentDirectoryW(Utf8ToWide(programFolder).c_str());
}

// What Windows shows as the reason to wait when the session is to end
// while a batch runs; withdrawn when the batch ends.
class ShutdownReason {
 public:
  explicit ShutdownReason(HWND window) : window_(window) {}
  ~ShutdownReason() {
    if (set_) ShutdownBlockReasonDestroy(window_);
  }
  ShutdownReason(const ShutdownReason&) = delete;
  ShutdownReason& operator=(const ShutdownReason&) = delete;

  void ConvertingFile(int number, int count) {
    const std::string text = "Converting file " + std::to_string(number) + " of " + std::to_string(count);
    if (ShutdownBlockReasonCreate(window_, Utf8ToWide(text).c_str())) set_ = true;
  }

 private:
  HWND window_;
  bool set_ = false;
};

// Keeps the machine from going to sleep while it lives; the display may
// still turn off.
class KeepAwake {
 public:
  KeepAwake() { SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED); }
  ~KeepAwake() { SetThreadExecutionState(ES_CONTINUOUS); }
  KeepAwake(const KeepAwake&) = delete;
  KeepAwake& operator=(const KeepAwake&) = delete;
};

// The disc a list is fitted on: the bytes the environment gives for tests,
// otherwise the chosen "Disc size".
std::optional<std::int64_t> DiscCapacity() {
  wchar_t text[32] = {};
  const std::wstring name = Utf8ToWide(kDiscCapacityVariable);
  const DWORD length = GetEnvironmentVariableW(name.c_str(), text, 32);
  if (length > 0 && length < 32) {
    if (const std::optional<std::int64_t> bytes = ParseCapacityBytes(WideToUtf8(text))) return bytes;
  }
  return DiscCapacityBytes(g_settings.discSize);
}

// The files a batch may run at once: one per processor, unless the
// environment names a number (1: one file after another, for comparisons);
// never more than one wait can watch.
int ProcessorsForFiles() {
  constexpr int kMostAtOnce = 32;
  wchar_t text[8] = {};
  const DWORD length = GetEnvironmentVariableW(L"VELTO_RUNS_AT_ONCE", text, 8);
  const int asked = length > 0 && length < 8 ? _wtoi(text) : 0;
  return std::min(kMostAtOnce, asked > 0 ? asked : LogicalProcessors());
}

// One video bitrate for the whole list when it is to fit on one disc.
std::optional<DiscFitPlan> PlanForList() {
  const std::optional<std::int64_t> capacity = DiscCapacity();
  if (!capacity) return std::nullopt;
  return PlanDiscFit(g_settings, g_mediaList.totalDuration, g_mediaList.count(), *capacity);
}

// The name a run's encoder says its output got (WM_COPYDATA): a file that
// exists and fits the name asked for; none for anything else.
std::optional<std::string> NamedOutput(LPARAM data, const std::string& asked) {
  const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(data);
  if (!copy || copy->dwData != kOutputNamedCopyData || !copy->lpData) return std::nullopt;
  constexpr DWORD kLongestPath = 32767;
  if (copy->cbData == 0 || copy->cbData % sizeof(wchar_t) != 0 || copy->cbData / sizeof(wchar_t) > kLongestPath)
    return std::nullopt;
  const std::wstring wide(static_cast<const wchar_t*>(copy->lpData), copy->cbData / sizeof(wchar_t));
  if (wide.find(L'\0') != std::wstring::npos) return std::nullopt;
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return std::nullopt;
  std::string name = WideToUtf8(wide);
  if (!PublishedNameFits(asked, name)) return std::nullopt;
  return name;
}

// The batch's files and journal on this machine.
class WindowsBatchStore : public BatchStore {
 public:
  std::optional<std::uint64_t> LastWritten(const std::string& path) override { return velto::LastWritten(path); }
  bool Exists(const std::string& path) override { return PathExists(path); }
  std::int64_t Size(const std::string& path) override { return FileSize(path); }
  bool HasKeptParts(const std::string& output) override {
    return PathExists(WideToUtf8(PartsFolderFor(Utf8ToWide(output))));
  }
  void RemoveWorkFiles(const std::string& output) override { velto::RemoveWorkFiles(Utf8ToWide(output)); }
  void RemovePartialOutput(const std::string& output) override { velto::RemovePartialOutput(output); }
  void KeepJournal(const BatchJournal& journal) override {
    if (claim_.Held()) SaveBatchJournal(journal);
  }
  void RemoveJournal() override {
    if (claim_.Held()) RemoveBatchJournal();
  }
  void Log(const std::string& line) override { LogConverterLine(line); }
  std::uint64_t Now() override { return FileTimeNow(); }

 private:
  const BatchJournalClaim claim_;
};

}  // namespace

void MainDialog::ConvertAll() {
  if (m_busy) return;
  // A continued batch keeps the bitrate its disc fit chose for the whole
  // list, and asks nothing more.
  std::optional<BatchJournal> resumed = std::exchange(m_resumed, std::nullopt);
  if (g_mediaList.empty()) {
    ShowMessageBox(kNoFileText, MB_OK | MB_ICONWARNING);
    return;
  }
  std::optional<DiscFitPlan> fit;
  if (!resumed) {
    fit = PlanForList();
  } else if (resumed->fitKbps > 0) {
    fit = DiscFitPlan{resumed->fitKbps, false, 0};
  }
  if (fit && fit->belowFloor &&
      ShowMessageBox(DiscFitQuestion(fit->videoKbps), MB_YESNO | MB_ICONQUESTION) != IDYES) {
    return;
  }
  // Never a bare "veltoenc.exe", which Windows would look for in the
  // current folder.
  if (EncoderDirectory().empty()) {
    ShowMessageBox(kNoProgramFolderText, MB_OK | MB_ICONERROR);
    return;
  }
  // The closing message counts from here, the folder check included.
  const std::uint32_t startTick = GetTickCount();
  const std::string folder = m_outputFolderEdit.GetText();
  WindowsFolderOps ops;
  const bool folderReady = Utf16Length(folder) <= kOutputFolderLimit && EnsureFolder(folder, ops) == 0;
  // The folder made is the current directory now; outputs are named from
  // its full path, so that a relative folder is not taken twice.
  std::string outputFolder = folderReady ? CurrentFolder() : std::string();
  LeaveOutputFolder();
  if (!folderReady) {
    ShowMessageBox(kFolderFailedText + folder, MB_OK | MB_ICONERROR);
    return;
  }
  m_outputFolder = folder;
  if (outputFolder.empty()) outputFolder = folder;
  // The journal is kept on disk while the batch runs, so that an
  // interrupted batch can be continued; removed when it ends otherwise.
  WindowsBatchStore store;
  g_engineState.stopRequested = false;
  g_engineState.stopConfirmed = false;
  m_batchInterrupted = false;
  BatchRunner runner(
      g_mediaList.entries(), resumed, g_settings, folder, fit ? fit->videoKbps : 0, startTick, store,
      [this, &outputFolder](const std::string& source, const BatchJournal& journal) {
        return OutputPathFor(outputFolder, source, &journal);
      },
      g_engineState, ProcessorsForFiles());
  {
    BusyScope busy(*this);
    KeepAwake awake;
    ShutdownReason reason(Handle());
    ProgressDialogSink stopQuestion(g_engineState.progressDialog);
    SilentStopWatch watch{g_engineState, stopQuestion};

    const std::string logFolder = EncoderLogFolder();
    bool progressShown = false;
    while (!runner.Over()) {
      if (m_batchInterrupted) runner.Interrupt();  // between two files
      bool started = false;
      while (const std::optional<BatchRunner::Start> start = runner.NextStart()) {
        StartRun(runner, *start, outputFolder, fit ? fit->videoKbps : 0);
        started = true;
      }
      if (m_runsAtWork.empty()) continue;
      // Shown while the encoders start: under Wine both take some 10 ms.
      if (!progressShown) {
        progressShown = true;
        EnableWindow(Handle(), FALSE);
        if (g_engineState.progressDialog) g_engineState.progressDialog->ShowForBatch();
        if (m_indicator) m_indicator->Begin();
      }
      if (started) {
        ShowFilesAtWork(runner);
        reason.ConvertingFile(m_runsAtWork.front()->index + 1, runner.Count());
      }
      std::vector<StartedEncoder*> encoders;
      for (const auto& run : m_runsAtWork) encoders.push_back(&run->encoder);
      const auto [place, run] = WaitForAnyEncoder(encoders, &watch);
      // Its window stays until its report is counted: a name told late
      // still reaches the runner.
      const std::unique_ptr<RunAtWork> ended = std::move(m_runsAtWork[place]);
      m_runsAtWork.erase(m_runsAtWork.begin() + static_cast<std::ptrdiff_t>(place));
      const int i = ended->index;
      if (m_batchInterrupted) runner.Interrupt();
      const FileRun outcome{run.started, static_cast<std::uint32_t>(run.exitCode),
                            FileSize(runner.PublishedOf(i))};
      // A Cancel that was not answered during the run is asked about now;
      // answered No, the batch goes on. An interrupted batch asks nothing.
      const bool stopConfirmed = !m_batchInterrupted && StopConfirmedAfterRun(
                                     g_engineState, StopConfirmedByEncoder(outcome), stopQuestion);
      const AfterFileRun next = runner.RunEnded(i, outcome, stopConfirmed, [&, run = run] {
        const std::string log = FindEncoderLog(logFolder, run);
        return FailedConversion{runner.File(i).path, run.started, outcome.exitCode, log, CauseOfRun(run, log)};
      });
      if (next.failed && m_indicator) m_indicator->MarkError();
      // A stop ends the runs beside it at once; each then ends as stopped.
      if (next.endBatch)
        for (const auto& beside : m_runsAtWork) EndEncoderProcess(beside->encoder);
      if (!m_runsAtWork.empty()) ShowFilesAtWork(runner);
    }
    runner.Finish();
    const BatchEnd end = runner.End();
    // A continued batch has no prediction of its own sizes.
    std::string extraLines = fit && !resumed && end == BatchEnd::kDone
                                 ? DiscFitSizeLine(fit->predictedBytes, runner.OutputBytes())
                                 : std::string();
    for (const MediaEntry& file : runner.CutShort())
      extraLines += (extraLines.empty() ? "" : "\n") + CutShortText(file.path, file.duration, file.statedDuration);
    if (runner.ShowsClosingMessage())
      ShowBatchResult(runner.Failed(), runner.Count(), startTick, extraLines, end == BatchEnd::kStopped);
    EndBatch();
  }
  AddQueuedDrops();
  CloseIfRequested();
}

// The encoder of one file of the batch, started in the output folder, with
// a window of its own for its reports.
void MainDialog::StartRun(BatchRunner& runner, const BatchRunner::Start& start, const std::string& outputFolder,
                          std::int32_t fitKbps) {
  auto run = std::make_unique<RunAtWork>();
  run->index = start.index;
  run->output = start.output;
  const int index = start.index;
  const std::string asked = start.output;
  run->window = std::make_unique<MessageWindow>(
      [this, &runner, index, asked](UINT message, WPARAM wParam, LPARAM lParam) -> std::optional<LRESULT> {
        if (message == kProgressMessage) {
          if (wParam > UINT_MAX) return 0;  // no such kind; must not wrap onto a real one
          BatchReportSink sink(g_engineState.progressDialog, m_indicator.get());
          return HandleRunReport(index, static_cast<unsigned>(wParam), static_cast<std::int32_t>(lParam),
                                 g_mediaList, g_engineState, sink);
        }
        if (message == WM_COPYDATA) {
          const std::optional<std::string> name = NamedOutput(lParam, asked);
          // Journaled at once: a kill before the run's end leaves it done.
          if (name) runner.Published(index, *name);
          return name ? TRUE : FALSE;
        }
        return std::nullopt;
      });
  if (run->window->Handle()) ChangeWindowMessageFilterEx(run->window->Handle(), WM_COPYDATA, MSGFLT_ALLOW, nullptr);
  const MediaEntry& entry = runner.File(index);
  SelectOutputSize(g_settings, m_run);
  const Letterbox bars =
      ComputeLetterbox(g_settings.letterbox != 0, entry.width, entry.height, m_run.outputWidth, m_run.outputHeight);
  EncoderCommand command = EncoderCommandFor(entry.path, start.output, bars.padWidth, bars.padHeight, kRunConvert,
                                             fitKbps, run->window->Handle());
  command.startFolder = outputFolder;
  command.threads = start.threads;
  run->encoder = StartEncoderProcess(command);
  m_runsAtWork.push_back(std::move(run));
}

// The first file at work is selected and in view, and the progress window
// names it and how many run beside it.
void MainDialog::ShowFilesAtWork(const BatchRunner& runner) {
  const std::vector<int>& atWork = runner.AtWork();
  if (atWork.empty()) return;
  const int index = *std::min_element(atWork.begin(), atWork.end());
  m_fileList.SetItemState(index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  m_fileList.EnsureVisible(index);
  if (g_engineState.progressDialog && g_engineState.progressDialog->IsWindow()) {
    g_engineState.progressDialog->ShowFile(index + 1, g_mediaList.count(), runner.File(index).path,
                                           static_cast<int>(atWork.size()) - 1);
  }
}

void MainDialog::ShowBatchResult(const std::vector<FailedConversion>& failed, int total,
                                 std::uint32_t startTick, const std::string& extraLines, bool stopped) {
  const auto elapsed = static_cast<std::int32_t>((GetTickCount() - startTick) / 1000);
  // A list fitted on a disc adds its sizes, and sources cut short their
  // lengths, on lines of their own.
  const std::string extraLine = extraLines.empty() ? std::string() : "\n" + extraLines;
  if (failed.empty()) {
    FinishBatch(kDoneText + FormatDuration(elapsed) + extraLine, MB_ICONINFORMATION, stopped);
    return;
  }
  FinishBatch(BatchFailureText(failed, total, FormatDuration(elapsed), EncoderLogFolder()) + extraLine,
              MB_ICONWARNING, stopped);
}

void MainDialog::InterruptBatch() {
  m_batchInterrupted = true;  // a batch that starts later sets it back
  for (const auto& run : m_runsAtWork) {
    EndEncoderProcess(run->encoder);
    RemovePartialOutput(run->output);
  }
}

void MainDialog::EndBatch() {
  if (m_indicator) m_indicator->End();
  if (IsWindow()) EnableWindow(Handle(), TRUE);
  if (g_engineState.progressDialog && g_engineState.progressDialog->IsWindow()) {
    g_engineState.progressDialog->Show(SW_HIDE);
  }
}

}  // namespace velto
