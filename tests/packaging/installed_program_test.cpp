// Runs inside a Wine prefix into which install_test.sh has installed the
// package: the installed program starts (Tip of the Day first on a fresh
// profile, then the main window) and keeps its settings where its folder
// allows; both executables carry the project's version; the installed
// encoder front end probes and converts a clip with the installed engine.
//
// VELTO_INSTALL_DIR names the installation folder (ending with a backslash);
// VELTO_EXPECT_SETTINGS is "user" when that folder refuses new files and
// "program" otherwise.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/encoder_interface.h"
#include "base/text_encoding.h"
#include "res/resource_ids.h"
#include "tests/encoder/job_strings.h"
#include "tests/support/remote_program.h"
#include "tests/support/report_window.h"
#include "tests/support/scratch_dir.h"

namespace velto::testing {
namespace {

constexpr DWORD kWindowTimeoutMs = 60000;

std::wstring Environment(const wchar_t* name) {
  wchar_t value[1024] = {};
  const DWORD length = GetEnvironmentVariableW(name, value, 1024);
  return length > 0 && length < 1024 ? std::wstring(value, length) : std::wstring();
}

std::wstring InstallFolder() { return Environment(L"VELTO_INSTALL_DIR"); }

bool IsMainWindow(HWND window) { return GetDlgItem(window, IDC_MAIN_FILE_LIST) != nullptr; }
bool IsTipWindow(HWND window) { return WideWindowText(window) == L"Tip of the Day"; }

// The text of one entry of an executable's version resource.
std::wstring VersionEntry(const std::wstring& file, const std::wstring& name) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
  if (size == 0) return L"<no version resource>";
  std::vector<BYTE> data(size);
  if (!GetFileVersionInfoW(file.c_str(), 0, size, data.data())) return L"<unreadable>";
  void* value = nullptr;
  UINT length = 0;
  const std::wstring key = L"\\StringFileInfo\\040904b0\\" + name;
  if (!VerQueryValueW(data.data(), key.c_str(), &value, &length) || length == 0) return L"<missing>";
  return std::wstring(static_cast<const wchar_t*>(value));
}

class InstalledProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = InstallFolder();
    ASSERT_FALSE(folder.empty()) << "VELTO_INSTALL_DIR is not set";
    ASSERT_TRUE(FileExists(folder + L"VeltoConverter.exe"));
  }
  std::wstring folder;
};

TEST_F(InstalledProgram, BothExecutablesCarryTheVersionOfVersionIni) {
  wchar_t version[256] = {};
  GetPrivateProfileStringW(L"General", L"Version", L"", version, 256, (folder + L"version.ini").c_str());
  ASSERT_NE(std::wstring(version), L"") << "no version in the installed version.ini";
  for (const wchar_t* exe : {L"VeltoConverter.exe", L"veltoenc.exe"}) {
    SCOPED_TRACE(WideToUtf8(exe));
    EXPECT_EQ(VersionEntry(folder + exe, L"ProductName"), L"Velto ASF Converter");
    EXPECT_EQ(VersionEntry(folder + exe, L"ProductVersion"), version);
    EXPECT_EQ(VersionEntry(folder + exe, L"FileVersion"), version);
    EXPECT_EQ(VersionEntry(folder + exe, L"OriginalFilename"), exe);
  }
}

