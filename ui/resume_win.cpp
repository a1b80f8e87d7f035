// A batch that a crash, a kill or a power cut interrupted: offered at the
// next start, and continued with its own list and settings.
#include <windows.h>

#include <string>
#include <vector>

#include "base/file_system.h"
#include "base/module_directory.h"
#include "base/text_encoding.h"
#include "base/work_files.h"
#include "engine/batch_journal_store.h"
#include "engine/encoder_process.h"
#include "engine/local_data.h"
#include "engine/media_list.h"
#include "framework/application.h"
#include "settings/settings_store.h"
#include "ui/main_dialog.h"

namespace velto {
namespace {

void RemoveWorkFilesOf(const JournalFile& file) {
  if (!file.output.empty()) RemoveWorkFiles(Utf8ToWide(file.output));
}

}  // namespace

void MainDialog::OfferResume() {
  EndOrphanedRuns(Utf8ToWide(ModuleDirectory()));
  // The journal of a batch another converter is running is not offered.
  if (BatchJournalInUse()) return;
  const LoadedJournal loaded = LoadBatchJournal();
  if (loaded.damaged) {
    LogConverterLine("the batch journal could not be read; it is set aside as batch.journal.bad");
    SetBatchJournalAside();
    return;
  }
  if (!loaded.journal) return;
  BatchJournal journal = *loaded.journal;
  if (!journal.Unfinished()) {
    RemoveBatchJournal();
    return;
  }
  if (ShowMessageBox(ResumeQuestion(journal), MB_YESNO | MB_ICONQUESTION) != IDYES) {
    for (const JournalFile& file : journal.NotDone()) RemoveWorkFilesOf(file);
    RemoveBatchJournal();
    LogConverterLine("the stopped conversion was not continued");
    return;
  }
  // The files done stay in the journal; those not done whose source is
  // still there are converted again, from where their kept parts end.
  std::vector<JournalFile> kept;
  std::vector<std::string> missing;
  int toConvert = 0;
  for (JournalFile file : journal.files) {
    if (file.state != JournalState::kDone) {
      if (!PathExists(file.media.path)) {
        missing.push_back(file.media.path);
        RemoveWorkFilesOf(file);
        continue;
      }
      file.state = JournalState::kWaiting;
      ++toConvert;
    }
    kept.push_back(file);
  }
  if (!missing.empty()) ShowMessageBox(MissingSourcesText(missing), MB_OK | MB_ICONWARNING);
  if (toConvert == 0) {
    LogConverterLine("the sources of the stopped conversion are gone; its journal is set aside as batch.journal.bad");
    SetBatchJournalAside();
    return;
  }
  journal.files = std::move(kept);
  LogConverterLine("continuing the stopped conversion: " + std::to_string(toConvert) + " files to convert");

  g_settings = journal.settings;
  m_outputFolderEdit.SetText(journal.outputFolder);
  ShowQuickSettings();
  g_mediaList.Clear();
  m_fileList.DeleteAllItems();
  for (const JournalFile& file : journal.files) {
    if (file.state == JournalState::kDone) continue;
    g_mediaList.pending = file.media;
    AppendListRow(file.media.path);
  }
  m_resumed = std::move(journal);
  ConvertAll();
}

}  // namespace velto
