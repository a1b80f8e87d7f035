#include <gtest/gtest.h>

#include <string>

#include "settings/ini_file.h"

namespace velto {
namespace {

// A byte-order mark left at the start of the text hid the first line from
// the reader, and a save then brought that line back to life.
TEST(IniFileFuzzRegression, RepeatedByteOrderMarksAtTheStartAreDropped) {
  const IniFile ini = IniFile::Parse("\xEF\xBB\xBF\xEF\xBB\xBF[Destinate]\r\nVolume=7\r\n");
  EXPECT_EQ(ini.Get("Destinate", "Volume"), "7");
  EXPECT_EQ(ini.Serialize(), "[Destinate]\r\nVolume=7\r\n");
}

TEST(IniFileFuzzRegression, ByteOrderMarkInsideUtf16TextIsDropped) {
  // UTF-16 big endian: BOM, then U+FEFF, then "[a]\nb=1\n".
  std::string bytes = "\xFE\xFF\xFE\xFF";
  for (char c : std::string("[a]\nb=1\n")) {
    bytes += '\0';
    bytes += c;
  }
  const IniFile ini = IniFile::Parse(bytes);
  EXPECT_EQ(ini.Get("a", "b"), "1");
  EXPECT_EQ(ini.Serialize(), "[a]\r\nb=1\r\n");
}

TEST(IniFileFuzzRegression, WritingAndReadingAgainChangesNothing) {
  // The fuzzer's input: UTF-16 with a second mark, an odd last byte and a NUL.
  const std::string found("\xFE\xFF\xFE\xFF\xF7\xFF\x00\x00`", 9);
  const std::string written = IniFile::Parse(found).Serialize();
  EXPECT_EQ(IniFile::Parse(written).Serialize(), written);
}

TEST(IniFileFuzzRegression, MarksLaterInTheTextAreKept) {
  const IniFile ini = IniFile::Parse("[a]\r\n\xEF\xBB\xBFk=1\r\n");
  EXPECT_EQ(ini.Serialize(), "[a]\r\n\xEF\xBB\xBFk=1\r\n");
}

}  // namespace
}  // namespace velto
