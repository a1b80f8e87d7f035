#include "engine/disc_fit.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

#include "engine/encoding_profiles.h"
#include "settings/format_traits.h"

namespace velto {
namespace {

// Writable bytes, item by item of the "Disc size" list, in 2048-byte
// sectors: an 80-minute CD (360,000 sectors), a single-layer DVD+R
// (2,295,104, the smaller of DVD-R and DVD+R) and a dual-layer DVD-R
// (4,171,712, the smaller of the two dual-layer kinds).
constexpr std::array<std::int64_t, 3> kDiscCapacities = {360'000LL * 2048, 2'295'104LL * 2048,
                                                         4'171'712LL * 2048};

// The file system of a disc holding the outputs, measured on ISO 9660 images
// with a UDF bridge made of one and of four outputs: 854,016 bytes of its
// own structures and 2,048 a file (its directory entry and its last sector).
constexpr std::int64_t kFileSystemBytes = 854'016;
constexpr std::int64_t kFileSystemBytesPerFile = 2'048;

// The probes report whole seconds, rounded: a file may run half a second
// longer than its entry says.
constexpr double kRoundingSeconds = 0.5;

std::int32_t PeakKbps(const DiscFitTraits& fit, std::int32_t videoKbps) {
  return fit.peakKbps ? fit.peakKbps(videoKbps) : videoKbps;
}

// The highest target rate within the format's range whose peak stays within
// `ceilingKbps`; the lowest of the range when none does.
std::int32_t HighestTargetWithin(const DiscFitTraits& fit, double ceilingKbps) {
  std::int32_t low = fit.minVideoKbps;
  std::int32_t high = fit.maxVideoKbps;
  if (PeakKbps(fit, low) > ceilingKbps) return low;
  while (low < high) {  // the peak grows with the target
    const std::int32_t middle = low + (high - low + 1) / 2;
    if (PeakKbps(fit, middle) <= ceilingKbps) {
      low = middle;
    } else {
      high = middle - 1;
    }
  }
  return low;
}

// The streams' bytes of a running time at video + audio kbit/s, and the
// multiplexing overhead on them.
double OutputBytes(const DiscFitTraits& fit, double totalKbps, double seconds, int fileCount) {
  const double streams = totalKbps * 1000.0 / 8.0 * seconds;
  return streams * (1.0 + fit.muxShare) + fit.muxBytesPerSecond * seconds +
         static_cast<double>(fit.muxBytesPerFile) * fileCount;
}

std::string Decimal(double value, int decimals) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  return result.ec == std::errc() ? std::string(buffer, result.ptr) : std::string("0");
}

}  // namespace

std::optional<std::int64_t> DiscCapacityBytes(std::int32_t discSize) {
  if (discSize < 0 || static_cast<std::size_t>(discSize) >= kDiscCapacities.size()) return std::nullopt;
  return kDiscCapacities[static_cast<std::size_t>(discSize)];
}

std::optional<std::int64_t> ParseCapacityBytes(std::string_view text) {
  std::int64_t value = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size() || text[0] == '-' ||
      value <= 0) {
    return std::nullopt;
  }
  return value;
}

std::optional<DiscFitPlan> PlanDiscFit(const ConversionSettings& settings, double totalSeconds, int fileCount,
                                       std::int64_t capacityBytes) {
  if (settings.fitToDisc == 0 || fileCount <= 0 || !(totalSeconds > 0.0)) return std::nullopt;
  const FormatTraits* traits = TraitsOf(settings.outputFormat);
  if (traits == nullptr || traits->discFit == nullptr) return std::nullopt;
  EncodingParameters preset;
  preset.audioBitrate = -1;  // kept by a quality index outside the presets
  SelectQualityPreset(settings, preset);
  if (preset.audioBitrate < 0) return std::nullopt;
  const DiscFitTraits& fit = *traits->discFit;
  const double audioKbps = preset.audioBitrate;

  // What the files may take once the disc's own structures and each file's
  // fixed share are set aside, shared out over their longest running time.
  const double seconds = totalSeconds + kRoundingSeconds * fileCount;
  const double perFile = static_cast<double>(kFileSystemBytesPerFile + fit.muxBytesPerFile +
                                             fit.rateControlSlackBytes);
  const double budget = static_cast<double>(capacityBytes - kFileSystemBytes) - perFile * fileCount;
  const double streamBytesPerSecond = (budget / seconds - fit.muxBytesPerSecond) / (1.0 + fit.muxShare);
  const double videoKbps = streamBytesPerSecond * 8.0 / 1000.0 - audioKbps;

  DiscFitPlan plan;
  plan.videoKbps = HighestTargetWithin(fit, std::min(videoKbps, fit.maxTotalKbps - audioKbps));
  plan.belowFloor = plan.videoKbps < fit.floorVideoKbps;
  plan.predictedBytes = std::llround(
      OutputBytes(fit, PeakKbps(fit, plan.videoKbps) + audioKbps, totalSeconds, fileCount));
  return plan;
}

std::string DiscFitQuestion(std::int32_t videoKbps) {
  return "The list needs more than one disc: it would be converted at " + std::to_string(videoKbps) +
         " kbit/s. Convert anyway?";
}

std::string DiscFitSizeLine(std::int64_t predictedBytes, std::int64_t actualBytes) {
  return "Predicted total size: " + Decimal(static_cast<double>(predictedBytes) / 1e6, 1) +
         " MB, actual total size: " + Decimal(static_cast<double>(actualBytes) / 1e6, 1) + " MB";
}

}  // namespace velto
