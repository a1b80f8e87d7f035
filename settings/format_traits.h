#pragma once
// What each output format means, in one table: the lists it offers (quality,
// codecs, TV mode, picture size, frame rate, aspect ratio), the setting each
// choice is kept in, the numbers behind the items, the codec settings the
// encoder reads, the encoder recipe and the file extension. The Output
// Settings dialog, the quick settings, the encoding profiles, the command
// line and the batch all read it; none of them tests format numbers itself.
#include <cstdint>
#include <span>
#include <string_view>

#include "settings/conversion_settings.h"
#include "settings/value_lists.h"

namespace velto {

// The setting that keeps a choice.
using SettingField = std::int32_t ConversionSettings::*;

// Frame rates as the settings lists name them (decimal values, not n/1001).
inline constexpr double kFps14_985 = 14.985;
inline constexpr double kFps23_976 = 23.976;
inline constexpr double kFps29_97 = 29.97;
// WMV and ASF runs ask for this rate, which leaves the source rate alone.
inline constexpr double kFpsUnlimited = 1000.0;

// How a list's item is chosen.
enum class Pick {
  kChoice,    // by the user, kept in the rule's setting
  kByTvMode,  // by the "TV mode": item 0 for NTSC, item 1 for PAL; nothing kept
  kFixed,     // the one item the format allows; nothing kept
};

// What one settings list offers for a format.
struct ListRule {
  Pick pick = Pick::kFixed;
  TextList texts;                  // the items, in index order
  SettingField setting = nullptr;  // kChoice: where the chosen index is kept
};

struct QualityPreset {
  std::int32_t video;  // kbit/s
  std::int32_t audio;  // kbit/s
};

struct PictureSize {
  std::int32_t width;  // 0 x 0: the source's own size
  std::int32_t height;
};

// Where the encoder's codec choice comes from: the value of `setting`, or
// `fixed` when there is none.
struct EncoderCodec {
  SettingField setting = nullptr;
  std::int32_t fixed = 0;
};

// Each list with the numbers behind its items, item by item.
struct QualityTraits {
  ListRule list;  // always a choice
  std::span<const QualityPreset> presets;
};

struct CodecTraits {
  ListRule list;         // a choice, or the one codec the format has
  EncoderCodec encoder;  // what the command line reads
};

struct SizeTraits {
  ListRule list;  // a choice, or by TV mode
  std::span<const PictureSize> sizes;
};

struct RateTraits {
  ListRule list;  // a choice, by TV mode, or fixed "Auto"
  std::span<const double> rates;
  // A choice's item 0, "Original": the rate sent for the source's rate.
  double (*fromSource)(double sourceFps) = nullptr;
};

struct AspectTraits {
  ListRule list;                             // a choice, or fixed "None"
  std::span<const std::string_view> ratios;  // the text after aspect=; none when fixed
};

// What fitting a whole list on one disc needs of a format: the rates that
// its disc standard and its command line allow, the lowest rate still worth
// converting at, and what its outputs take beyond their streams' bitrates.
// Rates are in kbit/s of 1000 bits.
struct DiscFitTraits {
  std::int32_t maxTotalKbps;    // the standard's ceiling for video and audio together
  std::int32_t minVideoKbps;    // the lowest video rate the command line's rate control takes
  std::int32_t maxVideoKbps;    // the highest
  std::int32_t floorVideoKbps;  // below it the list is asked about before converting
  // The peak video rate the command line allows for a target rate; null:
  // the target itself. The rate control may run up to it on demanding
  // pictures, so a file is planned at its peak.
  std::int32_t (*peakKbps)(std::int32_t videoKbps);
  // How far a file's video may run past its planned rate: the rate
  // control's buffer, in bytes.
  std::int64_t rateControlSlackBytes;
  // The multiplexer's overhead: this share of the streams' bytes, plus this
  // many bytes per second of running time, plus this many per file.
  double muxShare;
  double muxBytesPerSecond;
  std::int64_t muxBytesPerFile;
};

// The SVCD command line's maximum video rate for a target rate: halfway
// from the target to 2500 kbit/s.
std::int32_t SvcdPeakKbps(std::int32_t videoKbps);

// The pieces the command line writes for a format.
enum class EncoderRecipe { kAviFamily, kMpeg1, kMpeg2, kVcd, kSvcd, kDvd, kWmv, kAsf, kMp4 };

struct FormatTraits {
  QualityTraits quality;
  CodecTraits videoCodec;
  CodecTraits audioCodec;
  ListRule tvMode;  // a choice for the disc formats, fixed "None" otherwise
  SizeTraits size;
  RateTraits rate;
  AspectTraits aspect;
  EncoderRecipe recipe;
  std::string_view extension;  // of the output file
  const DiscFitTraits* discFit;  // null: the format offers no fitting on a disc
};

// The traits of an output format; null for a value outside 0..kFormatCount-1.
const FormatTraits* TraitsOf(std::int32_t outputFormat);

// Whether the format follows the "TV mode" (the disc formats VCD, SVCD, DVD).
bool UsesTvMode(const FormatTraits& traits);

// The encoder's codec index for these settings.
std::int32_t EncoderCodecIndex(const ConversionSettings& settings, EncoderCodec codec);

}  // namespace velto
