// The encoder run loop with a stand-in encoder: start failures, exit codes,
// probe reports into the pending entry, and the stop question.
#include "engine/encoder_process.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "base/module_directory.h"
#include "engine/encoder_reports.h"
#include "engine/media_list.h"
#include "engine/progress_dialog.h"
#include "tests/support/message_box_answerer.h"

namespace velto {
namespace {

using velto::testing::MessageBoxAnswerer;

ReportSink* g_sink = nullptr;

LRESULT CALLBACK ReportWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == 0x720 && g_sink) {
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

EncoderCommand FakeEncoder(HWND target, const std::string& mode, int number) {
  const auto handle = static_cast<long long>(reinterpret_cast<INT_PTR>(target));
  return {std::to_string(handle) + " " + mode + " " + std::to_string(number),
          ModuleDirectory() + "fake_encoder.exe"};
}

class EncoderProcess : public ::testing::Test {
 protected:
  void SetUp() override {
    g_mediaList = MediaList{};
    g_engineState = EngineState{};
  }
};

TEST_F(EncoderProcess, AMissingEncoderEndsTheWaitAtOnce) {
  const DWORD start = GetTickCount();
  const EncoderRunResult r = RunEncoderProcess({"\"a.wmv\"", ModuleDirectory() + "no such encoder.exe"});
  EXPECT_FALSE(r.started);
  EXPECT_LT(GetTickCount() - start, 2000u);
}

TEST_F(EncoderProcess, HandsBackTheEncodersExitCode) {
  const EncoderRunResult r = RunEncoderProcess(FakeEncoder(nullptr, "probe", 5));
  EXPECT_TRUE(r.started);
  EXPECT_EQ(r.exitCode, 5u);
}

TEST_F(EncoderProcess, ProbeReportsFillThePendingEntry) {
  ProgressDialogSink sink(nullptr);
  ReportWindow window(sink);
  BeginProbe(g_mediaList, g_engineState);
  const EncoderRunResult r = RunEncoderProcess(FakeEncoder(window.Handle(), "probe", 0));
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
  const EncoderRunResult r = RunEncoderProcess(FakeEncoder(window.Handle(), "convert", 50));
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
  const EncoderRunResult r = RunEncoderProcess(FakeEncoder(window.Handle(), "convert", 5));
  EXPECT_EQ(r.exitCode, 0u);
  EXPECT_EQ(answerer.texts.size(), 1u);
  EXPECT_FALSE(g_engineState.stopRequested);
  EXPECT_NE(dialog.StatusText().find("Finished 5.0%"), std::string::npos) << dialog.StatusText();
  EXPECT_EQ(dialog.Bar().GetPos(), 50);
}

}  // namespace
}  // namespace velto
