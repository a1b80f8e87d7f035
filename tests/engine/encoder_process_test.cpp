// The encoder run loop with the stand-in encoder: start failures, exit codes,
// probe reports into the pending entry, and the stop question.
#include "engine/encoder_process.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/encoder_interface.h"
#include "base/module_directory.h"
#include "base/text_encoding.h"
#include "engine/encoder_reports.h"
#include "engine/media_list.h"
#include "engine/progress_dialog.h"
#include "tests/support/message_box_answerer.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/stand_in_encoder.h"

namespace velto {
namespace {

using velto::testing::MessageBoxAnswerer;

constexpr char kProbeReports[] = "duration=65\nwidth=320\nheight=240\nfps=299700000\n";

ReportSink* g_sink = nullptr;

LRESULT CALLBACK ReportWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kProgressMessage && g_sink) {
    return HandleEncoderReport(static_cast<unsigned>(wParam), static_cast<std::int32_t>(lParam), g_mediaList,
                               g_engineState, *g_sink);
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

// A hidden window that hands the encoder's reports to HandleEncoderReport.
class ReportWindow {
 public:
  explicit ReportWindow(ReportSink& sink) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ReportWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VeltoReportWindow";
    RegisterClassW(&wc);
    hwnd_ = CreateWindowW(L"VeltoReportWindow", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance,
                          nullptr);
    g_sink = &sink;
  }
  ~ReportWindow() {
    g_sink = nullptr;
    DestroyWindow(hwnd_);
  }
  HWND Handle() const { return hwnd_; }

 private:
  HWND hwnd_;
};

class EncoderProcess : public ::testing::Test {
 protected:
  void SetUp() override {
    g_mediaList = MediaList{};
    g_engineState = EngineState{};
  }
  // The stand-in encoder's command line for a run reporting to `target`,
  // with a source that tells it what to do.
  EncoderCommand StandIn(HWND target, RunMode mode, const std::string& source) {
    testing::WriteBytes(scratch.File("source.wmv"), source);
    const auto handle = static_cast<long long>(reinterpret_cast<INT_PTR>(target));
    return {"\"" + scratch.File("source.wmv") + "\" -o \"" + scratch.File("out.avi") + "\" " +
                std::to_string(mode) + " " + std::to_string(handle),
            encoder + "veltoenc.exe", {}};
  }
  testing::ScratchDir scratch{"encoder process"};
  std::string encoder = testing::InstallStandInEncoder(scratch.Directory() + "encoder\\");
};

// The step after the start runs once, also when the encoder is missing.
TEST_F(EncoderProcess, AMissingEncoderEndsTheWaitAtOnce) {
  const DWORD start = GetTickCount();
  int started = 0;
  const EncoderRunResult r =
      RunEncoderProcess({"\"a.wmv\"", ModuleDirectory() + "no such encoder.exe", {}}, [&] { ++started; });
  EXPECT_FALSE(r.started);
  EXPECT_EQ(started, 1);
  EXPECT_LT(GetTickCount() - start, 2000u);
}

TEST_F(EncoderProcess, HandsBackTheEncodersExitCode) {
  int started = 0;
  const EncoderRunResult r = RunEncoderProcess(
      StandIn(nullptr, kRunProbe, std::string(kProbeReports) + "probe_exit=5\n"), [&] { ++started; });
  EXPECT_TRUE(r.started);
  EXPECT_EQ(started, 1);
  EXPECT_EQ(r.exitCode, 5u);
}

TEST_F(EncoderProcess, ProbeReportsFillThePendingEntry) {
  ProgressDialogSink sink(nullptr);
  ReportWindow window(sink);
  BeginProbe(g_mediaList, g_engineState);
  const EncoderRunResult r = RunEncoderProcess(StandIn(window.Handle(), kRunProbe, kProbeReports));
  EXPECT_TRUE(r.started);
  EXPECT_EQ(r.exitCode, 0u);
  EXPECT_TRUE(ProbeSucceeded(g_engineState));
  EXPECT_EQ(g_mediaList.pending.duration, 65.0);
  EXPECT_EQ(g_mediaList.pending.width, 320);
  EXPECT_EQ(g_mediaList.pending.height, 240);
  EXPECT_DOUBLE_EQ(g_mediaList.pending.frameRate, 29.97);
}

class EncoderStop : public EncoderProcess {
 protected:
  void SetUp() override {
    EncoderProcess::SetUp();
    ASSERT_TRUE(dialog.CreateHidden(nullptr));
    dialog.ShowForBatch();
    g_mediaList.totalDuration = 100.0;
    g_engineState.batchStartTick = GetTickCount();
  }
  ProgressDialog dialog;
  ProgressDialogSink sink{&dialog};
};

TEST_F(EncoderStop, ConfirmedStopEndsTheRunWithTheStoppedCode) {
  ReportWindow window(sink);
  MessageBoxAnswerer answerer(IDYES);
  g_engineState.stopRequested = true;
  const EncoderRunResult r = RunEncoderProcess(StandIn(window.Handle(), kRunConvert, "seconds=50\nsleep_ms=10\n"));
  EXPECT_EQ(r.exitCode, 2u);
  ASSERT_EQ(answerer.texts.size(), 1u);
  EXPECT_EQ(answerer.texts[0], L"Do you really want to stop?");
  EXPECT_EQ(answerer.captions[0], L"Velto ASF Converter");
  EXPECT_TRUE(g_engineState.stopRequested);
}

TEST_F(EncoderStop, StopAnsweredNoLetsTheRunFinish) {
  ReportWindow window(sink);
  MessageBoxAnswerer answerer(IDNO);
  g_engineState.stopRequested = true;
  const EncoderRunResult r = RunEncoderProcess(StandIn(window.Handle(), kRunConvert, "seconds=5\nsleep_ms=10\n"));
  EXPECT_EQ(r.exitCode, 0u);
  EXPECT_EQ(answerer.texts.size(), 1u);
  EXPECT_FALSE(g_engineState.stopRequested);
  EXPECT_NE(dialog.StatusText().find("Finished 5.0%"), std::string::npos) << dialog.StatusText();
  EXPECT_EQ(dialog.Bar().GetPos(), 50);
}

// A program of `folder` started suspended, as a child of `parent` when
// one is given.
PROCESS_INFORMATION StartSuspended(const std::string& program, HANDLE parent, const std::string& arguments = {}) {
  SIZE_T size = 0;
  InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
  std::vector<char> attributes(size);
  STARTUPINFOEXW startup{};
  startup.StartupInfo.cb = sizeof startup;
  startup.lpAttributeList = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributes.data());
  InitializeProcThreadAttributeList(startup.lpAttributeList, 1, 0, &size);
  if (parent)
    UpdateProcThreadAttribute(startup.lpAttributeList, 0, PROC_THREAD_ATTRIBUTE_PARENT_PROCESS, &parent, sizeof parent,
                              nullptr, nullptr);
  const std::wstring path = Utf8ToWide(program);
  std::wstring line = L"\"" + path + L"\" " + Utf8ToWide(arguments);
  PROCESS_INFORMATION info{};
  CreateProcessW(path.c_str(), line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED | EXTENDED_STARTUPINFO_PRESENT,
                 nullptr, nullptr, &startup.StartupInfo, &info);
  DeleteProcThreadAttributeList(startup.lpAttributeList);
  return info;
}

