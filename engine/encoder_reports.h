#pragma once
// Handling of the encoder's reports (kinds 1-4 and 8 in a probe, 6 in a
// conversion), independent of the window that receives them.
#include <cstdint>
#include <string>

#include "engine/media_list.h"
#include "engine/progress_text.h"

namespace velto {

// What the report handler needs from the user interface.
class ReportSink {
 public:
  virtual ~ReportSink() = default;
  // Handles at most one waiting window message; never blocks.
  virtual void PumpOneMessage() = 0;
  // Asks "Do you really want to stop?"; true for Yes.
  virtual bool ConfirmStop() = 0;
  // Writes the status text and the bar of the progress window.
  virtual void ShowProgress(const ProgressDisplay& display) = 0;
  // Writes the batch's time left ("About 00:01:23 left", or "").
  virtual void ShowTimeLeft(const std::string& /*line*/) {}
  // Milliseconds since some fixed point, as GetTickCount counts.
  virtual std::uint32_t TickCount() = 0;
};

// Makes ready for a probe: the pending entry is emptied and nothing counts
// as reported, so a probe that leaves a value out cannot inherit the
// previous file's.
void BeginProbe(MediaList& list, EngineState& state);

// True when the probe reported a usable duration, width, height and frame
// rate and nothing non-positive.
bool ProbeSucceeded(const EngineState& state);

// The work behind the report message: returns 1 when the user confirmed a
// stop (the encoder is to stop), otherwise 0. Once a stop is confirmed every
// later report is answered 1 without a question.
int HandleEncoderReport(unsigned kind, std::int32_t value, MediaList& list, EngineState& state,
                        ReportSink& ui);
// The same for the run of the list's file `index`, one of several at work:
// the bar counts the media of every file at work.
int HandleRunReport(std::int32_t index, unsigned kind, std::int32_t value, MediaList& list, EngineState& state,
                    ReportSink& ui);

// Asks about a Cancel: Yes is kept (stopConfirmed, the request stays set),
// No clears the request. No second question comes while one is open.
bool AskToStop(EngineState& state, ReportSink& ui);

// A Cancel that no report has followed for this long is asked about by the
// wait for the encoder instead.
inline constexpr std::uint32_t kSilentStopMs = 3000;
inline constexpr std::uint32_t kNoStopQuestion = 0xFFFFFFFF;

// Milliseconds from `now` until the wait asks about a Cancel that no report
// has followed: 0 when due, kNoStopQuestion when there is nothing to ask.
std::uint32_t MillisecondsToSilentStopQuestion(const EngineState& state, std::uint32_t now);

// After a file's run, whether a Cancel pressed during it stops the batch: a
// Yes already given, or an encoder that ended on a stop, counts; a Cancel
// not yet answered is asked about now.
bool StopConfirmedAfterRun(EngineState& state, bool encoderStopped, ReportSink& ui);

}  // namespace velto
