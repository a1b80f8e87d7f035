#include "engine/batch_journal.h"

#include <gtest/gtest.h>

namespace velto {
namespace {

BatchJournal ThreeFiles() {
  BatchJournal journal;
  journal.settings.outputFormat = 7;
  journal.settings.volume = 23;
  journal.outputFolder = "C:\\out 100%\\";
  journal.fitKbps = 4321;
  journal.files = {
      {{"C:\\v\\vidéo #1.wmv", 61.5, 720, 576, 25.0, 0.0}, "C:\\out 100%\\vidéo #1.vob", JournalState::kDone},
      {{"C:\\v\\b.wmv", 1.0, 320, 240, 30000.0 / 1001, 6.0}, "C:\\out 100%\\b.vob", JournalState::kFailed},
      {{"C:\\v\\c.asx", 3600.25, 640, 480, 29.97, 0.0}, "", JournalState::kWaiting},
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
