#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <random>
#include <utility>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "base/file_system.h"
#include "tests/support/scratch_dir.h"

namespace velto {
namespace {

using testing::ReadBytes;
using testing::ScratchDir;
using testing::WriteBytes;

// The file a first run leaves behind, typed out in full.
constexpr std::string_view kDefaultFile =
    "[Destinate]\r\n"
    "Letterbox=1\r\n"
    "Temporary folder=C:\\output video\\\r\n"
    "Output format=0\r\n"
    "TV mode=0\r\n"
    "MPEG aspect ratio=2\r\n"
    "DVD aspect ratio=1\r\n"
    "AVI quality=4\r\n"
    "MPEG1 quality=3\r\n"
    "MPEG2 quality=3\r\n"
    "SVCD quality=4\r\n"
    "DVD quality=5\r\n"
    "WMV quality=5\r\n"
    "AVI video codec=0\r\n"
    "ASF video codec=2\r\n"
    "AVI audio codec=0\r\n"
    "Divx audio codec=0\r\n"
    "Xvid audio codec=0\r\n"
    "DVD audio codec=0\r\n"
    "WMV audio codec=1\r\n"
    "ASF audio codec=1\r\n"
    "AVI resolution=0\r\n"
    "MPEG resolution=0\r\n"
    "AVI frame rate=0\r\n"
    "MPEG frame rate=0\r\n"
    "Volume=20\r\n"
    "Fit to disc=0\r\n"
    "Disc size=1\r\n"
    "Normalize loudness=0\r\n"
    "MP4 quality=4\r\n"
    "MP4 resolution=0\r\n"
    "MP4 frame rate=0\r\n";

struct Loaded {
  ConversionSettings settings;
  std::string folder;
  std::string version;
};

Loaded Load(const std::string& directory) {
  Loaded loaded;
  loaded.settings.volume = -12345;  // must be overwritten
  loaded.folder = "stale";
  LoadSettingsFrom(directory, loaded.settings, loaded.folder, loaded.version);
  return loaded;
}

Loaded LoadText(std::string_view optionIni) {
  ScratchDir dir;
  WriteBytes(dir.File("option.ini"), optionIni);
  return Load(dir.Directory());
}

TEST(SettingsStore, FirstRunUsesDefaultsAndSavesAllKeys) {
  ScratchDir dir;
  const Loaded loaded = Load(dir.Directory());
  EXPECT_EQ(loaded.settings.outputFormat, kFormatAvi);
  EXPECT_EQ(loaded.settings.aviQuality, 4);
  EXPECT_EQ(loaded.settings.letterbox, 1);
  EXPECT_EQ(loaded.settings.volume, 20);
  EXPECT_EQ(loaded.settings.tvMode, kTvNtsc);
  EXPECT_EQ(loaded.settings.mpegAspectRatio, 2);
  EXPECT_EQ(loaded.settings.dvdAspectRatio, 1);
  EXPECT_EQ(loaded.settings.asfVideoCodec, 2);
  EXPECT_EQ(loaded.settings.wmvAudioCodec, 1);
  EXPECT_EQ(loaded.settings.asfAudioCodec, 1);
  EXPECT_EQ(loaded.settings.dvdQuality, 5);
  EXPECT_EQ(loaded.settings, DefaultConversionSettings());
  EXPECT_EQ(loaded.folder, "C:\\output video\\");
  EXPECT_EQ(loaded.version, "1.00");

  ASSERT_TRUE(SaveSettingsTo(dir.Directory(), loaded.settings, loaded.folder));
  EXPECT_EQ(ReadBytes(dir.File("option.ini")), kDefaultFile);
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"option.ini"});

  // An existing file of the same content is rewritten unchanged.
  ASSERT_TRUE(SaveSettingsTo(dir.Directory(), loaded.settings, loaded.folder));
  EXPECT_EQ(ReadBytes(dir.File("option.ini")), kDefaultFile);
}

// Files written before the disc and loudness keys existed load their
// defaults and gain them when saved.
TEST(SettingsStore, AFileWithoutTheLaterKeysLoadsTheirDefaults) {
  ScratchDir dir;
  WriteBytes(dir.File("option.ini"), "[Destinate]\r\nOutput format=7\r\nVolume=25\r\n");
  const Loaded loaded = Load(dir.Directory());
  EXPECT_EQ(loaded.settings.outputFormat, kFormatDvd);
  EXPECT_EQ(loaded.settings.fitToDisc, 0);
  EXPECT_EQ(loaded.settings.discSize, 1);
  EXPECT_EQ(loaded.settings.normalizeLoudness, 0);
  EXPECT_EQ(loaded.settings.mp4Quality, 4);
  EXPECT_EQ(loaded.settings.mp4Resolution, 0);
  EXPECT_EQ(loaded.settings.mp4FrameRate, 0);
  ASSERT_TRUE(SaveSettingsTo(dir.Directory(), loaded.settings, loaded.folder));
  EXPECT_NE(ReadBytes(dir.File("option.ini"))
                .find("\r\nFit to disc=0\r\nDisc size=1\r\nNormalize loudness=0\r\n"
                      "MP4 quality=4\r\nMP4 resolution=0\r\nMP4 frame rate=0\r\n"),
            std::string::npos);
}

