// Row texts, the open-file dialog's selection, the browsed output folder and
// the batch's closing message.
#include "ui/file_list_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace velto {
namespace {

using namespace std::string_literals;

TEST(FileListText, RowNumbersHaveTenBlanksBeforeTheNumber) {
  EXPECT_EQ(RowNumberText(1), "          1");
  EXPECT_EQ(RowNumberText(12), "          12");
  EXPECT_EQ(RowNumberText(99), "          99");
}

TEST(FileListText, DurationsAreCutToWholeSeconds) {
  EXPECT_EQ(RowDurationText(3725.0), "01:02:05");
  EXPECT_EQ(RowDurationText(59.9), "00:00:59");
  EXPECT_EQ(RowDurationText(0.0), "00:00:00");
  EXPECT_EQ(RowDurationText(360000.0), "100:00:00");
  EXPECT_EQ(RowDurationText(1e12), "596523:14:07");  // held at the largest 32-bit count
}

TEST(FileListText, OneSelectedFileIsItsFullPath) {
  const auto paths = SplitSelectedFiles(L"C:\\clips\\talk.wmv\0\0"s);
  EXPECT_EQ(paths, std::vector<std::wstring>{L"C:\\clips\\talk.wmv"});
}

TEST(FileListText, SeveralSelectedFilesFollowTheirFolderInDialogOrder) {
  const auto paths = SplitSelectedFiles(L"C:\\my clips\0b.wmv\0a & b%.asf\0\0junk\0"s);
  EXPECT_EQ(paths, (std::vector<std::wstring>{L"C:\\my clips\\b.wmv", L"C:\\my clips\\a & b%.asf"}));
  // A drive root keeps its single backslash.
  EXPECT_EQ(SplitSelectedFiles(L"D:\\\0x.wmv\0y.wmv\0\0"s), (std::vector<std::wstring>{L"D:\\x.wmv", L"D:\\y.wmv"}));
}

TEST(FileListText, AnEmptyBufferSelectsNothing) {
  EXPECT_TRUE(SplitSelectedFiles(L""s).empty());
  EXPECT_TRUE(SplitSelectedFiles(L"\0\0"s).empty());
}

TEST(FileListText, BrowsedFolderGetsOneTrailingBackslash) {
  EXPECT_EQ(OutputFolderFromBrowser("C:\\Video", 255), "C:\\Video\\");
  EXPECT_EQ(OutputFolderFromBrowser("D:\\", 255), "D:\\");
  EXPECT_EQ(OutputFolderFromBrowser("", 255), std::nullopt);
}

TEST(FileListText, BrowsedFolderTooLongIsRefusedNotCut) {
  const std::string fits = "C:\\" + std::string(251, 'a');  // 254 characters, 255 with the backslash
  EXPECT_EQ(OutputFolderFromBrowser(fits, 255), fits + "\\");
  EXPECT_EQ(OutputFolderFromBrowser(fits + "b", 255), std::nullopt);
  EXPECT_EQ(OutputFolderFromBrowser(fits + "\\", 255), fits + "\\");
  // Characters as Windows counts them: a letter of two or three UTF-8 bytes
  // is one, a character beyond U+FFFF two.
  std::string letters = "C:\\";
  for (int i = 0; i < 251; ++i) letters += i % 2 ? "\u00e9" : "\u65e5";
  EXPECT_EQ(OutputFolderFromBrowser(letters, 255), letters + "\\");
  EXPECT_EQ(OutputFolderFromBrowser("C:\\" + std::string(250, 'a') + "\U0001F600", 255), std::nullopt);
}

TEST(FileListText, MessagesForAdd) {
  EXPECT_EQ(LoadFailedText("C:\\a b\\x.wmv"), "Load file C:\\a b\\x.wmv failed.");
  EXPECT_EQ(ListFullText(1, 99), "The list is full: it holds at most 99 files. 1 file was not added.");
  EXPECT_EQ(ListFullText(7, 99), "The list is full: it holds at most 99 files. 7 files were not added.");
}

TEST(FileListText, OnlyAsfWmvAndAsxNamesAreVideoFiles) {
  for (const char* name : {"a.wmv", "C:\\x y\\B.ASF", "list.Asx", ".wmv", "a.b.wmv"}) {
    EXPECT_TRUE(IsVideoFileName(name)) << name;
  }
  for (const char* name : {"a.wma", "a.wmvx", "wmv", "a.wmv.txt", "a.", "", "C:\\folder.wmv\\readme"}) {
    EXPECT_FALSE(IsVideoFileName(name)) << name;
  }
}

TEST(FileListText, RefusedDropsAreNamedInOneMessage) {
  EXPECT_EQ(RefusedDropText({{"C:\\a.txt", false}}),
            "This was not added: only ASF, WMV and ASX files can be converted.\n\nC:\\a.txt");
  std::vector<RefusedDrop> refused = {{"C:\\a.txt", false}, {"C:\\empty", true}};
  EXPECT_EQ(RefusedDropText(refused),
            "2 items were not added: only ASF, WMV and ASX files can be converted.\n\nC:\\a.txt\n"
            "C:\\empty\n    (a folder without ASF, WMV or ASX files)");
  for (int i = 0; i < 3; ++i) refused.push_back({"f" + std::to_string(i), false});
  EXPECT_NE(RefusedDropText(refused, 3).find("f0\n\n... and 2 more."), std::string::npos);
}

TEST(FileListText, RefusedFilesAreOneMessageWithTheirCauses) {
  EXPECT_EQ(LoadFailedListText({{"C:\\a.wmv", "the source has no video stream"}}),
            "Load file C:\\a.wmv failed. (the source has no video stream)");
  EXPECT_EQ(LoadFailedListText({{"C:\\a.wmv", "the source has no video stream"}, {"C:\\b.wmv", ""}}),
            "Load file C:\\a.wmv failed. (the source has no video stream)\nLoad file C:\\b.wmv failed.");
  std::vector<RefusedFile> many(23, RefusedFile{"x.wmv", ""});
  const std::string text = LoadFailedListText(many);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 19 + 2);
  EXPECT_NE(text.find("\n\n... and 3 more."), std::string::npos);
  EXPECT_EQ(CauseWords({EncoderCause::kSourceReadTimeout, ""}), "the source could not be read in time");
  EXPECT_EQ(CauseWords({EncoderCause::kOutputIncomplete, "no sound stream"}),
            "the output came out incomplete: no sound stream");
}

