#include "encoder/source/media_probe.h"

#include <gtest/gtest.h>

namespace velto {
namespace {

constexpr const char* kAsfProbe = R"({
  "streams": [
    {"index": 0, "codec_name": "wmav2", "codec_type": "audio", "sample_rate": "44100", "channels": 2,
     "r_frame_rate": "0/0", "avg_frame_rate": "0/0"},
    {"index": 1, "codec_name": "wmv2", "codec_type": "video", "width": 320, "height": 240,
     "sample_aspect_ratio": "1:1", "r_frame_rate": "1000/1", "avg_frame_rate": "0/0",
     "disposition": {"default": 0, "attached_pic": 0}}
  ],
  "format": {"filename": "file:clip.wmv", "format_name": "asf", "duration": "2.540000"}
})";

TEST(MediaProbe, AsfWithTheMillisecondRate) {
  auto info = ParseProbeJson(kAsfProbe);
  ASSERT_TRUE(info);
  EXPECT_TRUE(info->hasVideo);
  EXPECT_TRUE(info->hasAudio);
  EXPECT_EQ(info->channels, 2);
  EXPECT_EQ(info->sampleRate, 44100);
  EXPECT_EQ(info->width, 320);
  EXPECT_EQ(info->formatName, "asf");
  EXPECT_TRUE(FrameRateNeedsCounting(*info));
  // Not yet counted: no believable rate, so the probe fails on it.
  EXPECT_EQ(MakeProbeReport(*info).frameRate, 0);
  info->frameCount = 76;  // 76 frames in 2.54 s
  const ProbeReport report = MakeProbeReport(*info);
  EXPECT_EQ(report.durationSeconds, 3);
  EXPECT_EQ(report.width, 320);
  EXPECT_EQ(report.height, 240);
  EXPECT_EQ(report.frameRate, 299212598);
}

TEST(MediaProbe, CountedPacketsAreRead) {
  const auto info = ParseProbeJson(R"({"streams":[{"codec_type":"video","width":4,"height":2,
      "r_frame_rate":"1000/1","avg_frame_rate":"1000/1","nb_read_packets":"50"}],
      "format":{"duration":"2.000"}})");
  ASSERT_TRUE(info);
  EXPECT_EQ(info->frameCount, 50);
  EXPECT_EQ(MakeProbeReport(*info).frameRate, 250000000);
}

TEST(MediaProbe, BelievableRatesAndShortClips) {
  const auto info = ParseProbeJson(R"({"streams":[{"codec_type":"video","width":720,"height":480,
      "sample_aspect_ratio":"8:9","avg_frame_rate":"30000/1001"}],"format":{"duration":"0.4"}})");
  ASSERT_TRUE(info);
  EXPECT_FALSE(info->hasAudio);
  EXPECT_NEAR(info->DisplayAspect(), 4.0 / 3.0, 1e-9);
  const ProbeReport report = MakeProbeReport(*info);
  EXPECT_EQ(report.durationSeconds, 1);  // shorter than a second still plays
  EXPECT_EQ(report.frameRate, 299700300);
  // Rounded, not truncated.
  EXPECT_EQ(MakeProbeReport(*ParseProbeJson(R"({"streams":[{"codec_type":"video","width":2,"height":2,
      "avg_frame_rate":"25/1"}],"format":{"duration":"59.6"}})")).durationSeconds, 60);
}

// Where the streams begin and end, on the clock that starts with the
// source's first packet.
TEST(MediaProbe, StreamSpansFromTheFormatsStart) {
  const auto info = ParseProbeJson(R"({"streams":[
      {"codec_type":"video","width":2,"height":2,"start_time":"1.546","duration":"60.0"},
      {"codec_type":"audio","channels":2,"sample_rate":"44100","start_time":"1.5"}],
      "format":{"duration":"60.1","start_time":"1.5"}})");
  ASSERT_TRUE(info);
  EXPECT_NEAR(info->videoStart, 0.046, 1e-9);
  EXPECT_NEAR(info->videoEnd, 60.046, 1e-9);
  EXPECT_EQ(info->audioStart, 0);
  EXPECT_EQ(info->audioEnd, 0);  // no length stated: not known
}

TEST(MediaProbe, FailuresGiveZeros) {
  EXPECT_FALSE(ParseProbeJson("not json"));
  EXPECT_FALSE(ParseProbeJson("[1,2]"));
  // Audio only, a cover picture, or no duration.
  auto info = ParseProbeJson(R"({"streams":[{"codec_type":"audio","channels":2,"sample_rate":"8000"},
      {"codec_type":"video","width":300,"height":300,"disposition":{"attached_pic":1}}],"format":{"duration":"5"}})");
  ASSERT_TRUE(info);
  EXPECT_FALSE(info->hasVideo);
  EXPECT_EQ(MakeProbeReport(*info).width, 0);
  info = ParseProbeJson(R"({"streams":[{"codec_type":"video","width":320,"height":240,"avg_frame_rate":"25/1"}],
      "format":{"duration":"N/A"}})");
  ASSERT_TRUE(info);
  EXPECT_EQ(MakeProbeReport(*info).durationSeconds, 0);
  // Wrong types and absurd values are ignored, not trusted.
  info = ParseProbeJson(R"({"streams":[{"codec_type":"video","width":"wide","height":-5}],
      "format":{"duration":1e300}})");
  ASSERT_TRUE(info);
  EXPECT_FALSE(info->hasVideo);
  EXPECT_EQ(info->durationSeconds, 0);
}

TEST(MediaProbe, AStatedLengthIsReportedOnlyForACutOfMoreThanASecond) {
  SourceInfo info;
  info.hasVideo = true;
  info.width = info.height = 2;
  info.frameRate = {25, 1};
  info.durationSeconds = 0.17;
  info.statedSeconds = 6.0;
  EXPECT_EQ(MakeProbeReport(info).durationSeconds, 1);
  EXPECT_EQ(MakeProbeReport(info).statedSeconds, 6);
  info.durationSeconds = 5.1;
  EXPECT_EQ(MakeProbeReport(info).statedSeconds, 0);
  info.statedSeconds = 0;  // not cut
  EXPECT_EQ(MakeProbeReport(info).statedSeconds, 0);
}

TEST(MediaProbe, VeryHighRatesDoNotOverflow) {
  SourceInfo info;
  info.hasVideo = true;
  info.width = info.height = 2;
  info.durationSeconds = 1;
  info.frameRate = {240, 1};
  EXPECT_EQ(MakeProbeReport(info).frameRate, INT32_MAX);
}

}  // namespace
}  // namespace velto