TEST(SettingsStore, EveryValueRoundTrips) {
  ScratchDir dir;
  ConversionSettings settings;
  int n = 0;
  for (const SettingKey& key : kSettingKeys)
    if (key.field) settings.*key.field = ++n * 3 - 40;  // distinct, some negative
  settings.volume = std::numeric_limits<std::int32_t>::min();
  settings.letterbox = std::numeric_limits<std::int32_t>::max();
  const std::string folder = "D:\\Videos\\Out Folder\\";
  ASSERT_TRUE(SaveSettingsTo(dir.Directory(), settings, folder));
  const Loaded loaded = Load(dir.Directory());
  EXPECT_EQ(loaded.settings, settings);
  EXPECT_EQ(loaded.folder, folder);
  EXPECT_NE(ReadBytes(dir.File("option.ini")).find("\r\nVolume=-2147483648\r\n"), std::string::npos);
}

TEST(SettingsStore, TextToNumber) {
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  const std::pair<std::string, std::int32_t> cases[] = {
      {"42", 42}, {"  \t+12", 12}, {"\n-3", -3}, {"7x", 7}, {"007", 7}, {"abc", 0}, {"", 0}, {"-", 0},
      {"- 5", 0}, {"0x10", 0}, {"1.9", 1}, {"2147483647", 2147483647}, {"-2147483648", kMin},
      {"2147483648", 2147483647}, {"-2147483649", kMin}, {std::string(5000, '9'), 2147483647},
      {"-" + std::string(5000, '9'), kMin}};
  for (const auto& [text, number] : cases) EXPECT_EQ(ParseSettingInteger(text), number) << text.substr(0, 20);
}

TEST(SettingsStore, OddValuesInTheFile) {
  const Loaded loaded = LoadText(
      "[Destinate]\n"
      "Volume=\n"
      "Temporary folder=\n"
      "Output format=-1\n"
      "AVI quality=7x\n"
      "TV mode=abc\n"
      "DVD quality=\"3\"\n"
      "MPEG resolution=  99  \n");
  EXPECT_EQ(loaded.settings.volume, 0);
  EXPECT_EQ(loaded.folder, "");
  EXPECT_EQ(loaded.settings.outputFormat, -1);
  EXPECT_EQ(loaded.settings.aviQuality, 7);
  EXPECT_EQ(loaded.settings.tvMode, 0);
  EXPECT_EQ(loaded.settings.dvdQuality, 3);
  EXPECT_EQ(loaded.settings.mpegResolution, 99);
  EXPECT_EQ(loaded.settings.letterbox, 1) << "absent keys keep their defaults";

  ScratchDir dir;
  ASSERT_TRUE(SaveSettingsTo(dir.Directory(), loaded.settings, loaded.folder));
  const std::string written = ReadBytes(dir.File("option.ini"));
  EXPECT_NE(written.find("\r\nOutput format=-1\r\n"), std::string::npos);
  EXPECT_NE(written.find("\r\nTemporary folder=\r\n"), std::string::npos);
  EXPECT_NE(written.find("\r\nAVI quality=7\r\n"), std::string::npos);
}

TEST(SettingsStore, OutputFolderIsAtMost255Characters) {
  const std::string longFolder = "C:\\" + std::string(297, 'f');
  EXPECT_EQ(LoadText("[Destinate]\nTemporary folder=" + longFolder + "\n").folder, longFolder.substr(0, 255));

  std::string accented = "D:\\";
  while (accented.size() < 700) accented += "\xC3\xA9";  // é
  const std::string loaded = LoadText("[Destinate]\nTemporary folder=" + accented + "\n").folder;
  EXPECT_EQ(loaded, accented.substr(0, 3 + 2 * 252));

  ScratchDir dir;
  ASSERT_TRUE(SaveSettingsTo(dir.Directory(), DefaultConversionSettings(), longFolder));
  EXPECT_EQ(Load(dir.Directory()).folder, longFolder.substr(0, 255));
}

