// Faults injected into batches run with the real veltoenc.exe: a missing
// encoder or engine, the engine killed mid-file, an output folder that
// cannot be written, a drive that fills up, Cancel at awkward moments and
// the window closed during a probe. Each time the sources stay as they were,
// finished outputs stay whole, no incomplete file is left and the user is
// told which files failed.
#include "tests/reliability/reliability_support.h"

#include <cstdlib>

#include "base/process_win.h"

namespace velto::reliability {
namespace {

// Ends every ffmpeg.exe whose parent is a veltoenc.exe; how many it ended.
int KillEngines() {
  std::map<DWORD, std::wstring> names;
  std::vector<std::pair<DWORD, DWORD>> engines;  // (pid, parent)
  for (const PROCESSENTRY32W& entry : RunningProcesses()) {
    names[entry.th32ProcessID] = entry.szExeFile;
    if (_wcsicmp(entry.szExeFile, L"ffmpeg.exe") == 0) {
      engines.push_back({entry.th32ProcessID, entry.th32ParentProcessID});
    }
  }
  int killed = 0;
  for (const auto& [pid, parent] : engines) {
    if (_wcsicmp(names[parent].c_str(), L"veltoenc.exe") != 0) continue;
    HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, pid);
    if (process && TerminateProcess(process, 1)) ++killed;
    if (process) CloseHandle(process);
  }
  return killed;
}

std::string MountFolder(const char* name) {
  const char* root = std::getenv("VELTO_RELIABILITY_MOUNTS");
  if (!root) return {};
  const std::string folder = std::string(root) + "\\" + name;
  std::string marker = folder + ".mounted";
  for (char& c : marker) if (c == '/') c = '\\';
  if (!Exists(marker)) return {};
  std::string result = folder;
  for (char& c : result) if (c == '/') c = '\\';
  return result + "\\";
}

class FaultInjection : public MainWindowTest {
 protected:
  void SetUp() override {
    if (!RealEncoderPresent()) GTEST_SKIP() << "veltoenc.exe, ffmpeg.exe or ffprobe.exe is not beside the tests";
    MainWindowTest::SetUp();
  }
  // A clip of `seconds` made with ffmpeg.exe among the sources.
  // With `noisy` the picture is noise, which no encoder can make small.
  std::string MakeClip(const std::string& name, int seconds, bool noisy = false) {
    const std::string path = sources + name;
    EXPECT_TRUE(Ffmpeg("-f lavfi -i testsrc=size=160x120:rate=25:duration=" + std::to_string(seconds) +
                           (noisy ? ",noise=alls=100:allf=t" : "") +
                           " -f lavfi -i sine=duration=" + std::to_string(seconds) +
                           " -c:v wmv2 -c:a wmav2 -f asf",
                       path));
    return path;
  }
  // Adds the clips through probes that must all succeed.
  void AddAll(const std::vector<std::string>& paths) {
    testing::MessageBoxAnswerer answerer(IDOK);
    dialog->AddFilesFrom(paths);
    ASSERT_EQ(Utf8Texts(answerer.texts), std::vector<std::string>{});
    ASSERT_EQ(g_mediaList.count(), static_cast<int>(paths.size()));
  }
  // Rows for files without probing them.
  void AddRows(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
      g_mediaList.pending = MediaEntry{"", 2.0, 160, 120, 25.0};
      ASSERT_EQ(dialog->AppendListRow(path), 0);
    }
  }
  // Converts; the texts of the message boxes shown. With `picture`, the
  // first box is pictured into that file.
  std::vector<std::string> Convert(int answer = IDOK, const char* picture = nullptr) {
    testing::MessageBoxAnswerer answerer(answer);
    if (picture) answerer.PictureNext(picture);
    Command(IDC_MAIN_CONVERT);
    return Utf8Texts(answerer.texts);
  }
  // Two clips probed and converted with the encoder of `program`: each probe
  // fails with `probeCause`, the batch names both files with `fileCause`,
  // writes nothing and leaves the sources as they were.
  void ExpectEveryProbeAndFileToFail(const std::string& program, const std::string& probeCause,
                                     const std::string& fileCause) {
    const std::string a = MakeClip("a.wmv", 1), b = MakeClip("b.wmv", 1);
    const auto before = Fingerprints({a, b});
    dialog->SetEncoderDirectory(program);
    {
      testing::MessageBoxAnswerer answerer(IDOK);
      dialog->AddFilesFrom({a, b});
      const std::string failed = " failed. (" + probeCause + ")";
      EXPECT_EQ(Utf8Texts(answerer.texts),
                std::vector<std::string>{"Load file " + a + failed + "\nLoad file " + b + failed});
    }
    AddRows({a, b});
    const auto messages = Convert();
    ASSERT_EQ(messages.size(), 1u);
    ExpectNamesFailures(messages[0], {a, b}, 2, fileCause);
    EXPECT_TRUE(FilesIn(output).empty());
    EXPECT_EQ(Fingerprints({a, b}), before);
    ExpectIdle();
  }
  static void ExpectNamesFailures(const std::string& message, const std::vector<std::string>& failed, int total,
                                  const std::string& why) {
    EXPECT_EQ(message.find("Mission accomplished"), std::string::npos) << message;
    EXPECT_NE(message.find(std::to_string(failed.size()) + " of " + std::to_string(total) +
                           (total == 1 ? " file" : " files") + " could not be converted."),
              std::string::npos)
        << message;
    for (const std::string& path : failed) {
      EXPECT_NE(message.find(path + "\n    (" + why), std::string::npos) << path << "\n" << message;
    }
  }
};

