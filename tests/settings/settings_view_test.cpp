#include "settings/settings_view.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/settings_store.h"

namespace velto {
namespace {

using Texts = std::vector<std::string_view>;

ConversionSettings WithFormat(std::int32_t format) {
  ConversionSettings values = DefaultConversionSettings();
  values.outputFormat = format;
  return values;
}

Texts Items(const ListFill& fill) { return Texts(fill.items.begin(), fill.items.end()); }

// A disabled list of one item, selected, that keeps nothing.
void ExpectFixed(const ListFill& fill, std::string_view text) {
  EXPECT_EQ(Items(fill), Texts{text});
  EXPECT_EQ(fill.selected, 0);
  EXPECT_FALSE(fill.enabled);
  EXPECT_EQ(fill.keeps, nullptr);
}

TEST(OutputSettingsView, AChoiceShowsAndKeepsItsFormatsOwnSetting) {
  ConversionSettings values = WithFormat(kFormatDivx);
  values.divxAudioCodec = 1;
  OutputSettingsView view = ViewOutputSettings(values);
  EXPECT_EQ(Items(view.audioCodec), (Texts{"MP3", "AC3"}));
  EXPECT_EQ(view.audioCodec.selected, 1);
  EXPECT_TRUE(view.audioCodec.enabled);
  KeepChoice(view.audioCodec, 0, values);
  EXPECT_EQ(values.divxAudioCodec, 0);
  EXPECT_EQ(values.aviAudioCodec, 0);
  EXPECT_EQ(values.xvidAudioCodec, 0);

  values.outputFormat = kFormatAsf;
  values.asfAudioCodec = 0;
  values.wmvAudioCodec = 1;
  view = ViewOutputSettings(values);
  EXPECT_EQ(view.audioCodec.selected, 0);
  KeepChoice(view.audioCodec, 1, values);
  KeepChoice(view.videoCodec, 0, values);
  EXPECT_EQ(values.asfAudioCodec, 1);
  EXPECT_EQ(values.asfVideoCodec, 0);
  EXPECT_EQ(values.wmvAudioCodec, 1);
}

// Only SVCD and DVD offer fitting the list on one disc; the others show the
// stored choice, disabled.
TEST(OutputSettingsView, FittingOnADiscIsOfferedForSvcdAndDvdOnly) {
  for (std::int32_t format = 0; format < kFormatCount; ++format) {
    ConversionSettings values = WithFormat(format);
    values.fitToDisc = 1;
    values.discSize = 2;
    const OutputSettingsView view = ViewOutputSettings(values);
    const bool offered = format == kFormatSvcd || format == kFormatDvd;
    SCOPED_TRACE(format);
    EXPECT_TRUE(view.fitToDisc.checked);
    EXPECT_EQ(view.fitToDisc.enabled, offered);
    EXPECT_EQ(Items(view.discSize), (Texts{"CD 700 MB", "DVD 4.7 GB", "DVD 8.5 GB (dual layer)"}));
    EXPECT_EQ(view.discSize.selected, 2);
    EXPECT_EQ(view.discSize.enabled, offered);
  }
  ConversionSettings values = WithFormat(kFormatSvcd);
  EXPECT_FALSE(ViewOutputSettings(values).fitToDisc.checked);
  KeepChoice(ViewOutputSettings(values).discSize, 0, values);
  EXPECT_EQ(values.discSize, 0);
}

TEST(OutputSettingsView, DiscSizesAndRatesFollowTheTvModeAndKeepNothing) {
  ConversionSettings values = WithFormat(kFormatDvd);
  values.tvMode = kTvPal;
  const OutputSettingsView view = ViewOutputSettings(values);
  EXPECT_TRUE(view.tvMode.enabled);
  for (const ListFill* fill : {&view.resolution, &view.frameRate}) {
    EXPECT_EQ(fill->selected, kTvPal);
    EXPECT_FALSE(fill->enabled);
    EXPECT_EQ(fill->keeps, nullptr);
  }
  EXPECT_EQ(view.resolution.items[1], "720 x 576");
  EXPECT_EQ(view.frameRate.items[1], "25.0 fps");

  values.outputFormat = kFormatVcd;
  values.tvMode = kTvNtsc;
  EXPECT_EQ(ViewOutputSettings(values).frameRate.items[0], "23.976 fps");
}

TEST(OutputSettingsView, FixedListsShowTheirOneItemDisabled) {
  const OutputSettingsView wmv = ViewOutputSettings(WithFormat(kFormatWmv));
  ExpectFixed(wmv.frameRate, "Auto");
  ExpectFixed(wmv.videoCodec, "WMV8");
  ExpectFixed(wmv.tvMode, "None");
  ExpectFixed(wmv.aspect, "None");
  const OutputSettingsView mpeg2 = ViewOutputSettings(WithFormat(kFormatMpeg2));
  ExpectFixed(mpeg2.videoCodec, "MPEG2");
  ExpectFixed(mpeg2.audioCodec, "MP2");
}

TEST(OutputSettingsView, AnUnknownFormatLeavesEveryListEmptyAndDisabled) {
  const OutputSettingsView view = ViewOutputSettings(WithFormat(kFormatCount));
  for (const ListFill* fill : {&view.quality, &view.videoCodec, &view.audioCodec, &view.tvMode, &view.resolution,
                               &view.frameRate, &view.aspect}) {
    EXPECT_TRUE(fill->items.empty());
    EXPECT_FALSE(fill->enabled);
    EXPECT_EQ(fill->keeps, nullptr);
  }
}

TEST(OutputSettingsView, NoSelectionKeepsNothing) {
  ConversionSettings values = WithFormat(kFormatAvi);
  values.aviQuality = 12;  // out of the list: shown without a selection
  const ListFill quality = ViewOutputSettings(values).quality;
  EXPECT_EQ(quality.selected, 12);
  KeepChoice(quality, -1, values);
  EXPECT_EQ(values.aviQuality, 12);
}

TEST(QuickSettingsView, AspectAndTvModeListsByFormatGroup) {
  struct Case {
    std::int32_t format;
    std::size_t ratios;
    SettingField aspect;
    bool aspectEnabled;
    bool tvModeEnabled;
  };
  const Case cases[] = {
      {kFormatMpeg1, 4, &ConversionSettings::mpegAspectRatio, true, false},
      {kFormatMpeg2, 4, &ConversionSettings::mpegAspectRatio, true, false},
      {kFormatSvcd, 2, &ConversionSettings::dvdAspectRatio, true, true},
      {kFormatAvi, 2, &ConversionSettings::dvdAspectRatio, false, false},
      {kFormatAsf, 2, &ConversionSettings::dvdAspectRatio, false, false},
      {-1, 2, &ConversionSettings::dvdAspectRatio, false, false},
  };
  for (const Case& c : cases) {
    ConversionSettings values = WithFormat(c.format);
    values.mpegAspectRatio = 3;
    values.dvdAspectRatio = 0;
    values.tvMode = kTvPal;
    const QuickSettingsView view = ViewQuickSettings(values);
    SCOPED_TRACE(c.format);
    EXPECT_EQ(view.tvMode, kTvPal);  // shown even where disabled
    EXPECT_EQ(view.tvModeEnabled, c.tvModeEnabled);
    EXPECT_EQ(view.aspect.items.size(), c.ratios);
    EXPECT_EQ(view.aspect.selected, values.*c.aspect);
    EXPECT_EQ(view.aspect.keeps, c.aspect);
    EXPECT_EQ(view.aspect.enabled, c.aspectEnabled);
  }
}

}  // namespace
}  // namespace velto
