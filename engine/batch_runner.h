#pragma once
// A batch's decisions, apart from the window that shows it and the
// processes that do the work: which file of the list starts next and under
// what output name, what each run's end means for the file and the batch,
// the journal kept on disk, the failures with their causes, the sources cut
// short, and how the batch ends.
//
// The window is the driver: it asks NextStart() for a file to start, starts
// its encoder, passes the run's reports on, tells Published() the name the
// encoder gave the output and RunEnded() how the run ended, and shows what
// the runner says. Runs are told apart by the file's list index, so several
// may be at work at once; the driver routes each encoder's reports by the
// index it started with. Short files (under the encoder's split length)
// run side by side, up to one per processor, each engine run with its share
// of the threads; a long file is split by the encoder and has the whole
// machine, so it runs alone.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/encoder_cause.h"
#include "engine/batch_journal.h"
#include "engine/batch_rules.h"
#include "engine/media_list.h"

namespace velto {

// A file the batch could not convert, why, and where its encoder wrote its
// log.
struct FailedConversion {
  std::string path;
  bool encoderStarted = true;
  std::uint32_t exitCode = 0;
  std::string logPath;        // empty: no log found
  EncoderCauseRecord cause;   // unknown: the exit code is named instead
};

// What the batch does with files and with its journal.
class BatchStore {
 public:
  virtual ~BatchStore() = default;
  // When the file was last written (a file time); none when there is none.
  virtual std::optional<std::uint64_t> LastWritten(const std::string& path) = 0;
  virtual bool Exists(const std::string& path) = 0;
  // The file's size in bytes; 0 when there is none.
  virtual std::int64_t Size(const std::string& path) = 0;
  // Whether an output's run kept converted parts for a later run to reuse.
  virtual bool HasKeptParts(const std::string& output) = 0;
  // The hidden work files of an output: its temporary output and kept parts.
  virtual void RemoveWorkFiles(const std::string& output) = 0;
  // Only what a run wrote under its temporary name, never a published one.
  virtual void RemovePartialOutput(const std::string& output) = 0;
  virtual void KeepJournal(const BatchJournal& journal) = 0;
  virtual void RemoveJournal() = 0;
  // A line for the converter's log.
  virtual void Log(const std::string& /*line*/) {}
  // Now, as a file time.
  virtual std::uint64_t Now() = 0;
};

// The output name for a source, never one the batch has given out.
using NameOutput = std::function<std::string(const std::string& source, const BatchJournal& journal)>;

enum class BatchEnd { kDone, kStopped, kInterrupted };

class BatchRunner {
 public:
  // The list's files in order; `resumed`: the interrupted batch this one
  // continues (its done files kept, its other files' outputs and kept parts
  // given to the list's files in order). `state` holds the figures the
  // progress reports are shown against (its time left begins here).
  BatchRunner(std::vector<MediaEntry> list, const std::optional<BatchJournal>& resumed,
              const ConversionSettings& settings, const std::string& outputFolder, std::int32_t fitKbps,
              std::uint32_t startTick, BatchStore& store, NameOutput name, EngineState& state,
              int processors = 1);

  struct Start {
    int index = 0;       // in the list
    std::string output;  // the name asked for
    int threads = 0;     // the engine threads its run may use; 0: as many as it likes
  };
  // The next file to start, in list order, its output named and journaled;
  // none while the machine is busy (a long file at work, or a short one per
  // processor, or the next file long while others are at work), after the
  // last file, or once the batch is ending. A continued file whose output
  // is there and is its own is done without a run.
  std::optional<Start> NextStart();

  // The encoder of file `index` published its output as `name`.
  void Published(int index, const std::string& name);

  // The run of file `index` ended; `stopConfirmed`: a Cancel during it was
  // confirmed. `why` is asked only for a failed file.
  AfterFileRun RunEnded(int index, const FileRun& run, bool stopConfirmed,
                        const std::function<FailedConversion()>& why);

  // The session ends: no file starts any more, the journal and the work
  // files stay for the next start.
  void Interrupt() { end_ = BatchEnd::kInterrupted; }

  // Whether the batch is over: nothing at work and nothing more to start.
  bool Over() const;
  // Once over: removes the journal and every work file, unless the batch
  // was interrupted.
  void Finish();

  BatchEnd End() const { return end_; }
  const std::vector<int>& AtWork() const { return atWork_; }
  const MediaEntry& File(int index) const { return list_.at(static_cast<std::size_t>(index)); }
  int Count() const { return static_cast<int>(list_.size()); }
  const std::vector<FailedConversion>& Failed() const { return failed_; }
  // The sources converted only as far as their data goes.
  const std::vector<MediaEntry>& CutShort() const { return cutShort_; }
  // The bytes of the outputs converted.
  std::int64_t OutputBytes() const { return outputBytes_; }
  // Whether the closing message is shown: a stop says nothing more, unless
  // files failed before it; an interrupted batch says nothing.
  bool ShowsClosingMessage() const;
  const BatchJournal& Journal() const { return journal_; }
  // Where file `index`'s output is once its run has published it.
  const std::string& PublishedOf(int index) const {
    return journal_.files[first_ + static_cast<std::size_t>(index)].Published();
  }

 private:
  JournalFile& JournalFileOf(int index) { return journal_.files[first_ + static_cast<std::size_t>(index)]; }
  void Keep() { store_.KeepJournal(journal_); }
  bool ContinuedFileDone(int index);
  bool IsShort(int index) const;
  bool RoomFor(int index) const;

  std::vector<MediaEntry> list_;
  BatchJournal journal_;
  std::size_t first_ = 0;  // the list's files are journal_.files[first_ + index]
  BatchStore& store_;
  NameOutput name_;
  EngineState& state_;
  int processors_ = 1;
  int next_ = 0;  // the next file of the list to consider
  std::vector<int> atWork_;
  BatchEnd end_ = BatchEnd::kDone;
  bool ending_ = false;  // stopped: no further file starts
  std::vector<FailedConversion> failed_;
  std::vector<MediaEntry> cutShort_;
  std::int64_t outputBytes_ = 0;
};

}  // namespace velto
