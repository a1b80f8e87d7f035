// Stands in for veltoenc.exe where the real one would take too long: the
// 99-file batch and the report flood. The source is a text file of
// key=value lines:
//   duration width height fps   probe reports (fps times 10^7)
//   reports                     position reports of a conversion (default 1)
//   seconds                     the position climbs from 1 to this many
//                               seconds over the reports (default reports)
// A conversion writes its output, sends the reports as fast as they are
// taken and stops at an answer of 1 (output deleted, exit code 2). The count
// of reports sent is written to reports.txt beside this program, and the
// time at every 10 000th report to timeline.txt.
#include <windows.h>

#include "tests/support/stand_in_keys.h"

#include <shellapi.h>

#include <cstdlib>
#include <map>
#include <string>

namespace {

constexpr UINT kReport = 0x720;

std::string ReadAll(const std::wstring& path, bool& ok) {
  ok = false;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string text;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
  CloseHandle(file);
  ok = true;
  return text;
}

void WriteAll(const std::wstring& path, const std::string& text) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

using velto::testing::Get;
using velto::testing::ParseKeys;
using velto::testing::ProgramFolder;

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argc < 6) return 1;
  const std::wstring source = argv[1];
  const std::wstring output = argv[3];
  const bool probe = std::wcstol(argv[argc - 2], nullptr, 10) == 1;
  const auto target =
      reinterpret_cast<HWND>(static_cast<INT_PTR>(static_cast<int>(std::wcstoll(argv[argc - 1], nullptr, 10))));
  bool readable = false;
  const auto keys = ParseKeys(ReadAll(source, readable));
  if (!readable) return 3;
  if (probe) {
    static const char* const kKinds[] = {"duration", "width", "height", "fps"};
    for (WPARAM kind = 1; kind <= 4; ++kind) {
      SendMessageW(target, kReport, kind, static_cast<LPARAM>(static_cast<int>(Get(keys, kKinds[kind - 1], 0))));
    }
    return 0;
  }
  WriteAll(output, "converted\r\n");
  const long long reports = Get(keys, "reports", 1);
  const long long seconds = Get(keys, "seconds", reports);
  long long sent = 0;
  std::string timeline;  // the tick at every 10 000th report
  int code = 0;
  for (long long i = 1; i <= reports; ++i) {
    const long long position = reports > 0 ? 1 + (i - 1) * seconds / reports : 0;
    if (++sent % 10000 == 0) timeline += std::to_string(sent) + " " + std::to_string(GetTickCount()) + "\r\n";
    if (SendMessageW(target, kReport, 6, static_cast<LPARAM>(position)) == 1) {
      DeleteFileW(output.c_str());
      code = 2;
      break;
    }
  }
  WriteAll(ProgramFolder() + L"reports.txt", std::to_string(sent));
  WriteAll(ProgramFolder() + L"timeline.txt", timeline);
  return code;
}
