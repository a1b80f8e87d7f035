#include "encoder/common/command_line_tokens.h"

namespace velto {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Skips the program name: quoted up to the next quote, else up to a blank.
std::size_t SkipProgramName(std::string_view line) {
  std::size_t i = 0;
  if (i < line.size() && line[i] == '"') {
    ++i;
    while (i < line.size() && line[i] != '"') ++i;
    if (i < line.size()) ++i;
  }
  while (i < line.size() && !IsBlank(line[i])) ++i;
  return i;
}

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view line, bool withProgramName) {
  std::vector<std::string> result;
  std::size_t i = withProgramName ? SkipProgramName(line) : 0;
  while (true) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i >= line.size()) break;
    std::string argument;
    bool quoted = false;
    while (i < line.size() && (quoted || !IsBlank(line[i]))) {
      if (line[i] == '\\') {
        std::size_t count = 0;
        while (i < line.size() && line[i] == '\\') {
          ++count;
          ++i;
        }
        if (i < line.size() && line[i] == '"') {
          argument.append(count / 2, '\\');
          if (count % 2 == 1) {
            argument += '"';
            ++i;
          }
        } else {
          argument.append(count, '\\');
        }
      } else if (line[i] == '"') {
        if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
          argument += '"';  // "" inside quotes is a literal quote
          i += 2;
        } else {
          quoted = !quoted;
          ++i;
        }
      } else {
        argument += line[i++];
      }
    }
    result.push_back(std::move(argument));
  }
  return result;
}

std::string QuoteArgument(std::string_view argument) {
  const bool needsQuotes =
      argument.empty() || argument.find_first_of(" \t\"") != std::string_view::npos;
  if (!needsQuotes) return std::string(argument);
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"') {
      quoted.append(backslashes * 2 + 1, '\\');
    } else {
      quoted.append(backslashes, '\\');
    }
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, '\\');  // they stand before the closing quote
  quoted += '"';
  return quoted;
}

std::string JoinCommandLine(const std::vector<std::string>& arguments) {
  std::string line;
  for (const auto& argument : arguments) {
    if (!line.empty()) line += ' ';
    line += QuoteArgument(argument);
  }
  return line;
}

}  // namespace velto