TEST_F(FaultInjection, AMissingEncoderFailsEveryProbeAndEveryFileByName) {
  const std::string cause = "the encoder could not be started";
  ExpectEveryProbeAndFileToFail(scratch.Directory() + "empty program folder\\", cause, cause);
}

TEST_F(FaultInjection, AMissingEngineFailsEveryProbeAndEveryFileByName) {
  const std::string program = scratch.Directory() + "program without engine\\";
  std::filesystem::create_directories(PathFromUtf8(program));
  std::filesystem::copy_file(PathFromUtf8(ModuleDirectory() + "veltoenc.exe"), PathFromUtf8(program + "veltoenc.exe"));
  const std::string cause = "the encoder's engine (ffmpeg.exe or ffprobe.exe) is missing";
  ExpectEveryProbeAndFileToFail(program, cause, cause + "; log: ");
}

TEST_F(FaultInjection, TheEngineKilledMidFileFailsThatFileOnly) {
  const std::string a = MakeClip("a.wmv", 1), b = MakeClip("b.wmv", 20), c = MakeClip("c.wmv", 1);
  AddAll({a, b, c});
  const auto before = Fingerprints({a, b, c});
  g_settings.outputFormat = kFormatDvd;  // slow enough to be caught at work
  std::string firstOutput;
  int killed = 0;
  // ffmpeg writes under the output's temporary name until the output has been checked.
  WhenReady kill([&] { return g_engineState.currentIndex == 1 && Size(output + "~velto-b.vob.partial") > 0; },
                 [&] {
                   firstOutput = Fingerprint(output + "a.vob");
                   killed = KillEngines();
                 },
                 5);
  const auto messages = Convert();
  ASSERT_TRUE(kill.done());
  ASSERT_EQ(killed, 1);
  ASSERT_EQ(messages.size(), 1u);
  ExpectNamesFailures(messages[0], {b}, 3, "the engine failed");
  EXPECT_EQ(FilesIn(output), (std::vector<std::string>{"a.vob", "c.vob"}));
  EXPECT_EQ(Fingerprint(output + "a.vob"), firstOutput);
  EXPECT_GT(Size(output + "c.vob"), 1000u);
  EXPECT_EQ(Fingerprints({a, b, c}), before);
  ExpectIdle();
}

TEST_F(FaultInjection, AReadOnlyOutputFolderFailsEachFileAndCannotTakeNewFolders) {
  const std::string readOnly = MountFolder("readonly");
  if (readOnly.empty()) GTEST_SKIP() << "no read-only tmpfs was mounted (mounting needs root)";
  const std::string a = MakeClip("a.wmv", 1), b = MakeClip("b.wmv", 1);
  AddAll({a, b});
  const auto before = Fingerprints({a, b});
  SetOutputFolder(readOnly);
  auto messages = Convert(IDOK, "failure-summary.bmp");
  ASSERT_EQ(messages.size(), 1u);
  ExpectNamesFailures(messages[0], {a, b}, 2,
                      "the output folder cannot be written (access denied or read-only); log: ");
  EXPECT_TRUE(FilesIn(readOnly).empty());

  SetOutputFolder(readOnly + "new\\deeper");
  messages = Convert();
  EXPECT_EQ(messages, std::vector<std::string>{"Fail to create tmp folder " + readOnly + "new\\deeper"});
  EXPECT_EQ(Fingerprints({a, b}), before);
  ExpectIdle();
}

