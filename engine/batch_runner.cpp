#include "engine/batch_runner.h"

#include <algorithm>
#include <utility>

#include "base/encoder_interface.h"

namespace velto {

BatchRunner::BatchRunner(std::vector<MediaEntry> list, const std::optional<BatchJournal>& resumed,
                         const ConversionSettings& settings, const std::string& outputFolder, std::int32_t fitKbps,
                         std::uint32_t startTick, BatchStore& store, NameOutput name, EngineState& state,
                         int processors)
    : list_(std::move(list)), store_(store), name_(std::move(name)), state_(state),
      processors_(std::max(1, processors)) {
  // The files an interrupted batch converted before come first; a
  // continued file keeps the output it was given, so that its kept parts
  // are used, with the start of its last run, which tells whether an output
  // there is its own.
  std::vector<JournalFile> continued;  // in list order
  if (resumed) {
    for (const JournalFile& file : resumed->files) {
      if (file.state == JournalState::kDone) {
        journal_.files.push_back(file);
      } else {
        continued.push_back(file);
      }
    }
  }
  first_ = journal_.files.size();
  journal_.settings = settings;
  journal_.outputFolder = outputFolder;
  journal_.fitKbps = fitKbps;
  for (std::size_t i = 0; i < list_.size(); ++i) {
    JournalFile file = i < continued.size() ? continued[i] : JournalFile{};
    file.media = list_[i];
    file.state = JournalState::kWaiting;
    journal_.files.push_back(std::move(file));
  }
  Keep();
  state_.batchStartTick = startTick;
  state_.completedDuration = 0.0;
  state_.positions.clear();
  std::vector<double> durations;
  for (const MediaEntry& entry : list_) durations.push_back(entry.duration);
  state_.timeLeft.Begin(std::move(durations), startTick);
}

bool BatchRunner::ContinuedFileDone(int index) {
  JournalFile& file = JournalFileOf(index);
  if (file.output.empty()) return false;
  // An output that is there and is its own was published just before the
  // interruption.
  const std::optional<std::uint64_t> written = store_.LastWritten(file.Published());
  if (written && OutputIsFilesOwn(journal_, first_ + static_cast<std::size_t>(index), *written,
                                  store_.Size(file.Published()))) {
    store_.Log("already converted before the interruption: " + file.Published());
    file.state = JournalState::kDone;
    Keep();
    state_.completedDuration += File(index).duration;
    state_.timeLeft.SkipFile(static_cast<std::size_t>(index));
    return true;
  }
  // One that is not its own has its name now (another run's, or another
  // file's of the batch): the file gets a new name, and what its runs kept
  // under the old one goes.
  file.named.clear();
  if (store_.Exists(file.output)) {
    store_.RemoveWorkFiles(file.output);
    file.output.clear();
  }
  return false;
}

// A file the encoder converts in one run; a longer one it splits by time
// over every processor.
bool BatchRunner::IsShort(int index) const {
  return processors_ > 1 && !(File(index).duration >= kShortestSplitSeconds);
}

bool BatchRunner::RoomFor(int index) const {
  if (atWork_.empty()) return true;
  if (static_cast<int>(atWork_.size()) >= processors_ || !IsShort(index)) return false;
  return std::all_of(atWork_.begin(), atWork_.end(), [this](int i) { return IsShort(i); });
}

std::optional<BatchRunner::Start> BatchRunner::NextStart() {
  while (!ending_ && end_ == BatchEnd::kDone && next_ < Count() && RoomFor(next_)) {
    const int index = next_++;
    state_.currentIndex = index;
    if (ContinuedFileDone(index)) continue;
    JournalFile& file = JournalFileOf(index);
    // Never an existing file, nor a name given out in this batch: nothing
    // has to be deleted before the run.
    if (file.output.empty()) file.output = name_(File(index).path, journal_);
    file.started = store_.Now();
    Keep();
    if (store_.HasKeptParts(file.output)) state_.timeLeft.ExpectReusedStart(static_cast<std::size_t>(index));
    // Each file's reports count from its own start: files of equal length
    // report the same positions, which must still move the bar on.
    state_.lastPosition = kNoPositionShown;
    state_.positions[index] = 0.0;
    atWork_.push_back(index);
    // A short file shares the machine with the short files beside it now
    // or soon: the files at work and those waiting, up to a processor each.
    int threads = 0;
    if (IsShort(index)) {
      int beside = static_cast<int>(atWork_.size());
      for (int i = next_; i < Count() && beside < processors_ && IsShort(i); ++i) ++beside;
      threads = beside > 1 ? std::max(1, processors_ / beside) : 0;
    }
    return Start{index, file.output, threads};
  }
  return std::nullopt;
}

void BatchRunner::Published(int index, const std::string& name) {
  // Journaled at once: a kill before the run's end leaves the file done.
  JournalFile& file = JournalFileOf(index);
  file.named = name == file.output ? std::string() : name;
  Keep();
}

AfterFileRun BatchRunner::RunEnded(int index, const FileRun& run, bool stopConfirmed,
                                   const std::function<FailedConversion()>& why) {
  atWork_.erase(std::remove(atWork_.begin(), atWork_.end(), index), atWork_.end());
  state_.positions.erase(index);
  state_.lastPosition = kNoPositionShown;
  // An interrupted run tells nothing: its file stays to be converted.
  if (end_ == BatchEnd::kInterrupted) return {};
  const MediaEntry& entry = File(index);
  JournalFile& file = JournalFileOf(index);
  state_.completedDuration += entry.duration;
  const AfterFileRun next = DecideAfterFileRun(run, stopConfirmed);
  state_.timeLeft.EndFile(static_cast<std::size_t>(index), !next.failed);
  file.state = next.failed ? JournalState::kFailed : JournalState::kDone;
  Keep();
  if (next.removePartial) {
    store_.RemovePartialOutput(file.output);
  } else {
    outputBytes_ += run.outputSize;
  }
  if (next.failed) {
    failed_.push_back(why());
  } else if (entry.statedDuration > entry.duration) {
    cutShort_.push_back(entry);
  }
  if (next.endBatch) {
    ending_ = true;
    end_ = BatchEnd::kStopped;
  }
  return next;
}

bool BatchRunner::Over() const {
  if (!atWork_.empty()) return false;
  return ending_ || end_ != BatchEnd::kDone || next_ >= Count();
}

void BatchRunner::Finish() {
  // Only an interrupted batch leaves its journal and its work files, for
  // the next start to continue.
  if (end_ == BatchEnd::kInterrupted) return;
  for (const JournalFile& file : journal_.files)
    if (!file.output.empty()) store_.RemoveWorkFiles(file.output);
  store_.RemoveJournal();
}

bool BatchRunner::ShowsClosingMessage() const {
  return end_ == BatchEnd::kDone || (end_ == BatchEnd::kStopped && !failed_.empty());
}

}  // namespace velto
