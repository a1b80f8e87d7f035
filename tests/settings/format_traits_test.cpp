#include "settings/format_traits.h"

#include <gtest/gtest.h>

#include <charconv>
#include <string>
#include <string_view>

namespace velto {
namespace {

// The whole number after `label` in a quality text, blanks skipped.
int NumberAfter(std::string_view text, std::string_view label) {
  std::size_t at = text.find(label);
  if (at == std::string_view::npos) return -1;
  at = text.find_first_not_of(' ', at + label.size());
  int number = -1;
  std::from_chars(text.data() + at, text.data() + text.size(), number);
  return number;
}

TEST(FormatTraits, EveryItemNamesTheNumberSentForIt) {
  for (int format = 0; format < kFormatCount; ++format) {
    const FormatTraits& t = *TraitsOf(format);
    SCOPED_TRACE(kOutputFormatTexts[static_cast<std::size_t>(format)]);
    const QualityTraits& quality = t.quality;
    ASSERT_EQ(quality.presets.size(), quality.list.texts.size());
    for (std::size_t i = 0; i < quality.presets.size(); ++i) {
      const std::string_view text = quality.list.texts[i];
      EXPECT_EQ(NumberAfter(text, "video bitrate:"), quality.presets[i].video) << text;
      EXPECT_EQ(NumberAfter(text, "audio bitrate:"), quality.presets[i].audio) << text;
    }
    const SizeTraits& size = t.size;
    ASSERT_EQ(size.sizes.size(), size.list.texts.size());
    for (std::size_t i = 0; i < size.sizes.size(); ++i) {
      const PictureSize pixels = size.sizes[i];
      const std::string named =
          pixels.width == 0 ? "Original" : std::to_string(pixels.width) + " x " + std::to_string(pixels.height);
      EXPECT_EQ(size.list.texts[i], named);
    }
    const RateTraits& rate = t.rate;
    ASSERT_EQ(rate.rates.size(), rate.list.texts.size());
    for (std::size_t i = 0; i < rate.rates.size(); ++i) {
      const std::string_view text = rate.list.texts[i];
      if (text == "Original") {
        EXPECT_TRUE(i == 0 && rate.list.pick == Pick::kChoice && rate.fromSource != nullptr);
      } else if (text == "Auto") {
        EXPECT_EQ(rate.rates[i], kFpsUnlimited);
      } else {
        EXPECT_EQ(std::stod(std::string(text)), rate.rates[i]) << text;
      }
    }
    const AspectTraits& aspect = t.aspect;
    ASSERT_EQ(aspect.ratios.size(), aspect.list.pick == Pick::kChoice ? aspect.list.texts.size() : 0);
    for (std::size_t i = 0; i < aspect.ratios.size(); ++i) {
      std::string ratio(aspect.list.texts[i].substr(0, aspect.list.texts[i].find(' ')));
      ratio.replace(ratio.find(':'), 1, "/");
      EXPECT_EQ(ratio, aspect.ratios[i]);
    }
  }
}

TEST(FormatTraits, OnlyTheListedFormatsHaveTraits) {
  EXPECT_EQ(TraitsOf(-1), nullptr);
  EXPECT_EQ(TraitsOf(kFormatCount), nullptr);
  for (int format = 0; format < kFormatCount; ++format) EXPECT_NE(TraitsOf(format), nullptr);
}

// MP4 keeps its own quality, size and rate (the AVI rates, "Original"
// following the source as AVI does); the rest is fixed.
TEST(FormatTraits, Mp4Row) {
  const FormatTraits& t = *TraitsOf(kFormatMp4);
  EXPECT_EQ(t.quality.list.setting, &ConversionSettings::mp4Quality);
  EXPECT_EQ(t.size.list.setting, &ConversionSettings::mp4Resolution);
  EXPECT_EQ(t.rate.list.setting, &ConversionSettings::mp4FrameRate);
  EXPECT_EQ(t.rate.fromSource, TraitsOf(kFormatAvi)->rate.fromSource);
  EXPECT_EQ(t.videoCodec.list.texts[0], "H.264");
  EXPECT_EQ(t.audioCodec.list.texts[0], "AAC");
  EXPECT_TRUE(t.tvMode.pick == Pick::kFixed && t.aspect.list.pick == Pick::kFixed && t.discFit == nullptr);
  EXPECT_EQ(t.extension, "mp4");
}

TEST(FormatTraits, OnlyTheDiscFormatsUseTheTvMode) {
  for (int format = 0; format < kFormatCount; ++format) {
    const bool disc = format == kFormatVcd || format == kFormatSvcd || format == kFormatDvd;
    EXPECT_EQ(UsesTvMode(*TraitsOf(format)), disc) << format;
  }
}

}  // namespace
}  // namespace velto
