#include "settings/settings_view.h"

namespace velto {

ListFill FillFor(const ListRule& rule, const ConversionSettings& values) {
  switch (rule.pick) {
    case Pick::kChoice: return {rule.texts, values.*rule.setting, true, rule.setting};
    case Pick::kByTvMode: return {rule.texts, values.tvMode, false, nullptr};
    case Pick::kFixed: break;
  }
  return {rule.texts, 0, false, nullptr};
}

void KeepChoice(const ListFill& fill, int picked, ConversionSettings& values) {
  if (fill.keeps && picked >= 0) values.*fill.keeps = picked;
}

OutputSettingsView ViewOutputSettings(const ConversionSettings& values) {
  const FormatTraits* traits = TraitsOf(values.outputFormat);
  OutputSettingsView view;
  if (traits) {
    view.quality = FillFor(traits->quality.list, values);
    view.videoCodec = FillFor(traits->videoCodec.list, values);
    view.audioCodec = FillFor(traits->audioCodec.list, values);
    view.tvMode = FillFor(traits->tvMode, values);
    view.resolution = FillFor(traits->size.list, values);
    view.frameRate = FillFor(traits->rate.list, values);
    view.aspect = FillFor(traits->aspect.list, values);
  }
  view.fitToDisc = {values.fitToDisc != 0, traits && traits->discFit};
  view.discSize = {kDiscSizeTexts, values.discSize, view.fitToDisc.enabled, &ConversionSettings::discSize};
  return view;
}

QuickSettingsView ViewQuickSettings(const ConversionSettings& values) {
  const FormatTraits* traits = TraitsOf(values.outputFormat);
  QuickSettingsView view;
  view.tvMode = values.tvMode;
  view.tvModeEnabled = traits && UsesTvMode(*traits);
  if (traits && traits->aspect.list.pick == Pick::kChoice) {
    view.aspect = FillFor(traits->aspect.list, values);
  } else {
    view.aspect = {kDvdAspectTexts, values.dvdAspectRatio, false, &ConversionSettings::dvdAspectRatio};
  }
  return view;
}

}  // namespace velto