TEST_F(FaultInjection, AFullDriveFailsTheFileThatDoesNotFitAndKeepsTheOthers) {
  const std::string full = MountFolder("full");
  if (full.empty()) GTEST_SKIP() << "no small tmpfs was mounted (mounting needs root)";
  for (const std::string& name : FilesIn(full)) std::filesystem::remove(PathFromUtf8(full + name));
  const std::string a = MakeClip("a.wmv", 1), big = MakeClip("big.wmv", 8, true), c = MakeClip("c.wmv", 1);
  AddAll({a, big, c});
  const auto before = Fingerprints({a, big, c});
  SetOutputFolder(full);
  g_settings.outputFormat = kFormatDvd;  // about 1.2 MB a second: the 4 MB drive takes 1 s, not 8
  g_settings.dvdQuality = 5;
  std::string firstOutput;
  WhenReady remember([&] { return g_engineState.currentIndex == 1; },
                     [&] { firstOutput = Fingerprint(full + "a.vob"); });
  const auto messages = Convert();
  ASSERT_EQ(messages.size(), 1u);
  ExpectNamesFailures(messages[0], {big}, 3, "the disk is full; log: ");
  EXPECT_EQ(FilesIn(full), (std::vector<std::string>{"a.vob", "c.vob"}))
      << Size(full + "a.vob") << " " << Size(full + "big.vob") << " " << Size(full + "c.vob");
  EXPECT_EQ(Fingerprint(full + "a.vob"), firstOutput);
  EXPECT_GT(Size(full + "c.vob"), 1000u);
  EXPECT_EQ(Fingerprints({a, big, c}), before);
  for (const std::string& name : FilesIn(full)) std::filesystem::remove(PathFromUtf8(full + name));
  ExpectIdle();
}

TEST_F(FaultInjection, CancelAtTheFirstReportOfTheSecondFileStopsThereAndKeepsTheFirst) {
  const std::string a = MakeClip("a.wmv", 1), b = MakeClip("b.wmv", 6), c = MakeClip("c.wmv", 1);
  AddAll({a, b, c});
  const auto before = Fingerprints({a, b, c});
  g_settings.outputFormat = kFormatDvd;
  std::string firstOutput;
  bool clicked = false;
  ReportWatcher watcher([&](WPARAM kind, LPARAM) {
    if (kind != 6 || clicked || g_engineState.currentIndex != 1) return;
    clicked = true;
    firstOutput = Fingerprint(output + "a.vob");
    ClickCancel();
  });
  const auto messages = Convert(IDYES);
  ASSERT_TRUE(clicked);
  EXPECT_EQ(messages, std::vector<std::string>{"Do you really want to stop?"});
  EXPECT_EQ(FilesIn(output), std::vector<std::string>{"a.vob"});
  EXPECT_EQ(Fingerprint(output + "a.vob"), firstOutput);
  EXPECT_EQ(Fingerprints({a, b, c}), before);
  ExpectIdle();
}

TEST_F(FaultInjection, ClosingTheWindowDuringAProbeWaitsForItAndEndsCleanly) {
  const std::string a = MakeClip("a.wmv", 1), b = MakeClip("b.wmv", 1);
  const auto before = Fingerprints({a, b});
  testing::MessageBoxAnswerer answerer(IDOK);
  WhenReady close([&] { return dialog->IsBusy(); }, [&] { SendMessageW(hwnd, WM_CLOSE, 0, 0); }, 5);
  dialog->AddFilesFrom({a, b});
  ASSERT_TRUE(close.done());
  EXPECT_TRUE(answerer.texts.empty());
  EXPECT_EQ(Column(1), std::vector<std::string>{a});  // the probe under way finished; b was not started
  EXPECT_FALSE(IsWindowVisible(hwnd));
  list.Detach();
  dialog.reset();  // saves the settings; the window goes
  EXPECT_NE(ReadBytes(scratch.File("option.ini")).find("Temporary folder=" + output), std::string::npos);
  EXPECT_EQ(Fingerprints({a, b}), before);
}

}  // namespace
}  // namespace velto::reliability
