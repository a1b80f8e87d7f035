#pragma once
// The numbers of one encoder run, chosen from the conversion settings by
// table look-ups. An index outside its table leaves the fields it would have
// set as they were.
#include <cstdint>
#include <string>

#include "settings/conversion_settings.h"

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

// Frame rates as the settings lists name them (decimal values, not n/1001).
inline constexpr double kFps14_985 = 14.985;
inline constexpr double kFps23_976 = 23.976;
inline constexpr double kFps29_97 = 29.97;
// WMV and ASF runs ask for this rate, which leaves the source rate alone.
inline constexpr double kFpsUnlimited = 1000.0;

// videoBitrate and audioBitrate from the quality preset of the output format.
void SelectQualityPreset(const ConversionSettings& settings, EncodingParameters& params);

// aspectText for MPEG1/MPEG2 and the disc formats; other formats leave it.
void SelectAspectText(const ConversionSettings& settings, EncodingParameters& params);

// outputFps; sourceFps is the frame rate the probe reported for the file.
void SelectFrameRate(const ConversionSettings& settings, double sourceFps, EncodingParameters& params);

// outputWidth and outputHeight.
void SelectOutputSize(const ConversionSettings& settings, EncodingParameters& params);

}  // namespace velto
