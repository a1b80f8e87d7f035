// The engine's own CommandLineToArgvW (scripts/engine/command_line_to_argv.c,
// linked into ffmpeg.exe and ffprobe.exe instead of shell32.dll's) splits
// command lines as shell32.dll's does: the lines this program writes for
// awkward arguments, and lines made by hand around the rules' corners.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/text_encoding.h"
#include "encoder/common/command_line_tokens.h"

using SplitFunction = LPWSTR*(WINAPI*)(LPCWSTR, int*);
extern "C" SplitFunction __imp_CommandLineToArgvW;  // the engine's, by the name it replaces

namespace velto {
namespace {

std::vector<std::wstring> Words(SplitFunction split, const std::wstring& line) {
  int count = -1;
  LPWSTR* argv = split(line.c_str(), &count);
  std::vector<std::wstring> words;
  if (!argv) return words;
  for (int i = 0; i < count; ++i) words.push_back(argv[i]);
  LocalFree(argv);
  return words;
}

TEST(FfmpegCommandLine, SplitsAsTheShellDoes) {
  const auto shell = reinterpret_cast<SplitFunction>(
      reinterpret_cast<void*>(GetProcAddress(LoadLibraryW(L"shell32.dll"), "CommandLineToArgvW")));
  ASSERT_NE(shell, nullptr);
  std::vector<std::wstring> lines = {
      L"",
      L"ffmpeg.exe -i a.wmv",
      L"\"C:\\Program Files\\x\\ffmpeg.exe\" -y",
      L"  lead",
      L"prog\targ1\t\targ2  ",
      L"prog\"x y\" z",
      L"\"prog \\\"x\" y",
      L"p \"a b\"c d",
      L"p a\\\\b a\\\\\\\"b \"c\\\\\" d\\\\\\\\\"e f\"",
      L"p \"a\"\"b c\" \"a\"\"\"b\" \"a\"\"\"\"b\"",
      L"p \"\"\"\"\" \"\" x \"unclosed",
  };
  for (const char* argument : {"C:\\my files\\", "file:Z:\\a b\\c.wmv", "say \"hi\"", "", "\\\\server\\share\\",
                               "tab\there", "h\xC3\xA9llo w\xC3\xB6rld \xE2\x98\x83", "a\\\\\"b", "%PATH% & ^ |"})
    lines.push_back(Utf8ToWide(JoinCommandLine({"Z:\\bin\\ffmpeg.exe", "-i", argument, "-y"})));
  for (const std::wstring& line : lines)
    EXPECT_EQ(Words(__imp_CommandLineToArgvW, line), Words(shell, line)) << WideToUtf8(line);
}

}  // namespace
}  // namespace velto
