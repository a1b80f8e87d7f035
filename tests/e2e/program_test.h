#pragma once
// The real VeltoConverter.exe driven from outside as a user would, with its
// own per-user folders, and the engine's programs beside the test to make
// clips and look at outputs.
#include <windows.h>

#include <commctrl.h>
#include <dlgs.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "base/text_encoding.h"
#include "encoder/job/loudness_arguments.h"
#include "res/resource_ids.h"
#include "tests/support/media_facts.h"
#include "tests/support/remote_program.h"

namespace velto::testing {

inline std::wstring Environment(const wchar_t* name) {
  wchar_t value[1024];
  const DWORD length = GetEnvironmentVariableW(name, value, 1024);
  return length > 0 && length < 1024 ? std::wstring(value, length) : std::wstring();
}

inline constexpr DWORD kWindowTimeoutMs = 60000;
inline constexpr DWORD kBatchTimeoutMs = 240000;
inline constexpr DWORD kTimedLookMs = 250;  // how often a timed batch is looked at
inline constexpr int kDvdFormat = 7;
inline constexpr int kPalMode = 1;
inline constexpr int kDivxFormat = 3;
inline constexpr int kMp4Format = 10;

inline bool IsMainWindow(HWND window) { return GetDlgItem(window, IDC_MAIN_FILE_LIST) != nullptr; }
inline bool IsProgressWindow(HWND window) { return GetDlgItem(window, IDC_PROGRESS_BAR) != nullptr; }
inline bool IsImportDialog(HWND window) { return WideWindowText(window) == L"Import video files"; }
inline bool IsCountdown(HWND window) { return GetDlgItem(window, IDC_COUNTDOWN_TEXT) != nullptr; }

inline std::string Narrow(const std::wstring& text) { return WideToUtf8(text); }

// A plain white WMV clip with a tone, or with the sound of the filters given.
inline void MakeClip(const std::wstring& path, int width, int height, int seconds,
              const std::wstring& sound = L"sine=frequency=440") {
  const std::wstring size = std::to_wstring(width) + L"x" + std::to_wstring(height);
  const std::wstring duration = std::to_wstring(seconds);
  const ConsoleResult made = RunEngineProgram(
      L"ffmpeg.exe", L"-nostdin -y -loglevel error -f lavfi -i color=c=white:s=" + size + L":r=25:d=" + duration +
                         L" -f lavfi -i \"" + sound + L"\" -t " + duration +
                         L" -c:v wmv2 -b:v 300k -c:a wmav2 -b:a 64k -f asf \"" + path + L"\"");
  ASSERT_TRUE(made.started && made.exitCode == 0 && FileExists(path)) << "could not make " << Narrow(path);
}

// The loudness and true peak of a file's sound, as the engine's ebur128
// filter measures them.
inline Loudness MeasuredLoudness(const std::wstring& path) {
  const ConsoleResult measured = RunEngineProgram(
      L"ffmpeg.exe", L"-nostdin -hide_banner -nostats -i \"" + path +
                         L"\" -map 0:a:0 -af ebur128=peak=true:framelog=verbose -f null -",
      Collect::kErrors);
  return ReadLoudnessReport(measured.output).value_or(Loudness{NAN, NAN, NAN});
}

// A WMV clip of the picture the source filters give, at the video rate
// given, with a tone.
inline void MakeWmvClip(const std::wstring& path, int seconds, const std::wstring& picture,
                        const std::wstring& videoRate) {
  const std::wstring duration = std::to_wstring(seconds);
  const ConsoleResult made = RunEngineProgram(
      L"ffmpeg.exe", L"-nostdin -y -loglevel error -f lavfi -i \"" + picture + L"\" -f lavfi -i sine=frequency=440 -t " +
                         duration + L" -c:v wmv2 -b:v " + videoRate + L" -c:a wmav2 -b:a 64k -f asf \"" + path + L"\"");
  ASSERT_TRUE(made.started && made.exitCode == 0 && FileExists(path)) << "could not make " << Narrow(path);
}

// A moving test pattern with a tone. With noise, pictures whose rate
// control can reach the bitrate it is given.
inline void MakePatternClip(const std::wstring& path, int seconds, bool noise) {
  MakeWmvClip(path, seconds, noise ? L"testsrc2=s=320x240:r=25,noise=alls=12:allf=t+u" : L"testsrc2=s=320x240:r=25",
              noise ? L"2500k" : L"300k");
}

inline long long FileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// The prober's fields about the first video stream.
inline std::map<std::string, std::string> ProbeVideo(const std::wstring& path) {
  return ProbeEntries(path, L"v:0", L"stream=width,height,r_frame_rate,display_aspect_ratio");
}

struct Bars {
  int top = -1;
  int bottom = -1;
  int left = -1;
  int right = -1;
};

// The black bars round the picture of the first frame (the sources are
// white), measured along the middle row and the middle column.
inline Bars BlackBars(const std::wstring& path, int width, int height) {
  const ConsoleResult frame = RunEngineProgram(
      L"ffmpeg.exe", L"-nostdin -v error -i \"" + path + L"\" -frames:v 1 -pix_fmt gray -f rawvideo -");
  Bars bars;
  if (frame.output.size() != static_cast<size_t>(width) * static_cast<size_t>(height)) return bars;
  auto dark = [&](int x, int y) {
    return static_cast<unsigned char>(frame.output[static_cast<size_t>(y) * width + x]) < 60;
  };
  auto run = [&](int start, int step, int limit, auto at) {
    int count = 0;
    for (int i = start; count < limit && at(i); i += step) ++count;
    return count;
  };
  bars.top = run(0, 1, height, [&](int y) { return dark(width / 2, y); });
  bars.bottom = run(height - 1, -1, height, [&](int y) { return dark(width / 2, y); });
  bars.left = run(0, 1, width, [&](int x) { return dark(x, height / 2); });
  bars.right = run(width - 1, -1, width, [&](int x) { return dark(x, height / 2); });
  return bars;
}

// "16:9" as a number.
inline double RatioValue(const std::string& text) {
  const size_t colon = text.find(':');
  if (colon == std::string::npos) return 0.0;
  const double denominator = std::stod(text.substr(colon + 1));
  return denominator > 0 ? std::stod(text.substr(0, colon)) / denominator : 0.0;
}

class ConverterEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(FileExists(bin + L"veltoenc.exe")) << "the encoder front end is not built";

