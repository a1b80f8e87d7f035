#include <windows.h>
#include <shlobj.h>

#include "base/file_system.h"
#include "base/text_encoding.h"
#include "engine/batch_journal_store.h"
#include "engine/local_data.h"

namespace velto {
namespace {

constexpr char kJournalName[] = "batch.journal";
constexpr char kAsideSuffix[] = ".bad";
constexpr wchar_t kClaimName[] = L"Local\\Velto ASF Converter batch journal";
// A journal larger than this is no journal of ours (99 files take some 30 KiB).
constexpr std::size_t kLargestJournal = 1 << 20;

}  // namespace

std::string BatchJournalPath() {
  const std::string folder = LocalDataFolder();
  return folder.empty() ? std::string() : folder + "\\" + kJournalName;
}

bool SaveBatchJournal(const BatchJournal& journal) {
  const std::string path = BatchJournalPath();
  if (path.empty()) return false;
  SHCreateDirectoryExW(nullptr, Utf8ToWide(LocalDataFolder()).c_str(), nullptr);
  std::string why;
  if (ReplaceFileAtomically(path, FormatBatchJournal(journal), &why)) return true;
  LogConverterLine("the batch journal could not be written: " + why);
  return false;
}

// What a write cut short by a power cut left: ReplaceFileAtomically's
// temporary files beside the journal.
void RemoveUnfinishedWrites(const std::string& path) {
  const std::wstring folder = Utf8ToWide(LocalDataFolder()) + L"\\";
  WIN32_FIND_DATAW found;
  const FileSearch search(FindFirstFileW((Utf8ToWide(path) + L".~*.tmp").c_str(), &found));
  if (!search) return;
  do DeleteFileW((folder + found.cFileName).c_str());
  while (FindNextFileW(search.Get(), &found));
}

BatchJournalClaim::BatchJournalClaim() {
  UniqueHandle mutex(CreateMutexW(nullptr, TRUE, kClaimName));
  if (mutex && GetLastError() != ERROR_ALREADY_EXISTS) mutex_ = std::move(mutex);
}

bool BatchJournalInUse() { return UniqueHandle(OpenMutexW(SYNCHRONIZE, FALSE, kClaimName)).Get() != nullptr; }

LoadedJournal LoadBatchJournal() {
  LoadedJournal loaded;
  const std::string path = BatchJournalPath();
  if (path.empty()) return loaded;
  if (!BatchJournalInUse()) RemoveUnfinishedWrites(path);
  if (!PathExists(path)) return loaded;
  if (const std::optional<std::string> text = ReadWholeFile(path, kLargestJournal))
    loaded.journal = ParseBatchJournal(*text);
  loaded.damaged = !loaded.journal;
  return loaded;
}

void RemoveBatchJournal() {
  const std::string path = BatchJournalPath();
  if (!path.empty()) DeleteFileW(Utf8ToWide(path).c_str());
}

void SetBatchJournalAside() {
  const std::string path = BatchJournalPath();
  if (path.empty()) return;
  if (!MoveFileExW(Utf8ToWide(path).c_str(), Utf8ToWide(path + kAsideSuffix).c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    DeleteFileW(Utf8ToWide(path).c_str());
}

}  // namespace velto
