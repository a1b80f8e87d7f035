#include "encoder/job/loudness_arguments.h"

#include <charconv>
#include <cmath>
#include <string>
#include <vector>

#include "encoder/job/disc_rules.h"
#include "encoder/job/sound_arguments.h"

namespace velto {
namespace {

// The number after `label` in `text`, blanks between; "-inf" is a number.
std::optional<double> NumberAfter(std::string_view text, std::string_view label) {
  const auto at = text.find(label);
  if (at == std::string_view::npos) return std::nullopt;
  const char* first = text.data() + at + label.size();
  const char* const last = text.data() + text.size();
  while (first != last && (*first == ' ' || *first == '\t')) ++first;
  double value = 0;
  if (std::from_chars(first, last, value).ec != std::errc()) return std::nullopt;
  return value;
}

}  // namespace

Arguments LoudnessMeasureArguments(const EncoderJob& job, const SourceInfo& source) {
  const std::optional<DiscRules> disc = DiscRulesFor(job);
  AudioPlan plan = PlanAudio(job, source, disc ? &*disc : nullptr);
  if (!plan.keepSource) return {};
  // The output's channels decide its loudness (a mono source on both
  // channels of a pair is 3 LU louder); its sample rate does not, and
  // resampling would only cost time.
  if (source.sampleRate > 0) plan.sampleRate = source.sampleRate;
  // The summary is written at the filter's end, on the "info" level; the
  // lines of every tenth of a second go to a level below it. The peak is
  // the samples' (see kLimiterCeiling). The work is one chain on one
  // thread: more threads would only cost their start.
  Arguments args = {"-hide_banner", "-loglevel", "info", "-nostats", "-threads", "1", "-i", FileUrl(job.source),
                    "-map", "0:a:0", "-vn", "-filter_threads", "1"};
  std::vector<std::string> filters = SoundShapeFilters(source, plan);
  filters.push_back("ebur128=peak=sample:framelog=verbose");
  Add(args, {"-af", JoinFilters(filters)});
  if (job.endSeconds) Add(args, {"-t", Seconds(*job.endSeconds)});
  Add(args, {"-f", "null", "-"});
  return args;
}

std::optional<Loudness> ReadLoudnessReport(std::string_view errorOutput) {
  const auto summary = errorOutput.rfind("Summary:");
  if (summary == std::string_view::npos) return std::nullopt;
  const std::string_view text = errorOutput.substr(summary);
  const auto integrated = NumberAfter(text, "I:");
  const auto range = NumberAfter(text, "LRA:");
  const auto peak = NumberAfter(text, "Peak:");
  if (!integrated || !range || !peak) return std::nullopt;
  return Loudness{*integrated, *range, *peak};
}

LoudnessGain EvenLoudnessGain(const Loudness& measured, double userGainDb) {
  LoudnessGain result;
  result.gainDb = userGainDb;
  if (!(measured.integrated > kSilenceLoudness)) return result;  // -inf and NaN too
  const double toTarget = kTargetLoudness - measured.integrated;
  result.lifted = toTarget > kLargestLoudnessLift;
  result.gainDb += result.lifted ? kLargestLoudnessLift : toTarget;
  if (measured.peak + result.gainDb > kLimiterCeiling) result.peakCeilingDb = kLimiterCeiling;
  return result;
}

}  // namespace velto
