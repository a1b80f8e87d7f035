#include "engine/batch_runner.h"

#include <gtest/gtest.h>

#include "base/encoder_interface.h"

#include <map>
#include <set>

namespace velto {
namespace {

// Files and journal in memory.
class MemoryStore : public BatchStore {
 public:
  std::optional<std::uint64_t> LastWritten(const std::string& path) override {
    const auto it = written.find(path);
    return it == written.end() ? std::nullopt : std::optional<std::uint64_t>(it->second);
  }
  bool Exists(const std::string& path) override { return written.count(path) > 0; }
  std::int64_t Size(const std::string& path) override { return Exists(path) ? 1000 : 0; }
  bool HasKeptParts(const std::string& output) override { return parts.count(output) > 0; }
  void RemoveWorkFiles(const std::string& output) override { workRemoved.push_back(output); }
  void RemovePartialOutput(const std::string& output) override { partialRemoved.push_back(output); }
  void KeepJournal(const BatchJournal& journal) override { kept = journal; }
  void RemoveJournal() override { kept.reset(); }
  std::uint64_t Now() override { return now; }

  std::map<std::string, std::uint64_t> written;
  std::set<std::string> parts;
  std::vector<std::string> workRemoved, partialRemoved;
  std::optional<BatchJournal> kept;
  std::uint64_t now = 1'000'000'000;
};

constexpr std::uint32_t kDone = 0;

struct Batch {
  explicit Batch(std::vector<MediaEntry> list, const std::optional<BatchJournal>& resumed = std::nullopt,
                 int processors = 1)
      : runner(std::move(list), resumed, ConversionSettings{}, "C:\\out\\", 0, 0, store,
               // "a.wmv" -> "C:\out\a.avi", then "a_2.avi" while taken
               [this](const std::string& source, const BatchJournal& journal) {
                 const std::string stem = "C:\\out\\" + source.substr(0, source.find('.'));
                 std::string name = stem + ".avi";
                 for (int n = 2; GivenOut(journal, name) || store.Exists(name); ++n) name = stem + "_" + std::to_string(n) + ".avi";
                 return name;
               },
               state, processors) {}
  MemoryStore store;
  EngineState state;
  BatchRunner runner;
  // Starts the next file and ends its run.
  AfterFileRun Run(FileRun run, bool stopConfirmed = false) {
    const auto start = runner.NextStart();
    EXPECT_TRUE(start);
    return runner.RunEnded(start->index, run, stopConfirmed, [&] {
      FailedConversion failed;
      failed.path = File(start->index);
      return failed;
    });
  }
  std::string File(int index) { return runner.File(index).path; }
};

std::vector<MediaEntry> Files(std::initializer_list<const char*> paths) {
  std::vector<MediaEntry> list;
  for (const char* path : paths) list.push_back({path, 10.0, 320, 240, 25.0, 0.0});
  return list;
}

const FileRun kConverted{true, kDone, 1000};

TEST(BatchRunner, StartsFilesInListOrderOneAtATimeWithDistinctNames) {
  Batch batch(Files({"a.wmv", "b.wmv", "a.asf"}));
  std::vector<std::string> outputs;
  while (auto start = batch.runner.NextStart()) {
    EXPECT_FALSE(batch.runner.NextStart()) << "one run at work at a time";
    EXPECT_EQ(batch.store.kept->files[static_cast<std::size_t>(start->index)].output, start->output);
    outputs.push_back(start->output);
    batch.runner.RunEnded(start->index, kConverted, false, {});
  }
  EXPECT_EQ(outputs, (std::vector<std::string>{"C:\\out\\a.avi", "C:\\out\\b.avi", "C:\\out\\a_2.avi"}));
  EXPECT_TRUE(batch.runner.Over());
  EXPECT_DOUBLE_EQ(batch.state.completedDuration, 30.0);
  batch.runner.Finish();
  EXPECT_FALSE(batch.store.kept) << "a finished batch leaves no journal";
  EXPECT_EQ(batch.store.workRemoved.size(), 3u);
  EXPECT_TRUE(batch.runner.ShowsClosingMessage());
}

TEST(BatchRunner, ShortFilesRunSideBySideWithTheirShareOfThreadsAndALongFileRunsAlone) {
  std::vector<MediaEntry> list = Files({"a.wmv", "b.wmv", "c.wmv", "long.wmv", "d.wmv", "e.wmv"});
  list[3].duration = 30.0;
  Batch batch(list, std::nullopt, 2);
  const auto a = batch.runner.NextStart(), b = batch.runner.NextStart();
  ASSERT_TRUE(a && b);
  EXPECT_FALSE(batch.runner.NextStart()) << "one run per processor";
  EXPECT_EQ(a->threads, 1);
  EXPECT_EQ(b->output, "C:\\out\\b.avi");
  batch.runner.RunEnded(b->index, kConverted, false, {});
  const auto c = batch.runner.NextStart();
  ASSERT_TRUE(c);
  EXPECT_EQ(c->index, 2);
  EXPECT_EQ(c->threads, 1) << "a is still at work beside it";
  batch.runner.RunEnded(a->index, kConverted, false, {});
  EXPECT_FALSE(batch.runner.NextStart()) << "the long file waits for the machine";
  batch.runner.RunEnded(c->index, kConverted, false, {});
  const auto whole = batch.runner.NextStart();
  ASSERT_TRUE(whole);
  EXPECT_EQ(whole->threads, 0);
  EXPECT_FALSE(batch.runner.NextStart()) << "nothing starts beside a long file";
  batch.runner.RunEnded(whole->index, kConverted, false, {});
  EXPECT_EQ(batch.runner.NextStart()->index, 4);
  EXPECT_EQ(batch.runner.NextStart()->index, 5);
  EXPECT_DOUBLE_EQ(batch.state.completedDuration, 60.0);
}

TEST(BatchRunner, FailedFileIsListedAndTheBatchGoesOnAndACutShortSourceIsNamed) {
  std::vector<MediaEntry> list = Files({"a.wmv", "b.wmv"});
  list[1].statedDuration = 60.0;
  Batch batch(list);
  const AfterFileRun failed = batch.Run({true, 5, -1});
  EXPECT_TRUE(failed.failed);
  EXPECT_EQ(batch.store.partialRemoved, std::vector<std::string>{"C:\\out\\a.avi"});
  EXPECT_EQ(batch.store.kept->files[0].state, JournalState::kFailed);
  batch.Run(kConverted);
  ASSERT_EQ(batch.runner.Failed().size(), 1u);
  EXPECT_EQ(batch.runner.Failed()[0].path, "a.wmv");
  EXPECT_EQ(batch.runner.OutputBytes(), 1000);
  ASSERT_EQ(batch.runner.CutShort().size(), 1u);
  EXPECT_EQ(batch.runner.CutShort()[0].path, "b.wmv");
  EXPECT_EQ(batch.runner.End(), BatchEnd::kDone);
}

TEST(BatchRunner, ConfirmedStopEndsTheBatchAndSaysNothingUnlessFilesFailed) {
  Batch batch(Files({"a.wmv", "b.wmv", "c.wmv"}));
  batch.Run({true, kExitStopped, -1}, true);
  EXPECT_FALSE(batch.runner.NextStart());
  EXPECT_TRUE(batch.runner.Over());
  EXPECT_EQ(batch.runner.End(), BatchEnd::kStopped);
  EXPECT_FALSE(batch.runner.ShowsClosingMessage());

  Batch failedFirst(Files({"a.wmv", "b.wmv", "c.wmv"}));
  failedFirst.Run({true, 5, -1});
  failedFirst.Run({true, kExitStopped, -1}, true);
  EXPECT_TRUE(failedFirst.runner.ShowsClosingMessage());
}

TEST(BatchRunner, InterruptedBatchKeepsJournalAndWorkFilesAndTheFileAtWorkWaits) {
  Batch batch(Files({"a.wmv", "b.wmv"}));
  const auto start = batch.runner.NextStart();
  batch.runner.Published(start->index, "C:\\out\\a_3.avi");
  EXPECT_EQ(batch.store.kept->files[0].named, "C:\\out\\a_3.avi") << "journaled at once";
  batch.runner.Interrupt();
  batch.runner.RunEnded(start->index, {true, kExitStopped, -1}, false, {});
  EXPECT_FALSE(batch.runner.NextStart());
  EXPECT_TRUE(batch.runner.Over());
  batch.runner.Finish();
  ASSERT_TRUE(batch.store.kept);
  EXPECT_EQ(batch.store.kept->files[0].state, JournalState::kWaiting);
  EXPECT_TRUE(batch.store.workRemoved.empty());
  EXPECT_FALSE(batch.runner.ShowsClosingMessage());
}

TEST(BatchRunner, ContinuedFileWithItsOwnOutputIsDoneWithoutARunAndOneWithoutGetsANewName) {
  BatchJournal resumed;
  JournalFile done;
  done.media = Files({"z.wmv"})[0];
  done.output = "C:\\out\\z.avi";
  done.state = JournalState::kDone;
  JournalFile own = done;
  own.media.path = "a.wmv";
  own.output = "C:\\out\\a.avi";
  own.state = JournalState::kWaiting;
  own.started = 10'000'000'000;
  JournalFile taken = own;
  taken.media.path = "b.wmv";
  taken.output = "C:\\out\\b.avi";
  resumed.files = {done, own, taken};

  Batch batch(Files({"a.wmv", "b.wmv"}), resumed);
  batch.store.written["C:\\out\\a.avi"] = 10'000'000'001;  // written since its run started
  batch.store.written["C:\\out\\b.avi"] = 9'000'000'000;  // long before: another's file
  batch.store.parts.insert("C:\\out\\b_2.avi");
  const auto start = batch.runner.NextStart();
  ASSERT_TRUE(start);
  EXPECT_EQ(start->index, 1);
  EXPECT_EQ(start->output, "C:\\out\\b_2.avi");
  EXPECT_EQ(batch.store.workRemoved, std::vector<std::string>{"C:\\out\\b.avi"});
  EXPECT_EQ(batch.store.kept->files[1].state, JournalState::kDone);
  EXPECT_EQ(batch.store.kept->files[0], done) << "the earlier batch's done file stays first";
  EXPECT_DOUBLE_EQ(batch.state.completedDuration, 10.0);
}

}  // namespace
}  // namespace velto