TEST(SettingsStore, SavingKeepsEverythingElse) {
  ScratchDir dir;
  // The keys a save appends go between these two parts.
  const std::string head =
      "; written by hand\r\n"
      "[General]\r\n"
      "Volume=99\r\n"
      "\r\n"
      "[destinate]\r\n"
      "VOLUME=5\r\n"
      "Unknown key=stays\r\n"
      "volume=6\r\n";
  const std::string tail =
      "\r\n"
      "[Destinate]\r\n"
      "Letterbox=0\r\n"
      "[Tail]\r\n"
      "x=y\r\n";
  WriteBytes(dir.File("option.ini"), head + tail);
  const Loaded loaded = Load(dir.Directory());
  EXPECT_EQ(loaded.settings.volume, 5) << "first key of the first section";
  EXPECT_EQ(loaded.settings.letterbox, 1) << "a later section of the same name is not read";

  ASSERT_TRUE(SaveSettingsTo(dir.Directory(), loaded.settings, loaded.folder));
  const std::string written = ReadBytes(dir.File("option.ini"));
  std::string expected = head;
  // The other keys follow, appended in table order.
  for (std::string_view line : {"Letterbox=1", "Temporary folder=C:\\output video\\", "Output format=0",
                                "TV mode=0", "MPEG aspect ratio=2", "DVD aspect ratio=1", "AVI quality=4",
                                "MPEG1 quality=3", "MPEG2 quality=3", "SVCD quality=4", "DVD quality=5",
                                "WMV quality=5", "AVI video codec=0", "ASF video codec=2", "AVI audio codec=0",
                                "Divx audio codec=0", "Xvid audio codec=0", "DVD audio codec=0",
                                "WMV audio codec=1", "ASF audio codec=1", "AVI resolution=0",
                                "MPEG resolution=0", "AVI frame rate=0", "MPEG frame rate=0", "Fit to disc=0",
                                "Disc size=1", "Normalize loudness=0", "MP4 quality=4", "MP4 resolution=0",
                                "MP4 frame rate=0"}) {
    expected += std::string(line) + "\r\n";
  }
  EXPECT_EQ(written, expected + tail);
}

TEST(SettingsStore, VersionText) {
  ScratchDir dir;
  EXPECT_EQ(Load(dir.Directory()).version, "1.00");
  WriteBytes(dir.File("version.ini"), "[general]\r\nversion = 2.31 beta \r\n");
  EXPECT_EQ(Load(dir.Directory()).version, "2.31 beta");
  WriteBytes(dir.File("version.ini"), "[General]\r\nVersion=\r\n");
  EXPECT_EQ(Load(dir.Directory()).version, "");
  WriteBytes(dir.File("version.ini"), "[General]\r\nVersion=" + std::string(400, 'v') + "\r\n");
  EXPECT_EQ(Load(dir.Directory()).version, std::string(255, 'v'));
}

TEST(SettingsStore, EngineTextOfVersionIni) {
  ScratchDir dir;
  EXPECT_EQ(ReadEngineText(dir.Directory()), "");
  WriteBytes(dir.File("version.ini"), "[General]\r\nVersion=1.0.0\r\nEngine=FFmpeg 5.1.9-0+deb12u1\r\n");
  EXPECT_EQ(ReadEngineText(dir.Directory()), "FFmpeg 5.1.9-0+deb12u1");
  EXPECT_EQ(Load(dir.Directory()).version, "1.0.0");
}

TEST(SettingsStore, UnusableFilesGiveDefaults) {
  std::mt19937 random(7);
  std::string binary(1 << 16, '\0');
  for (char& c : binary) c = static_cast<char>(random());
  std::string huge;
  while (huge.size() < (10 << 20)) huge += "[Destinate]\r\nVolume=" + std::to_string(huge.size()) + "\r\n";

  for (const std::string& content : {binary, std::string(1000, '\0'), std::string("\xFF\xFE\x00", 3), huge}) {
    ScratchDir dir;
    WriteBytes(dir.File("option.ini"), content);
    WriteBytes(dir.File("version.ini"), content);
    const Loaded loaded = Load(dir.Directory());
    if (content != huge) {
      EXPECT_EQ(loaded.settings, DefaultConversionSettings());
    }
    EXPECT_LE(loaded.folder.size(), 255u);
    ASSERT_TRUE(SaveSettingsTo(dir.Directory(), loaded.settings, loaded.folder));
    EXPECT_EQ(Load(dir.Directory()).settings, loaded.settings);
  }

  // A folder where option.ini should be: defaults, and nothing is written.
  ScratchDir dir;
  std::filesystem::create_directory(testing::PathFromUtf8(dir.File("option.ini")));
  EXPECT_EQ(Load(dir.Directory()).settings, DefaultConversionSettings());
  EXPECT_FALSE(SaveSettingsTo(dir.Directory(), DefaultConversionSettings(), "x"));
  EXPECT_TRUE(IsDirectory(dir.File("option.ini")));
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"option.ini"});
}

