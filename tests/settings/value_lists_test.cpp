#include "settings/value_lists.h"

#include <gtest/gtest.h>

#include <limits>

namespace velto {
namespace {

TEST(ValueLists, QualityTexts) {
  ASSERT_EQ(kAviQualityTexts.size(), 9u);
  EXPECT_EQ(kAviQualityTexts[0], "1.Lowest (video bitrate: 384kbps; audio bitrate: 64kbps)");
  EXPECT_EQ(kAviQualityTexts[1], "2.Lower  (video bitrate: 512kbps; audio bitrate: 80kbps)");
  EXPECT_EQ(kAviQualityTexts[4], "5.Medium (video bitrate:1000kbps; audio bitrate:128kbps)");
  EXPECT_EQ(kAviQualityTexts[8], "9.Best   (video bitrate:2500kbps; audio bitrate:224kbps)");

  ASSERT_EQ(kWmvQualityTexts.size(), 9u);
  EXPECT_EQ(kWmvQualityTexts[0], "1.Lowest (video bitrate: 192kbps; audio bitrate: 64kbps)");
  EXPECT_EQ(kWmvQualityTexts[6], "7.Better (video bitrate:1250kbps; audio bitrate:160kbps)");
  EXPECT_EQ(kWmvQualityTexts[8], "9.Best   (video bitrate:2000kbps; audio bitrate:224kbps)");

  ASSERT_EQ(kMpeg1QualityTexts.size(), 5u);
  EXPECT_EQ(kMpeg1QualityTexts[0], "1.Low    (video bitrate: 512kbps; audio bitrate: 96kbps)");
  EXPECT_EQ(kMpeg1QualityTexts[4], "5.Best   (video bitrate:1152kbps; audio bitrate:192kbps)");

  ASSERT_EQ(kSvcdQualityTexts.size(), 5u);
  EXPECT_EQ(kSvcdQualityTexts[1], "2.Normal (video bitrate:1200kbps; audio bitrate:192kbps)");
  EXPECT_EQ(kSvcdQualityTexts[4], "5.Best   (video bitrate:2500kbps; audio bitrate:224kbps)");

  ASSERT_EQ(kMpeg2QualityTexts.size(), 6u);
  ASSERT_EQ(kDvdQualityTexts.size(), 6u);
  EXPECT_EQ(kMpeg2QualityTexts[0], "1.Lower  (video bitrate: 800kbps; audio bitrate: 96kbps)");
  EXPECT_EQ(kDvdQualityTexts[0], "1.Lower  (video bitrate: 800kbps; audio bitrate:112kbps)");
  EXPECT_EQ(kDvdQualityTexts[3], "4.Medium (video bitrate:2000kbps; audio bitrate:160kbps)");
  EXPECT_EQ(kDvdQualityTexts[5], "6.Best   (video bitrate:5000kbps; audio bitrate:224kbps)");
  for (std::size_t i = 1; i < kDvdQualityTexts.size(); ++i) EXPECT_EQ(kDvdQualityTexts[i], kMpeg2QualityTexts[i]);

  // Every entry starts with its number, and all quality texts line up.
  for (const TextList list : {TextList(kAviQualityTexts), TextList(kWmvQualityTexts), TextList(kMpeg1QualityTexts),
                              TextList(kSvcdQualityTexts), TextList(kMpeg2QualityTexts), TextList(kDvdQualityTexts)}) {
    for (std::size_t i = 0; i < list.size(); ++i) {
      EXPECT_EQ(list[i].substr(0, 2), std::to_string(i + 1) + ".");
      EXPECT_EQ(list[i].size(), 56u) << list[i];
    }
  }
}

TEST(ValueLists, AspectSizeAndRateTexts) {
  EXPECT_EQ(kMpegAspectTexts.size(), 4u);
  EXPECT_EQ(kMpegAspectTexts[0], "1:1    (PC VAG)");
  EXPECT_EQ(kMpegAspectTexts[3], "2.21:1 (CinemaScope movie)");
  EXPECT_EQ(kDvdAspectTexts.size(), 2u);
  EXPECT_EQ(kDvdAspectTexts[0], "4:3    (Standard TV)");
  EXPECT_EQ(kDvdAspectTexts[1], "16:9   (Wide screen TV)");

  ASSERT_EQ(kAviSizeTexts.size(), 20u);
  EXPECT_EQ(kAviSizeTexts[0], "Original");
  EXPECT_EQ(kAviSizeTexts[1], "80 x 60");
  EXPECT_EQ(kAviSizeTexts[13], "480 x 272");
  EXPECT_EQ(kAviSizeTexts[16], "624 x 352");
  EXPECT_EQ(kAviSizeTexts[19], "720 x 576");
  ASSERT_EQ(kMpegSizeTexts.size(), 18u);
  EXPECT_EQ(kMpegSizeTexts[12], "352 x 288");
  EXPECT_EQ(kMpegSizeTexts[13], "480 x 480");
  EXPECT_EQ(kMpegSizeTexts[15], "640 x 480");
  EXPECT_EQ(kMpegSizeTexts[17], "720 x 576");

  ASSERT_EQ(kAviRateTexts.size(), 8u);
  EXPECT_EQ(kAviRateTexts[1], "14.985 fps");
  EXPECT_EQ(kAviRateTexts[2], "20.0 fps");
  EXPECT_EQ(kAviRateTexts[6], "29.97 fps");
  ASSERT_EQ(kMpegRateTexts.size(), 6u);
  EXPECT_EQ(kMpegRateTexts[0], "Original");
  EXPECT_EQ(kMpegRateTexts[1], "23.976 fps");
  EXPECT_EQ(kMpegRateTexts[5], "30.0 fps");
}

TEST(ValueLists, FormatTvModeAndCodecTexts) {
  ASSERT_EQ(kOutputFormatTexts.size(), 10u);
  EXPECT_EQ(kOutputFormatTexts[0], "AVI Format (*.avi)");
  EXPECT_EQ(kOutputFormatTexts[5], "VCD compatible MPEG1 Format (*.mpg)");
  EXPECT_EQ(kOutputFormatTexts[7], "DVD compatible MPEG2 Format (*.vob)");
  EXPECT_EQ(kOutputFormatTexts[9], "ASF Format (*.ASF)");
  EXPECT_EQ(kTvModeTexts[0], "NTSC");
  EXPECT_EQ(kTvModeTexts[1], "PAL");
  EXPECT_EQ(kAsfVideoCodecTexts[1], "msmpeg4v2");
  EXPECT_EQ(kDvdAudioCodecTexts[0], "AC3");
  EXPECT_EQ(kWmaAudioCodecTexts[1], "WMAv2");
  EXPECT_EQ(kFixedAutoText, "Auto");
  EXPECT_EQ(kFixedWmv8Text, "WMV8");

  EXPECT_EQ(ListText(kTvModeTexts, 1), "PAL");
  EXPECT_EQ(ListText(kTvModeTexts, 2), "");
  EXPECT_EQ(ListText(kTvModeTexts, -1), "");
}

TEST(ValueLists, VolumeLabel) {
  EXPECT_EQ(VolumeLabelText(20), "+0db");
  EXPECT_EQ(VolumeLabelText(27), "+7db");
  EXPECT_EQ(VolumeLabelText(19), "-1db");
  EXPECT_EQ(VolumeLabelText(0), "-20db");
  EXPECT_EQ(VolumeLabelText(40), "+20db");
  EXPECT_EQ(VolumeLabelText(-5), "-25db");
  EXPECT_EQ(VolumeLabelText(std::numeric_limits<std::int32_t>::min()), "-2147483668db");
  EXPECT_EQ(VolumeLabelText(std::numeric_limits<std::int32_t>::max()), "+2147483627db");
}

}  // namespace
}  // namespace velto
