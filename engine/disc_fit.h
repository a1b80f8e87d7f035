#pragma once
// Fitting a whole list on one disc: one video bitrate for every file of the
// batch, from the capacity of the disc and the files' total running time.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "settings/conversion_settings.h"

namespace velto {

// The environment variable whose byte count replaces the chosen disc size.
inline constexpr std::string_view kDiscCapacityVariable = "VELTO_DISC_CAPACITY_BYTES";

// The bytes a disc of the "Disc size" list holds; nothing for an index
// outside the list.
std::optional<std::int64_t> DiscCapacityBytes(std::int32_t discSize);

// A capacity given as text: decimal digits alone, above 0. Nothing for any
// other text.
std::optional<std::int64_t> ParseCapacityBytes(std::string_view text);

struct DiscFitPlan {
  std::int32_t videoKbps = 0;       // sent for every file instead of the preset's
  bool belowFloor = false;          // too low for the format: ask before converting
  std::int64_t predictedBytes = 0;  // the outputs of the whole batch together
};

// The plan for a batch of `fileCount` files running `totalSeconds` together,
// as the probes reported them (whole seconds), on a disc of `capacityBytes`.
// The capacity, less the file system and the multiplexing overhead, less the
// audio, is shared out by running time; the rate is then held within the
// format's standard. Nothing when "Fit to disc" is off, the format offers no
// fitting, its quality index lies outside its presets, or the list is empty.
std::optional<DiscFitPlan> PlanDiscFit(const ConversionSettings& settings, double totalSeconds, int fileCount,
                                       std::int64_t capacityBytes);

// The question asked before a batch whose rate lies below the floor.
std::string DiscFitQuestion(std::int32_t videoKbps);

// The closing message's line about the sizes, in MB of 1,000,000 bytes.
std::string DiscFitSizeLine(std::int64_t predictedBytes, std::int64_t actualBytes);

}  // namespace velto
