#include "engine/encoding_profiles.h"

#include <span>

namespace velto {
namespace {

template <typename T>
const T* Row(std::span<const T> table, std::int32_t index) {
  if (index < 0 || static_cast<std::size_t>(index) >= table.size()) return nullptr;
  return &table[static_cast<std::size_t>(index)];
}

// The item of a list that the settings pick for the encoder: the chosen
// index, the TV mode's item (PAL's, or NTSC's for any other value), or the
// one fixed item.
std::int32_t PickedItem(const ConversionSettings& settings, const ListRule& rule) {
  switch (rule.pick) {
    case Pick::kChoice: return settings.*rule.setting;
    case Pick::kByTvMode: return settings.tvMode == kTvPal ? 1 : 0;
    case Pick::kFixed: break;
  }
  return 0;
}

}  // namespace

void SelectQualityPreset(const ConversionSettings& settings, EncodingParameters& params) {
  const FormatTraits* traits = TraitsOf(settings.outputFormat);
  if (traits == nullptr) return;
  const QualityPreset* row = Row(traits->quality.presets, PickedItem(settings, traits->quality.list));
  if (row == nullptr) return;
  params.videoBitrate = row->video;
  params.audioBitrate = row->audio;
}

void SelectAspectText(const ConversionSettings& settings, EncodingParameters& params) {
  // Formats without an aspect choice have no ratios to send.
  const FormatTraits* traits = TraitsOf(settings.outputFormat);
  if (traits == nullptr) return;
  if (const std::string_view* text = Row(traits->aspect.ratios, PickedItem(settings, traits->aspect.list))) {
    params.aspectText = *text;
  }
}

void SelectFrameRate(const ConversionSettings& settings, double sourceFps, EncodingParameters& params) {
  const FormatTraits* traits = TraitsOf(settings.outputFormat);
  if (traits == nullptr) {
    params.outputFps = kFpsUnlimited;
    return;
  }
  // A chosen "Original" follows the source; an index past the list takes its
  // last rate. The disc formats run at their TV standard's rate.
  const RateTraits& rate = traits->rate;
  const std::int32_t item = PickedItem(settings, rate.list);
  const double* row = Row(rate.rates, item);
  if (rate.list.pick == Pick::kChoice && item == 0) {
    params.outputFps = rate.fromSource(sourceFps);
  } else {
    params.outputFps = row ? *row : rate.rates.back();
  }
}

void SelectOutputSize(const ConversionSettings& settings, EncodingParameters& params) {
  // A format outside the list is sized like AVI.
  const FormatTraits* traits = TraitsOf(settings.outputFormat);
  if (traits == nullptr) traits = TraitsOf(kFormatAvi);
  const PictureSize* row = Row(traits->size.sizes, PickedItem(settings, traits->size.list));
  const PictureSize size = row ? *row : PictureSize{0, 0};
  params.outputWidth = size.width;
  params.outputHeight = size.height;
}

}  // namespace velto
