#include "encoder/common/command_line_tokens.h"

#include <gtest/gtest.h>

namespace velto {
namespace {

using Args = std::vector<std::string>;

TEST(CommandLineTokens, SplitsLikeTheRuntime) {
  EXPECT_EQ(SplitCommandLine(R"("a b" c  d)"), (Args{"a b", "c", "d"}));
  EXPECT_EQ(SplitCommandLine(R"(a\\b c\d)"), (Args{R"(a\\b)", R"(c\d)"}));
  EXPECT_EQ(SplitCommandLine(R"(a\"b)"), (Args{R"(a"b)"}));
  EXPECT_EQ(SplitCommandLine(R"(a\\"b c")"), (Args{R"(a\b c)"}));
  EXPECT_EQ(SplitCommandLine(R"(a\\\"b)"), (Args{R"(a\"b)"}));
  EXPECT_EQ(SplitCommandLine(R"("" x)"), (Args{"", "x"}));
  EXPECT_EQ(SplitCommandLine(R"("C:\dir\" x)"), (Args{R"(C:\dir" x)"}));
  EXPECT_EQ(SplitCommandLine("\t a\tb "), (Args{"a", "b"}));
  EXPECT_EQ(SplitCommandLine(""), Args{});
}

TEST(CommandLineTokens, ProgramNameKeepsItsBackslashes) {
  EXPECT_EQ(SplitCommandLine(R"("C:\Program Files\v\veltoenc.exe" "x y" 1)", true), (Args{"x y", "1"}));
  EXPECT_EQ(SplitCommandLine(R"(C:\v\veltoenc.exe a)", true), (Args{"a"}));
  EXPECT_EQ(SplitCommandLine(R"(veltoenc.exe)", true), Args{});
}

TEST(CommandLineTokens, QuotingRoundTrips) {
  const Args samples = {"",          "plain",       "with space",    R"(quote"inside)",
                        R"(C:\dir\)", R"(C:\my dir\)", R"(a\\"b)",       R"(end\\)",
                        "tab\there", "ünïcödé name.wmv", R"(%TEMP% & ^!x)", R"(\\server\share\a b.wmv)"};
  for (const auto& s : samples) {
    EXPECT_EQ(SplitCommandLine(QuoteArgument(s)), Args{s}) << s;
  }
  EXPECT_EQ(SplitCommandLine(JoinCommandLine(samples)), samples);
  EXPECT_EQ(QuoteArgument(R"(C:\my dir\)"), R"("C:\my dir\\")");
  EXPECT_EQ(QuoteArgument(R"(a"b c)"), R"("a\"b c")");
  EXPECT_EQ(QuoteArgument("-y"), "-y");
}

}  // namespace
}  // namespace velto
