// option.ini files as users' disks hold them: garbage, binary bytes, a huge
// file, duplicate sections and keys, values out of every range. Loading never
// fails and gives the stated values; saving keeps the rest of the file and
// leaves either the old file or a complete new one.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <random>
#include <string>

#include "settings/conversion_settings.h"
#include "settings/ini_file.h"
#include "settings/settings_store.h"
#include "tests/support/scratch_dir.h"

namespace velto {
namespace {

using testing::ReadBytes;
using testing::ScratchDir;
using testing::WriteBytes;

struct Loaded {
  ConversionSettings settings;
  std::string folder;
  std::string version;
};

Loaded Load(const ScratchDir& dir) {
  Loaded loaded;
  LoadSettingsFrom(dir.Directory(), loaded.settings, loaded.folder, loaded.version);
  return loaded;
}

std::string RandomBytes(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
  return bytes;
}

// Saving the loaded values and loading them again gives the same values.
void ExpectRoundTrip(const ScratchDir& dir, const Loaded& loaded) {
  ASSERT_TRUE(SaveSettingsTo(dir.Directory(), loaded.settings, loaded.folder));
  const Loaded again = Load(dir);
  EXPECT_EQ(again.settings, loaded.settings);
  EXPECT_EQ(again.folder, loaded.folder);
}

TEST(SettingsCorpus, GarbageAndBinaryFilesLoadAsDefaultsAndSaveCleanly) {
  const ConversionSettings defaults = DefaultConversionSettings();
  const std::string cases[] = {
      "",
      "this is not an ini file at all\n<<<>>>\n==\n[\n]\n[[]]\n=value only\n",
      RandomBytes(4096, 1),
      RandomBytes(65536, 2),
      std::string(1000, '\0'),
      std::string("\xFF\xFE", 2) + RandomBytes(777, 3),  // a UTF-16 mark on odd garbage
      std::string("\xEF\xBB\xBF", 3) + "[Destinate\nVolume\n",
      std::string(300000, '['),
      std::string(300000, '\n'),
  };
  int number = 0;
  for (const std::string& content : cases) {
    SCOPED_TRACE("case " + std::to_string(number++));
    ScratchDir dir("settings corpus");
    WriteBytes(dir.File("option.ini"), content);
    const Loaded loaded = Load(dir);
    if (content.find("Destinate") == std::string::npos) {
      EXPECT_EQ(loaded.settings, defaults);
      EXPECT_EQ(loaded.folder, std::string(kDefaultOutputFolder));
    }
    ExpectRoundTrip(dir, loaded);
    // The saved file reads back with every key.
    const IniFile saved = IniFile::Parse(ReadBytes(dir.File("option.ini")));
    for (const SettingKey& key : kSettingKeys) {
      EXPECT_TRUE(saved.Get(kSettingsSection, key.name).has_value()) << key.name;
    }
  }
}

TEST(SettingsCorpus, TheValuesOfABinaryFileWithARealSectionInsideAreRead) {
  ScratchDir dir;
  const std::string content = RandomBytes(5000, 7) + "\r\n[Destinate]\r\nVolume=33\r\nOutput format=8\r\n" +
                              RandomBytes(5000, 8);
  WriteBytes(dir.File("option.ini"), content);
  const Loaded loaded = Load(dir);
  EXPECT_EQ(loaded.settings.volume, 33);
  EXPECT_EQ(loaded.settings.outputFormat, 8);
  ExpectRoundTrip(dir, loaded);
}

TEST(SettingsCorpus, ATenMegabyteFileLoadsAndSavingKeepsItsContent) {
  ScratchDir dir;
  std::string content = "[Destinate]\r\nVolume=7\r\n[Bulk]\r\n";
  const std::string line = "key=" + std::string(90, 'x') + "\r\n";
  while (content.size() < (10u << 20)) content += line;
  WriteBytes(dir.File("option.ini"), content);
  const Loaded loaded = Load(dir);
  EXPECT_EQ(loaded.settings.volume, 7);
  ASSERT_TRUE(SaveSettingsTo(dir.Directory(), loaded.settings, loaded.folder));
  const std::string saved = ReadBytes(dir.File("option.ini"));
  EXPECT_GE(saved.size(), content.size());
  EXPECT_NE(saved.find("[Bulk]\r\n" + line + line), std::string::npos);
  EXPECT_EQ(saved.substr(saved.size() - line.size()), line);
}

TEST(SettingsCorpus, DuplicateSectionsAndKeysTakeTheFirstAndKeepTheRest) {
  ScratchDir dir;
  const std::string content =
      "[destinate]\r\nVolume=5\r\nVOLUME=6\r\nOther=keep\r\n"
      "[Destinate]\r\nVolume=9\r\nOutput format=3\r\n"
      "[Mine]\r\nVolume=1\r\n";
  WriteBytes(dir.File("option.ini"), content);
  Loaded loaded = Load(dir);
  EXPECT_EQ(loaded.settings.volume, 5);
  EXPECT_EQ(loaded.settings.outputFormat, 0);  // only the first section counts
  loaded.settings.volume = 11;
  ASSERT_TRUE(SaveSettingsTo(dir.Directory(), loaded.settings, loaded.folder));
  const std::string saved = ReadBytes(dir.File("option.ini"));
  EXPECT_NE(saved.find("Volume=11\r\n"), std::string::npos);
  EXPECT_NE(saved.find("VOLUME=6\r\nOther=keep\r\n"), std::string::npos);
  EXPECT_NE(saved.find("[Destinate]\r\nVolume=9\r\nOutput format=3\r\n"), std::string::npos);
  EXPECT_NE(saved.find("[Mine]\r\nVolume=1\r\n"), std::string::npos);
  EXPECT_EQ(Load(dir).settings.volume, 11);
}

TEST(SettingsCorpus, ValuesOutOfEveryRangeLoadAsWrittenAndSaveUnchanged) {
  const struct {
    const char* text;
    std::int32_t value;
  } values[] = {
      {"-1", -1},           {"2147483647", INT_MAX}, {"-2147483648", INT_MIN}, {"99999999999999999999", INT_MAX},
      {"-99999999999999999999", INT_MIN}, {"  +12abc", 12}, {"abc", 0}, {"", 0}, {"0x10", 0}, {"1e9", 1},
      {"\x01\x02", 0},      {"--5", 0},
  };
  for (const auto& value : values) {
    SCOPED_TRACE(value.text);
    ScratchDir dir;
    std::string content = "[Destinate]\r\n";
    for (const SettingKey& key : kSettingKeys) {
      if (key.field) content += std::string(key.name) + "=" + value.text + "\r\n";
    }
    WriteBytes(dir.File("option.ini"), content);
    const Loaded loaded = Load(dir);
    for (const SettingKey& key : kSettingKeys) {
      if (key.field) {
        EXPECT_EQ(loaded.settings.*key.field, value.value) << key.name;
      }
    }
    ExpectRoundTrip(dir, loaded);
    const std::string saved = ReadBytes(dir.File("option.ini"));
    EXPECT_NE(saved.find("Volume=" + std::to_string(value.value) + "\r\n"), std::string::npos) << saved;
  }
}

TEST(SettingsCorpus, AnOverlongFolderIsCutAndAFolderWithLineBreaksCannotInjectKeys) {
  ScratchDir dir;
  WriteBytes(dir.File("option.ini"), "[Destinate]\r\nTemporary folder=C:\\" + std::string(400, 'f') + "\r\n");
  Loaded loaded = Load(dir);
  EXPECT_EQ(loaded.folder.size(), kOutputFolderLimit);
  loaded.folder = "C:\\out\r\n[Destinate]\r\nVolume=40\r\nOutput format=9";
  ASSERT_TRUE(SaveSettingsTo(dir.Directory(), loaded.settings, loaded.folder));
  const Loaded again = Load(dir);
  EXPECT_EQ(again.settings, loaded.settings);
  EXPECT_EQ(again.folder.find('\n'), std::string::npos);
  EXPECT_EQ(again.folder.rfind("C:\\out", 0), 0u);
}

TEST(SettingsCorpus, AnUnreadableOrFolderShapedOptionFileIsNeverReplaced) {
  ScratchDir dir;
  std::filesystem::create_directories(dir.path() / "option.ini");
  const Loaded loaded = Load(dir);
  EXPECT_EQ(loaded.settings, DefaultConversionSettings());
  EXPECT_FALSE(SaveSettingsTo(dir.Directory(), loaded.settings, loaded.folder));
  EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "option.ini"));
  // No temporary file is left beside it.
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"option.ini"});
}

}  // namespace
}  // namespace velto
