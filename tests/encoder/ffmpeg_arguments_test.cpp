#include "encoder/job/ffmpeg_arguments.h"
#include "encoder/job/h264_arguments.h"
#include "encoder/job/split_arguments.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <optional>
#include <string_view>
#include <utility>

#include "encoder/common/command_line_tokens.h"
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
TEST(FfmpegArguments, AviMpeg4WithDx50AndMp3OfTheSourcesChannels) {
  EXPECT_EQ(Translate(test::kAviMp3, Clip43Stereo()),
            std::string(kHead) +
                "-map 0:v:0 -map 0:a:0 -r 25 -vsync cfr -c:v mpeg4 -vtag DX50 -b:v 1000k -qmin 1 -qmax 31 -mbd rd "
                "-pix_fmt yuv420p -threads 0 -af aformat=sample_rates=44100:channel_layouts=stereo "
                "-c:a libmp3lame -abr 1 -b:a 128k -ar 44100 -ac 2 -t 32400 -f avi file:out.x");
  const std::string mono = Translate(test::kAviMp3, Clip169Mono());
  EXPECT_NE(mono.find(":channel_layouts=mono -c:a libmp3lame -abr 1 -b:a 128k -ar 22050 -ac 1 "), std::string::npos)
      << mono;
}

TEST(FfmpegArguments, DivxWithAc3UpmixesMonoToTheFrontPair) {
  EXPECT_EQ(Translate(test::kAviAc3, Clip169Mono()),
            std::string(kHead) +
                "-map 0:v:0 -map 0:a:0 -vf scale=176:144:flags=bicubic -r 15000/1001 -vsync cfr -c:v mpeg4 "
                "-vtag DX50 -b:v 1000k -qmin 1 -qmax 31 -mbd rd -pix_fmt yuv420p -threads 0 "
                "-af pan=5.1|c0=c0|c1=c0,aformat=sample_rates=44100:channel_layouts=5.1 "
                "-c:a ac3 -b:a 128k -ar 44100 -ac 6 -t 32400 -f avi file:out.x");
}

TEST(FfmpegArguments, XvidGetsItsTagAndGain) {
  EXPECT_EQ(Translate(test::kXvidMp3, Clip43Stereo()),
            std::string(kHead) +
                "-map 0:v:0 -map 0:a:0 -r 20 -vsync cfr -c:v mpeg4 -vtag XVID -b:v 640k -bf 0 -mpeg_quant 0 "
                "-qmin 2 -qmax 31 -g 300 -pix_fmt yuv420p -threads 0 -af volume=6dB,aformat=sample_rates=44100:channel_layouts=stereo -c:a libmp3lame "
                "-abr 1 -b:a 96k -ar 44100 -ac 2 -t 32400 -f avi file:out.x");
}

TEST(FfmpegArguments, Mpeg1ScalesExactlyAndUpmixesMono) {
  EXPECT_EQ(Translate(test::kMpeg1, Clip169Mono()),
            std::string(kHead) +
                "-map 0:v:0 -map 0:a:0 -vf scale=320:240:flags=bicubic -r 25 -vsync cfr -c:v mpeg1video "
                "-b:v 800k -minrate 800k -maxrate 800k -bufsize 327000 -g 18 -aspect 4:3 -pix_fmt yuv420p "
                "-threads 0 -af pan=stereo|c0=c0|c1=c0,aformat=sample_rates=44100:channel_layouts=stereo "
                "-c:a mp2 -b:a 128k -ar 44100 -ac 2 -t 32400 -f mpeg file:out.x");
}

TEST(FfmpegArguments, Mpeg2PillarboxesAFourThirdsSourceInASixteenNinthsFrame) {
  EXPECT_EQ(Translate(test::kMpeg2, Clip43Stereo()),
            std::string(kHead) +
                "-map 0:v:0 -map 0:a:0 -vf scale=480:480:flags=bicubic,pad=640:480:80:0:black,setsar=4/3 "
                "-r 30000/1001 -vsync cfr -c:v mpeg2video -b:v 1600k -maxrate 9400k -bufsize 1835000 -g 18 "
                "-aspect 16:9 -pix_fmt yuv420p -threads 0 "
                "-af volume=-6dB,aformat=sample_rates=44100:channel_layouts=stereo -c:a mp2 -b:a 128k "
                "-ar 44100 -ac 2 -t 32400 -f vob file:out.x");
}

