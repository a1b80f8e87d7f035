// The Add command: picking files, probing each with the encoder, and the
// rows of the files that probed well.
#include <windows.h>

#include <cderr.h>
#include <commdlg.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/module_directory.h"
#include "base/text_encoding.h"
#include "base/work_files.h"
#include "engine/batch_rules.h"
#include "engine/command_line.h"
#include "base/encoder_interface.h"
#include "engine/encoder_reports.h"
#include "engine/media_list.h"
#include "framework/application.h"
#include "settings/conversion_settings.h"
#include "ui/file_list_text.h"
#include "ui/main_dialog.h"

namespace velto {
namespace {

constexpr wchar_t kImportFilter[] = L"ASF WMV file (*.ASF,*.WMV,*.ASX)\0*.wmv;*.asf;*.asx\0";
constexpr wchar_t kImportTitle[] = L"Import video files";
// Room for a full list of long paths, with the folder in front.
constexpr DWORD kSelectionBufferChars = (MediaList::kMaxEntries + 2) * MAX_PATH + 2;

constexpr char kTooManySelectedText[] =
    "Too many files were selected at once. The list holds at most 99 files; please select fewer.";

// The common dialogs (and the printing support they bring along) are loaded
// when Add first needs them, not at start-up.
template <class Function>
Function CommonDialogFunction(const char* name) {
  static const HMODULE module = LoadLibraryW(L"comdlg32.dll");
  return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

bool FileOrFolderExists(const std::string& path) {
  return GetFileAttributesW(Utf8ToWide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring FullPath(const std::wstring& path) {
  const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (size == 0) return path;
  std::wstring full(size, L'\0');
  const DWORD length = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
  if (length == 0 || length >= size) return path;
  full.resize(length);
  return full;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                              TRUE) == CSTR_EQUAL;
}

// Taken: an existing file or folder, a name whose hidden work files are
// there (another run's, or kept for an interrupted batch), a source file of
// the list, or an output the running batch has given out.
bool OutputPathTaken(const std::string& path, const BatchJournal* batch) {
  if (FileOrFolderExists(path)) return true;
  const std::wstring wide = Utf8ToWide(path);
  for (const std::wstring& work : {PartialOutputFor(wide), PartsFolderFor(wide)})
    if (GetFileAttributesW(work.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  if (batch && GivenOut(*batch, path)) return true;
  const std::wstring full = FullPath(wide);
  for (const MediaEntry& entry : g_mediaList.entries()) {
    if (SamePath(full, FullPath(Utf8ToWide(entry.path)))) return true;
  }
  return false;
}

}  // namespace

std::string MainDialog::OutputPathFor(const std::string& folder, const std::string& source,
                                      const BatchJournal* batch) const {
  return MakeOutputPath(folder, source, g_settings.outputFormat,
                        [batch](const std::string& path) { return OutputPathTaken(path, batch); });
}

std::string MainDialog::EncoderDirectory() const { return m_encoderDirectory.value_or(ModuleDirectory()); }

EncoderCommand MainDialog::EncoderCommandFor(const std::string& source, const std::string& output,
                                             std::int32_t padWidth, std::int32_t padHeight, std::int32_t runMode,
                                             std::int32_t videoBitrate, HWND reportWindow) {
  EncoderRun run;
  run.sourcePath = source;
  run.outputPath = output;
  run.padWidth = padWidth;
  run.padHeight = padHeight;
  run.runMode = runMode;
  run.videoBitrate = videoBitrate;
  run.mainWindow = reinterpret_cast<std::intptr_t>(reportWindow ? reportWindow : Handle());
  const double sourceFps = CurrentSourceFrameRate(g_mediaList, g_engineState);
  return BuildCommandLine(g_settings, m_run, sourceFps, run, EncoderDirectory());
}

bool MainDialog::AskForVideoFiles(std::vector<std::string>& paths) {
  std::wstring buffer(kSelectionBufferChars, L'\0');
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = Handle();
  dialog.lpstrFilter = kImportFilter;
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = buffer.data();
  dialog.nMaxFile = static_cast<DWORD>(buffer.size());
  dialog.lpstrTitle = kImportTitle;
  // The dialog leaves the current folder alone: a folder browsed to stays
  // free to be renamed, deleted or ejected.
  dialog.Flags = OFN_HIDEREADONLY | OFN_ALLOWMULTISELECT | OFN_OVERWRITEPROMPT | OFN_EXPLORER |
                 OFN_ENABLESIZING | OFN_ENABLEHOOK | OFN_NOCHANGEDIR;
  dialog.lpfnHook = &MainDialog::FileDialogHook;
  dialog.lCustData = reinterpret_cast<LPARAM>(this);
  const auto open = CommonDialogFunction<BOOL(WINAPI*)(OPENFILENAMEW*)>("GetOpenFileNameW");
  const auto error = CommonDialogFunction<DWORD(WINAPI*)()>("CommDlgExtendedError");
  if (!open || !error) {
    ShowMessageBox("The file dialog could not be opened (comdlg32.dll is missing).", MB_OK | MB_ICONERROR);
    return false;
  }
  if (!open(&dialog)) {
    if (error() == FNERR_BUFFERTOOSMALL) ShowMessageBox(kTooManySelectedText, MB_OK | MB_ICONWARNING);
    return false;
  }
  for (const std::wstring& path : SplitSelectedFiles(buffer)) paths.push_back(WideToUtf8(path));
  return !paths.empty();
}

void MainDialog::AddFiles() {
  if (m_busy) return;
  std::vector<std::string> paths;
  if (AskForVideoFiles(paths)) AddFilesFrom(paths);
  DropEarlyProbe();
}

UINT_PTR CALLBACK MainDialog::FileDialogHook(HWND, UINT message, WPARAM, LPARAM lParam) {
  if (message != WM_NOTIFY) return 0;
  const auto* notify = reinterpret_cast<const OFNOTIFYW*>(lParam);
  if (notify->hdr.code != CDN_FILEOK || !notify->lpOFN || !notify->lpOFN->lpstrFile) return 0;
  try {
    auto* self = reinterpret_cast<MainDialog*>(notify->lpOFN->lCustData);
    self->StartEarlyProbe(std::wstring_view(notify->lpOFN->lpstrFile, notify->lpOFN->nMaxFile));
  } catch (...) {
    // The probe then runs after the dialog, as any other.
  }
  return 0;  // OK is taken
}

// Only a probe that AddFilesFrom would run first is started early.
void MainDialog::StartEarlyProbe(std::wstring_view selection) {
  if (m_earlyProbe || m_busy || m_closeRequested || g_mediaList.full()) return;
  const std::vector<std::wstring> paths = SplitSelectedFiles(selection);
  if (paths.empty()) return;
  const std::string path = WideToUtf8(paths.front());
  StartedEncoder encoder = StartProbe(path);
  m_earlyProbe = EarlyProbe{path, std::move(encoder)};
}

// The probe sends the output size as the last conversion left it.
StartedEncoder MainDialog::StartProbe(const std::string& path) {
  BeginProbe(g_mediaList, g_engineState);
  return StartEncoderProcess(EncoderCommandFor(path, OutputPathFor(m_outputFolder, path), 0, 0, kRunProbe, 0));
}

void MainDialog::DropEarlyProbe() {
  if (!m_earlyProbe) return;
  std::optional<BusyScope> busy;
  if (!m_busy) busy.emplace(*this);
  WaitForEncoder(m_earlyProbe->encoder);
  m_earlyProbe.reset();
}

bool MainDialog::ProbeFile(const std::string& path, std::string& why) {
  EncoderRunResult run;
  if (m_earlyProbe && m_earlyProbe->path == path) {
    run = WaitForEncoder(m_earlyProbe->encoder);
    m_earlyProbe.reset();
  } else {
    DropEarlyProbe();  // its reports must not mix with this probe's
    StartedEncoder encoder = StartProbe(path);
    run = WaitForEncoder(encoder);
  }
  if (run.started && run.exitCode == 0 && ProbeSucceeded(g_engineState)) return true;
  if (!run.started) {
    why = "the encoder could not be started";
  } else if (run.exitCode != 0) {
    why = CauseWords(CauseOfRun(run, FindEncoderLog(EncoderLogFolder(), run)));
  }
  return false;
}

void MainDialog::AddFilesFrom(const std::vector<std::string>& paths) {
  if (m_busy || !IsWindow()) return;
  std::vector<RefusedFile> failed;
  int refused = 0;
  {
    BusyScope busy(*this);
    for (const std::string& path : paths) {
      if (m_closeRequested) break;
      if (g_mediaList.full()) {
        ++refused;
        continue;
      }
      std::string why;
      if (ProbeFile(path, why)) {
        AppendListRow(path);
      } else {
        failed.push_back({path, why});
      }
    }
  }
  if (!m_closeRequested) {
    if (!failed.empty()) ShowMessageBox(LoadFailedListText(failed), MB_OK | MB_ICONWARNING);
    if (refused > 0) ShowMessageBox(ListFullText(refused, MediaList::kMaxEntries), MB_OK | MB_ICONWARNING);
  }
  AddQueuedDrops();
  CloseIfRequested();
}

int MainDialog::AppendListRow(const std::string& path) {
  const int index = g_mediaList.count();
  if (!g_mediaList.AppendPending(path)) return -1;
  const MediaEntry& entry = g_mediaList.at(index);
  const int row = m_fileList.InsertItem(index, RowNumberText(index + 1));
  m_fileList.SetItemText(row, 1, path);
  m_fileList.SetItemText(row, 2, RowDurationText(entry.duration));
  return 0;
}

}  // namespace velto