TEST(FileListText, APlaylistWithoutALocalFileSaysWhyAndACutSourceHowShort) {
  EXPECT_EQ(CauseWords({EncoderCause::kSourceUnreadable, ""}), "the source cannot be read");
  EXPECT_EQ(CauseWords({EncoderCause::kSourceUnreadable, "mms://host/a.wmv is a remote address (mms:), never fetched"}),
            "the playlist has no local file to convert: mms://host/a.wmv is a remote address (mms:), never fetched");
  EXPECT_EQ(CutShortText("C:\\in\\clip.wmv", 1.0, 3725.0), "clip.wmv was cut short: 0:00:01 of 1:02:05 converted.");
}

TEST(FileListText, BatchFailureNamesEachFileWithItsCauseAndLog) {
  const std::string engineLine = "Z:\\out\\" + std::string(100, 'x') + ".vob: Invalid data found when processing input";
  const std::vector<FailedConversion> failed = {
      {"C:\\in\\b.wmv", true, 5, "C:\\logs\\veltoenc-20261207-101500-000-42.log", {EncoderCause::kDiskFull, ""}},
      {"C:\\in\\c.wmv", true, 0, "", {}},
      {"C:\\in\\d.wmv", false, 0, "", {}},
      {"C:\\in\\e.wmv", true, 5, "", {EncoderCause::kFfmpegFailed, engineLine}},
      {"C:\\in\\f.wmv", true, 9, "", {}},
      {"C:\\in\\g.wmv", true, 5, "", {EncoderCause::kOutputDenied, ""}},
  };
  const std::string text = BatchFailureText(failed, 7, "00:01:02", "C:\\logs");
  EXPECT_EQ(text.find("Mission accomplished"), std::string::npos);
  EXPECT_NE(text.find("6 of 7 files could not be converted. Total Time:00:01:02"), std::string::npos);
  EXPECT_NE(text.find("C:\\in\\b.wmv\n    (the disk is full; log: C:\\logs\\veltoenc-20261207-101500-000-42.log)"),
            std::string::npos);
  EXPECT_NE(text.find("C:\\in\\c.wmv\n    (no output was written; no log was found)"), std::string::npos);
  EXPECT_NE(text.find("C:\\in\\d.wmv\n    (the encoder could not be started)"), std::string::npos);
  // The engine's line, shortened in the middle, keeps its end.
  EXPECT_NE(text.find("C:\\in\\e.wmv\n    (the engine failed: Z:\\out\\xxx"), std::string::npos);
  EXPECT_NE(text.find("x\u2026x"), std::string::npos);
  EXPECT_NE(text.find("xxx.vob: Invalid data found when processing input; no log was found)"), std::string::npos);
  EXPECT_NE(text.find("C:\\in\\f.wmv\n    (the encoder ended with code 9;"), std::string::npos);
  EXPECT_NE(text.find("C:\\in\\g.wmv\n    (the output folder cannot be written (access denied or read-only);"),
            std::string::npos);
  EXPECT_NE(text.find("The encoder's logs are kept in C:\\logs."), std::string::npos);
}

TEST(FileListText, BatchFailureCountsWhatItDoesNotList) {
  std::vector<FailedConversion> failed;
  for (int i = 0; i < 15; ++i) failed.push_back({"f" + std::to_string(i), true, 3, "", {}});
  const std::string text = BatchFailureText(failed, 20, "00:00:01", "", 12);
  EXPECT_NE(text.find("f11"), std::string::npos);
  EXPECT_EQ(text.find("f12"), std::string::npos);
  EXPECT_NE(text.find("... and 3 more."), std::string::npos);
}

}  // namespace
}  // namespace velto
