#pragma once
// Evened loudness (-even-loudness): the sound a conversion will carry is
// measured first in a pass of its own (EBU R128 integrated loudness and
// loudness range, and the peak, by ffmpeg's ebur128 filter), then encoded
// with one plain gain that brings it to kTargetLoudness, and a peak limiter
// only where that gain would lift its peaks too high.
#include <optional>
#include <string_view>

#include "encoder/job/argument_text.h"
#include "encoder/job/encoder_job.h"
#include "encoder/source/media_probe.h"

namespace velto {

inline constexpr double kTargetLoudness = -16.0;  // LUFS, integrated
// The output's true peak is to stay at or below -1.5 dBTP. The limiter
// holds the samples 1 dB below that, which leaves room for the peaks
// between samples and for what a lossy encoder adds (up to 1 dB measured:
// WMA on clicks). It is put in wherever the gain lifts the samples' peak
// above its level; anywhere else it would change nothing. So the pass
// measures the samples' peak: the true peak (4 times oversampled) would
// decide nothing more and made the pass two to three times as long.
inline constexpr double kLimiterCeiling = -2.5;   // dBFS
// R128's absolute gate: a sound measured at or below it is digital silence.
inline constexpr double kSilenceLoudness = -70.0;
// The most the evening lifts a sound: one quieter than -40 LUFS is mostly
// hiss or hum, which the full gain to the target would bring to speech level.
inline constexpr double kLargestLoudnessLift = 24.0;  // dB

struct Loudness {
  double integrated = 0;  // LUFS; -70 for digital silence
  double range = 0;       // LU
  double peak = 0;        // dBFS (of the samples, or the true peak, as measured); -inf for silence
};

// ffmpeg's arguments for the measuring pass: the sound the output will
// carry (the source's first audio stream in the output's channels and
// sample rate, up to -endpos) measured and thrown away. Empty when the
// output carries no sound of the source.
Arguments LoudnessMeasureArguments(const EncoderJob& job, const SourceInfo& source);

// The measurement in the pass's error output: the filter's summary at its
// end. nullopt when there is none or it lacks a value.
std::optional<Loudness> ReadLoudnessReport(std::string_view errorOutput);

struct LoudnessGain {
  double gainDb = 0;
  std::optional<double> peakCeilingDb;  // a limiter at this level, where the peak needs one
  bool lifted = false;                  // the sound was too quiet: lifted by kLargestLoudnessLift alone
};

// The gain that brings the sound to the target, but lifts it by no more
// than kLargestLoudnessLift, with the user's own gain on top; a limiter
// where the peak would then pass kLimiterCeiling. Silence gets the user's
// gain alone.
LoudnessGain EvenLoudnessGain(const Loudness& measured, double userGainDb);

}  // namespace velto
