#include "engine/encoding_profiles.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace velto {
namespace {

ConversionSettings WithFormat(std::int32_t format) {
  ConversionSettings s;
  s.outputFormat = format;
  return s;
}

struct Bitrates {
  std::int32_t video;
  std::int32_t audio;
};

void ExpectPreset(const ConversionSettings& s, Bitrates expected) {
  EncodingParameters p;
  SelectQualityPreset(s, p);
  EXPECT_EQ(p.videoBitrate, expected.video) << "format " << s.outputFormat;
  EXPECT_EQ(p.audioBitrate, expected.audio) << "format " << s.outputFormat;
}

TEST(QualityPreset, EachTableAtItsEnds) {
  struct Case {
    std::int32_t format;
    std::int32_t ConversionSettings::*setting;
    std::int32_t index;
    Bitrates expected;
  };
  const std::vector<Case> cases = {
      {kFormatAvi, &ConversionSettings::aviQuality, 0, {384, 64}},
      {kFormatAvi, &ConversionSettings::aviQuality, 4, {1000, 128}},
      {kFormatAvi, &ConversionSettings::aviQuality, 8, {2500, 224}},
      {kFormatDivx, &ConversionSettings::aviQuality, 4, {1000, 128}},
      {kFormatXvid, &ConversionSettings::aviQuality, 4, {1000, 128}},
      {kFormatMpeg1, &ConversionSettings::mpeg1Quality, 0, {512, 96}},
      {kFormatMpeg1, &ConversionSettings::mpeg1Quality, 4, {1152, 192}},
      {kFormatVcd, &ConversionSettings::mpeg1Quality, 1, {640, 128}},
      {kFormatMpeg2, &ConversionSettings::mpeg2Quality, 0, {800, 96}},
      {kFormatMpeg2, &ConversionSettings::mpeg2Quality, 5, {5000, 224}},
      {kFormatSvcd, &ConversionSettings::svcdQuality, 0, {800, 128}},
      {kFormatSvcd, &ConversionSettings::svcdQuality, 4, {2500, 224}},
      {kFormatDvd, &ConversionSettings::dvdQuality, 0, {800, 112}},
      {kFormatDvd, &ConversionSettings::dvdQuality, 5, {5000, 224}},
      {kFormatWmv, &ConversionSettings::wmvQuality, 0, {192, 64}},
      {kFormatWmv, &ConversionSettings::wmvQuality, 8, {2000, 224}},
      {kFormatAsf, &ConversionSettings::wmvQuality, 3, {640, 96}},
      {kFormatMp4, &ConversionSettings::mp4Quality, 0, {256, 64}},
      {kFormatMp4, &ConversionSettings::mp4Quality, 8, {4000, 192}},
  };
  for (const Case& c : cases) {
    ConversionSettings s = WithFormat(c.format);
    s.*c.setting = c.index;
    SCOPED_TRACE(c.index);
    ExpectPreset(s, c.expected);
  }
}

TEST(QualityPreset, SettingsOfOtherFormatsDoNotCount) {
  ConversionSettings s = WithFormat(kFormatDivx);
  s.aviQuality = 2;
  s.mpeg1Quality = 4;
  s.wmvQuality = 8;
  ExpectPreset(s, {640, 96});
}

TEST(QualityPreset, IndexOutsideTheTableKeepsBothBitrates) {
  struct Case {
    std::int32_t format;
    std::int32_t ConversionSettings::*setting;
    std::int32_t index;
  };
  const std::vector<Case> cases = {
      {kFormatAvi, &ConversionSettings::aviQuality, 9},
      {kFormatAvi, &ConversionSettings::aviQuality, -1},
      {kFormatMpeg1, &ConversionSettings::mpeg1Quality, 5},
      {kFormatMpeg2, &ConversionSettings::mpeg2Quality, 6},
      {kFormatSvcd, &ConversionSettings::svcdQuality, 5},
      {kFormatDvd, &ConversionSettings::dvdQuality, 6},
      {kFormatWmv, &ConversionSettings::wmvQuality, 9},
      {kFormatCount, &ConversionSettings::aviQuality, 0},
      {-1, &ConversionSettings::aviQuality, 0},
  };
  for (const Case& c : cases) {
    ConversionSettings s = WithFormat(c.format);
    s.*c.setting = c.index;
    EncodingParameters p;
    p.videoBitrate = 111;
    p.audioBitrate = 22;
    SelectQualityPreset(s, p);
    EXPECT_EQ(p.videoBitrate, 111) << c.format << "/" << c.index;
    EXPECT_EQ(p.audioBitrate, 22) << c.format << "/" << c.index;
  }
}

std::string AspectAfter(const ConversionSettings& s, const std::string& before) {
  EncodingParameters p;
  p.aspectText = before;
  SelectAspectText(s, p);
  return p.aspectText;
}

TEST(AspectText, MpegAndDiscRows) {
  ConversionSettings s = WithFormat(kFormatMpeg1);
  const char* mpeg[] = {"1/1", "4/3", "16/9", "2.21/1"};
  for (int i = 0; i < 4; ++i) {
    s.mpegAspectRatio = i;
    s.outputFormat = kFormatMpeg1;
    EXPECT_EQ(AspectAfter(s, "x"), mpeg[i]);
    s.outputFormat = kFormatMpeg2;
    EXPECT_EQ(AspectAfter(s, "x"), mpeg[i]);
  }
  for (std::int32_t format : {kFormatVcd, kFormatSvcd, kFormatDvd}) {
    s = WithFormat(format);
    s.mpegAspectRatio = 3;
    s.dvdAspectRatio = 0;
    EXPECT_EQ(AspectAfter(s, "x"), "4/3");
    s.dvdAspectRatio = 1;
    EXPECT_EQ(AspectAfter(s, "x"), "16/9");
  }
}

TEST(AspectText, OtherFormatsAndBadIndexesLeaveTheText) {
  ConversionSettings s = WithFormat(kFormatAvi);
  s.dvdAspectRatio = 1;
  s.mpegAspectRatio = 1;
  for (std::int32_t format : std::vector<std::int32_t>{kFormatAvi, kFormatDivx, kFormatXvid, kFormatWmv, kFormatAsf, kFormatMp4, kFormatCount}) {
    s.outputFormat = format;
    EXPECT_EQ(AspectAfter(s, "prev"), "prev") << format;
  }
  s = WithFormat(kFormatMpeg2);
  s.mpegAspectRatio = 4;
  EXPECT_EQ(AspectAfter(s, "prev"), "prev");
  s = WithFormat(kFormatDvd);
  s.dvdAspectRatio = 2;
  EXPECT_EQ(AspectAfter(s, "prev"), "prev");
}

double FpsFor(const ConversionSettings& s, double sourceFps) {
  EncodingParameters p;
  p.outputFps = -1.0;
  SelectFrameRate(s, sourceFps, p);
  return p.outputFps;
}

// Each {source rate, output rate}: the rate the settings pick for that source.
void ExpectFpsBySource(const ConversionSettings& s, std::initializer_list<std::pair<double, double>> cases) {
  for (const auto& [source, expected] : cases)
    EXPECT_EQ(FpsFor(s, source), expected) << "format " << s.outputFormat << ", source " << source;
}

TEST(FrameRate, AviFollowsTheSourceWithinItsBand) {
  for (std::int32_t format : {kFormatAvi, kFormatDivx, kFormatXvid, kFormatMp4}) {
    ConversionSettings s = WithFormat(format);
    s.aviFrameRate = 0;
    s.mpegFrameRate = 3;
    ExpectFpsBySource(s, {{12.5, 14.985}, {14.984, 14.985}, {14.985, 14.985}, {25.0, 25.0}, {60.0, 60.0},
                          {60.5, 30.0}, {0.0, 14.985}});
  }
}

TEST(FrameRate, AviFixedRates) {
  ConversionSettings s = WithFormat(kFormatAvi);
  const double expected[] = {14.985, 20.0, 23.976, 24.0, 25.0, 29.97, 30.0, 30.0, 30.0};
  for (int i = 1; i <= 9; ++i) {
    s.aviFrameRate = i;
    EXPECT_EQ(FpsFor(s, 50.0), expected[i - 1]) << i;
  }
  s.aviFrameRate = -1;
  EXPECT_EQ(FpsFor(s, 50.0), 30.0);
}

TEST(FrameRate, MpegSourceBandsBelongToTheUpperBandAtTheirEdges) {
  for (std::int32_t format : {kFormatMpeg1, kFormatMpeg2}) {
    ConversionSettings s = WithFormat(format);
    s.mpegFrameRate = 0;
    s.aviFrameRate = 5;
    ExpectFpsBySource(s, {{15.0, 23.976}, {23.976, 23.976}, {24.0, 24.0}, {24.999, 24.0}, {25.0, 25.0},
                          {27.999, 25.0}, {28.0, 29.97}, {29.97, 29.97}, {30.0, 30.0}, {120.0, 30.0}});
  }
}

TEST(FrameRate, MpegFixedRates) {
  ConversionSettings s = WithFormat(kFormatMpeg2);
  const double expected[] = {23.976, 24.0, 25.0, 29.97, 30.0, 30.0};
  for (int i = 1; i <= 6; ++i) {
    s.mpegFrameRate = i;
    EXPECT_EQ(FpsFor(s, 10.0), expected[i - 1]) << i;
  }
}

TEST(FrameRate, DiscFormatsRunAtTheirTvStandardsRate) {
  ConversionSettings s = WithFormat(kFormatVcd);
  s.aviFrameRate = 2;
  s.mpegFrameRate = 2;
  EXPECT_EQ(FpsFor(s, 50.0), 23.976);
  s.tvMode = kTvPal;
  EXPECT_EQ(FpsFor(s, 50.0), 25.0);
  for (std::int32_t format : {kFormatSvcd, kFormatDvd}) {
    s = WithFormat(format);
    EXPECT_EQ(FpsFor(s, 23.976), 29.97);
    s.tvMode = kTvPal;
    EXPECT_EQ(FpsFor(s, 23.976), 25.0);
    s.tvMode = 2;  // not PAL
    EXPECT_EQ(FpsFor(s, 23.976), 29.97);
  }
}

TEST(FrameRate, WindowsMediaAndUnknownFormatsAskForTheUnlimitedRate) {
  for (std::int32_t format : std::vector<std::int32_t>{kFormatWmv, kFormatAsf, kFormatCount, -1}) {
    ConversionSettings s = WithFormat(format);
    EXPECT_EQ(FpsFor(s, 25.0), 1000.0) << format;
  }
}

// The size picked for a format, TV mode and row of each size table.
struct SizeRow {
  std::int32_t format;
  std::int32_t tvMode;
  std::int32_t aviRow;
  std::int32_t mpegRow;
  std::int32_t width;
  std::int32_t height;
};

void ExpectSizes(std::initializer_list<SizeRow> rows) {
  for (const SizeRow& r : rows) {
    ConversionSettings s = WithFormat(r.format);
    s.tvMode = r.tvMode;
    s.aviResolution = r.aviRow;
    s.mpegResolution = r.mpegRow;
    EncodingParameters p;
    p.outputWidth = 7;
    p.outputHeight = 7;
    SelectOutputSize(s, p);
    SCOPED_TRACE(::testing::Message() << "format " << r.format << ", TV mode " << r.tvMode << ", rows " << r.aviRow
                                    << "/" << r.mpegRow);
    EXPECT_EQ(p.outputWidth, r.width);
    EXPECT_EQ(p.outputHeight, r.height);
  }
}

TEST(OutputSize, DiscFormatsByTvMode) {
  ExpectSizes({{kFormatVcd, kTvNtsc, 3, 3, 352, 240},
               {kFormatVcd, kTvPal, 3, 3, 352, 288},
               {kFormatSvcd, kTvPal, 3, 3, 480, 576},
               {kFormatDvd, kTvPal, 3, 3, 720, 576},
               {kFormatDvd, kTvNtsc, 3, 3, 720, 480},
               {kFormatSvcd, kTvNtsc, 3, 3, 480, 480}});
}

TEST(OutputSize, MpegAndAviTablesPartAtRow13) {
  ExpectSizes({{kFormatMpeg1, kTvNtsc, 13, 13, 480, 480},
               {kFormatAvi, kTvNtsc, 13, 13, 480, 272},
               {kFormatAvi, kTvNtsc, 16, 16, 624, 352},
               {kFormatMpeg2, kTvNtsc, 16, 16, 720, 480}});
}

TEST(OutputSize, TableEndsAndOutOfRange) {
  ExpectSizes({{kFormatMpeg2, kTvNtsc, 0, 0, 0, 0},
               {kFormatMpeg2, kTvNtsc, 0, 1, 80, 60},
               {kFormatMpeg2, kTvNtsc, 0, 17, 720, 576},
               {kFormatMpeg2, kTvNtsc, 0, 18, 0, 0}});
  for (std::int32_t format : {kFormatAvi, kFormatDivx, kFormatXvid, kFormatWmv, kFormatAsf}) {
    ExpectSizes({{format, kTvNtsc, 12, 0, 352, 288},
                 {format, kTvNtsc, 19, 0, 720, 576},
                 {format, kTvNtsc, 20, 0, 0, 0},
                 {format, kTvNtsc, -1, 0, 0, 0}});
  }
}

}  // namespace
}  // namespace velto
