#pragma once
// The numbers of one encoder run, chosen from the conversion settings by
// look-ups in the format's traits. An index outside its table leaves the
// fields it would have set as they were.
#include <cstdint>
#include <string>

#include "settings/conversion_settings.h"
#include "settings/format_traits.h"

namespace velto {

struct EncodingParameters {
  std::int32_t videoBitrate = 0;  // kbit/s
  std::int32_t audioBitrate = 0;  // kbit/s
  std::int32_t outputWidth = 0;   // 0 x 0: keep the source size
  std::int32_t outputHeight = 0;
  double outputFps = 0.0;
  std::string aspectText;  // written after aspect=, at most kAspectTextLimit characters
};

inline constexpr std::size_t kAspectTextLimit = 63;

// videoBitrate and audioBitrate from the quality preset of the output format.
void SelectQualityPreset(const ConversionSettings& settings, EncodingParameters& params);

// aspectText for MPEG1/MPEG2 and the disc formats; other formats leave it.
void SelectAspectText(const ConversionSettings& settings, EncodingParameters& params);

// outputFps; sourceFps is the frame rate the probe reported for the file.
void SelectFrameRate(const ConversionSettings& settings, double sourceFps, EncodingParameters& params);

// outputWidth and outputHeight.
void SelectOutputSize(const ConversionSettings& settings, EncodingParameters& params);

}  // namespace velto
