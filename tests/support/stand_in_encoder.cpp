// Stands in for veltoenc.exe where the real one would be slow or could not
// be made to fail on cue. It takes the encoder's argument string ("source"
// -o "output" ... mode window) and behaves as the source file says: the
// source is a text file of key=number lines.
//   duration width height fps   values reported by a probe (fps times 10^7);
//                               a key left out is not reported
//   probe_exit                  exit code of a probe (default 0)
//   probe_sleep_ms              pause before a probe ends (default 0)
//   probe_write                 1: a probe writes its command line to the
//                               output
//   first                       the first position reported (default 1)
//   reports                     position reports of a conversion (default
//                               one a second from first to seconds)
//   seconds                     the position climbs from first to this many
//                               seconds over the reports (default: one a
//                               report)
//   sleep_ms                    pause after each position report (default 0)
//   stall_ms                    pause before the first report, the output
//                               written so far (default 0)
//   convert_exit                exit code of a conversion (default 0)
//   write                       0: a conversion writes no output (default 1)
//   echo                        0: the finished output holds "converted"
//                               instead of the command line (default 1)
//   taken                       1: another's file takes the output's name
//                               just before the output is published
//   after_ms                    pause after publishing (default 0)
//   preview_exit                exit code of a preview (default 0)
//   preview_sleep_ms            pause before a preview writes its picture
//   preview_end                 the seconds a preview's source really has:
//                               a later moment shows its last picture
// A preview writes an 8 x 6 24-bit BMP and reports the moment it shows.
// A conversion writes its hidden temporary output, and on code 0 publishes
// it without replacing a file (when the name is taken, as "name_2.ext"...)
// and names it to the window; on another code the temporary output is left
// as a crash would leave it. An unreadable source ends a run with code 3 (a
// probe reports four zeros first). A report answered 1 deletes the
// temporary output and ends with code 2. Every
// run appends its run mode and source to calls.txt beside this program, a
// conversion writes the folder it was started in to folder.txt there and
// the count of reports it sent to reports.txt, and every run ending with a
// code other than 0 leaves a log where veltoenc.exe keeps its logs.
#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <tuple>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>

#include "base/encoder_interface.h"
#include "base/file_system.h"
#include "base/module_directory.h"
#include "base/text_encoding.h"
#include "base/work_files.h"
#include "tests/support/scratch_dir.h"

namespace {

using Keys = std::map<std::string, long long>;
using velto::testing::WriteBytes;

Keys ParseKeys(const std::string& text) {
  Keys keys;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    const size_t equals = line.find('=');
    if (equals != std::string::npos) keys[line.substr(0, equals)] = std::atoll(line.c_str() + equals + 1);
    start = end + 1;
  }
  return keys;
}

long long Get(const Keys& keys, const char* key, long long fallback) {
  const auto it = keys.find(key);
  return it == keys.end() ? fallback : it->second;
}

void WriteLog(const std::string& text) {
  wchar_t base[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, base))) return;
  const std::filesystem::path folder = std::filesystem::path(base) / L"Velto ASF Converter" / L"logs";
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);
  SYSTEMTIME t;
  GetLocalTime(&t);
  char name[96];
  std::snprintf(name, sizeof name, "veltoenc-%04u%02u%02u-%02u%02u%02u-%03u-%lu.log", t.wYear, t.wMonth, t.wDay,
                t.wHour, t.wMinute, t.wSecond, t.wMilliseconds, GetCurrentProcessId());
  std::ofstream(folder / name, std::ios::binary) << text;
}

int Finish(int code, const std::string& commandLine) {
  if (code != 0) WriteLog(commandLine + "\r\nexit " + std::to_string(code) + "\r\n");
  return code;
}

bool Report(HWND target, unsigned kind, long long value) {
  return SendMessageW(target, velto::kProgressMessage, kind, static_cast<LPARAM>(static_cast<int>(value))) == 1;
}

int Probe(HWND target, const Keys& keys, bool readable, const std::string& output, const std::string& commandLine) {
  static const char* const kKinds[] = {"duration", "width", "height", "fps"};
  for (unsigned kind = velto::kReportDuration; kind <= velto::kReportFrameRate; ++kind) {
    const auto it = keys.find(kKinds[kind - 1]);
    if (!readable) {
      Report(target, kind, 0);
    } else if (it != keys.end()) {
      Report(target, kind, it->second);
    }
  }
  if (!readable) return Finish(velto::kExitSourceUnreadable, commandLine);
  if (Get(keys, "probe_write", 0) != 0) WriteBytes(output, commandLine + "\r\n");
  Sleep(static_cast<DWORD>(Get(keys, "probe_sleep_ms", 0)));
  return Finish(static_cast<int>(Get(keys, "probe_exit", 0)), commandLine);
}

// The temporary output under the first free one of `output`,
// "name_2.ext"..., named to the window.
void Publish(HWND target, const std::string& partial, const std::string& output) {
  const std::size_t dot = output.rfind('.');
  std::wstring name = velto::Utf8ToWide(output);
  for (int n = 2; !MoveFileW(velto::Utf8ToWide(partial).c_str(), name.c_str()) && n < 100; ++n)
    name = velto::Utf8ToWide(output.substr(0, dot) + "_" + std::to_string(n) + output.substr(dot));
  COPYDATASTRUCT named{velto::kOutputNamedCopyData, static_cast<DWORD>(name.size() * sizeof(wchar_t)), name.data()};
  SendMessageW(target, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&named));
}