// An ffmpeg run whose veltoenc was killed as it started the run stays
// suspended, as does a veltoenc whose converter was killed as it started
// it; the sweep ends both and leaves a run whose veltoenc lives, and an
// ffmpeg.exe that runs although its starter has gone: that one may be
// anybody's.
TEST_F(EncoderProcess, EndsTheRunsWhoseStarterHasGone) {
  std::filesystem::copy_file(testing::PathFromUtf8(encoder + "veltoenc.exe"),
                             testing::PathFromUtf8(encoder + "ffmpeg.exe"));
  const PROCESS_INFORMATION living = StartSuspended(encoder + "veltoenc.exe", nullptr);
  const PROCESS_INFORMATION killed = StartSuspended(encoder + "veltoenc.exe", nullptr);
  const PROCESS_INFORMATION kept = StartSuspended(encoder + "ffmpeg.exe", living.hProcess);
  const PROCESS_INFORMATION orphan = StartSuspended(encoder + "ffmpeg.exe", killed.hProcess);
  const PROCESS_INFORMATION lostEncoder = StartSuspended(encoder + "veltoenc.exe", killed.hProcess);
  testing::WriteBytes(scratch.File("long.wmv"), "stall_ms=60000\n");
  const PROCESS_INFORMATION foreign = StartSuspended(
      encoder + "ffmpeg.exe", killed.hProcess, "\"" + scratch.File("long.wmv") + "\" -o \"" + scratch.File("o.avi") + "\" 0 0");
  ASSERT_TRUE(kept.hProcess && orphan.hProcess && lostEncoder.hProcess && foreign.hProcess);
  ResumeThread(foreign.hThread);
  TerminateProcess(killed.hProcess, 1);
  WaitForSingleObject(killed.hProcess, 5000);

  EXPECT_EQ(EndOrphanedRuns(Utf8ToWide(encoder)), 2);
  EXPECT_EQ(WaitForSingleObject(orphan.hProcess, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(lostEncoder.hProcess, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(kept.hProcess, 0), WAIT_TIMEOUT);
  EXPECT_EQ(WaitForSingleObject(foreign.hProcess, 0), WAIT_TIMEOUT);
  for (const PROCESS_INFORMATION& started : {living, killed, kept, orphan, lostEncoder, foreign}) {
    TerminateProcess(started.hProcess, 1);
    WaitForSingleObject(started.hProcess, 5000);
    CloseHandle(started.hProcess);
    CloseHandle(started.hThread);
  }
}

}  // namespace
}  // namespace velto