TEST(SettingsStore, OlderProgramsAnsiText) {
  // Windows-1252 "Vidéos" and "Müller".
  const Loaded loaded = LoadText("[Destinate]\r\nTemporary folder=C:\\Vid\xE9os\\M\xFCller\\\r\n");
  EXPECT_EQ(loaded.folder, "C:\\Vid\xC3\xA9os\\M\xC3\xBCller\\");
}

TEST(SettingsStore, NonAsciiPathsAndFolders) {
  ScratchDir dir("Vid\xC3\xA9os & M\xC3\xBCller %PATH% !x! ^ \xE2\x82\xAC");
  ConversionSettings settings = DefaultConversionSettings();
  settings.outputFormat = kFormatDvd;
  const std::string folder = "E:\\Fil\xC3\xA9s & \"Co\" 100% !^\\ \xE6\x97\xA5\xE6\x9C\xAC\\";
  ASSERT_TRUE(SaveSettingsTo(dir.Directory(), settings, folder));
  const Loaded loaded = Load(dir.Directory());
  EXPECT_EQ(loaded.settings, settings);
  EXPECT_EQ(loaded.folder, folder);

  for (const std::string odd : {" leading blank", "'quoted'", "\"C:\\x\""}) {
    ASSERT_TRUE(SaveSettingsTo(dir.Directory(), settings, odd));
    EXPECT_EQ(Load(dir.Directory()).folder, odd);
  }
}

TEST(SettingsStore, FailedSaveKeepsTheOldFile) {
  ScratchDir dir;
  const std::string file = dir.File("option.ini");
  const std::string old = "[Destinate]\r\nVolume=33\r\n[Mine]\r\nkeep=1\r\n";
  WriteBytes(file, old);
  // The temporary file cannot be created.
  const std::string blocker = TemporaryPathFor(file);
  std::filesystem::create_directory(testing::PathFromUtf8(blocker));
  ConversionSettings settings = DefaultConversionSettings();
  settings.volume = 1;
  EXPECT_FALSE(SaveSettingsTo(dir.Directory(), settings, "F:\\"));
  EXPECT_EQ(ReadBytes(file), old);
  EXPECT_EQ(dir.Entries().size(), 2u);
  std::filesystem::remove(testing::PathFromUtf8(blocker));

  EXPECT_TRUE(SaveSettingsTo(dir.Directory(), settings, "F:\\"));
  EXPECT_EQ(Load(dir.Directory()).settings.volume, 1);
  EXPECT_NE(ReadBytes(file).find("[Mine]\r\nkeep=1\r\n"), std::string::npos);
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"option.ini"});
}

#ifndef _WIN32
TEST(SettingsStore, ReadOnlyFolderKeepsTheOldFile) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
  ScratchDir dir;
  const std::string file = dir.File("option.ini");
  WriteBytes(file, "[Destinate]\r\nVolume=33\r\n");
  std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  EXPECT_FALSE(SaveSettingsTo(dir.Directory(), DefaultConversionSettings(), "x"));
  EXPECT_EQ(ReadBytes(file), "[Destinate]\r\nVolume=33\r\n");
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"option.ini"});
}
#endif

TEST(SettingsStore, PathLimitOfFilesBesideTheProgram) {
  const std::string dir245 = "C:\\" + std::string(241, 'd') + "\\";
  ASSERT_EQ(dir245.size(), 245u);
  EXPECT_EQ(FileBesideProgram(dir245, "option.ini"), dir245 + "option.ini");
  EXPECT_EQ(FileBesideProgram(dir245 + "x", "option.ini"), std::nullopt);
  EXPECT_EQ(FileBesideProgram("", "option.ini"), std::nullopt);

#ifndef _WIN32
  // A real folder too deep for the limit: defaults, and nothing is written.
  // (Natively only: under Wine, folders past MAX_PATH made through
  // std::filesystem once hung a whole test run.)
  ScratchDir dir;
  std::string deep = dir.Directory();
  while (deep.size() < 260) {
    deep += std::string(30, 'd') + static_cast<char>(std::filesystem::path::preferred_separator);
    std::filesystem::create_directory(testing::PathFromUtf8(deep));
  }
  EXPECT_FALSE(SaveSettingsTo(deep, DefaultConversionSettings(), "x"));
  EXPECT_FALSE(PathExists(deep + "option.ini"));
  EXPECT_EQ(Load(deep).settings, DefaultConversionSettings());
#endif
}

TEST(SettingsStore, ProgramFormsReadBesideTheProgram) {
  // Only reads: whatever lies beside the test program gives a sane result.
  std::string folder = "stale";
  LoadSettings(folder);
  EXPECT_LE(folder.size(), 255u * 4);
  EXPECT_FALSE(g_versionText.empty() && folder == "stale");
}

}  // namespace
}  // namespace velto