int Convert(HWND target, const Keys& keys, const std::string& output, const std::string& commandLine) {
  wchar_t folder[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, folder);
  WriteBytes(velto::ModuleDirectory() + "folder.txt", velto::WideToUtf8(folder));
  const bool write = Get(keys, "write", 1) != 0;
  const std::string partial = velto::WideToUtf8(velto::PartialOutputFor(velto::Utf8ToWide(output)));
  if (write) WriteBytes(partial, "partial\r\n");
  Sleep(static_cast<DWORD>(Get(keys, "stall_ms", 0)));
  const long long first = Get(keys, "first", 1);
  const long long reports = Get(keys, "reports", Get(keys, "seconds", 1) - first + 1);
  const long long seconds = Get(keys, "seconds", first + reports - 1);
  const DWORD pause = static_cast<DWORD>(Get(keys, "sleep_ms", 0));
  long long sent = 0;
  int code = static_cast<int>(Get(keys, "convert_exit", 0));
  for (long long i = 1; i <= reports; ++i) {
    ++sent;
    if (Report(target, velto::kReportPosition, first + (i - 1) * (seconds - first + 1) / reports)) {
      std::error_code ignored;
      std::filesystem::remove(velto::testing::PathFromUtf8(partial), ignored);
      code = velto::kExitStopped;
      break;
    }
    if (pause) Sleep(pause);
  }
  WriteBytes(velto::ModuleDirectory() + "reports.txt", std::to_string(sent));
  if (write && code != velto::kExitStopped) {
    WriteBytes(partial, Get(keys, "echo", 1) ? commandLine + "\r\n" : std::string("converted\r\n"));
  }
  if (write && code == 0) {
    if (Get(keys, "taken", 0) != 0) WriteBytes(output, "another's\r\n");
    Publish(target, partial, output);
    Sleep(static_cast<DWORD>(Get(keys, "after_ms", 0)));
  }
  return Finish(code, commandLine);
}

// The moment after -ss, clamped to the source's end, in whole seconds.
int Preview(HWND target, const Keys& keys, int argc, wchar_t** argv, const std::string& output,
            const std::string& commandLine) {
  double moment = 0.0;
  for (int i = 1; i + 1 < argc; ++i)
    if (std::wstring(argv[i]) == L"-ss") moment = std::wcstod(argv[i + 1], nullptr);
  Sleep(static_cast<DWORD>(Get(keys, "preview_sleep_ms", 0)));
  const int code = static_cast<int>(Get(keys, "preview_exit", 0));
  if (code != 0) return Finish(code, commandLine);
  const long long shown = std::min(static_cast<long long>(moment), Get(keys, "preview_end", 1LL << 40));
  std::string bmp(54 + 24 * 6, '\0');
  const auto put = [&bmp](size_t at, unsigned value, int bytes) {
    for (int i = 0; i < bytes; ++i) bmp[at + i] = static_cast<char>(value >> (8 * i));
  };
  // The file header, then the info header of an 8 x 6 bottom-up picture.
  const std::tuple<size_t, unsigned, int> fields[] = {{0, 0x4D42u, 2}, {2, static_cast<unsigned>(bmp.size()), 4},
                                                      {10, 54u, 4}, {14, 40u, 4}, {18, 8u, 4}, {22, 6u, 4},
                                                      {26, 1u, 2}, {28, 24u, 2}};
  for (const auto& [at, value, bytes] : fields) put(at, value, bytes);
  WriteBytes(output, bmp);
  Report(target, velto::kReportPosition, shown);
  return Finish(0, commandLine);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argc < 6) return velto::kExitBadArguments;
  const std::string source = velto::WideToUtf8(argv[1]);
  const std::string output = velto::WideToUtf8(argv[3]);
  const long mode = std::wcstol(argv[argc - 2], nullptr, 10);
  const bool probe = mode == velto::kRunProbe;
  const HWND target =
      reinterpret_cast<HWND>(static_cast<INT_PTR>(static_cast<int>(std::wcstoll(argv[argc - 1], nullptr, 10))));
  const std::string commandLine = velto::WideToUtf8(GetCommandLineW());
  std::ofstream(velto::testing::PathFromUtf8(velto::ModuleDirectory() + "calls.txt"), std::ios::binary | std::ios::app)
      << (probe ? "probe " : mode == velto::kRunPreview ? "preview " : "convert ") << source << "\n";

  const std::optional<std::string> text = velto::ReadWholeFile(source);
  const Keys keys = ParseKeys(text.value_or(""));
  if (probe) return Probe(target, keys, text.has_value(), output, commandLine);
  if (!text) return Finish(velto::kExitSourceUnreadable, commandLine);
  if (mode == velto::kRunPreview) return Preview(target, keys, argc, argv, output, commandLine);
  return Convert(target, keys, output, commandLine);
}
