#include "settings/value_lists.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <limits>
#include <utility>

namespace velto {
namespace {

// The list holds `size` texts, among them each {index, text} given.
void ExpectTexts(const char* name, TextList list, std::size_t size,
                 std::initializer_list<std::pair<std::size_t, std::string_view>> entries) {
  SCOPED_TRACE(name);
  ASSERT_EQ(list.size(), size);
  for (const auto& [index, text] : entries) EXPECT_EQ(list[index], text) << "index " << index;
}
#define EXPECT_TEXTS(list, ...) ExpectTexts(#list, TextList(list), __VA_ARGS__)

TEST(ValueLists, QualityTexts) {
  EXPECT_TEXTS(kAviQualityTexts, 9, {{0, "1.Lowest (video bitrate: 384kbps; audio bitrate: 64kbps)"},
                                     {1, "2.Lower  (video bitrate: 512kbps; audio bitrate: 80kbps)"},
                                     {4, "5.Medium (video bitrate:1000kbps; audio bitrate:128kbps)"},
                                     {8, "9.Best   (video bitrate:2500kbps; audio bitrate:224kbps)"}});
  EXPECT_TEXTS(kWmvQualityTexts, 9, {{0, "1.Lowest (video bitrate: 192kbps; audio bitrate: 64kbps)"},
                                     {6, "7.Better (video bitrate:1250kbps; audio bitrate:160kbps)"},
                                     {8, "9.Best   (video bitrate:2000kbps; audio bitrate:224kbps)"}});
  EXPECT_TEXTS(kMpeg1QualityTexts, 5, {{0, "1.Low    (video bitrate: 512kbps; audio bitrate: 96kbps)"},
                                       {4, "5.Best   (video bitrate:1152kbps; audio bitrate:192kbps)"}});
  EXPECT_TEXTS(kSvcdQualityTexts, 5, {{1, "2.Normal (video bitrate:1200kbps; audio bitrate:192kbps)"},
                                      {4, "5.Best   (video bitrate:2500kbps; audio bitrate:224kbps)"}});
  EXPECT_TEXTS(kMpeg2QualityTexts, 6, {{0, "1.Lower  (video bitrate: 800kbps; audio bitrate: 96kbps)"}});
  EXPECT_TEXTS(kDvdQualityTexts, 6, {{0, "1.Lower  (video bitrate: 800kbps; audio bitrate:112kbps)"},
                                     {3, "4.Medium (video bitrate:2000kbps; audio bitrate:160kbps)"},
                                     {5, "6.Best   (video bitrate:5000kbps; audio bitrate:224kbps)"}});
  EXPECT_TEXTS(kMp4QualityTexts, 9, {{1, "2.Lower  (video bitrate: 384kbps; audio bitrate: 80kbps)"},
                                     {8, "9.Best   (video bitrate:4000kbps; audio bitrate:192kbps)"}});
  ASSERT_EQ(kDvdQualityTexts.size(), kMpeg2QualityTexts.size());
  for (std::size_t i = 1; i < kDvdQualityTexts.size(); ++i) EXPECT_EQ(kDvdQualityTexts[i], kMpeg2QualityTexts[i]);

  // Every entry starts with its number, and all quality texts line up.
  for (const TextList list : {TextList(kAviQualityTexts), TextList(kWmvQualityTexts), TextList(kMpeg1QualityTexts),
                              TextList(kSvcdQualityTexts), TextList(kMpeg2QualityTexts), TextList(kDvdQualityTexts),
                              TextList(kMp4QualityTexts)}) {
    for (std::size_t i = 0; i < list.size(); ++i) {
      EXPECT_EQ(list[i].substr(0, 2), std::to_string(i + 1) + ".");
      EXPECT_EQ(list[i].size(), 56u) << list[i];
    }
  }
}

TEST(ValueLists, AspectSizeAndRateTexts) {
  EXPECT_TEXTS(kMpegAspectTexts, 4, {{0, "1:1    (PC VAG)"}, {3, "2.21:1 (CinemaScope movie)"}});
  EXPECT_TEXTS(kDvdAspectTexts, 2, {{0, "4:3    (Standard TV)"}, {1, "16:9   (Wide screen TV)"}});
  EXPECT_TEXTS(kAviSizeTexts, 20,
               {{0, "Original"}, {1, "80 x 60"}, {13, "480 x 272"}, {16, "624 x 352"}, {19, "720 x 576"}});
  EXPECT_TEXTS(kMpegSizeTexts, 18, {{12, "352 x 288"}, {13, "480 x 480"}, {15, "640 x 480"}, {17, "720 x 576"}});
  EXPECT_TEXTS(kMp4SizeTexts, 11, {{0, "Original"}, {3, "640 x 360"}, {7, "854 x 480"}, {10, "1920 x 1080"}});
  EXPECT_TEXTS(kAviRateTexts, 8, {{1, "14.985 fps"}, {2, "20.0 fps"}, {6, "29.97 fps"}});
  EXPECT_TEXTS(kMpegRateTexts, 6, {{0, "Original"}, {1, "23.976 fps"}, {5, "30.0 fps"}});
}

TEST(ValueLists, FormatTvModeAndCodecTexts) {
  EXPECT_TEXTS(kOutputFormatTexts, 11,
               {{0, "AVI Format (*.avi)"}, {5, "VCD compatible MPEG1 Format (*.mpg)"},
                {7, "DVD compatible MPEG2 Format (*.vob)"}, {9, "ASF Format (*.ASF)"}, {10, "MP4 Format (*.mp4)"}});
  EXPECT_TEXTS(kTvModeTexts, 2, {{0, "NTSC"}, {1, "PAL"}});
  EXPECT_TEXTS(kAsfVideoCodecTexts, 3, {{1, "msmpeg4v2"}});
  EXPECT_TEXTS(kDvdAudioCodecTexts, 2, {{0, "AC3"}});
  EXPECT_TEXTS(kWmaAudioCodecTexts, 2, {{1, "WMAv2"}});
  EXPECT_EQ(kFixedAutoText, "Auto");
  EXPECT_EQ(kFixedWmv8Text, "WMV8");

  EXPECT_EQ(ListText(kTvModeTexts, 1), "PAL");
  EXPECT_EQ(ListText(kTvModeTexts, 2), "");
  EXPECT_EQ(ListText(kTvModeTexts, -1), "");
}

TEST(ValueLists, VolumeLabel) {
  const std::pair<std::int32_t, std::string_view> cases[] = {
      {20, "+0db"}, {27, "+7db"}, {19, "-1db"}, {0, "-20db"}, {40, "+20db"}, {-5, "-25db"},
      {std::numeric_limits<std::int32_t>::min(), "-2147483668db"},
      {std::numeric_limits<std::int32_t>::max(), "+2147483627db"}};
  for (const auto& [volume, label] : cases) EXPECT_EQ(VolumeLabelText(volume), label) << volume;
}

}  // namespace
}  // namespace velto
