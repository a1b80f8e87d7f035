#include "base/file_system.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/scratch_dir.h"

namespace velto {
namespace {

using testing::ReadBytes;
using testing::ScratchDir;
using testing::WriteBytes;

TEST(FileSystem, ReadsWholeFilesAndNothingElse) {
  ScratchDir dir;
  const std::string file = dir.File("data.bin");
  const std::string bytes("a\0b\r\n\xFF", 6);
  WriteBytes(file, bytes);
  EXPECT_EQ(ReadWholeFile(file), bytes);
  WriteBytes(dir.File("empty"), "");
  EXPECT_EQ(ReadWholeFile(dir.File("empty")), "");

  EXPECT_EQ(ReadWholeFile(dir.File("missing")), std::nullopt);
  EXPECT_EQ(ReadWholeFile(dir.Directory()), std::nullopt);
  EXPECT_EQ(ReadWholeFile(file, 5), std::nullopt) << "larger than the limit";
  EXPECT_EQ(ReadWholeFile(file, 6), bytes);
}

TEST(FileSystem, ExistenceChecks) {
  ScratchDir dir;
  WriteBytes(dir.File("f"), "x");
  EXPECT_TRUE(PathExists(dir.File("f")));
  EXPECT_FALSE(IsDirectory(dir.File("f")));
  EXPECT_TRUE(PathExists(dir.Directory()));
  EXPECT_TRUE(IsDirectory(dir.Directory()));
  EXPECT_FALSE(PathExists(dir.File("none")));
  EXPECT_FALSE(IsDirectory(dir.File("none")));
}

TEST(FileSystem, ReplaceCreatesAndReplacesWithoutLeavingTemporaries) {
  ScratchDir dir;
  const std::string file = dir.File("option.ini");
  ASSERT_TRUE(ReplaceFileAtomically(file, "first\r\n"));
  EXPECT_EQ(ReadBytes(file), "first\r\n");
  ASSERT_TRUE(ReplaceFileAtomically(file, "second"));
  EXPECT_EQ(ReadBytes(file), "second");
  ASSERT_TRUE(ReplaceFileAtomically(file, ""));
  EXPECT_EQ(ReadBytes(file), "");
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"option.ini"});
}

TEST(FileSystem, NonAsciiPathsWithSpacesAndShellCharacters) {
  ScratchDir dir("M\xC3\xBCller & S\xC3\xB6hne %x% !^ \xE2\x82\xAC");
  const std::string file = dir.File("d\xC3\xA9j\xC3\xA0 vu's.ini");
  ASSERT_TRUE(ReplaceFileAtomically(file, "content"));
  EXPECT_EQ(ReadWholeFile(file), "content");
  EXPECT_TRUE(PathExists(file));
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"d\xC3\xA9j\xC3\xA0 vu's.ini"});
}

TEST(FileSystem, FailedReplaceKeepsTargetAndRemovesTemporary) {
  ScratchDir dir;
  // A folder (not empty) where the file should go: the final step fails.
  const std::string target = dir.File("option.ini");
  std::filesystem::create_directory(testing::PathFromUtf8(target));
  WriteBytes(dir.File("option.ini/inside"), "kept");
  EXPECT_FALSE(ReplaceFileAtomically(target, "new"));
  EXPECT_TRUE(IsDirectory(target));
  EXPECT_EQ(ReadBytes(dir.File("option.ini/inside")), "kept");
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"option.ini"});

  // The temporary file cannot be made: the old file stays as it was.
  ScratchDir other;
  const std::string file = other.File("option.ini");
  WriteBytes(file, "old");
  std::filesystem::create_directory(testing::PathFromUtf8(TemporaryPathFor(file)));
  EXPECT_FALSE(ReplaceFileAtomically(file, "new"));
  EXPECT_EQ(ReadBytes(file), "old");

  // A folder that does not exist.
  EXPECT_FALSE(ReplaceFileAtomically(other.File("no such folder/option.ini"), "x"));
}

TEST(FileSystem, LongPathsWork) {
  ScratchDir dir;
  std::string folder = dir.Directory();
  // Nested folders until the path is well past the classic 260-character limit.
  while (folder.size() < 300) {
    folder += std::string(40, 'd') + static_cast<char>(std::filesystem::path::preferred_separator);
    std::filesystem::create_directory(testing::PathFromUtf8(folder));
  }
  const std::string file = folder + "option.ini";
  ASSERT_TRUE(ReplaceFileAtomically(file, "deep"));
  EXPECT_EQ(ReadWholeFile(file), "deep");
  EXPECT_TRUE(PathExists(file));
  ASSERT_TRUE(ReplaceFileAtomically(file, "deeper"));
  EXPECT_EQ(ReadWholeFile(file), "deeper");
}

}  // namespace
}  // namespace velto
