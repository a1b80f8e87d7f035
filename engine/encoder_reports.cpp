#include "engine/encoder_reports.h"

#include <algorithm>
#include <limits>

#include "base/encoder_interface.h"

namespace velto {
namespace {

constexpr unsigned kAllProbeKinds = (1u << kReportDuration) | (1u << kReportWidth) |
                                    (1u << kReportHeight) | (1u << kReportFrameRate);

// A position of file `index`; the bar shows the media of every file at work.
int HandlePosition(std::int32_t index, double position, MediaList& list, EngineState& state, ReportSink& ui) {
  if (++state.reportCounter >= 100) {
    ui.PumpOneMessage();
    state.reportCounter = 0;
  }
  if (state.stopRequested && !state.stopQuestionOpen) {
    if (state.stopConfirmed || AskToStop(state, ui)) return 1;
  }
  ui.PumpOneMessage();
  // Repeated positions count too: the line counts down while a split
  // conversion's join runs.
  state.timeLeft.SetPosition(static_cast<std::size_t>(std::max(0, index)), position);
  state.positions[index] = position;
  position = 0.0;
  for (const auto& atWork : state.positions) position += atWork.second;
  if (const auto line = state.timeLeft.LineToShow(ui.TickCount())) ui.ShowTimeLeft(*line);
  if (position == state.lastPosition) return 0;
  state.lastPosition = position;

  const std::uint32_t elapsed = ui.TickCount() - state.batchStartTick;
  const auto display = ComputeProgressDisplay(position, state.completedDuration, list.totalDuration, elapsed);
  if (!display) return 0;
  ui.ShowProgress(*display);
  ui.PumpOneMessage();
  return 0;
}

}  // namespace

bool AskToStop(EngineState& state, ReportSink& ui) {
  if (state.stopQuestionOpen) return false;
  state.stopQuestionOpen = true;
  const bool yes = ui.ConfirmStop();
  state.stopQuestionOpen = false;
  if (yes) {
    state.stopConfirmed = true;
  } else {
    state.stopRequested = false;
  }
  return yes;
}

std::uint32_t MillisecondsToSilentStopQuestion(const EngineState& state, std::uint32_t now) {
  if (!state.stopRequested || state.stopConfirmed || state.stopQuestionOpen) return kNoStopQuestion;
  const std::uint32_t waited = now - state.stopRequestTick;
  return waited >= kSilentStopMs ? 0 : kSilentStopMs - waited;
}

bool StopConfirmedAfterRun(EngineState& state, bool encoderStopped, ReportSink& ui) {
  if (!state.stopRequested) return false;
  return state.stopConfirmed || encoderStopped || AskToStop(state, ui);
}

void BeginProbe(MediaList& list, EngineState& state) {
  list.pending = MediaEntry{};
  state.probeFailed = false;
  state.probeReports = 0;
}

bool ProbeSucceeded(const EngineState& state) {
  return !state.probeFailed && (state.probeReports & kAllProbeKinds) == kAllProbeKinds;
}

int HandleEncoderReport(unsigned kind, std::int32_t value, MediaList& list, EngineState& state,
                        ReportSink& ui) {
  return HandleRunReport(state.currentIndex, kind, value, list, state, ui);
}

int HandleRunReport(std::int32_t index, unsigned kind, std::int32_t value, MediaList& list, EngineState& state,
                    ReportSink& ui) {
  MediaEntry& pending = list.pending;
  switch (kind) {
    case kReportDuration:
    case kReportWidth:
    case kReportHeight:
      if (value <= 0) {
        state.probeFailed = true;
        return 0;
      }
      if (kind == kReportDuration) pending.duration = value;
      if (kind == kReportWidth) pending.width = value;
      if (kind == kReportHeight) pending.height = value;
      state.probeReports |= 1u << kind;
      return 0;
    case kReportFrameRate:
      if (value == 0) {
        state.probeFailed = true;
        return 0;
      }
      if (value < 0) value = std::numeric_limits<std::int32_t>::max();
      pending.frameRate = value * 1e-7;
      state.probeReports |= 1u << kind;
      return 0;
    case kReportPosition:
      return HandlePosition(index, value, list, state, ui);
    case kReportStatedDuration:
      if (value > 0) pending.statedDuration = value;
      return 0;
    default:
      return 0;
  }
}

}  // namespace velto
