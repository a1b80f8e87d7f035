#pragma once
// The measuring pass of evened loudness (encoder/job/loudness_arguments.h),
// run before a conversion.
#include <string>

#include "encoder/common/run_log_win.h"
#include "encoder/job/encoder_job.h"
#include "encoder/run/reporter_win.h"
#include "encoder/source/media_probe.h"

namespace velto {

enum class LoudnessOutcome {
  kReady,    // the job is ready to convert
  kStopped,  // the window asked to stop while the sound was measured
};

// Measures the sound the job's output will carry and gives the job the
// gain, and the limiter, that even it out. An output without the source's
// sound, or a sound that could not be measured, keeps the gain asked for;
// the log says why. While the pass runs the window is told the position 0
// at its start and once a second, so that its answer can ask for a stop.
LoudnessOutcome EvenOutLoudness(const std::wstring& ffmpeg, EncoderJob& job, const SourceInfo& source,
                                Reporter& reporter, RunLog& log);

}  // namespace velto
