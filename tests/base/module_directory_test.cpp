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

TEST(ModuleDirectory, PathsAtTheLimitGiveNothing) {
  const std::string dir = "C:\\" + std::string(240, 'd') + "\\";
  const std::string fits = dir + std::string(255 - dir.size(), 'x');
  EXPECT_EQ(DirectoryOfProgramPath(fits), dir);
  EXPECT_EQ(DirectoryOfProgramPath(fits + "x"), "");
  EXPECT_EQ(DirectoryOfProgramPath(std::string(5000, '\\')), "");
  // The bound counts characters, not bytes.
  std::string wide = "C:\\";
  while (wide.size() < 400) wide += "é";
  EXPECT_EQ(DirectoryOfProgramPath(wide + "\\a.exe"), wide + "\\");
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
