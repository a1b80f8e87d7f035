#include "settings/ini_file.h"

#include <gtest/gtest.h>

#include <chrono>
#include <initializer_list>
#include <random>
#include <utility>

namespace velto {
namespace {

constexpr std::string_view kAbsent = "<absent>";

std::string Get(const IniFile& ini, std::string_view section, std::string_view key) {
  return ini.GetString(section, key, kAbsent);
}

// Each {key, value} reads back from the section as that value (or kAbsent).
void ExpectValues(const IniFile& ini, std::string_view section,
                  std::initializer_list<std::pair<std::string_view, std::string_view>> values) {
  for (const auto& [key, value] : values) EXPECT_EQ(Get(ini, section, key), value) << "[" << section << "] " << key;
}

TEST(IniFile, NamesIgnoreCaseAndBlanksAndTheFirstOccurrenceCounts) {
  const IniFile ini = IniFile::Parse(
      "top=before any section\n"
      "[Destinate]\n"
      "  Volume  =  7  \n"
      "volume=8\n"
      "[other]\n"
      "Volume=9\n"
      "[DESTINATE]\n"
      "Volume=10\n"
      "Letterbox=0\n"
      "[ Spaced ]\n"
      "k=v\n");
  EXPECT_EQ(Get(ini, "Destinate", "Volume"), "7");
  EXPECT_EQ(Get(ini, "destinate", "VOLUME"), "7");
  EXPECT_EQ(Get(ini, " Destinate ", " Volume "), "7");
  EXPECT_EQ(Get(ini, "Other", "volume"), "9");
  // Only the first section of a name is read.
  EXPECT_EQ(Get(ini, "Destinate", "Letterbox"), kAbsent);
  EXPECT_EQ(Get(ini, "Spaced", "k"), "v");
  EXPECT_EQ(Get(ini, "", "top"), kAbsent);
  EXPECT_EQ(Get(ini, "Destinate", ""), kAbsent);
}

TEST(IniFile, DefaultOnlyForAbsentKeys) {
  const IniFile ini = IniFile::Parse(
      "[S]\n"
      "empty=\n"
      "blanks=   \n"
      "no equals sign\n"
      "; comment=1\n"
      "=nameless\n");
  ExpectValues(ini, "S", {{"empty", ""}, {"blanks", ""}, {"no equals sign", kAbsent}, {"; comment", kAbsent},
                          {"missing", kAbsent}});
  EXPECT_EQ(Get(ini, "Missing", "empty"), kAbsent);
  EXPECT_EQ(ini.Get("S", "empty"), std::optional<std::string>(""));
  EXPECT_EQ(ini.Get("S", "missing"), std::nullopt);
  EXPECT_EQ(Get(IniFile{}, "S", "k"), kAbsent);
}

TEST(IniFile, MatchingQuotesAreTakenOff) {
  const IniFile ini = IniFile::Parse(
      "[Q]\n"
      "double=\"  a b  \"\n"
      "single='x'\n"
      "mixed=\"x'\n"
      "lone=\"\n"
      "pair=\"\"\n"
      "inner=a \"b\" c\n"
      "nested=\"'y'\"\n"
      "open=\"abc\n");
  ExpectValues(ini, "Q",
               {{"double", "  a b  "}, {"single", "x"}, {"mixed", "\"x'"}, {"lone", "\""}, {"pair", ""},
                {"inner", "a \"b\" c"}, {"nested", "'y'"}, {"open", "\"abc"}});
}

TEST(IniFile, ValuesAreCutAt255CharactersOnACharacterBoundary) {
  const std::string ascii(300, 'a');
  std::string accented;
  for (int i = 0; i < 300; ++i) accented += "\xC3\xA9";  // é
  const IniFile ini = IniFile::Parse("[S]\nascii=" + ascii + "\naccented=" + accented +
                                     "\nmixed=a" + accented + "\n");
  EXPECT_EQ(Get(ini, "S", "ascii"), std::string(255, 'a'));
  EXPECT_EQ(Get(ini, "S", "accented"), accented.substr(0, 510));
  EXPECT_EQ(Get(ini, "S", "mixed"), "a" + accented.substr(0, 508));
  EXPECT_EQ(ini.GetString("S", "missing", ascii), std::string(255, 'a'));
}

TEST(IniFile, EncodingsAndLineEnds) {
  EXPECT_EQ(Get(IniFile::Parse("\xEF\xBB\xBF[S]\r\nk=v\r\n"), "S", "k"), "v");
  EXPECT_EQ(Get(IniFile::Parse("[S]\rk=v\rj=w"), "S", "j"), "w");
  EXPECT_EQ(Get(IniFile::Parse("[S]\nk=v"), "S", "k"), "v");
  EXPECT_EQ(Get(IniFile::Parse("[S]\r\n\r\n\nk=v\r\n"), "S", "k"), "v");

  // UTF-16LE with BOM: "[S]\r\nk=Müller €\r\n".
  const std::u16string wide = u"[S]\r\nk=M\u00FCller \u20AC \U0001F600\r\n";
  std::string bytes = "\xFF\xFE";
  for (const char16_t c : wide) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  const IniFile utf16 = IniFile::Parse(bytes);
  EXPECT_EQ(Get(utf16, "S", "k"), "M\xC3\xBCller \xE2\x82\xAC \xF0\x9F\x98\x80");
  EXPECT_EQ(utf16.Serialize().substr(0, 5), "[S]\r\n") << "written back as UTF-8 without BOM";

  // An older program's ANSI text (Windows-1252 "Vidéos").
  EXPECT_EQ(Get(IniFile::Parse("[S]\nk=C:\\Vid\xE9os\\\n"), "S", "k"), "C:\\Vid\xC3\xA9os\\");
  // UTF-8 stays as it is.
  EXPECT_EQ(Get(IniFile::Parse("[S]\nk=C:\\Vid\xC3\xA9os\\\n"), "S", "k"), "C:\\Vid\xC3\xA9os\\");
}

TEST(IniFile, SetReplacesInPlaceAndKeepsEveryOtherLine) {
  IniFile ini = IniFile::Parse(
      "; settings\n"
      "[Other]\n"
      "Volume=1\n"
      "\n"
      "[Destinate]\n"
      "  volume = 5 \n"
      "Unknown=keep me\n"
      "# note\n"
      "\n"
      "[Last]\n"
      "x=y");
  EXPECT_TRUE(ini.Set("DESTINATE", "Volume", "20"));
  EXPECT_TRUE(ini.Set("Destinate", "Letterbox", "1"));
  EXPECT_TRUE(ini.Set("Destinate", "letterbox", "0"));  // the appended key again
  EXPECT_TRUE(ini.Set("New", "a", "b"));
  EXPECT_TRUE(ini.Set("new", "A", "c"));
  EXPECT_EQ(ini.Serialize(),
            "; settings\r\n"
            "[Other]\r\n"
            "Volume=1\r\n"
            "\r\n"
            "[Destinate]\r\n"
            "volume=20\r\n"
            "Unknown=keep me\r\n"
            "# note\r\n"
            "Letterbox=0\r\n"
            "\r\n"
            "[Last]\r\n"
            "x=y\r\n"
            "[New]\r\n"
            "a=c\r\n");
  ExpectValues(ini, "Destinate", {{"VOLUME", "20"}, {"Letterbox", "0"}});
  EXPECT_EQ(Get(ini, "NEW", "a"), "c");
}

TEST(IniFile, SetOnEmptyDocumentAndDuplicates) {
  IniFile empty;
  EXPECT_TRUE(empty.Set("Destinate", "Volume", "20"));
  EXPECT_TRUE(empty.Set("Destinate", "TV mode", ""));
  EXPECT_EQ(empty.Serialize(), "[Destinate]\r\nVolume=20\r\nTV mode=\r\n");

  // The first section and the first key of a name are the ones written.
  IniFile dup = IniFile::Parse("[S]\nk=1\nk=2\n[s]\nk=3\nj=4\n");
  EXPECT_TRUE(dup.Set("S", "k", "x"));
  EXPECT_TRUE(dup.Set("S", "j", "y"));
  EXPECT_EQ(dup.Serialize(), "[S]\r\nk=x\r\nk=2\r\nj=y\r\n[s]\r\nk=3\r\nj=4\r\n");
}

TEST(IniFile, WrittenValuesReadBackAsThemselves) {
  const std::string values[] = {
      "",          "plain",      "  leading",    "trailing  ", "'quoted'",  "\"double\"",
      "\"",        "a \"b\" c",  "C:\\out\\",     "=equals=",   "[x]",       "; not a comment",
      "M\xC3\xBCller & S\xC3\xB6hne %x% !^",
  };
  IniFile ini;
  for (std::size_t i = 0; i < std::size(values); ++i)
    ASSERT_TRUE(ini.Set("S", "k" + std::to_string(i), values[i]));
  const IniFile reread = IniFile::Parse(ini.Serialize());
  for (std::size_t i = 0; i < std::size(values); ++i) {
    EXPECT_EQ(Get(ini, "S", "k" + std::to_string(i)), values[i]);
    EXPECT_EQ(Get(reread, "S", "k" + std::to_string(i)), values[i]);
  }
}

TEST(IniFile, ValuesCannotBreakTheLineStructure) {
  IniFile ini;
  EXPECT_TRUE(ini.Set("S", "k", "one\r\n[Evil]\r\nk=two"));
  EXPECT_TRUE(ini.Set("S", "z", std::string("cut\0here", 8)));
  EXPECT_EQ(ini.Serialize(), "[S]\r\nk=one  [Evil]  k=two\r\nz=cut\r\n");

  const std::pair<std::string_view, std::string_view> badNames[] = {
      {"", "k"}, {"S", ""}, {"S", "a=b"}, {"S", "[k]"}, {"S", ";k"}, {"S\nT", "k"}};
  for (const auto& [section, key] : badNames) EXPECT_FALSE(ini.Set(section, key, "v")) << section << "/" << key;
  EXPECT_EQ(Get(IniFile::Parse(ini.Serialize()), "Evil", "k"), kAbsent);
}

TEST(IniFile, GarbageAndBinaryInput) {
  std::mt19937 random(12345);
  std::string garbage(1 << 20, '\0');
  for (char& c : garbage) c = static_cast<char>(random());
  garbage += "\n[Destinate]\nVolume=3\n";
  IniFile ini = IniFile::Parse(garbage);
  EXPECT_EQ(Get(ini, "Destinate", "Volume"), "3");
  EXPECT_TRUE(ini.Set("Destinate", "Volume", "4"));
  const std::string written = ini.Serialize();
  EXPECT_EQ(Get(IniFile::Parse(written), "Destinate", "Volume"), "4");

  const std::string nuls("[S]\0\nk=a\0b\n\0\0\0=\0\n", 17);
  EXPECT_EQ(Get(IniFile::Parse(nuls), "S", "k"), "a");
  for (const std::string_view odd : {std::string_view("\xFF\xFE"), std::string_view("\xFF\xFE["),
                                     std::string_view("\xFE\xFF\xD8\x00"), std::string_view("["),
                                     std::string_view("]"), std::string_view("="), std::string_view("\r"),
                                     std::string_view("[[[]]]=]"), std::string_view("\xEF\xBB")}) {
    IniFile parsed = IniFile::Parse(odd);
    EXPECT_TRUE(parsed.Set("S", "k", "v"));
    EXPECT_EQ(Get(IniFile::Parse(parsed.Serialize()), "S", "k"), "v");
  }
}

TEST(IniFile, LargeInputsStayFast) {
  const auto start = std::chrono::steady_clock::now();

  // 10 MB of short keys in thousands of duplicate sections.
  std::string big;
  big.reserve(11 << 20);
  for (int i = 0; big.size() < (10 << 20); ++i) {
    if (i % 1000 == 0) big += "[Destinate]\r\n";
    big += "key" + std::to_string(i) + "=value\r\n";
  }
  IniFile ini = IniFile::Parse(big);
  for (int i = 0; i < 25; ++i) EXPECT_TRUE(ini.Set("Destinate", "Setting " + std::to_string(i), "1"));
  EXPECT_EQ(Get(ini, "Destinate", "key999"), "value");
  EXPECT_EQ(Get(ini, "Destinate", "key1000"), kAbsent);
  const std::string written = ini.Serialize();
  EXPECT_GT(written.size(), big.size());
  EXPECT_EQ(Get(IniFile::Parse(written), "Destinate", "Setting 24"), "1");

  // One 10 MB line, and 10 MB of line ends.
  EXPECT_EQ(Get(IniFile::Parse("[S]\nk=" + std::string(10 << 20, 'x')), "S", "k"), std::string(255, 'x'));
  EXPECT_EQ(Get(IniFile::Parse("[" + std::string(10 << 20, '[')), "S", "k"), kAbsent);
  IniFile blank = IniFile::Parse(std::string(10 << 20, '\n') + "[S]\nk=v\n");
  EXPECT_EQ(Get(blank, "S", "k"), "v");
  EXPECT_TRUE(blank.Set("S", "j", "w"));
  EXPECT_EQ(blank.Serialize().size(), (std::size_t{10} << 21) + 15);

  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_LT(elapsed, std::chrono::seconds(30));
}

}  // namespace
}  // namespace velto
