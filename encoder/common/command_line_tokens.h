#pragma once
// Splitting and quoting Windows command lines by the rules of the C runtime
// and CommandLineToArgvW: blanks and tabs separate arguments, double quotes
// group, 2n backslashes before a quote give n backslashes and a grouping
// quote, 2n+1 give n backslashes and a literal quote, other backslashes are
// literal.
#include <string>
#include <string_view>
#include <vector>

namespace velto {

// The arguments of a command line. With withProgramName the first token is
// read by the program-name rule (quotes group, backslashes are literal) and
// dropped from the result.
std::vector<std::string> SplitCommandLine(std::string_view commandLine,
                                          bool withProgramName = false);

// One argument written so that SplitCommandLine gives it back unchanged.
std::string QuoteArgument(std::string_view argument);

// Arguments quoted and joined by single blanks.
std::string JoinCommandLine(const std::vector<std::string>& arguments);

}  // namespace velto
