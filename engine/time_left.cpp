#include "engine/time_left.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "engine/format_duration.h"

namespace velto {
namespace {

// A new reckoning within this much of the foretold end is noise.
constexpr std::int64_t kNoiseFloorMs = 2000;
constexpr double kNoiseShare = 0.1;
constexpr std::int64_t kLongestShown = std::numeric_limits<std::int32_t>::max();  // seconds

}  // namespace

void TimeLeftEstimate::Begin(std::vector<double> durations, std::uint32_t startMs) {
  *this = TimeLeftEstimate{};
  for (double duration : durations) files_.push_back(File{duration});
  startMs_ = startMs;
  begun_ = true;
}

void TimeLeftEstimate::SetPosition(std::size_t index, double seconds) {
  if (index >= files_.size() || files_[index].over) return;
  File& file = files_[index];
  file.position = std::max(0.0, seconds);
  if (std::exchange(file.reusedPending, false)) file.reused = file.position;
}

void TimeLeftEstimate::EndFile(std::size_t index, bool converted) {
  if (index >= files_.size() || files_[index].over) return;
  File& file = files_[index];
  worked_ += (converted ? std::max(file.duration, file.position) : file.position) - file.reused;
  file = File{file.duration, 0.0, 0.0, false, true};
}

void TimeLeftEstimate::SkipFile(std::size_t index) {
  if (index >= files_.size()) return;
  files_[index] = File{files_[index].duration, 0.0, 0.0, false, true};
}

void TimeLeftEstimate::ExpectReusedStart(std::size_t index) {
  if (index < files_.size()) files_[index].reusedPending = true;
}

double TimeLeftEstimate::SecondsToDo() const {
  double seconds = 0.0;
  for (const File& file : files_)
    if (!file.over) seconds += file.duration - std::min(file.position, file.duration);
  return std::max(0.0, seconds);
}

// Each sample moves the speed by its share of the time measured, up to a
// time constant: until then the speed is exactly the average so far.
void TimeLeftEstimate::SampleSpeed(std::int64_t elapsedMs) {
  const std::int64_t sinceMs = elapsedMs - sampledAtMs_;
  if (sinceMs < kShownAtMostEveryMs) return;
  double worked = worked_;
  for (const File& file : files_)
    if (!file.over) worked += file.position - file.reused;
  const double sample = (worked - workedAtSample_) / static_cast<double>(sinceMs);
  const double weight = std::min(1.0, static_cast<double>(sinceMs) /
                                          static_cast<double>(std::min(elapsedMs, kSpeedTimeConstantMs)));
  speed_ += weight * (sample - speed_);
  sampledAtMs_ = elapsedMs;
  workedAtSample_ = worked;
}

std::optional<std::string> TimeLeftEstimate::LineToShow(std::uint32_t nowMs) {
  if (!begun_) return std::nullopt;
  const std::int64_t elapsedMs = nowMs - startMs_;  // a tick count wraps; the difference does not
  SampleSpeed(elapsedMs);
  if (shownAtMs_ && std::int64_t{nowMs - *shownAtMs_} < kShownAtMostEveryMs) return std::nullopt;
  std::string line;
  if (elapsedMs >= kMeasuredBeforeShownMs && speed_ > 0.0) {
    const double leftMs = std::min(SecondsToDo() / speed_, 1e12);
    const std::int64_t endMs = elapsedMs + std::llround(leftMs);
    const std::int64_t noiseMs = std::max<std::int64_t>(kNoiseFloorMs, std::llround(leftMs * kNoiseShare));
    if (!foretoldEndMs_ || std::llabs(endMs - *foretoldEndMs_) > noiseMs) foretoldEndMs_ = endMs;
    const std::int64_t shownMs = std::max<std::int64_t>(0, *foretoldEndMs_ - elapsedMs);
    const std::int64_t seconds = std::min<std::int64_t>((shownMs + 500) / 1000, kLongestShown);
    line = "About " + FormatDuration(static_cast<std::int32_t>(seconds)) + " left";
  }
  if (line == shownLine_) return std::nullopt;
  shownLine_ = line;
  shownAtMs_ = nowMs;
  return line;
}

}  // namespace velto