    work = bin + workName;
    if (freshWork) RemoveTree(work);
    ASSERT_TRUE(CreateDirectoryW(work.c_str(), nullptr) || !freshWork);
    sources = work + L"\\source clips";
    ASSERT_TRUE(CreateDirectoryW(sources.c_str(), nullptr) || !freshWork);
    outputs = work + L"\\converted\\dvd";  // neither level exists yet

    // A per-user profile of our own, with the Tip of the Day switched off.
    const std::wstring appData = work + L"\\appdata";
    CreateDirectoryW(appData.c_str(), nullptr);
    CreateDirectoryW((appData + L"\\Velto ASF Converter").c_str(), nullptr);
    WritePrivateProfileStringW(L"Tip", L"StartUp", L"1", (appData + L"\\Velto ASF Converter\\VeltoConverter.INI").c_str());
    SetEnvironmentVariableW(L"APPDATA", appData.c_str());
    // Logs and the batch journal of our own too: a batch killed here is
    // offered to no other test.
    localAppData = work + L"\\localappdata";
    CreateDirectoryW(localAppData.c_str(), nullptr);
    SetEnvironmentVariableW(L"LOCALAPPDATA", localAppData.c_str());
  }

  void TearDown() override {
    program.Kill();
    SetEnvironmentVariableW(L"APPDATA", nullptr);
    SetEnvironmentVariableW(L"LOCALAPPDATA", savedLocalAppData.empty() ? nullptr : savedLocalAppData.c_str());
    SetEnvironmentVariableW(L"VELTO_DISC_CAPACITY_BYTES", nullptr);
    SetEnvironmentVariableW(L"VELTO_WHEN_DONE_RECORD", nullptr);
    SetEnvironmentVariableW(L"VELTO_COUNTDOWN_SECONDS", nullptr);
    if (!HasFailure() && !keepWork) RemoveTree(work);  // kept for a look after a failure
  }

  HWND StartProgram() {
    program.Kill();
    if (!program.Start(bin + L"VeltoConverter.exe", L"", bin)) {
      ADD_FAILURE() << "VeltoConverter.exe could not be started (system error " << GetLastError() << ")";
      return nullptr;
    }
    const HWND main = program.WaitForDialog(IsMainWindow, kWindowTimeoutMs);
    DWORD code = 0;
    if (!main && program.HasEnded() && GetExitCodeProcess(program.Process(), &code))
      ADD_FAILURE() << "VeltoConverter.exe ended at start with code " << code;
    return main;
  }

  // Add, then the names typed into the open-file dialog: first the folder
  // (Open goes there), then the files in the multi-selection form.
  void AddFiles(HWND main, const std::vector<std::wstring>& names) {
    PostCommand(main, IDC_MAIN_ADD);
    const HWND dialog = program.WaitForDialog(IsImportDialog, kWindowTimeoutMs);
    ASSERT_NE(dialog, nullptr) << "no open-file dialog";
    const HWND edit = FileNameEdit(dialog);
    ASSERT_NE(edit, nullptr) << "no file name box in the open-file dialog";
    SetText(edit, sources);
    SendMessageTimeoutW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0, SMTO_ABORTIFHUNG, 10000, nullptr);
    std::wstring selection;
    for (const std::wstring& name : names) selection += (selection.empty() ? L"\"" : L" \"") + name + L"\"";
    SetText(edit, selection);
    PostCommand(dialog, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, kWindowTimeoutMs)) << "the open-file dialog stayed";
  }

  // AddFiles, then waits for the list to hold `rows` rows.
  void AddFilesAndWait(HWND main, const std::vector<std::wstring>& names, LRESULT rows) {
    ASSERT_NO_FATAL_FAILURE(AddFiles(main, names));
    const HWND list = GetDlgItem(main, IDC_MAIN_FILE_LIST);
    ASSERT_TRUE(WaitUntil([&] { return SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == rows; }, kWindowTimeoutMs))
        << "the list did not come to " << rows << " rows";
  }

  static HWND FileNameEdit(HWND dialog) {
    if (const HWND combo = GetDlgItem(dialog, cmb13)) {
      const HWND edit = FindWindowExW(combo, nullptr, L"Edit", nullptr);
      return edit ? edit : combo;
    }
    return GetDlgItem(dialog, edt1);
  }

  HWND WaitForMessageBox(DWORD timeoutMs) { return program.WaitForDialog(IsMessageBox, timeoutMs); }

  // Converts the list into `folder` as `format` and closes the final
  // message, whose text it returns.
  std::string ConvertList(HWND main, int format, const std::wstring& folder) {
    ChooseComboItem(main, IDC_MAIN_FORMAT, format);
    SetText(GetDlgItem(main, IDC_MAIN_OUTPUT_FOLDER), folder);
    PostCommand(main, IDC_MAIN_CONVERT);
    const HWND box = WaitForMessageBox(kBatchTimeoutMs);
    EXPECT_NE(box, nullptr) << "no final message";
    if (!box) return "";
    const std::string text = Narrow(MessageBoxText(box));
    PostCommand(box, IDOK);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(main) != FALSE; }, kWindowTimeoutMs));
    return text;
  }

  std::vector<std::vector<std::wstring>> Rows(HWND main) {
    return ListViewRows(GetDlgItem(main, IDC_MAIN_FILE_LIST), program.Process(), 3);
  }

  std::wstring Source(const std::wstring& name) const { return sources + L"\\" + name; }
  std::wstring Output(const std::wstring& name) const { return outputs + L"\\" + name; }

  // A DVD PAL picture whose white area shows with the source's shape on the
  // display (the frame's display aspect ratio taken into account); returns
  // the bars that give it that shape.
  Bars ExpectDvdPal(const std::wstring& path, double sourceAspect) {
    SCOPED_TRACE(Narrow(path));
    std::map<std::string, std::string> video = ProbeVideo(path);
    EXPECT_EQ(video["width"], "720");
    EXPECT_EQ(video["height"], "576");
    EXPECT_EQ(video["r_frame_rate"], "25/1");
    const Bars bars = BlackBars(path, 720, 576);
    EXPECT_GE(bars.top, 0) << "no frame decoded";
    const double displayAspect = RatioValue(video["display_aspect_ratio"]);
    EXPECT_GT(displayAspect, 0.0) << video["display_aspect_ratio"];
    const int pictureWidth = 720 - bars.left - bars.right;
    const int pictureHeight = 576 - bars.top - bars.bottom;
    if (pictureWidth > 0 && pictureHeight > 0) {
      const double shown = displayAspect * pictureWidth / 720.0 / (static_cast<double>(pictureHeight) / 576.0);
      EXPECT_NEAR(shown, sourceAspect, sourceAspect * 0.03)
          << "bars top " << bars.top << ", bottom " << bars.bottom << ", left " << bars.left << ", right "
          << bars.right;
    }
    EXPECT_NEAR(bars.top, bars.bottom, 2) << "the picture is not centred";
    EXPECT_NEAR(bars.left, bars.right, 2) << "the picture is not centred";
    return bars;
  }

  std::wstring bin = ExecutableFolder();
  std::wstring settingsPath = bin + L"option.ini";
  FileSetAside settingsFile{settingsPath};
  // The folder the test works in, below the test's own; a test run in
  // phases keeps it from one to the next.
  std::wstring workName = L"e2e run";
  bool freshWork = true;
  bool keepWork = false;
  std::wstring savedLocalAppData = Environment(L"LOCALAPPDATA");
  std::wstring localAppData;
  std::wstring work;
  std::wstring sources;
  std::wstring outputs;
  RemoteProgram program;
};

}  // namespace velto::testing
