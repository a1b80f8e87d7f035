#include "engine/batch_journal.h"

#include <gtest/gtest.h>

namespace velto {
namespace {

JournalFile File(std::string source, std::string output, JournalState state, std::string named,
                 std::uint64_t started) {
  JournalFile file;
  file.media.path = std::move(source);
  file.output = std::move(output);
  file.state = state;
  file.named = std::move(named);
  file.started = started;
  return file;
}

BatchJournal ThreeFiles() {
  BatchJournal journal;
  journal.settings.outputFormat = 7;
  journal.settings.volume = 23;
  journal.outputFolder = "C:\\out 100%\\";
  journal.fitKbps = 4321;
  journal.files = {
      {{"C:\\v\\vidéo #1.wmv", 61.5, 720, 576, 25.0, 0.0}, "C:\\out 100%\\vidéo #1.vob", JournalState::kDone, "", 0},
      {{"C:\\v\\b.wmv", 1.0, 320, 240, 30000.0 / 1001, 6.0}, "C:\\out 100%\\b.vob", JournalState::kFailed,
       "C:\\out 100%\\b_2.vob", 133'000'000'000'000'000ull},
      {{"C:\\v\\c.asx", 3600.25, 640, 480, 29.97, 0.0}, "", JournalState::kWaiting, "", 0},
  };
  return journal;
}

TEST(BatchJournal, ReadsBackWhatItWrote) {
  const BatchJournal journal = ThreeFiles();
  const std::string text = FormatBatchJournal(journal);
  EXPECT_EQ(ParseBatchJournal(text), journal);
  EXPECT_EQ(journal.DoneCount(), 1);
  ASSERT_EQ(journal.NotDone().size(), 2u);
  EXPECT_EQ(journal.NotDone()[0].media.path, "C:\\v\\b.wmv");
  EXPECT_EQ(ResumeQuestion(journal),
            "The last conversion stopped before it finished (1 of 3 files done). Continue it?");
}

// A journal written before the start times and the names got were kept
// reads as one without them.
TEST(BatchJournal, AnOlderJournalWithoutStartTimesReads) {
  std::string text = FormatBatchJournal(ThreeFiles());
  for (const char* key : {"named=", "started="})
    for (std::size_t at; (at = text.find(key)) != std::string::npos;) text.erase(at, text.find('\n', at) + 1 - at);
  const std::optional<BatchJournal> old = ParseBatchJournal(text);
  ASSERT_TRUE(old);
  EXPECT_EQ(old->files[1].started, 0u);
  EXPECT_EQ(old->files[1].Published(), "C:\\out 100%\\b.vob");
}

// An existing output is a file's own only when not empty, written since its
// run started, and when no other file is done with it; the batch's names stay
// given out whatever became of their files.
TEST(BatchJournal, AnOutputThatIsThereIsAFilesOwnOnlyWhenItCanBe) {
  constexpr std::uint64_t kSecond = 10'000'000, kStart = 133'000'000'000'000'000ull;
  BatchJournal journal;
  journal.files = {File("C:\\v\\clip.asf", "C:\\out\\clip.vob", JournalState::kWaiting, "", kStart),
                   File("C:\\v\\talk.wmv", "C:\\out\\talk.vob", JournalState::kWaiting, "C:\\out\\talk_2.vob", 0)};
  EXPECT_TRUE(OutputIsFilesOwn(journal, 0, kStart + 60 * kSecond, 4096));
  EXPECT_TRUE(OutputIsFilesOwn(journal, 0, kStart - kSecond, 4096)) << "a FAT write time";
  EXPECT_FALSE(OutputIsFilesOwn(journal, 0, kStart + 60 * kSecond, 0)) << "an empty file";
  EXPECT_FALSE(OutputIsFilesOwn(journal, 0, kStart - 3 * kSecond, 4096)) << "older than the run";
  EXPECT_FALSE(OutputIsFilesOwn(journal, 1, kStart, 4096)) << "a start time unknown";
  EXPECT_FALSE(OutputIsFilesOwn(journal, 2, kStart, 4096));
  journal.files.push_back(File("C:\\w\\clip.wmv", "C:\\OUT\\clip.vob", JournalState::kDone, "", kStart));
  EXPECT_FALSE(OutputIsFilesOwn(journal, 0, kStart + 60 * kSecond, 4096)) << "another file's output";

  EXPECT_TRUE(GivenOut(journal, "c:\\out\\CLIP.vob"));
  EXPECT_TRUE(GivenOut(journal, "C:\\out\\talk.vob"));
  EXPECT_TRUE(GivenOut(journal, "C:\\out\\talk_2.vob"));
  EXPECT_FALSE(GivenOut(journal, "C:\\out\\clip_asf.vob"));
  EXPECT_FALSE(GivenOut(journal, ""));
}

TEST(BatchJournal, DamagedTextIsNoJournal) {
  const std::string text = FormatBatchJournal(ThreeFiles());
  EXPECT_FALSE(ParseBatchJournal(text.substr(0, text.size() / 2)));    // cut short
  EXPECT_FALSE(ParseBatchJournal(text.substr(0, text.size() - 4)));    // no end line
  EXPECT_FALSE(ParseBatchJournal(std::string(text).replace(text.find("width=720"), 9, "width=7x0")));
  EXPECT_FALSE(ParseBatchJournal(std::string(text).replace(text.find("state=done"), 10, "state=gone")));
  EXPECT_FALSE(ParseBatchJournal(std::string(text).replace(0, 5, "VELTO")));
  EXPECT_FALSE(ParseBatchJournal(""));
  EXPECT_FALSE(ParseBatchJournal(std::string("\0\0\0", 3)));
}

}  // namespace
}  // namespace velto