TEST(FfmpegArguments, VideoCdLetterboxesWideSources) {
  EXPECT_EQ(Translate(test::kVcdNtsc, Clip169Mono()),
            std::string(kHead) +
                "-map 0:v:0 -map 0:a:0 -vf scale=352:180:flags=bicubic,pad=352:240:0:30:black,setsar=10/11 "
                "-r 24000/1001 -vsync cfr -c:v mpeg1video -b:v 1152k -minrate 1152k -maxrate 1152k "
                "-bufsize 327000 -g 18 -aspect 4:3 -pix_fmt yuv420p -threads 0 "
                "-af pan=stereo|c0=c0|c1=c0,aformat=sample_rates=44100:channel_layouts=stereo "
                "-c:a mp2 -b:a 192k -ar 44100 -ac 2 -t 32400 -f vcd -packetsize 2324 -muxrate 1411200 "
                "-muxpreload 0.44 file:out.x");
}

TEST(FfmpegArguments, SuperVideoCdPal) {
  EXPECT_EQ(Translate(test::kSvcdPal, Clip43Stereo()),
            std::string(kHead) +
                "-map 0:v:0 -map 0:a:0 -vf scale=360:576:flags=bicubic,pad=480:576:60:0:black,setsar=32/15 "
                "-r 25 -vsync cfr -c:v mpeg2video -b:v 800k -minrate 600k -maxrate 1650k -bufsize 917000 -g 15 "
                "-scan_offset 1 -aspect 16:9 -pix_fmt yuv420p -threads 0 "
                "-af aformat=sample_rates=44100:channel_layouts=stereo -c:a mp2 -b:a 128k -ar 44100 -ac 2 "
                "-t 32400 -f svcd -packetsize 2324 file:out.x");
}

TEST(FfmpegArguments, DvdFromAVideoOnlySourceGetsASilentTrack) {
  EXPECT_EQ(Translate(test::kDvdNtscAc3, VideoOnly()),
            std::string(kHead) +
                "-f lavfi -t 2.040 -i anullsrc=r=48000:cl=stereo -map 0:v:0 -map 1:a:0 "
                "-vf scale=540:480:flags=bicubic,pad=720:480:90:0:black,setsar=32/27 -r 30000/1001 -vsync cfr "
                "-c:v mpeg2video -b:v 5000k -maxrate 9400k -bufsize 1835000 -g 18 -aspect 16:9 "
                "-pix_fmt yuv420p -threads 0 -c:a ac3 -b:a 224k -ar 48000 -ac 2 -t 32400 -f dvd "
                "-packetsize 2048 -muxrate 10080000 file:out.x");
}

TEST(FfmpegArguments, WindowsMediaKeepsTheSourceTiming) {
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

// The pattern with each {from, to} replaced once, translated for Clip43Stereo.
FfmpegArguments TranslateEdited(const char* pattern, const std::string& output,
                                std::initializer_list<std::pair<std::string_view, std::string_view>> edits) {
  std::string line = test::Fill(pattern, "in.wmv", output, 0, 0);
  for (const auto& [from, to] : edits) {
    const auto at = line.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) line.replace(at, from.size(), to);
  }
  const auto job = ParseEncoderArguments(SplitCommandLine(line));
  EXPECT_TRUE(job.job) << job.error;
  return job.job ? TranslateJob(*job.job, Clip43Stereo()) : FfmpegArguments{};
}

TEST(FfmpegArguments, DiscLimitsHold) {
  // Asked for more than the books allow: the ceilings win.
  std::string args = JoinCommandLine(TranslateEdited(test::kSvcdNtsc, "out.mpg",
                                                     {{"vrc_maxrate=2500", "vrc_maxrate=3000"},
                                                      {"vbitrate=2500", "vbitrate=2900"},
                                                      {"keyint=18", "keyint=40"}}).arguments);
  EXPECT_NE(args.find("-b:v 2554k -minrate 600k -maxrate 2554k"), std::string::npos) << args;  // 2778 - 224
  EXPECT_NE(args.find("-g 18 "), std::string::npos);

  args = JoinCommandLine(TranslateEdited(test::kDvdPalMp2, "out.vob",
                                         {{"vrc_maxrate=9400", "vrc_maxrate=12000"},
                                          {"vbitrate=800", "vbitrate=11000"}}).arguments);
  EXPECT_NE(args.find("-b:v 9800k -maxrate 9800k"), std::string::npos) << args;
  EXPECT_NE(args.find("-r 25 "), std::string::npos);

  // A PAL disc asked for at 29.97 frames a second still runs at 25.
  args = JoinCommandLine(
      TranslateEdited(test::kVcdPal, "out.mpg", {{"-ofps 25.000000", "-ofps 24000/1001"}}).arguments);
  EXPECT_NE(args.find("-r 25 "), std::string::npos) << args;

  // Discs refuse codecs they cannot carry.
  EXPECT_FALSE(TranslateEdited(test::kDvdPalMp2, "out.vob", {{"vcodec=mpeg2video", "vcodec=mpeg4"}}).error.empty());
}

