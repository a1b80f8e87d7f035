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
  durations_ = std::move(durations);
  startMs_ = startMs;
  begun_ = true;
}

void TimeLeftEstimate::SetPosition(double seconds) {
  position_ = std::max(0.0, seconds);
  if (std::exchange(reusedPending_, false)) reused_ = position_;
}

void TimeLeftEstimate::EndFile(bool converted) {
  if (current_ >= durations_.size()) return;
  worked_ += (converted ? std::max(durations_[current_], position_) : position_) - reused_;
  ++current_;
  position_ = 0.0;
  reused_ = 0.0;
  reusedPending_ = false;
}

void TimeLeftEstimate::SkipFile() {
  if (current_ >= durations_.size()) return;
  ++current_;
  position_ = 0.0;
  reused_ = 0.0;
  reusedPending_ = false;
}

double TimeLeftEstimate::SecondsToDo() const {
  double seconds = 0.0;
  for (std::size_t i = current_; i < durations_.size(); ++i) seconds += durations_[i];
  if (current_ < durations_.size()) seconds -= std::min(position_, durations_[current_]);
  return std::max(0.0, seconds);
}

// Each sample moves the speed by its share of the time measured, up to a
// time constant: until then the speed is exactly the average so far.
void TimeLeftEstimate::SampleSpeed(std::int64_t elapsedMs) {
  const std::int64_t sinceMs = elapsedMs - sampledAtMs_;
  if (sinceMs < kShownAtMostEveryMs) return;
  const double worked = worked_ + position_ - reused_;
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
