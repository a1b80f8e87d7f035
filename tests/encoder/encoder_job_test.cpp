#include "encoder/job/encoder_job.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <utility>

#include "encoder/common/command_line_tokens.h"
#include "encoder/job/option_values.h"
#include "job_strings.h"

namespace velto {
namespace {

JobParseResult Parse(const std::string& line) { return ParseEncoderArguments(SplitCommandLine(line)); }

EncoderJob MustParse(const char* pattern, int mode = 0, long long window = 0) {
  const auto result = Parse(test::Fill(pattern, R"(C:\in\clip one.wmv)", R"(D:\out\clip one.avi)", mode, window));
  EXPECT_TRUE(result.job) << result.error;
  return result.job.value_or(EncoderJob{});
}

TEST(EncoderJob, AviWithMp3) {
  const EncoderJob job = MustParse(test::kAviMp3);
  EXPECT_EQ(job.source, R"(C:\in\clip one.wmv)");
  EXPECT_EQ(job.output, R"(D:\out\clip one.avi)");
  EXPECT_EQ(job.container, Container::kAvi);
  EXPECT_EQ(job.video.codec, VideoCodec::kMpeg4);
  EXPECT_EQ(job.video.bitrate, 1'000'000);
  EXPECT_TRUE(job.video.bestMacroblockDecision);
  EXPECT_EQ(job.video.qmin, 1);
  EXPECT_EQ(job.video.qmax, 31);
  EXPECT_TRUE(job.video.autoAspect);
  EXPECT_EQ(job.video.fourcc, "DX50");
  EXPECT_EQ(job.audio.codec, AudioCodec::kMp3Lame);
  EXPECT_EQ(job.audio.lameVbr, 3);
  EXPECT_EQ(job.audio.bitrateKbit, 128);
  EXPECT_EQ(job.audio.lameMode, 3);
  EXPECT_EQ(job.audio.gainDb, 0.0);
  EXPECT_EQ(job.audio.channels, 2);
  EXPECT_EQ(job.picture.swsMode, 2);
  EXPECT_FALSE(job.picture.scale);
  EXPECT_EQ(job.outputFps, (Fraction{25, 1}));
  EXPECT_EQ(job.endSeconds, 32400.0);
  EXPECT_EQ(job.runMode, 0);
  EXPECT_EQ(job.windowHandle, 0);
}

TEST(EncoderJob, AviWithAc3AndXvid) {
  EncoderJob job = MustParse(test::kAviAc3, 1, 65570);
  EXPECT_EQ(job.audio.codec, AudioCodec::kAc3);
  EXPECT_EQ(job.audio.bitrateKbit, 128);
  EXPECT_EQ(job.audio.channels, 6);
  EXPECT_EQ(job.audio.resampleRate, 44100);
  EXPECT_EQ(job.audio.sampleRate, 44100);
  EXPECT_EQ(job.outputFps, (Fraction{15000, 1001}));
  EXPECT_TRUE(job.picture.scale && job.picture.hardDup && !job.picture.expand);
  EXPECT_EQ(job.picture.scaleWidth, 176);
  EXPECT_EQ(job.picture.scaleHeight, 144);
  EXPECT_EQ(job.runMode, 1);
  EXPECT_EQ(job.windowHandle, 65570);

  job = MustParse(test::kXvidMp3);
  EXPECT_EQ(job.video.codec, VideoCodec::kXvid);
  EXPECT_EQ(job.video.bitrate, 640'000);
  EXPECT_EQ(job.audio.codec, AudioCodec::kMp3Lame);
  EXPECT_EQ(job.audio.gainDb, 6.0);
  EXPECT_EQ(job.outputFps, (Fraction{20, 1}));

  job = MustParse(test::kXvidAc3);
  EXPECT_EQ(job.video.codec, VideoCodec::kXvid);
  EXPECT_EQ(job.audio.codec, AudioCodec::kAc3);
  EXPECT_EQ(job.audio.bitrateKbit, 96);
}

TEST(EncoderJob, AnEmptyAspectMeansNoneGiven) {
  std::string line = test::Fill(test::kMpeg1, R"(C:\in\a.wmv)", R"(D:\out\a.mpeg)", 0, 0);
  const auto at = line.find("aspect=4/3");
  ASSERT_NE(at, std::string::npos);
  line.replace(at, 10, "aspect=");
  const auto result = Parse(line);
  ASSERT_TRUE(result.job) << result.error;
  EXPECT_FALSE(result.job->video.aspect.has_value());
  EXPECT_TRUE(result.job->video.autoAspect);
}

TEST(EncoderJob, MpegAndDiscFormats) {
  EncoderJob job = MustParse(test::kMpeg1);
  EXPECT_EQ(job.container, Container::kMpeg);
  EXPECT_EQ(job.video.codec, VideoCodec::kMpeg1);
  EXPECT_EQ(job.video.keyint, 18);
  EXPECT_EQ(job.video.bufferSize, 327'000);
  EXPECT_EQ(job.video.minRate, 800'000);
  EXPECT_EQ(job.video.maxRate, 800'000);
  EXPECT_EQ(job.video.aspect, (Fraction{4, 3}));
  EXPECT_EQ(job.audio.codec, AudioCodec::kMp2);

  job = MustParse(test::kMpeg2);
  EXPECT_EQ(job.video.codec, VideoCodec::kMpeg2);
  EXPECT_EQ(job.video.aspect, (Fraction{16, 9}));
  EXPECT_EQ(job.audio.gainDb, -6.0);
  EXPECT_TRUE(job.picture.expand);
  EXPECT_EQ(job.picture.scaleWidth, 640);
  EXPECT_EQ(job.picture.scaleHeight, kScaleKeepAspect);
  EXPECT_EQ(job.picture.expandWidth, 640);
  EXPECT_EQ(job.picture.expandHeight, 480);

  EXPECT_EQ(MustParse(test::kVcdNtsc).container, Container::kVcd);
  EXPECT_EQ(MustParse(test::kVcdPal).video.keyint, 15);
  EXPECT_EQ(MustParse(test::kSvcdNtsc).container, Container::kSvcd);
  job = MustParse(test::kDvdNtscAc3);
  EXPECT_EQ(job.container, Container::kDvd);
  EXPECT_EQ(job.audio.codec, AudioCodec::kAc3);
  EXPECT_FALSE(job.audio.channels);
  EXPECT_EQ(job.audio.resampleRate, 48000);
  EXPECT_EQ(MustParse(test::kDvdPalMp2).picture.scaleWidth, kScaleKeepAspect);
}

TEST(EncoderJob, WindowsMediaFormats) {
  EncoderJob job = MustParse(test::kWmv);
  EXPECT_EQ(job.container, Container::kAsf);
  EXPECT_EQ(job.video.codec, VideoCodec::kWmv2);
  EXPECT_EQ(job.video.qscale, 21);
  EXPECT_EQ(job.audio.codec, AudioCodec::kWmav2);
  EXPECT_TRUE(IsAsfTimeBaseRate(*job.outputFps));
  EXPECT_EQ(MustParse(test::kAsfMsmpeg4).video.codec, VideoCodec::kMsmpeg4);
  EXPECT_EQ(MustParse(test::kAsfMsmpeg4).audio.codec, AudioCodec::kWmav1);
  EXPECT_EQ(MustParse(test::kAsfMsmpeg4v2).video.codec, VideoCodec::kMsmpeg4v2);
}

TEST(EncoderJob, PieceOrderDoesNotMatter) {
  const std::string line = test::Fill(test::kMpeg2, "a.wmv", "b.mpg", 0, 77);
  auto words = SplitCommandLine(line);
  // Keep the source first and the run mode and handle last; shuffle the
  // option pairs between them.
  std::vector<std::pair<std::string, std::string>> pairs;
  for (std::size_t i = 1; i + 2 < words.size(); i += 2) pairs.emplace_back(words[i], words[i + 1]);
  const auto reference = ParseEncoderArguments(words);
  ASSERT_TRUE(reference.job) << reference.error;
  std::mt19937 random(7);
  for (int round = 0; round < 20; ++round) {
    std::shuffle(pairs.begin(), pairs.end(), random);
    std::vector<std::string> shuffled = {words[0]};
    for (const auto& [name, value] : pairs) {
      shuffled.push_back(name);
      shuffled.push_back(value);
    }
    shuffled.push_back("0");
    shuffled.push_back("77");
    const auto again = ParseEncoderArguments(shuffled);
    ASSERT_TRUE(again.job) << again.error;
    EXPECT_EQ(again.job->video.maxRate, reference.job->video.maxRate);
    EXPECT_EQ(again.job->picture.expandHeight, 480);
    EXPECT_EQ(again.job->container, Container::kMpeg);
    EXPECT_EQ(again.job->windowHandle, 77);
  }
}

// Our own piece: a switch anywhere among the others.
TEST(EncoderJob, EvenLoudnessIsASwitch) {
  EXPECT_FALSE(MustParse(test::kAviMp3).audio.evenLoudness);
  std::string line = test::Fill(test::kDvdPalMp2, "a.wmv", "b.vob", 0, 0);
  line.insert(line.find(" -endpos"), " -even-loudness");
  const auto result = Parse(line);
  ASSERT_TRUE(result.job) << result.error;
  EXPECT_TRUE(result.job->audio.evenLoudness);
}

TEST(EncoderJob, HostileNamesAreOnlyNames) {
  for (const char* name : {"-y.wmv", "http:x.wmv", "concat:a|b.wmv", R"(C:\a "b".wmv)"}) {
    const auto result = ParseEncoderArguments({name, "-o", "-i.avi", "-ovc", "lavc", "-oac", "lavc", "-lavcopts",
                                               "vcodec=mpeg4:acodec=mp2", "-of", "lavf", "0", "0"});
    ASSERT_TRUE(result.job) << name << ": " << result.error;
    EXPECT_EQ(result.job->source, name);
    EXPECT_EQ(result.job->output, "-i.avi");
  }
}

TEST(EncoderJob, WindowHandleIsSignedThirtyTwoBits) {
  EXPECT_EQ(MustParse(test::kWmv, 0, -2147483647LL - 1).windowHandle, INT32_MIN);
  EXPECT_EQ(MustParse(test::kWmv, 0, 2147483647).windowHandle, INT32_MAX);
  EXPECT_FALSE(Parse(test::Fill(test::kWmv, "a", "b", 0, 2147483648LL)).job);
  EXPECT_FALSE(Parse(test::Fill(test::kWmv, "a", "b", 3, 0)).job);
}

TEST(EncoderJob, MalformedOrUnknownPiecesRefuseTheLine) {
  const std::string good = test::Fill(test::kAviMp3, "a.wmv", "b.avi", 0, 0);
  ASSERT_TRUE(Parse(good).job);
  const std::vector<std::pair<std::string, std::string>> edits = {
      {"vbitrate=1000", "vbitrate=abc"},       {"vbitrate=1000", "vbitrate=-5"},
      {"vbitrate=1000", "vbitrate="},          {"vcodec=mpeg4", "vcodec=h264"},
      {"vqmin=1", "vqmin=0"},                  {"vqmax=31", "vqmax=32"},
      {"vhq", "vhq=1"},                        {"autoaspect=1", "autoaspect=2"},
      {"br=128", "br=7"},                      {"mode=3", "mode=4"},
      {"vbr=3", "vbr=x"},                      {"-ffourcc DX50", "-ffourcc DX5"},
      {"-ffourcc DX50", "-ffourcc DX5!"},      {"format=avi", "format=mkv"},
      {"i_certify", "i_promise"},              {"-sws 2", "-sws 11"},
      {"volume=+0db", "volume=loud"},          {"volume=+0db", "volume=+61db"},
      {"channels=2", "channels=9"},            {"-ofps 25.000000", "-ofps 0"},
      {"-ofps 25.000000", "-ofps 25/0"},       {"-ofps 25.000000", "-ofps 1e3"},
      {"-ofps 25.000000", "-ofps 25x"},        {"-endpos 9:0:0", "-endpos 9:x:0"},
      {"-endpos 9:0:0", "-endpos 1:2:3:4"},
      {"-endpos 9:0:0", "-endpos 99999999999999999999999"},    {"-oac mp3lame", "-oac pcm"},
      {"-ovc lavc", "-ovc x265"},              {"-of lavf", "-of rawvideo"},
      {"-sws 2", "-sws 2 -nosound"},           {"-sws 2", "-sws 2 -sws 2"},
      {"-sws 2", "-sws 2 -even-loudness -even-loudness"}, {"-sws 2", "-sws 2 -even-loudness=1"},
      {"vqmax=31", "vqmax=31:"},               {"vbitrate=1000", "vbitrate=1000::vhq"},
      {"-af volume", "-af extrastereo,volume"}, {" 0 0", " 0"},
      {" 0 0", " 0 0 0"},                      {"-o \"b.avi\"", "-o \"\""},
  };
  for (const auto& [from, to] : edits) {
    std::string line = good;
    const auto at = line.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    line.replace(at, from.size(), to);
    const auto result = Parse(line);
    EXPECT_FALSE(result.job) << to;
    EXPECT_FALSE(result.error.empty()) << to;
  }
  // Bad scaling pieces.
  for (const char* vf : {"scale=0:240", "scale=-3:-3", "scale=320", "scale=a:b", "expand=320:240",
                         "scale=320:240,expand=0:1", "scale=320:240,crop=1:1", "harddup=1"}) {
    const auto result = ParseEncoderArguments({"a", "-o", "b", "-vf", vf, "0", "0"});
    EXPECT_FALSE(result.job) << vf;
  }
}

TEST(EncoderJob, NumbersAndTimes) {
  const std::pair<const char*, Fraction> fractions[] = {
      {"25.000000", {25, 1}}, {"29.970000", {2997, 100}}, {"30000/1001", {30000, 1001}},
      {"2.21/1", {221, 100}}, {"16/9", {16, 9}}};
  for (const auto& [text, fraction] : fractions) EXPECT_EQ(ParseFraction(text), fraction) << text;
  for (const char* bad : {"-25", "0/1", "/", "1.2.3"}) EXPECT_FALSE(ParseFraction(bad)) << bad;
  const std::pair<const char*, double> times[] = {{"9:0:0", 32400.0}, {"1:30", 90.0}, {"75.5", 75.5}};
  for (const auto& [text, seconds] : times) EXPECT_EQ(ParseTimePosition(text), seconds) << text;
  for (const char* bad : {"-1", "10mb"}) EXPECT_FALSE(ParseTimePosition(bad)) << bad;
  // Bitrates above 16000 are bits, as MEncoder reads them.
  const auto job = ParseEncoderArguments(
      {"a", "-o", "b", "-ovc", "lavc", "-lavcopts", "vcodec=mpeg4:vbitrate=800000", "0", "0"});
  ASSERT_TRUE(job.job);
  EXPECT_EQ(job.job->video.bitrate, 800'000);
}

TEST(EncoderJob, ConversionNeedsContainerAndCodecs) {
  auto job = ParseEncoderArguments({"a", "-o", "b", "-of", "lavf", "-lavfopts", "format=avi", "1", "0"});
  ASSERT_TRUE(job.job);  // enough for a probe
  EXPECT_FALSE(CheckConvertible(*job.job).empty());
  EXPECT_TRUE(CheckConvertible(MustParse(test::kAviMp3)).empty());
  // The container may come from the output name.
  job = ParseEncoderArguments({"a", "-o", "b.WMV", "-of", "lavf", "0", "0"});
  ASSERT_TRUE(job.job);
  EXPECT_EQ(job.job->container, Container::kAsf);
}

}  // namespace
}  // namespace velto
