// The Convert command: the output folder, one encoder run per file of the
// list, the progress window, and the closing message.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "base/text_encoding.h"
#include "engine/batch_rules.h"
#include "base/encoder_interface.h"
#include "engine/disc_fit.h"
#include "engine/format_duration.h"
#include "engine/media_list.h"
#include "engine/progress_dialog.h"
#include "framework/application.h"
#include "settings/conversion_settings.h"
#include "settings/settings_store.h"
#include "ui/file_list_text.h"
#include "ui/main_dialog.h"

namespace velto {
namespace {

constexpr char kNoFileText[] = "No file in the list";
constexpr char kFolderFailedText[] = "Fail to create tmp folder ";
constexpr char kDoneText[] = "Mission accomplished! Total Time:";

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

void DeleteOutput(const std::string& path) { DeleteFileW(Utf8ToWide(path).c_str()); }

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

// One video bitrate for the whole list when it is to fit on one disc.
std::optional<DiscFitPlan> PlanForList() {
  const std::optional<std::int64_t> capacity = DiscCapacity();
  if (!capacity) return std::nullopt;
  return PlanDiscFit(g_settings, g_mediaList.totalDuration, g_mediaList.count(), *capacity);
}

bool ConfirmStopAfterRun() {
  ProgressDialogSink sink(g_engineState.progressDialog);
  return sink.ConfirmStop();
}

}  // namespace

void MainDialog::ConvertAll() {
  if (m_busy) return;
  if (g_mediaList.empty()) {
    ShowMessageBox(kNoFileText, MB_OK | MB_ICONWARNING);
    return;
  }
  const std::optional<DiscFitPlan> fit = PlanForList();
  if (fit && fit->belowFloor &&
      ShowMessageBox(DiscFitQuestion(fit->videoKbps), MB_YESNO | MB_ICONQUESTION) != IDYES) {
    return;
  }
  // The closing message counts from here, the folder check included.
  const std::uint32_t startTick = GetTickCount();
  const std::string folder = m_outputFolderEdit.GetText();
  WindowsFolderOps ops;
  if (Utf16Length(folder) > kOutputFolderLimit || EnsureFolder(folder, ops) != 0) {
    ShowMessageBox(kFolderFailedText + folder, MB_OK | MB_ICONERROR);
    return;
  }
  m_outputFolder = folder;
  // The folder is now the current directory; outputs are named from its full
  // path, so that a relative folder is not taken twice.
  std::string outputFolder = CurrentFolder();
  if (outputFolder.empty()) outputFolder = folder;

  g_engineState.batchStartTick = startTick;
  g_engineState.stopRequested = false;
  std::vector<FailedConversion> failed;
  std::vector<std::string> cutShort;  // a line for each source converted as far as its data goes
  std::int64_t outputBytes = 0;
  bool stopped = false;
  {
    BusyScope busy(*this);
    KeepAwake awake;
    g_engineState.completedDuration = 0.0;

    const std::string logFolder = EncoderLogFolder();
    for (int i = 0; i < g_mediaList.count(); ++i) {
      g_engineState.currentIndex = i;
      const MediaEntry entry = g_mediaList.at(i);
      // Shown while the encoder starts: under Wine both take some 10 ms.
      const auto showAtWork = [&] {
        if (i == 0) {
          EnableWindow(Handle(), FALSE);
          if (g_engineState.progressDialog) g_engineState.progressDialog->ShowForBatch();
          if (m_indicator) m_indicator->Begin();
        }
        ShowFileAtWork(i, entry.path);
      };
      // Never an existing file: nothing has to be deleted before the run.
      const std::string output = OutputPathFor(outputFolder, entry.path);
      SelectOutputSize(g_settings, m_run);
      const Letterbox bars = ComputeLetterbox(g_settings.letterbox != 0, entry.width, entry.height,
                                              m_run.outputWidth, m_run.outputHeight);
      // Each file's reports count from its own start: files of equal length
      // report the same positions, which must still move the bar on.
      g_engineState.lastPosition = kNoPositionShown;
      const EncoderRunResult run =
          RunEncoder(entry.path, output, bars.padWidth, bars.padHeight, kRunConvert, fit ? fit->videoKbps : 0,
                     showAtWork);
      g_engineState.completedDuration += entry.duration;
      const FileRun outcome{run.started, static_cast<std::uint32_t>(run.exitCode), FileSize(output)};

      // A Cancel that the encoder did not stop on is asked about now;
      // answered No, the batch goes on.
      bool stopConfirmed = false;
      if (g_engineState.stopRequested) {
        stopConfirmed = StopConfirmedByEncoder(outcome) || ConfirmStopAfterRun();
        if (!stopConfirmed) g_engineState.stopRequested = false;
      }
      const AfterFileRun next = DecideAfterFileRun(outcome, stopConfirmed);
      if (next.removeOutput) {
        DeleteOutput(output);
      } else {
        outputBytes += outcome.outputSize;
      }
      if (next.failed) {
        const std::string log = FindEncoderLog(logFolder, run);
        failed.push_back({entry.path, run.started, outcome.exitCode, log, CauseOfRun(run, log)});
        if (m_indicator) m_indicator->MarkError();
      } else if (entry.statedDuration > entry.duration) {
        cutShort.push_back(CutShortText(entry.path, entry.duration, entry.statedDuration));
      }
      if (next.endBatch) {
        stopped = true;
        break;
      }
    }
    if (!stopped) {
      std::string extraLines = fit ? DiscFitSizeLine(fit->predictedBytes, outputBytes) : std::string();
      for (const std::string& line : cutShort) extraLines += (extraLines.empty() ? "" : "\n") + line;
      ShowBatchResult(failed, g_mediaList.count(), startTick, extraLines);
    }
    EndBatch();
  }
  AddQueuedDrops();
  CloseIfRequested();
}

// The file's row is selected and in view, and the progress window names it.
void MainDialog::ShowFileAtWork(int index, const std::string& path) {
  m_fileList.SetItemState(index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  m_fileList.EnsureVisible(index);
  if (g_engineState.progressDialog && g_engineState.progressDialog->IsWindow()) {
    g_engineState.progressDialog->ShowFile(index + 1, g_mediaList.count(), path);
  }
}

void MainDialog::ShowBatchResult(const std::vector<FailedConversion>& failed, int total,
                                 std::uint32_t startTick, const std::string& extraLines) {
  const auto elapsed = static_cast<std::int32_t>((GetTickCount() - startTick) / 1000);
  // Owned by the progress window, which stays up (and the main window
  // disabled) until the message is closed.
  ProgressDialog* progress = g_engineState.progressDialog;
  const HWND owner = progress && progress->IsWindow() ? progress->Handle() : nullptr;
  const std::wstring caption = Utf8ToWide(kApplicationName);
  // A list fitted on a disc adds its sizes, and sources cut short their
  // lengths, on lines of their own.
  const std::string extraLine = extraLines.empty() ? std::string() : "\n" + extraLines;
  if (failed.empty()) {
    const std::wstring text = Utf8ToWide(kDoneText + FormatDuration(elapsed) + extraLine);
    MessageBoxW(owner, text.c_str(), caption.c_str(), MB_OK | MB_ICONINFORMATION);
    return;
  }
  const std::wstring text =
      Utf8ToWide(BatchFailureText(failed, total, FormatDuration(elapsed), EncoderLogFolder()) + extraLine);
  MessageBoxW(owner, text.c_str(), caption.c_str(), MB_OK | MB_ICONWARNING);
}

void MainDialog::EndBatch() {
  if (m_indicator) m_indicator->End();
  if (IsWindow()) EnableWindow(Handle(), TRUE);
  if (g_engineState.progressDialog && g_engineState.progressDialog->IsWindow()) {
    g_engineState.progressDialog->Show(SW_HIDE);
  }
}

}  // namespace velto
