// The encoder run loop with the stand-in encoder: start failures, exit codes,
// probe reports into the pending entry, and the stop question.
#include "engine/encoder_process.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "base/encoder_interface.h"
#include "base/module_directory.h"
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

}  // namespace
}  // namespace velto
