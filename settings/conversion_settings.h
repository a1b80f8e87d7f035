#pragma once
// The persisted conversion choices: one signed integer per key of section
// "Destinate" of option.ini (the output folder is kept by the main window).
#include <cstdint>

namespace velto {

// Index of the output format, in the order of the format lists.
enum OutputFormat : std::int32_t {
  kFormatAvi = 0,
  kFormatMpeg1 = 1,
  kFormatMpeg2 = 2,
  kFormatDivx = 3,
  kFormatXvid = 4,
  kFormatVcd = 5,
  kFormatSvcd = 6,
  kFormatDvd = 7,
  kFormatWmv = 8,
  kFormatAsf = 9,
  kFormatMp4 = 10,
};
inline constexpr int kFormatCount = 11;

// "TV mode" values.
inline constexpr std::int32_t kTvNtsc = 0;
inline constexpr std::int32_t kTvPal = 1;

// Values are kept exactly as loaded, in range or not: each user of a value
// decides what an index outside its list means.
struct ConversionSettings {
  std::int32_t letterbox = 0;        // "Letterbox"
  std::int32_t outputFormat = 0;     // "Output format"
  std::int32_t tvMode = 0;           // "TV mode"
  std::int32_t mpegAspectRatio = 0;  // "MPEG aspect ratio"
  std::int32_t dvdAspectRatio = 0;   // "DVD aspect ratio"
  std::int32_t aviQuality = 0;       // "AVI quality"
  std::int32_t mpeg1Quality = 0;     // "MPEG1 quality"
  std::int32_t mpeg2Quality = 0;     // "MPEG2 quality"
  std::int32_t svcdQuality = 0;      // "SVCD quality"
  std::int32_t dvdQuality = 0;       // "DVD quality"
  std::int32_t wmvQuality = 0;       // "WMV quality"
  std::int32_t aviVideoCodec = 0;    // "AVI video codec"
  std::int32_t asfVideoCodec = 0;    // "ASF video codec"
  std::int32_t aviAudioCodec = 0;    // "AVI audio codec"
  std::int32_t divxAudioCodec = 0;   // "Divx audio codec"
  std::int32_t xvidAudioCodec = 0;   // "Xvid audio codec"
  std::int32_t dvdAudioCodec = 0;    // "DVD audio codec"
  std::int32_t wmvAudioCodec = 0;    // "WMV audio codec"
  std::int32_t asfAudioCodec = 0;    // "ASF audio codec"
  std::int32_t aviResolution = 0;    // "AVI resolution"
  std::int32_t mpegResolution = 0;   // "MPEG resolution"
  std::int32_t aviFrameRate = 0;     // "AVI frame rate"
  std::int32_t mpegFrameRate = 0;    // "MPEG frame rate"
  std::int32_t volume = 0;           // "Volume": gain in dB plus 20
  std::int32_t fitToDisc = 0;        // "Fit to disc": 1 fits the whole list on one disc (SVCD, DVD)
  std::int32_t discSize = 0;         // "Disc size": index of the disc sizes list
  std::int32_t normalizeLoudness = 0;  // "Normalize loudness": 1 brings every output to one loudness
  std::int32_t mp4Quality = 0;       // "MP4 quality"
  std::int32_t mp4Resolution = 0;    // "MP4 resolution"
  std::int32_t mp4FrameRate = 0;     // "MP4 frame rate"

  bool operator==(const ConversionSettings&) const = default;
};

// The process-wide record the program works on.
extern ConversionSettings g_settings;

}  // namespace velto
