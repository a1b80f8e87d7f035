#include "engine/batch_rules.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "base/encoder_interface.h"
#include "base/file_system.h"

namespace velto {
namespace {

PathTaken TakenFrom(std::set<std::string> paths) {
  return [paths](const std::string& p) { return paths.count(p) > 0; };
}
const PathTaken kNothingTaken = [](const std::string&) { return false; };

TEST(OutputNaming, FolderPlusSourceNamePlusFormatExtension) {
  EXPECT_EQ(MakeOutputPath("C:\\output video\\", "D:\\clips\\talk.wmv", 0, kNothingTaken),
            "C:\\output video\\talk.avi");
  EXPECT_EQ(MakeOutputPath("C:\\output video", "D:\\clips\\talk.wmv", 0, kNothingTaken),
            "C:\\output video\\talk.avi");
  EXPECT_EQ(MakeOutputPath("C:\\out\\", "D:\\a.b\\my.talk.asf", 8, kNothingTaken), "C:\\out\\my.talk.wmv");
}

TEST(OutputNaming, ExtensionsByFormat) {
  const std::vector<std::string> expected = {"avi", "mpeg", "mpeg", "avi", "avi",
                                             "mpeg", "mpeg", "vob", "wmv", "asf", "mp4"};
  for (int format = 0; format < 11; ++format) EXPECT_EQ(OutputExtension(format), expected[format]) << format;
  EXPECT_EQ(OutputExtension(11), "avi");
  EXPECT_EQ(OutputExtension(-1), "avi");
}

TEST(OutputNaming, ATakenNameGetsTheSourceExtensionInItsOwnCase) {
  EXPECT_EQ(MakeOutputPath("D:\\clips\\", "D:\\clips\\talk.WMV", 8, TakenFrom({"D:\\clips\\talk.wmv"})),
            "D:\\clips\\talk_WMV.wmv");
}

TEST(OutputNaming, FurtherClashesAreNumberedAndNothingIsOverwritten) {
  const PathTaken taken = TakenFrom({"C:\\out\\talk.avi", "C:\\out\\talk_wmv.avi", "C:\\out\\talk_wmv_2.avi"});
  EXPECT_EQ(MakeOutputPath("C:\\out", "E:\\x\\talk.wmv", 0, taken), "C:\\out\\talk_wmv_3.avi");
}

// The help topic on converting tells how new files are named: its example
// names are the ones made when the earlier ones are taken.
TEST(OutputNaming, TheHelpNamesNewFilesAsTheyAreMade) {
  const std::optional<std::string> page = ReadWholeFile(VELTO_HELP_DIR "/topics/converting.htm");
  ASSERT_TRUE(page.has_value());
  std::set<std::string> taken;
  for (int i = 0; i < 4; ++i) {
    const std::string path = MakeOutputPath("C:\\out\\", "D:\\clips\\talk.wmv", 0, TakenFrom(taken));
    taken.insert(path);
    const std::string name = path.substr(std::string("C:\\out\\").size());
    EXPECT_NE(page->find("<code>" + name + "</code>"), std::string::npos) << name;
  }
  EXPECT_EQ(page->find("replaced"), std::string::npos);
}

TEST(OutputNaming, NamesWithoutAnExtensionOrFolderDotsStayWhole) {
  EXPECT_EQ(MakeOutputPath("C:\\my.videos", "D:\\clips\\talk", 0, kNothingTaken), "C:\\my.videos\\talk.avi");
  EXPECT_EQ(MakeOutputPath("C:\\out", "D:\\clips\\talk", 0, TakenFrom({"C:\\out\\talk.avi"})),
            "C:\\out\\talk_2.avi");
}

TEST(Letterbox, DvdNtscCases) {
  const auto narrow = ComputeLetterbox(true, 640, 480, 720, 480);
  EXPECT_EQ(narrow.padWidth, 80);
  EXPECT_EQ(narrow.padHeight, -60);
  const auto wide = ComputeLetterbox(true, 1280, 720, 720, 480);
  EXPECT_EQ(wide.padWidth, -133);
  EXPECT_EQ(wide.padHeight, 75);
  const auto same = ComputeLetterbox(true, 720, 480, 720, 480);
  EXPECT_EQ(same.padWidth, 0);
  EXPECT_EQ(same.padHeight, 0);
}

TEST(Letterbox, NothingWhenOffOriginalSizeOrUnknownSource) {
  for (const Letterbox& l : {ComputeLetterbox(false, 640, 480, 720, 480), ComputeLetterbox(true, 640, 480, 0, 0),
                             ComputeLetterbox(true, 0, 480, 720, 480), ComputeLetterbox(true, 640, 0, 720, 480)}) {
    EXPECT_EQ(l.padWidth, 0);
    EXPECT_EQ(l.padHeight, 0);
  }
}

// Folders as a set of existing paths, with the current directory and every
// call recorded.
class FakeFolders : public FolderOps {
 public:
  explicit FakeFolders(std::set<std::string> existing) : existing_(std::move(existing)) {}
  bool IsDirectory(const std::string& path) override { return existing_.count(path) > 0; }
  bool MakeCurrent(const std::string& path) override {
    if (!IsDirectory(path)) return false;
    current = path;
    return true;
  }
  bool MakeFolder(const std::string& path) override {
    created.push_back(path);
    if (refuse.count(path)) return false;
    existing_.insert(path);
    return true;
  }
  std::string current;
  std::vector<std::string> created;
  std::set<std::string> refuse;

