#include "base/module_directory.h"

#include <gtest/gtest.h>

#include <string>

namespace velto {
namespace {

TEST(ModuleDirectory, KeepsEverythingUpToTheLastBackslash) {
  EXPECT_EQ(DirectoryOfProgramPath("C:\\Tools\\Conv\\app.exe"), "C:\\Tools\\Conv\\");
  EXPECT_EQ(DirectoryOfProgramPath("\\app.exe"), "\\");
  EXPECT_EQ(DirectoryOfProgramPath("app.exe"), "");
  EXPECT_EQ(DirectoryOfProgramPath("C:\\Program Files\\Vidéo ü\\app.exe"), "C:\\Program Files\\Vidéo ü\\");
}

// A program deep in the folders still finds what lies beside it.
TEST(ModuleDirectory, LongPathsKeepTheirFolder) {
  const std::string dir = "C:\\" + std::string(300, 'd') + "\\";
  EXPECT_EQ(DirectoryOfProgramPath(dir + "app.exe"), dir);
}

TEST(ModuleDirectory, RunningProgramHasAnAbsoluteDirectory) {
  const std::string dir = ModuleDirectory();
  ASSERT_FALSE(dir.empty());
  const char last = dir.back();
  EXPECT_TRUE(last == '\\' || last == '/');
#ifdef _WIN32
  EXPECT_EQ(dir[1], ':');
#else
  EXPECT_EQ(dir[0], '/');
#endif
}

}  // namespace
}  // namespace velto