TEST(FfmpegArguments, DownmixNeverDropsChannels) {
  SourceInfo surround = Clip43Stereo();
  surround.channels = 6;
  const std::string args = Translate(test::kAviMp3, surround);
  // The resampler mixes every channel into the two asked for.
  EXPECT_NE(args.find("-af aformat=sample_rates=44100:channel_layouts=stereo"), std::string::npos) << args;
  EXPECT_EQ(args.find("pan="), std::string::npos);
}

TEST(FfmpegArguments, HostileNamesStayFileNames) {
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

TEST(FfmpegArguments, OddSourceSizesAreMadeEven) {
  SourceInfo odd = Clip43Stereo();
  odd.width = 321;
  odd.height = 241;
  const std::string args = Translate(test::kAviMp3, odd);
  EXPECT_NE(args.find("-vf scale=320:240:flags=bicubic"), std::string::npos) << args;
}

TEST(FfmpegArguments, ExtremeShapesStayWithinBounds) {
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

// High profile at the lowest level that holds the picture, the peak rate and
// buffer as sent, a key frame at least every 10 s, AAC-LC in stereo at 44.1
// or 48 kHz, the index before the media; non-square pixels made square.
TEST(FfmpegArguments, Mp4IsH264AndAacWithItsIndexFirst) {
  SourceInfo anamorphic = Clip169Mono();
  anamorphic.width = 720;
  anamorphic.height = 576;
  anamorphic.sampleAspect = {64, 45};
  EXPECT_EQ(Translate(test::kMp4, anamorphic),
            std::string(kHead) +
                "-map 0:v:0 -map 0:a:0 -vf scale=1024:576:flags=bicubic,setsar=1 -r 25 -vsync cfr -c:v libx264 "
                "-preset superfast -x264-params b-adapt=0:scenecut=0:aq-mode=0:weightp=0 -profile:v high -level:v 3.1 "
                "-b:v 800000 -maxrate 1600000 -bufsize 1600000 -qmin 18 -g 250 -pix_fmt yuv420p -threads 0 "
                "-af pan=stereo|c0=c0|c1=c0,aformat=sample_rates=44100:channel_layouts=stereo -c:a aac -aac_coder fast -b:a 128k -ar 44100 -ac 2 -t 32400 -f mp4 -movflags +faststart file:out.x");
  // A 48 kHz source keeps its rate; the line's level and key frames are kept
  // where they hold; a source without sound gives a file without sound.
  SourceInfo silent = VideoOnly();
  std::string line = test::kMp4;
  line.replace(line.find("profile=high"), 12, "profile=high:level=4.1:keyint=100");
  EXPECT_NE(Translate(line.c_str(), silent).find("-level:v 4.1 -b:v 800000 -maxrate 1600000 -bufsize 1600000 -qmin 18 -g 100 "
                                                 "-pix_fmt yuv420p -threads 0 -an -t 32400 -f mp4"),
            std::string::npos);
  SourceInfo rate48 = Clip43Stereo();
  rate48.sampleRate = 48000;
  EXPECT_NE(Translate(test::kMp4, rate48).find("-ar 48000 -ac 2 "), std::string::npos);
  // H.264 and AAC only together and only in MP4.
  for (auto [from, to] : {std::pair{"-oac faac", "-oac mp3lame"}, {"format=mp4", "format=avi"}}) {
    std::string other = test::kMp4;
    other.replace(other.find(from), std::string_view(from).size(), to);
    const auto job = ParseEncoderArguments(SplitCommandLine(test::Fill(other, "in.wmv", "out.x", 0, 0)));
    ASSERT_TRUE(job.job) << job.error;
    EXPECT_FALSE(TranslateJob(*job.job, Clip43Stereo()).error.empty()) << to;
  }
}

// The lowest level whose limits hold size, frame rate, peak rate and
// buffer: 4.1 or below up to 1080p at 30, 5.1 at most, never one that
// cannot hold the stream.
TEST(H264Level, LowestThatHoldsThePictureUpToFivePointOne) {
  EXPECT_EQ(ChooseLevel(640, 480, 25, 1'600'000, 1'600'000), 30);
  EXPECT_EQ(ChooseLevel(640, 480, 25, 15'000'000, 15'000'000), 31);  // the peak rate decides
  EXPECT_EQ(ChooseLevel(1280, 720, 30, 1'600'000, 1'600'000), 31);
  EXPECT_EQ(ChooseLevel(1920, 1080, 30000.0 / 1001, 1'600'000, 1'600'000), 40);
  EXPECT_EQ(ChooseLevel(1920, 1080, 60, 1'600'000, 1'600'000), 42);
  EXPECT_EQ(ChooseLevel(3840, 2160, 30, 1'600'000, 1'600'000), 51);
  EXPECT_EQ(ChooseLevel(4096, 2304, 60, 1'600'000, 1'600'000), 0);
  SourceInfo huge = Clip43Stereo();
  huge.width = 7680;
  huge.height = 4320;
  const auto job = ParseEncoderArguments(SplitCommandLine(test::Fill(test::kMp4, "in.wmv", "out.x", 0, 0)));
  ASSERT_TRUE(job.job);
  EXPECT_NE(TranslateJob(*job.job, huge).error.find("level 5.1"), std::string::npos);
}

TEST(FfmpegArguments, ProbeArgumentsUseFileUrls) {
  EXPECT_EQ(JoinCommandLine(ProbeArguments("-y.wmv", false)),
            "-hide_banner -v error -print_format json -show_format -show_streams file:-y.wmv");
  EXPECT_EQ(JoinCommandLine(ProbeArguments("a b.wmv", true)),
            "-hide_banner -v error -print_format json -show_format -show_streams -count_packets "
            "-select_streams v:0 \"file:a b.wmv\"");
}

// ---- split by time --------------------------------------------------------------

std::optional<SplitArguments> Split(const char* pattern, double seconds, int processors, const std::string& output,
                                    const std::string& folder = "C:\\t\\") {
  const auto job = ParseEncoderArguments(SplitCommandLine(test::Fill(pattern, "in.wmv", output, 0, 0)));
  EXPECT_TRUE(job.job) << job.error;
  SourceInfo source = Clip43Stereo();
  source.durationSeconds = seconds;
  return job.job ? TranslateSplitJob(*job.job, source, processors, folder) : std::nullopt;
}

TEST(SplitArguments, DvdRangesMoveToWholeFramesAndJoinIntoTheDvdMuxer) {
  const auto split = Split(test::kDvdPalMp2, 36.0, 2, "out.vob");
  ASSERT_TRUE(split);
  ASSERT_EQ(split->video.size(), 2u);
  auto video = [](const std::string& move) {
    return "-map 0:v:0 -vf " + move + "scale=720:576:flags=bicubic,setsar=16/15 -r 25 -vsync cfr -c:v mpeg2video "
           "-b:v 800k -maxrate 9400k -bufsize 1835000 -g 15 -aspect 4:3 -pix_fmt yuv420p -threads 1 -an ";
  };
  EXPECT_EQ(JoinCommandLine(split->video[0]),
            std::string(kHead) + video("") + "-frames:v 450 -f vob file:C:\\t\\video-1.mpg");
  EXPECT_EQ(JoinCommandLine(split->video[1]),
            "-hide_banner -loglevel error -nostats -progress pipe:1 -y -ss 17.980000 -i file:in.wmv " +
                video("setpts=PTS-0.020000/TB,") + "-f vob file:C:\\t\\video-2.mpg");
  EXPECT_EQ(split->frames, (std::vector<std::int64_t>{450, 0}));
  EXPECT_EQ(JoinCommandLine(split->audio),
            std::string(kHead) + "-map 0:a:0 -vn -af aformat=sample_rates=48000:channel_layouts=stereo -c:a mp2 "
                                 "-b:a 112k -ar 48000 -ac 2 -t 32400 -f asf file:C:\\t\\audio.asf");
  EXPECT_EQ(JoinCommandLine(split->join),
            "-hide_banner -loglevel error -nostats -progress pipe:1 -y -copyts -safe 0 -protocol_whitelist file,pipe "
            "-thread_queue_size 0 -f concat -i pipe:0 "
            "-thread_queue_size 0 -i file:C:\\t\\audio.asf -map 0:v:0 -map 1:a:0 -c copy -aspect 4:3 "
            "-f dvd -packetsize 2048 -muxrate 10080000 file:out.vob");
  EXPECT_EQ(split->partList,
            "ffconcat version 1.0\nfile 'file:C:\\t\\video-1.mpg'\nduration 18.000000\n"
            "file 'file:C:\\t\\video-2.mpg'\n");
  EXPECT_EQ(split->files, (std::vector<std::string>{"video-1.mpg", "video-2.mpg", "audio.asf"}));
}

// MP4 parts and sound (which keeps AAC's encoder delay) are joined by
// stream copy into MP4 with its index first.
TEST(SplitArguments, Mp4PartsJoinIntoMp4) {
  const auto split = Split(test::kMp4, 36.0, 2, "out.mp4");
  ASSERT_TRUE(split);
  EXPECT_NE(JoinCommandLine(split->video[1]).find(" -c:v libx264 -preset superfast "), std::string::npos);
  EXPECT_NE(JoinCommandLine(split->video[1]).find(" -threads 1 -an -f mp4 file:C:\\t\\video-2.mp4"),
            std::string::npos);
  EXPECT_NE(JoinCommandLine(split->audio).find(" -f mp4 file:C:\\t\\audio.mp4"), std::string::npos);
  EXPECT_NE(JoinCommandLine(split->join).find(" -i file:C:\\t\\audio.mp4 -map 0:v:0 -map 1:a:0 -c copy "
                                              "-f mp4 -movflags +faststart file:out.mp4"),
            std::string::npos);
  EXPECT_EQ(split->files, (std::vector<std::string>{"video-1.mp4", "video-2.mp4", "audio.mp4"}));
}

TEST(SplitArguments, KeptSourceTimesAreCutBetweenFramesAndKeptInTheJoin) {
  const auto split = Split(test::kWmv, 36.0, 2, "out.wmv");
  ASSERT_TRUE(split);
  const std::string first = JoinCommandLine(split->video[0]), second = JoinCommandLine(split->video[1]);
  EXPECT_NE(first.find("-vsync passthrough"), std::string::npos) << first;
  EXPECT_NE(first.find("-t 17.980250 -f asf"), std::string::npos) << first;
  EXPECT_NE(second.find("-ss 17.980250 -i file:in.wmv -map 0:v:0 -vf setpts=PTS-0.019750/TB "), std::string::npos)
      << second;
  EXPECT_EQ(split->frames, (std::vector<std::int64_t>{0, 0}));  // counts follow the source
  EXPECT_EQ(split->partList, "ffconcat version 1.0\nfile 'file:C:\\t\\video-1.asf'\ninpoint 0\nduration 18.000000\n"
                             "file 'file:C:\\t\\video-2.asf'\ninpoint 0\n");
}

TEST(SplitArguments, TheJoinsListQuotesItsPaths) {
  const auto split = Split(test::kDvdPalMp2, 36.0, 2, "out.vob", "C:\\it's 'x'\\");
  ASSERT_TRUE(split);
  EXPECT_NE(split->partList.find("\nfile 'file:C:\\it'\\''s '\\''x'\\''\\video-1.mpg'\n"), std::string::npos)
      << split->partList;
}

TEST(SplitArguments, ShortLonelyOrUntimedJobsStayOneRun) {
  EXPECT_FALSE(Split(test::kDvdPalMp2, 29.9, 8, "out.vob"));
  EXPECT_FALSE(Split(test::kDvdPalMp2, 600.0, 1, "out.vob"));
  const auto four = Split(test::kAviMp3, 60.0, 8, "out.avi");  // no range under 15 s
  ASSERT_TRUE(four);
  EXPECT_EQ(four->video.size(), 4u);
  EXPECT_NE(JoinCommandLine(four->video[3]).find(" -threads 2 -an "), std::string::npos);  // 8 processors, 4 ranges
  // An -endpos shorter than the source bounds the split and the last range.
  std::string ended = test::kAviMp3;
  ended.replace(ended.find("-endpos 9:0:0"), 13, "-endpos 0:40");
  const auto bounded = Split(ended.c_str(), 600.0, 8, "out.avi");
  ASSERT_TRUE(bounded);
  ASSERT_EQ(bounded->video.size(), 2u);
  EXPECT_NE(JoinCommandLine(bounded->video[1]).find("-t 20.000000 -f avi"), std::string::npos);
}

// More ranges than processors: two at once, each with one processor's
// threads; the last range runs to the end.
TEST(SplitArguments, LongSourcesGetRangesOfAtMostFiveMinutes) {
  const auto split = Split(test::kAviMp3, 1000.0, 2, "out.avi");
  ASSERT_TRUE(split);
  ASSERT_EQ(split->video.size(), 4u);
  EXPECT_EQ(split->mostAtOnce, 2);
  EXPECT_NE(JoinCommandLine(split->video[3]).find(" -threads 1 -an "), std::string::npos);
  EXPECT_EQ(split->ranges[3].first, 18750);
  EXPECT_EQ(split->seconds, (std::vector<double>{250.0, 250.0, 250.0, 250.0}));
}

}  // namespace
}  // namespace velto
