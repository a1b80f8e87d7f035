#include "ui/tip_reader.h"

#include <gtest/gtest.h>

#include <string>

namespace velto {
namespace {

TEST(TipReader, SkipsCommentsBlankAndIndentedLines) {
  TipReader reader("; comment\n\n   indented\n\tTabbed\r\nFirst tip\r\n;x\nSecond tip");
  EXPECT_EQ(reader.ReadNextTip(), "First tip");
  EXPECT_EQ(reader.ReadNextTip(), "Second tip");
}

TEST(TipReader, WrapsToTheFirstTipAfterTheLast) {
  TipReader reader("one\ntwo\n");
  EXPECT_EQ(reader.ReadNextTip(), "one");
  EXPECT_EQ(reader.ReadNextTip(), "two");
  EXPECT_EQ(reader.ReadNextTip(), "one");
}

TEST(TipReader, ContinuesFromAStoredPosition) {
  TipReader first("one\ntwo\nthree\n");
  first.ReadNextTip();
  TipReader second("one\ntwo\nthree\n");
  ASSERT_TRUE(second.Seek(first.Position()));
  EXPECT_EQ(second.ReadNextTip(), "two");
  EXPECT_FALSE(second.Seek(1000));
}

TEST(TipReader, AFileWithoutTipsGivesNothingAndEnds) {
  for (const char* contents : {"", "; only\n\n  comments\n", "\n\n\n"}) {
    TipReader reader(contents);
    EXPECT_EQ(reader.ReadNextTip(), "") << contents;
  }
}

TEST(TipReader, LongLinesComeInPieces) {
  const std::string longLine(2500, 'x');
  TipReader reader(longLine + "\nnext\n");
  EXPECT_EQ(reader.ReadNextTip().size(), TipReader::kMaxTipLength);
  EXPECT_EQ(reader.ReadNextTip().size(), TipReader::kMaxTipLength);
  EXPECT_EQ(reader.ReadNextTip(), std::string(2500 - 2 * TipReader::kMaxTipLength, 'x'));
  EXPECT_EQ(reader.ReadNextTip(), "next");
}

TEST(TipReader, CtimeLayout) {
  const std::string text = CtimeText(0);
  ASSERT_EQ(text.size(), 24u) << text;
  EXPECT_EQ(text[3], ' ');
  EXPECT_EQ(text[13], ':');
  EXPECT_EQ(text[16], ':');
}

}  // namespace
}  // namespace velto
