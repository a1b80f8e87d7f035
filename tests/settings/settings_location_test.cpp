// Where option.ini lives: beside the program when files can be made there,
// otherwise in the user's application-data folder; version.ini always
// beside the program.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "base/file_system.h"
#include "base/text_encoding.h"
#include "settings/settings_store.h"
#include "tests/support/scratch_dir.h"

namespace velto {
namespace {

using testing::ReadBytes;
using testing::ScratchDir;
using testing::WriteBytes;

constexpr char kSep = static_cast<char>(std::filesystem::path::preferred_separator);

// Sets or removes an environment variable for one test and restores it.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const std::optional<std::string>& value) : name_(name) {
#ifdef _WIN32
    if (const wchar_t* old = _wgetenv(Utf8ToWide(name).c_str())) old_ = WideToUtf8(old);
#else
    if (const char* old = std::getenv(name)) old_ = old;
#endif
    Set(value);
  }
  ~ScopedEnvironment() { Set(old_); }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  void Set(const std::optional<std::string>& value) {
#ifdef _WIN32
    // The wide call keeps letters outside the ANSI code page; "" removes it.
    _wputenv_s(Utf8ToWide(name_).c_str(), value ? Utf8ToWide(*value).c_str() : L"");
#else
    if (value) {
      setenv(name_.c_str(), value->c_str(), 1);
    } else {
      unsetenv(name_.c_str());
    }
#endif
  }
  std::string name_;
  std::optional<std::string> old_;
};

struct Loaded {
  ConversionSettings settings;
  std::string folder;
  std::string version;
};

Loaded LoadFrom(const std::string& programDirectory, const std::string& settingsDirectory) {
  Loaded loaded;
  LoadSettingsFrom(programDirectory, settingsDirectory, loaded.settings, loaded.folder, loaded.version);
  return loaded;
}

TEST(SettingsLocation, ProgramFolderWhenWritableUserFolderOtherwise) {
  const std::string program = "C:\\Program Files\\Velto ASF Converter\\";
  const std::string user = "C:\\Users\\ann\\AppData\\Roaming\\Velto ASF Converter\\";
  EXPECT_EQ(ChooseSettingsDirectory(program, user, true), program);
  EXPECT_EQ(ChooseSettingsDirectory(program, user, false), user);
  // No user folder known: the program's folder stays (a save may then fail,
  // as it would have without the user folder).
  EXPECT_EQ(ChooseSettingsDirectory(program, "", false), program);
}

TEST(SettingsLocation, WritabilityIsFoundOutByMakingAFile) {
  ScratchDir dir;
  EXPECT_TRUE(CanCreateFilesIn(dir.Directory()));
  EXPECT_TRUE(dir.Entries().empty()) << "the probe file was left behind";
  // A folder with spaces and letters outside ASCII.
  ScratchDir odd("Ünïcode & 100% ^!");
  EXPECT_TRUE(CanCreateFilesIn(odd.Directory()));
  EXPECT_TRUE(odd.Entries().empty());

  EXPECT_FALSE(CanCreateFilesIn(""));
  EXPECT_FALSE(CanCreateFilesIn(dir.Directory() + "missing" + kSep));
  // A file where the folder should be.
  WriteBytes(dir.File("plain"), "x");
  EXPECT_FALSE(CanCreateFilesIn(dir.File("plain") + kSep));
}

TEST(SettingsLocation, AFolderThatRefusesNewFilesIsNotWritable) {
  // The kernel's process folder refuses new files even to the superuser
  // (Wine shows the root of the Unix file system as drive Z:).
#ifdef _WIN32
  const std::string refusing = "Z:\\proc\\";
#else
  const std::string refusing = "/proc/";
#endif
  if (!IsDirectory(refusing)) GTEST_SKIP() << refusing << " is not there";
  EXPECT_FALSE(CanCreateFilesIn(refusing));
}

TEST(SettingsLocation, UserFolderComesFromTheApplicationDataFolder) {
  {
    ScopedEnvironment appData("APPDATA", std::string("C:\\Users\\Zoë\\AppData\\Roaming"));
#ifdef _WIN32
    EXPECT_EQ(UserSettingsDirectory(), "C:\\Users\\Zoë\\AppData\\Roaming\\Velto ASF Converter\\");
#else
    EXPECT_EQ(UserSettingsDirectory(), "C:\\Users\\Zoë\\AppData\\Roaming/Velto ASF Converter/");
#endif
  }
  {
    // A separator at the end is not doubled.
    const std::string roaming = std::string("C:") + kSep + "Roaming" + kSep;
    ScopedEnvironment appData("APPDATA", roaming);
    EXPECT_EQ(UserSettingsDirectory(), roaming + "Velto ASF Converter" + kSep);
  }
  ScopedEnvironment appData("APPDATA", std::nullopt);
  EXPECT_EQ(UserSettingsDirectory(), "");
}

TEST(SettingsLocation, UserFolderHoldsTheSettingsButNotTheVersion) {
  ScratchDir program;
  ScratchDir user;
  WriteBytes(program.File("version.ini"), "[General]\r\nVersion=2.5.1\r\n");
  WriteBytes(program.File("option.ini"), "[Destinate]\r\nVolume=11\r\n");
  WriteBytes(user.File("version.ini"), "[General]\r\nVersion=9.9\r\n");
  WriteBytes(user.File("option.ini"), "[Destinate]\r\nVolume=22\r\nTemporary folder=D:\\mine\\\r\n");

  const Loaded loaded = LoadFrom(program.Directory(), user.Directory());
  EXPECT_EQ(loaded.version, "2.5.1");
  EXPECT_EQ(loaded.settings.volume, 22);
  EXPECT_EQ(loaded.folder, "D:\\mine\\");

  // The same folder for both reads everything there, as before.
  const Loaded portable = LoadFrom(program.Directory(), program.Directory());
  EXPECT_EQ(portable.version, "2.5.1");
  EXPECT_EQ(portable.settings.volume, 11);
}

TEST(SettingsLocation, SettingsBesideTheProgramCarryOverUntilTheUserHasOwn) {
  ScratchDir program;
  ScratchDir user;
  WriteBytes(program.File("option.ini"), "[Destinate]\r\nOutput format=7\r\n");

  Loaded first = LoadFrom(program.Directory(), user.Directory());
  EXPECT_EQ(first.settings.outputFormat, 7);
  EXPECT_EQ(first.version, "1.00");

  // Saving goes to the user's folder only; the program's file stays as it was.
  first.settings.outputFormat = 8;
  ASSERT_TRUE(SaveSettingsTo(user.Directory(), first.settings, first.folder));
  EXPECT_EQ(ReadBytes(program.File("option.ini")), "[Destinate]\r\nOutput format=7\r\n");
  EXPECT_EQ(user.Entries(), std::vector<std::string>{"option.ini"});
  EXPECT_EQ(LoadFrom(program.Directory(), user.Directory()).settings.outputFormat, 8);

  // With neither file every value is the default.
  ScratchDir empty;
  EXPECT_EQ(LoadFrom(empty.Directory(), user.Directory() + "none" + kSep).settings, DefaultConversionSettings());
}

}  // namespace
}  // namespace velto
