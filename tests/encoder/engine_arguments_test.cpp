#include "encoder/engine_arguments.h"

#include <gtest/gtest.h>

#include "encoder/command_line_tokens.h"
#include "job_strings.h"

namespace velto {
namespace {

constexpr const char* kHead = "-hide_banner -loglevel error -nostats -progress pipe:1 -y -i file:in.wmv ";

SourceInfo Clip43Stereo() {
  SourceInfo s;
  s.hasVideo = true;
  s.width = 320;
  s.height = 240;
  s.frameRate = {25, 1};
  s.hasAudio = true;
  s.channels = 2;
  s.sampleRate = 44100;
  s.durationSeconds = 2.04;
  return s;
}

SourceInfo Clip169Mono() {
  SourceInfo s = Clip43Stereo();
  s.width = 640;
  s.height = 360;
  s.channels = 1;
  s.sampleRate = 22050;
  return s;
}

SourceInfo VideoOnly() {
  SourceInfo s = Clip43Stereo();
  s.hasAudio = false;
  s.channels = 0;
  s.sampleRate = 0;
  return s;
}

std::string Translate(const char* pattern, const SourceInfo& source, const std::string& output = "out.x") {
  const auto job = ParseEncoderArguments(SplitCommandLine(test::Fill(pattern, "in.wmv", output, 0, 0)));
  EXPECT_TRUE(job.job) << job.error;
  if (!job.job) return "";
  const auto result = TranslateJob(*job.job, source);
  EXPECT_TRUE(result.error.empty()) << result.error;
  return JoinCommandLine(result.arguments);
}

// LAME's mono mode comes with channels=2: a stereo source stays stereo, a
// mono one mono.
TEST(EngineArguments, AviMpeg4WithDx50AndMp3OfTheSourcesChannels) {
  EXPECT_EQ(Translate(test::kAviMp3, Clip43Stereo()),
            std::string(kHead) +
                "-map 0:v:0 -map 0:a:0 -r 25 -vsync cfr -c:v mpeg4 -vtag DX50 -b:v 1000k -qmin 1 -qmax 31 -mbd rd "
                "-pix_fmt yuv420p -threads 0 -af aformat=sample_rates=44100:channel_layouts=stereo "
                "-c:a libmp3lame -abr 1 -b:a 128k -ar 44100 -ac 2 -t 32400 -f avi file:out.x");
  const std::string mono = Translate(test::kAviMp3, Clip169Mono());
  EXPECT_NE(mono.find(":channel_layouts=mono -c:a libmp3lame -abr 1 -b:a 128k -ar 22050 -ac 1 "), std::string::npos)
      << mono;
}

TEST(EngineArguments, DivxWithAc3UpmixesMonoToTheFrontPair) {
  EXPECT_EQ(Translate(test::kAviAc3, Clip169Mono()),
            std::string(kHead) +
                "-map 0:v:0 -map 0:a:0 -vf scale=176:144:flags=bicubic -r 15000/1001 -vsync cfr -c:v mpeg4 "
                "-vtag DX50 -b:v 1000k -qmin 1 -qmax 31 -mbd rd -pix_fmt yuv420p -threads 0 "
                "-af pan=5.1|c0=c0|c1=c0,aformat=sample_rates=44100:channel_layouts=5.1 "
                "-c:a ac3 -b:a 128k -ar 44100 -ac 6 -t 32400 -f avi file:out.x");
}

TEST(EngineArguments, XvidGetsItsTagAndGain) {
  EXPECT_EQ(Translate(test::kXvidMp3, Clip43Stereo()),
            std::string(kHead) +
                "-map 0:v:0 -map 0:a:0 -r 20 -vsync cfr -c:v mpeg4 -vtag XVID -b:v 640k -bf 0 -mpeg_quant 0 "
                "-qmin 2 -qmax 31 -g 300 -pix_fmt yuv420p -threads 0 -af volume=6dB,aformat=sample_rates=44100:channel_layouts=stereo -c:a libmp3lame "
                "-abr 1 -b:a 96k -ar 44100 -ac 2 -t 32400 -f avi file:out.x");
}

TEST(EngineArguments, Mpeg1ScalesExactlyAndUpmixesMono) {
  EXPECT_EQ(Translate(test::kMpeg1, Clip169Mono()),
            std::string(kHead) +
                "-map 0:v:0 -map 0:a:0 -vf scale=320:240:flags=bicubic -r 25 -vsync cfr -c:v mpeg1video "
                "-b:v 800k -minrate 800k -maxrate 800k -bufsize 327000 -g 18 -aspect 4:3 -pix_fmt yuv420p "
                "-threads 0 -af pan=stereo|c0=c0|c1=c0,aformat=sample_rates=44100:channel_layouts=stereo "
                "-c:a mp2 -b:a 128k -ar 44100 -ac 2 -t 32400 -f mpeg file:out.x");
}

TEST(EngineArguments, Mpeg2PillarboxesAFourThirdsSourceInASixteenNinthsFrame) {
  EXPECT_EQ(Translate(test::kMpeg2, Clip43Stereo()),
            std::string(kHead) +
                "-map 0:v:0 -map 0:a:0 -vf scale=480:480:flags=bicubic,pad=640:480:80:0:black,setsar=4/3 "
                "-r 30000/1001 -vsync cfr -c:v mpeg2video -b:v 1600k -maxrate 9400k -bufsize 1835000 -g 18 "
                "-aspect 16:9 -pix_fmt yuv420p -threads 0 "
                "-af volume=-6dB,aformat=sample_rates=44100:channel_layouts=stereo -c:a mp2 -b:a 128k "
                "-ar 44100 -ac 2 -t 32400 -f vob file:out.x");
}

TEST(EngineArguments, VideoCdLetterboxesWideSources) {
  EXPECT_EQ(Translate(test::kVcdNtsc, Clip169Mono()),
            std::string(kHead) +
                "-map 0:v:0 -map 0:a:0 -vf scale=352:180:flags=bicubic,pad=352:240:0:30:black,setsar=10/11 "
                "-r 24000/1001 -vsync cfr -c:v mpeg1video -b:v 1152k -minrate 1152k -maxrate 1152k "
                "-bufsize 327000 -g 18 -aspect 4:3 -pix_fmt yuv420p -threads 0 "
                "-af pan=stereo|c0=c0|c1=c0,aformat=sample_rates=44100:channel_layouts=stereo "
                "-c:a mp2 -b:a 192k -ar 44100 -ac 2 -t 32400 -f vcd -packetsize 2324 -muxrate 1411200 "
                "-muxpreload 0.44 file:out.x");
}

TEST(EngineArguments, SuperVideoCdPal) {
  EXPECT_EQ(Translate(test::kSvcdPal, Clip43Stereo()),
            std::string(kHead) +
                "-map 0:v:0 -map 0:a:0 -vf scale=360:576:flags=bicubic,pad=480:576:60:0:black,setsar=32/15 "
                "-r 25 -vsync cfr -c:v mpeg2video -b:v 800k -minrate 600k -maxrate 1650k -bufsize 917000 -g 15 "
                "-scan_offset 1 -aspect 16:9 -pix_fmt yuv420p -threads 0 "
                "-af aformat=sample_rates=44100:channel_layouts=stereo -c:a mp2 -b:a 128k -ar 44100 -ac 2 "
                "-t 32400 -f svcd -packetsize 2324 file:out.x");
}

TEST(EngineArguments, DvdFromAVideoOnlySourceGetsASilentTrack) {
  EXPECT_EQ(Translate(test::kDvdNtscAc3, VideoOnly()),
            std::string(kHead) +
                "-f lavfi -t 2.040 -i anullsrc=r=48000:cl=stereo -map 0:v:0 -map 1:a:0 "
                "-vf scale=540:480:flags=bicubic,pad=720:480:90:0:black,setsar=32/27 -r 30000/1001 -vsync cfr "
                "-c:v mpeg2video -b:v 5000k -maxrate 9400k -bufsize 1835000 -g 18 -aspect 16:9 "
                "-pix_fmt yuv420p -threads 0 -c:a ac3 -b:a 224k -ar 48000 -ac 2 -t 32400 -f dvd "
                "-packetsize 2048 -muxrate 10080000 file:out.x");
}

TEST(EngineArguments, WindowsMediaKeepsTheSourceTiming) {
  EXPECT_EQ(Translate(test::kWmv, Clip43Stereo()),
            std::string(kHead) +
                "-map 0:v:0 -map 0:a:0 -vsync passthrough -c:v wmv2 -q:v 21 -pix_fmt yuv420p -threads 0 "
                "-af aformat=sample_rates=44100:channel_layouts=stereo -c:a wmav2 -b:a 96k -ar 44100 -ac 2 "
                "-t 32400 -f asf file:out.x");
  EXPECT_EQ(Translate(test::kAsfMsmpeg4, VideoOnly()),
            std::string(kHead) +
                "-map 0:v:0 -vf scale=160:120:flags=bicubic -vsync passthrough -c:v msmpeg4 -q:v 29 "
                "-pix_fmt yuv420p -threads 0 -an -t 32400 -f asf file:out.x");
}

TEST(EngineArguments, DiscLimitsHold) {
  // Asked for more than the books allow: the ceilings win.
  std::string line = test::Fill(test::kSvcdNtsc, "in.wmv", "out.mpg", 0, 0);
  line.replace(line.find("vrc_maxrate=2500"), 16, "vrc_maxrate=3000");
  line.replace(line.find("vbitrate=2500"), 13, "vbitrate=2900");
  line.replace(line.find("keyint=18"), 9, "keyint=40");
  auto job = ParseEncoderArguments(SplitCommandLine(line));
  ASSERT_TRUE(job.job);
  auto args = JoinCommandLine(TranslateJob(*job.job, Clip43Stereo()).arguments);
  EXPECT_NE(args.find("-b:v 2554k -minrate 600k -maxrate 2554k"), std::string::npos) << args;  // 2778 - 224
  EXPECT_NE(args.find("-g 18 "), std::string::npos);

  line = test::Fill(test::kDvdPalMp2, "in.wmv", "out.vob", 0, 0);
  line.replace(line.find("vrc_maxrate=9400"), 16, "vrc_maxrate=12000");
  line.replace(line.find("vbitrate=800"), 12, "vbitrate=11000");
  job = ParseEncoderArguments(SplitCommandLine(line));
  ASSERT_TRUE(job.job);
  args = JoinCommandLine(TranslateJob(*job.job, Clip43Stereo()).arguments);
  EXPECT_NE(args.find("-b:v 9800k -maxrate 9800k"), std::string::npos) << args;
  EXPECT_NE(args.find("-r 25 "), std::string::npos);

  // A PAL disc asked for at 29.97 frames a second still runs at 25.
  line = test::Fill(test::kVcdPal, "in.wmv", "out.mpg", 0, 0);
  line.replace(line.find("-ofps 25.000000"), 15, "-ofps 24000/1001");
  job = ParseEncoderArguments(SplitCommandLine(line));
  ASSERT_TRUE(job.job);
  args = JoinCommandLine(TranslateJob(*job.job, Clip43Stereo()).arguments);
  EXPECT_NE(args.find("-r 25 "), std::string::npos) << args;

  // Discs refuse codecs they cannot carry.
  line = test::Fill(test::kDvdPalMp2, "in.wmv", "out.vob", 0, 0);
  line.replace(line.find("vcodec=mpeg2video"), 17, "vcodec=mpeg4");
  job = ParseEncoderArguments(SplitCommandLine(line));
  ASSERT_TRUE(job.job);
  EXPECT_FALSE(TranslateJob(*job.job, Clip43Stereo()).error.empty());
}

TEST(EngineArguments, DownmixNeverDropsChannels) {
  SourceInfo surround = Clip43Stereo();
  surround.channels = 6;
  const std::string args = Translate(test::kAviMp3, surround);
  // The resampler mixes every channel into the two asked for.
  EXPECT_NE(args.find("-af aformat=sample_rates=44100:channel_layouts=stereo"), std::string::npos) << args;
  EXPECT_EQ(args.find("pan="), std::string::npos);
}

TEST(EngineArguments, HostileNamesStayFileNames) {
  for (const char* name : {"http:x.wmv", "concat:a|b.wmv", "-y.wmv", R"(C:\a b\ü.wmv)"}) {
    const auto job = ParseEncoderArguments(SplitCommandLine(test::Fill(test::kWmv, name, name, 0, 0)));
    ASSERT_TRUE(job.job) << name;
    const auto args = TranslateJob(*job.job, Clip43Stereo()).arguments;
    const auto input = std::find(args.begin(), args.end(), "-i");
    ASSERT_NE(input, args.end());
    EXPECT_EQ(*(input + 1), std::string("file:") + name);
    EXPECT_EQ(args.back(), std::string("file:") + name);
  }
}

TEST(EngineArguments, OddSourceSizesAreMadeEven) {
  SourceInfo odd = Clip43Stereo();
  odd.width = 321;
  odd.height = 241;
  const std::string args = Translate(test::kAviMp3, odd);
  EXPECT_NE(args.find("-vf scale=320:240:flags=bicubic"), std::string::npos) << args;
}

TEST(EngineArguments, ExtremeShapesStayWithinBounds) {
  SourceInfo thin = Clip43Stereo();
  thin.width = 65535;
  thin.height = 1;
  const auto job = ParseEncoderArguments(
      {"in.wmv", "-o", "o.avi", "-ovc", "lavc", "-oac", "lavc", "-lavcopts", "vcodec=mpeg4:acodec=mp2", "-of", "lavf",
       "-lavfopts", "format=avi", "-vf", "scale=-3:8192", "0", "0"});
  ASSERT_TRUE(job.job) << job.error;
  const std::string args = JoinCommandLine(TranslateJob(*job.job, thin).arguments);
  EXPECT_NE(args.find("scale=16384:8192"), std::string::npos) << args;
}

TEST(EngineArguments, ProbeArgumentsUseFileUrls) {
  EXPECT_EQ(JoinCommandLine(ProbeArguments("-y.wmv", false)),
            "-hide_banner -v error -print_format json -show_format -show_streams file:-y.wmv");
  EXPECT_EQ(JoinCommandLine(ProbeArguments("a b.wmv", true)),
            "-hide_banner -v error -print_format json -show_format -show_streams -count_packets "
            "-select_streams v:0 \"file:a b.wmv\"");
}

}  // namespace
}  // namespace velto
