// A stand-in for veltoenc.exe in tests of the Add and Convert commands. It
// takes the encoder's argument string and behaves as the source file says:
// the source is a text file of key=value lines.
//   duration width height fps   values reported by a probe (fps times 10^7);
//                               a key left out is not reported
//   probe_exit                  exit code of a probe (default 0)
//   probe_sleep_ms              pause before a probe ends (default 0)
//   probe_write                 1: a probe writes its command line to the output
//   seconds                     position reports of a conversion (default 1)
//   first                       the first position reported (default 1)
//   sleep_ms                    pause after each position report (default 0)
//   convert_exit                exit code of a conversion (default 0)
//   write                       0: a conversion writes no output (default 1)
// A conversion's output file holds the command line it was given. A report
// answered 1 deletes the output and ends with code 2. Every run appends its
// run mode and source to calls.txt beside this program, and every run ending
// with a code other than 0 leaves a log where veltoenc.exe keeps its logs.
#include <windows.h>

#include "tests/support/stand_in_keys.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

namespace {

constexpr UINT kReport = 0x720;

std::string Narrow(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size > 0 ? size : 1), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), size, nullptr, nullptr);
  out.resize(out.size() - 1);
  return out;
}

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

void WriteAll(const std::wstring& path, const std::string& text, bool append) {
  HANDLE file = CreateFileW(path.c_str(), append ? FILE_APPEND_DATA : GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                            append ? OPEN_ALWAYS : CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

using velto::testing::Get;
using velto::testing::ParseKeys;
using velto::testing::ProgramFolder;

void WriteLog(const std::string& text) {
  wchar_t base[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, base))) return;
  std::wstring folder = std::wstring(base) + L"\\Velto ASF Converter";
  CreateDirectoryW(folder.c_str(), nullptr);
  folder += L"\\logs";
  CreateDirectoryW(folder.c_str(), nullptr);
  SYSTEMTIME t;
  GetLocalTime(&t);
  wchar_t name[96];
  swprintf(name, 96, L"\\veltoenc-%04u%02u%02u-%02u%02u%02u-%03u-%lu.log", t.wYear, t.wMonth, t.wDay, t.wHour,
           t.wMinute, t.wSecond, t.wMilliseconds, GetCurrentProcessId());
  WriteAll(folder + name, text, false);
}

int Finish(int code, const std::string& commandLine) {
  if (code != 0) WriteLog(commandLine + "\r\nexit " + std::to_string(code) + "\r\n");
  return code;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argc < 6) return 1;
  const std::wstring source = argv[1];
  const std::wstring output = argv[3];
  const bool probe = std::wcstol(argv[argc - 2], nullptr, 10) == 1;
  const auto handle = static_cast<INT_PTR>(static_cast<int>(std::wcstoll(argv[argc - 1], nullptr, 10)));
  const HWND target = reinterpret_cast<HWND>(handle);
  const std::string commandLine = Narrow(GetCommandLineW());
  WriteAll(ProgramFolder() + L"calls.txt", std::string(probe ? "probe " : "convert ") + Narrow(source) + "\n",
           true);

  bool readable = false;
  const auto keys = ParseKeys(ReadAll(source, readable));
  if (probe) {
    if (!readable) {
      for (WPARAM kind = 1; kind <= 4; ++kind) SendMessageW(target, kReport, kind, 0);
      return Finish(3, commandLine);
    }
    static const char* const kKinds[] = {"duration", "width", "height", "fps"};
    for (WPARAM kind = 1; kind <= 4; ++kind) {
      const auto it = keys.find(kKinds[kind - 1]);
      if (it != keys.end()) SendMessageW(target, kReport, kind, static_cast<LPARAM>(static_cast<int>(it->second)));
    }
    if (Get(keys, "probe_write", 0) != 0) WriteAll(output, commandLine + "\r\n", false);
    Sleep(static_cast<DWORD>(Get(keys, "probe_sleep_ms", 0)));
    return Finish(static_cast<int>(Get(keys, "probe_exit", 0)), commandLine);
  }

  if (!readable) return Finish(3, commandLine);
  const bool write = Get(keys, "write", 1) != 0;
  if (write) WriteAll(output, "partial\r\n", false);
  const long long seconds = Get(keys, "seconds", 1);
  const DWORD pause = static_cast<DWORD>(Get(keys, "sleep_ms", 0));
  for (long long second = Get(keys, "first", 1); second <= seconds; ++second) {
    if (SendMessageW(target, kReport, 6, static_cast<LPARAM>(second)) == 1) {
      DeleteFileW(output.c_str());
      return Finish(2, commandLine);
    }
    if (pause) Sleep(pause);
  }
  if (write) WriteAll(output, commandLine + "\r\n", false);
  return Finish(static_cast<int>(Get(keys, "convert_exit", 0)), commandLine);
}
