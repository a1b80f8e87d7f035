// Our INI reading and writing against the platform's own profile calls.
#include <windows.h>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "base/file_system.h"
#include "base/text_encoding.h"
#include "settings/ini_file.h"
#include "settings/settings_store.h"
#include "tests/support/scratch_dir.h"

namespace velto {
namespace {

using testing::ScratchDir;

constexpr std::string_view kAbsent = "<absent>";

std::string PlatformGet(const std::string& file, std::string_view section, std::string_view key) {
  wchar_t buffer[256] = {};
  GetPrivateProfileStringW(Utf8ToWide(section).c_str(), Utf8ToWide(key).c_str(), Utf8ToWide(kAbsent).c_str(),
                           buffer, 256, Utf8ToWide(file).c_str());
  return WideToUtf8(buffer);
}

void PlatformSet(const std::string& file, std::string_view section, std::string_view key, std::string_view value) {
  ASSERT_TRUE(WritePrivateProfileStringW(Utf8ToWide(section).c_str(), Utf8ToWide(key).c_str(),
                                         Utf8ToWide(value).c_str(), Utf8ToWide(file).c_str()))
      << section << "/" << key;
}

void PlatformFlush(const std::string& file) { WritePrivateProfileStringW(nullptr, nullptr, nullptr, Utf8ToWide(file).c_str()); }

using Query = std::pair<std::string, std::string>;

const std::vector<Query> kQueries = {
    {"Destinate", "Volume"},   {"destinate", "VOLUME"},  {"Destinate", "Temporary folder"},
    {"Destinate", "Empty"},    {"Destinate", "Spaced"},  {"Destinate", "Double"},
    {"Destinate", "Single"},   {"Destinate", "Missing"}, {"Other", "Volume"},
    {"OTHER", "other key"},    {"Missing", "Volume"},    {"Destinate", "Letterbox"},
    {"Destinate", "Inner"},    {"Destinate", "Half"},      {"Spaced", "k"},
    {"Tabbed", "k"},           {"Dup", "k"},             {"Dup", "j"},
    {"Dup", "dup key"},
};

// What both sides write into [Destinate]: blanks and quotes that must come
// back as they went in.
const std::vector<std::pair<const char*, const char*>> kWritten = {
    {"Volume", "20"}, {"Temporary folder", "C:\\output video\\"}, {"Empty", ""}, {"Spaced", "  two  blanks  "},
    {"Double", "\"q\""}, {"Single", "'s'"}, {"Inner", "a \"b\" c"}, {"Half", "\"open"},
};

void ExpectSameReading(const std::string& file) {
  const IniFile ours = IniFile::Parse(ReadWholeFile(file).value_or(""));
  for (const auto& [section, key] : kQueries)
    EXPECT_EQ(ours.GetString(section, key, kAbsent), PlatformGet(file, section, key)) << section << "/" << key;
}

TEST(ProfileCrossCheck, PlatformReadsWhatWeWrite) {
  ScratchDir dir;
  const std::string file = dir.File("ours.ini");
  IniFile ini = IniFile::Parse(
      "; comment\r\n[Other]\r\nVolume=1\r\nother key = spaced out \r\n\r\n"
      "[ Spaced ]\r\nk=1\r\n[Tabbed]  \t\r\n\tk\t=\t2\t\r\n"
      "[Dup]\r\nk=1\r\ndup key=a\r\nDUP KEY=b\r\n[dup]\r\nk=2\r\nj=3\r\n");
  for (const auto& [key, value] : kWritten) ASSERT_TRUE(ini.Set("Destinate", key, value)) << key;
  ASSERT_TRUE(ini.Set("DESTINATE", "volume", "-7"));  // same key, other case
  ASSERT_TRUE(ReplaceFileAtomically(file, ini.Serialize()));
  ExpectSameReading(file);
  EXPECT_EQ(PlatformGet(file, "Destinate", "Spaced"), "  two  blanks  ");
  EXPECT_EQ(PlatformGet(file, "Destinate", "Double"), "\"q\"");
  EXPECT_EQ(PlatformGet(file, "destinate", "volume"), "-7");

  // A whole settings file as the program saves it.
  ConversionSettings settings = DefaultConversionSettings();
  settings.outputFormat = -1;
  settings.volume = 33;
  ASSERT_TRUE(SaveSettingsTo(dir.Directory(), settings, "D:\\My Videos\\"));
  const std::string optionIni = dir.File("option.ini");
  for (const SettingKey& key : kSettingKeys) {
    const std::string expected = key.field ? std::to_string(settings.*key.field) : "D:\\My Videos\\";
    EXPECT_EQ(PlatformGet(optionIni, "Destinate", key.name), expected) << key.name;
  }
}

TEST(ProfileCrossCheck, WeReadWhatThePlatformWrites) {
  ScratchDir dir;
  const std::string file = dir.File("platform.ini");
  PlatformSet(file, "Other", "Volume", "1");
  PlatformSet(file, "Other", "other key", "  spaced out  ");
  for (const auto& [key, value] : kWritten) PlatformSet(file, "Destinate", key, value);
  PlatformSet(file, "destinate", "VOLUME", "5");  // same key, other case
  PlatformFlush(file);
  ExpectSameReading(file);
  EXPECT_EQ(PlatformGet(file, "Destinate", "Volume"), "5");

  // Our settings from a file the platform wrote, and our save keeping it.
  const std::string optionIni = dir.File("option.ini");
  PlatformSet(optionIni, "Destinate", "Volume", "7");
  PlatformSet(optionIni, "Destinate", "AVI quality", "2x");
  PlatformSet(optionIni, "Destinate", "Temporary folder", "E:\\Out\\");
  PlatformSet(optionIni, "Mine", "Keep", "yes");
  PlatformFlush(optionIni);
  ConversionSettings settings;
  std::string folder, version;
  LoadSettingsFrom(dir.Directory(), settings, folder, version);
  EXPECT_EQ(settings.volume, 7);
  EXPECT_EQ(settings.aviQuality, 2);
  EXPECT_EQ(settings.letterbox, 1);
  EXPECT_EQ(folder, "E:\\Out\\");
  settings.volume = 8;
  ASSERT_TRUE(SaveSettingsTo(dir.Directory(), settings, folder));
  EXPECT_EQ(PlatformGet(optionIni, "Destinate", "Volume"), "8");
  EXPECT_EQ(PlatformGet(optionIni, "Destinate", "AVI quality"), "2");
  EXPECT_EQ(PlatformGet(optionIni, "Mine", "Keep"), "yes");
}

}  // namespace
}  // namespace velto
