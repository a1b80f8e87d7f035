#include "engine/encoding_profiles.h"

#include <array>
#include <span>

namespace velto {
namespace {

struct Bitrates {
  std::int32_t video;
  std::int32_t audio;
};

constexpr std::array<Bitrates, 9> kAviPresets{{{384, 64}, {512, 80}, {640, 96}, {768, 96}, {1000, 128},
                                               {1200, 128}, {1500, 160}, {2000, 192}, {2500, 224}}};
constexpr std::array<Bitrates, 5> kMpeg1Presets{{{512, 96}, {640, 128}, {800, 128}, {1000, 192}, {1152, 192}}};
constexpr std::array<Bitrates, 6> kMpeg2Presets{
    {{800, 96}, {1200, 112}, {1600, 128}, {2000, 160}, {3000, 224}, {5000, 224}}};
constexpr std::array<Bitrates, 5> kSvcdPresets{{{800, 128}, {1200, 192}, {1600, 224}, {2000, 224}, {2500, 224}}};
constexpr std::array<Bitrates, 6> kDvdPresets{
    {{800, 112}, {1200, 112}, {1600, 128}, {2000, 160}, {3000, 224}, {5000, 224}}};
constexpr std::array<Bitrates, 9> kWmvPresets{{{192, 64}, {256, 64}, {384, 80}, {640, 96}, {768, 128},
                                               {1000, 128}, {1250, 160}, {1500, 192}, {2000, 224}}};

constexpr std::array<const char*, 4> kMpegAspects{"1/1", "4/3", "16/9", "2.21/1"};
constexpr std::array<const char*, 2> kDiscAspects{"4/3", "16/9"};

struct Size {
  std::int32_t width;
  std::int32_t height;
};

constexpr std::array<Size, 20> kAviSizes{{{0, 0},     {80, 60},   {96, 72},   {128, 96},  {160, 120},
                                          {176, 120}, {176, 144}, {192, 144}, {240, 180}, {320, 200},
                                          {320, 240}, {352, 240}, {352, 288}, {480, 272}, {480, 480},
                                          {480, 576}, {624, 352}, {640, 480}, {720, 480}, {720, 576}}};
constexpr std::array<Size, 18> kMpegSizes{{{0, 0},     {80, 60},   {96, 72},   {128, 96},  {160, 120},
                                           {176, 120}, {176, 144}, {192, 144}, {240, 180}, {320, 200},
                                           {320, 240}, {352, 240}, {352, 288}, {480, 480}, {480, 576},
                                           {640, 480}, {720, 480}, {720, 576}}};

template <typename T>
const T* Row(std::span<const T> table, std::int32_t index) {
  if (index < 0 || static_cast<std::size_t>(index) >= table.size()) return nullptr;
  return &table[static_cast<std::size_t>(index)];
}

bool IsAviFamily(std::int32_t format) {
  return format == kFormatAvi || format == kFormatDivx || format == kFormatXvid;
}

double AviFrameRate(std::int32_t index, double sourceFps) {
  switch (index) {
    case 0:
      if (sourceFps < kFps14_985) return kFps14_985;
      if (sourceFps > 60.0) return 30.0;
      return sourceFps;
    case 1: return kFps14_985;
    case 2: return 20.0;
    case 3: return kFps23_976;
    case 4: return 24.0;
    case 5: return 25.0;
    case 6: return kFps29_97;
    default: return 30.0;
  }
}

double MpegFrameRate(std::int32_t index, double sourceFps) {
  switch (index) {
    case 0:
      if (sourceFps < 24.0) return kFps23_976;
      if (sourceFps < 25.0) return 24.0;
      if (sourceFps < 28.0) return 25.0;
      if (sourceFps < 30.0) return kFps29_97;
      return 30.0;
    case 1: return kFps23_976;
    case 2: return 24.0;
    case 3: return 25.0;
    case 4: return kFps29_97;
    default: return 30.0;
  }
}

}  // namespace

void SelectQualityPreset(const ConversionSettings& settings, EncodingParameters& params) {
  const Bitrates* row = nullptr;
  switch (settings.outputFormat) {
    case kFormatAvi:
    case kFormatDivx:
    case kFormatXvid: row = Row<Bitrates>(kAviPresets, settings.aviQuality); break;
    case kFormatMpeg1:
    case kFormatVcd: row = Row<Bitrates>(kMpeg1Presets, settings.mpeg1Quality); break;
    case kFormatMpeg2: row = Row<Bitrates>(kMpeg2Presets, settings.mpeg2Quality); break;
    case kFormatSvcd: row = Row<Bitrates>(kSvcdPresets, settings.svcdQuality); break;
    case kFormatDvd: row = Row<Bitrates>(kDvdPresets, settings.dvdQuality); break;
    case kFormatWmv:
    case kFormatAsf: row = Row<Bitrates>(kWmvPresets, settings.wmvQuality); break;
    default: break;
  }
  if (row == nullptr) return;
  params.videoBitrate = row->video;
  params.audioBitrate = row->audio;
}

void SelectAspectText(const ConversionSettings& settings, EncodingParameters& params) {
  const char* const* text = nullptr;
  switch (settings.outputFormat) {
    case kFormatMpeg1:
    case kFormatMpeg2: text = Row<const char*>(kMpegAspects, settings.mpegAspectRatio); break;
    case kFormatVcd:
    case kFormatSvcd:
    case kFormatDvd: text = Row<const char*>(kDiscAspects, settings.dvdAspectRatio); break;
    default: break;
  }
  if (text != nullptr) params.aspectText = *text;
}

void SelectFrameRate(const ConversionSettings& settings, double sourceFps, EncodingParameters& params) {
  const std::int32_t format = settings.outputFormat;
  const bool pal = settings.tvMode == kTvPal;
  if (IsAviFamily(format)) {
    params.outputFps = AviFrameRate(settings.aviFrameRate, sourceFps);
  } else if (format == kFormatMpeg1 || format == kFormatMpeg2) {
    params.outputFps = MpegFrameRate(settings.mpegFrameRate, sourceFps);
  } else if (format == kFormatVcd) {
    // Disc players expect the frame rate of their TV standard.
    params.outputFps = pal ? 25.0 : kFps23_976;
  } else if (format == kFormatSvcd || format == kFormatDvd) {
    params.outputFps = pal ? 25.0 : kFps29_97;
  } else {
    params.outputFps = kFpsUnlimited;
  }
}

void SelectOutputSize(const ConversionSettings& settings, EncodingParameters& params) {
  const bool pal = settings.tvMode == kTvPal;
  Size size{0, 0};
  switch (settings.outputFormat) {
    case kFormatVcd: size = {352, pal ? 288 : 240}; break;
    case kFormatSvcd: size = {480, pal ? 576 : 480}; break;
    case kFormatDvd: size = {720, pal ? 576 : 480}; break;
    case kFormatMpeg1:
    case kFormatMpeg2:
      if (const Size* row = Row<Size>(kMpegSizes, settings.mpegResolution)) size = *row;
      break;
    default:
      if (const Size* row = Row<Size>(kAviSizes, settings.aviResolution)) size = *row;
      break;
  }
  params.outputWidth = size.width;
  params.outputHeight = size.height;
}

}  // namespace velto
