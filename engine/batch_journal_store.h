#pragma once
// Where the running batch's journal (engine/batch_journal.h) lives: beside
// the run logs, "<local application data>\Velto ASF Converter\batch.journal".
#include <optional>
#include <string>

#include "base/owned_handles.h"
#include "engine/batch_journal.h"

namespace velto {

// Empty when the local application-data folder is unknown.
std::string BatchJournalPath();

// Written whole or not at all (a temporary file, flushed, renamed); the
// folder is made when it is missing. False when it could not be written.
bool SaveBatchJournal(const BatchJournal& journal);

struct LoadedJournal {
  std::optional<BatchJournal> journal;  // none when there is none or it could not be read
  bool damaged = false;                 // there is one, and it could not be read
};
LoadedJournal LoadBatchJournal();

void RemoveBatchJournal();

// One journal for the user: a batch keeps it while it holds this claim (a
// named mutex, gone when its program ends, however it ends). A batch that
// another running converter's batch already keeps runs without one.
class BatchJournalClaim {
 public:
  BatchJournalClaim();
  bool Held() const { return static_cast<bool>(mutex_); }

 private:
  UniqueHandle mutex_;
};
// Whether a running converter's batch keeps the journal now: then it is no
// interrupted batch's.
bool BatchJournalInUse();
// A journal that could not be read, or whose sources are gone, is kept as
// "batch.journal.bad" (replacing an older one), for whoever wants to look.
void SetBatchJournalAside();

}  // namespace velto