 private:
  std::set<std::string> existing_;
};

TEST(EnsureFolder, ExistingFolderWithOrWithoutBackslashBecomesCurrent) {
  FakeFolders fs({"C:\\", "C:\\output video"});
  EXPECT_EQ(EnsureFolder("C:\\output video\\", fs), 0);
  EXPECT_EQ(fs.current, "C:\\output video");
  EXPECT_EQ(EnsureFolder("C:\\output video", fs), 0);
  EXPECT_TRUE(fs.created.empty());
}

TEST(EnsureFolder, MissingLevelsAreCreatedFromTheTopDown) {
  FakeFolders fs({"C:\\", "C:\\a"});
  EXPECT_EQ(EnsureFolder("C:\\a\\b\\c", fs), 0);
  EXPECT_EQ(fs.created, (std::vector<std::string>{"C:\\a\\b", "C:\\a\\b\\c"}));
  EXPECT_EQ(fs.current, "C:\\a\\b\\c");
}

TEST(EnsureFolder, AFolderOnADriveRootIsCreatedDirectly) {
  FakeFolders fs({"C:\\"});
  EXPECT_EQ(EnsureFolder("C:\\output video\\", fs), 0);
  EXPECT_EQ(fs.created, std::vector<std::string>{"C:\\output video"});
}

TEST(EnsureFolder, ADriveRootKeepsItsBackslash) {
  FakeFolders fs({"D:\\"});
  EXPECT_EQ(EnsureFolder("D:\\", fs), 0);
  EXPECT_EQ(fs.current, "D:\\");
}

TEST(EnsureFolder, FailuresGiveMinusOne) {
  FakeFolders fs({"C:\\"});
  fs.refuse = {"C:\\locked"};
  EXPECT_EQ(EnsureFolder("C:\\locked\\inner", fs), -1);
  EXPECT_EQ(fs.created, std::vector<std::string>{"C:\\locked"});
  EXPECT_EQ(EnsureFolder("relative", fs), -1);
  EXPECT_EQ(EnsureFolder("", fs), -1);
}

FileRun Ran(std::uint32_t exitCode, long long outputSize) { return {true, exitCode, outputSize}; }

void ExpectStep(const AfterFileRun& step, bool removePartial, bool failed, bool endBatch) {
  EXPECT_EQ(step.removePartial, removePartial);
  EXPECT_EQ(step.failed, failed);
  EXPECT_EQ(step.endBatch, endBatch);
}

TEST(AfterFileRun, AConvertedFileIsKeptAndTheBatchGoesOn) {
  ExpectStep(DecideAfterFileRun(Ran(kExitDone, 1), false), false, false, false);
}

TEST(AfterFileRun, AFileNotConvertedLosesItsTemporaryOutputAndIsNamed) {
  for (const FileRun& run : {FileRun{false, 0, -1}, Ran(kExitFfmpegFailed, 4096), Ran(kExitDone, 0),
                             Ran(kExitDone, -1), Ran(kExitStopped, -1)}) {
    SCOPED_TRACE(run.exitCode);
    EXPECT_FALSE(Converted(run));
    ExpectStep(DecideAfterFileRun(run, false), true, true, false);
  }
}

TEST(AfterFileRun, AConfirmedStopEndsTheBatchKeepingAFinishedFile) {
  ExpectStep(DecideAfterFileRun(Ran(kExitStopped, 4096), true), true, false, true);
  ExpectStep(DecideAfterFileRun(Ran(kExitDone, 4096), true), false, false, true);
}

TEST(AfterFileRun, OnlyTheEncodersStopExitConfirmsAStopByItself) {
  EXPECT_TRUE(StopConfirmedByEncoder(Ran(kExitStopped, -1)));
  EXPECT_FALSE(StopConfirmedByEncoder(Ran(kExitDone, 4096)));
  EXPECT_FALSE(StopConfirmedByEncoder(Ran(kExitFfmpegFailed, -1)));
  EXPECT_FALSE(StopConfirmedByEncoder(FileRun{false, kExitStopped, -1}));
}

// The name an encoder says it published: one beside the name asked for,
// never elsewhere, never a folder's or a hidden work file's.
TEST(PublishedName, FitsOnlyBesideTheNameAskedFor) {
  const std::string asked = "C:\\Out\\talk.vob";
  for (const char* fits : {"C:\\Out\\talk.vob", "c:\\out\\talk_2.VOB", "C:\\Out\\talk_wmv_3.vob"})
    EXPECT_TRUE(PublishedNameFits(asked, fits)) << fits;
  for (const char* wrong : {"C:\\Other\\talk.vob", "C:\\Out\\sub\\talk.vob", "C:\\Out\\talk.exe",
                           "C:\\Out\\~velto-talk.vob.partial", "C:\\Out\\", "C:\\Out\\..", "talk.vob",
                           "C:\\Out\\talk.vob:stream.vob", ""})
    EXPECT_FALSE(PublishedNameFits(asked, wrong)) << wrong;
}

}  // namespace
}  // namespace velto