TEST_F(InstalledProgram, StartsWithTheTipThenTheMainWindowAndKeepsItsSettings) {
  const std::wstring expect = Environment(L"VELTO_EXPECT_SETTINGS");
  ASSERT_TRUE(expect == L"user" || expect == L"program") << "VELTO_EXPECT_SETTINGS is not set";
  const std::wstring userFile = Environment(L"APPDATA") + L"\\Velto ASF Converter\\option.ini";
  const std::wstring programFile = folder + L"option.ini";

  const std::wstring& saved = expect == L"user" ? userFile : programFile;
  const std::wstring& unused = expect == L"user" ? programFile : userFile;
  const bool unusedWasThere = FileExists(unused);
  const std::string unusedBefore = unusedWasThere ? ReadFileBytes(unused) : std::string();

  RemoteProgram program;
  ASSERT_TRUE(program.Start(folder + L"VeltoConverter.exe", L"", folder));
  const HWND first = program.WaitForDialog([](HWND w) { return IsTipWindow(w) || IsMainWindow(w); }, kWindowTimeoutMs);
  ASSERT_NE(first, nullptr) << "neither the Tip of the Day nor the main window";
  if (Environment(L"VELTO_FRESH_PROFILE") == L"1") {
    ASSERT_TRUE(IsTipWindow(first)) << "no Tip of the Day on a fresh profile";
  }
  if (IsTipWindow(first)) {
    SendMessageW(GetDlgItem(first, IDC_TIP_STARTUP), BM_SETCHECK, BST_UNCHECKED, 0);
    PostCommand(first, IDOK);
  }
  const HWND main = program.WaitForDialog(IsMainWindow, kWindowTimeoutMs);
  ASSERT_NE(main, nullptr) << "no main window";
  EXPECT_EQ(WideWindowText(main), L"Velto ASF Converter");
  ChooseComboItem(main, IDC_MAIN_FORMAT, 8);  // WMV
  PostMessageW(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(program.WaitForEnd(30000)) << "the program did not end after its main window was closed";

  EXPECT_NE(ReadFileBytes(saved).find("Output format=8"), std::string::npos)
      << "the settings were not saved in " << WideToUtf8(saved);
  EXPECT_EQ(FileExists(unused), unusedWasThere) << WideToUtf8(unused);
  if (unusedWasThere) {
    EXPECT_EQ(ReadFileBytes(unused), unusedBefore) << WideToUtf8(unused) << " was written";
  }
}

// ---- the installed encoder front end -------------------------------------------

// Runs the installed veltoenc.exe, taking its reports meanwhile.
DWORD RunInstalledEncoder(const std::string& arguments) {
  g_reports.clear();
  return RunWithReports(InstallFolder() + L"veltoenc.exe", arguments, 120000);
}

TEST_F(InstalledProgram, EncoderProbesAndConvertsAClipWithTheInstalledEngine) {
  const ScratchDir scratch("packaging & test");
  const std::wstring work = Utf8ToWide(scratch.Directory());
  const std::wstring clip = work + L"clip.wmv";
  const ConsoleResult made = RunConsole(
      L"\"" + folder + L"ffmpeg.exe\" -nostdin -y -loglevel error -f lavfi -i color=c=white:s=160x120:r=25:d=2"
      L" -f lavfi -i sine=frequency=440:duration=2 -c:v wmv2 -b:v 200k -c:a wmav2 -b:a 64k -shortest -f asf \"" +
      clip + L"\"", work);
  ASSERT_TRUE(made.started && made.exitCode == 0 && FileExists(clip)) << "the installed ffmpeg.exe made no clip";

  const long long window = reinterpret_cast<long long>(ReportWindow());
  const std::string source = WideToUtf8(clip);
  const std::string output = WideToUtf8(work + L"clip out.wmv");
  EXPECT_EQ(RunInstalledEncoder(test::Fill(test::kWmv, source, output, kRunProbe, window)), 0u);
  EXPECT_EQ(LastReport(kReportDuration), 2);
  EXPECT_EQ(LastReport(kReportWidth), 160);
  EXPECT_EQ(LastReport(kReportHeight), 120);
  EXPECT_GT(LastReport(kReportFrameRate), 0);

  EXPECT_EQ(RunInstalledEncoder(test::Fill(test::kWmv, source, output, kRunConvert, window)), 0u);
  EXPECT_GE(LastReport(kReportPosition), 1);
  const ConsoleResult probe = RunConsole(L"\"" + folder + L"ffprobe.exe\" -v error -show_entries format=format_name"
                                         L" -of default=noprint_wrappers=1:nokey=1 \"" + Utf8ToWide(output) + L"\"",
                                         work);
  EXPECT_EQ(probe.exitCode, 0u);
  EXPECT_NE(probe.output.find("asf"), std::string::npos) << probe.output;
}

}  // namespace
}  // namespace velto::testing
