#include "base/text_encoding.h"

#include <gtest/gtest.h>

namespace velto {
namespace {

TEST(TextEncoding, RecognisesUtf8) {
  EXPECT_TRUE(IsValidUtf8("plain"));
  EXPECT_TRUE(IsValidUtf8("C:\\Vidéos\\日本\\😀"));
  EXPECT_FALSE(IsValidUtf8("caf\xE9"));          // Latin-1 é
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));         // overlong
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));     // surrogate
  EXPECT_FALSE(IsValidUtf8("\xE6\x97"));         // cut short
}

TEST(TextEncoding, CountsAndCutsWholeCharacters) {
  EXPECT_EQ(Utf8Length("aé日😀"), 4u);
  EXPECT_EQ(Utf8Prefix("aé日😀", 2), "aé");
  EXPECT_EQ(Utf8Prefix("abc", 10), "abc");
  EXPECT_EQ(Utf8Length("a\xFF" "b"), 3u);
}

TEST(TextEncoding, CountsAndCutsAsWindowsCountsCharacters) {
  EXPECT_EQ(Utf16Length("aé日😀"), 5u);  // the last needs two UTF-16 units
  EXPECT_EQ(Utf16Prefix("aé日😀", 4), "aé日");
  EXPECT_EQ(Utf16Prefix("aé日😀", 5), "aé日😀");
  EXPECT_EQ(Utf16Length("a\xFF" "b"), 3u);
}

TEST(TextEncoding, ShortensInTheMiddleWithAnEllipsis) {
  EXPECT_EQ(ShortenInMiddle("talk.wmv", 8), "talk.wmv");
  EXPECT_EQ(ShortenInMiddle("talk.wmv", 7), "tal\u2026wmv");
  EXPECT_EQ(ShortenInMiddle("日本語のビデオ.wmv", 6), "日本語\u2026mv");
  EXPECT_EQ(ShortenInMiddle("abc", 1), "\u2026");
}

TEST(TextEncoding, AppendsCharactersOfEveryLengthAndReplacesTheUnencodable) {
  std::string out;
  for (const char32_t c : {U'a', U'\u00e9', U'\u65e5', U'\U0001F600', char32_t{0xD800}, char32_t{0x110000}})
    AppendUtf8(out, c);
  EXPECT_EQ(out, "a\u00e9\u65e5\U0001F600\uFFFD\uFFFD");
}

TEST(TextEncoding, LegacyAnsiTextBecomesUtf8) {
  EXPECT_EQ(LegacyTextToUtf8("C:\\Vidéos"), "C:\\Vidéos");
  EXPECT_EQ(LegacyTextToUtf8("caf\xE9"), "café");
#ifndef _WIN32
  EXPECT_EQ(AnsiToUtf8("\x80"), "€");
#endif
}

#ifdef _WIN32
TEST(TextEncoding, WideRoundTrip) {
  const std::string text = "C:\\Vidéos\\日本\\😀 & %x%";
  EXPECT_EQ(WideToUtf8(Utf8ToWide(text)), text);
  EXPECT_EQ(Utf8ToWide("é"), L"\u00e9");
}
#endif

}  // namespace
}  // namespace velto
