#include "engine/command_line.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "base/module_directory.h"
#include "tests/support/fresh_settings.h"

namespace velto {
namespace {

constexpr std::intptr_t kWindow = 4660;
constexpr char kDirectory[] = "C:\\Program Files\\Velto\\";

ConversionSettings Defaults() { return testing::FreshSettings(); }

EncoderRun Conversion() {
  EncoderRun run;
  run.sourcePath = "C:\\in\\clip.wmv";
  run.outputPath = "D:\\out\\clip.avi";
  run.runMode = kRunConvert;
  run.mainWindow = kWindow;
  return run;
}

std::string Arguments(const ConversionSettings& s, double sourceFps, EncodingParameters params = {},
                      const EncoderRun& run = Conversion()) {
  return BuildCommandLine(s, params, sourceFps, run, kDirectory).arguments;
}

// Opening and closing of a conversion run with the paths and window above.
const std::string kHead = R"("C:\in\clip.wmv" -o "D:\out\clip.avi")";
const std::string kTail = " -endpos 9:0:0 0 4660";
// What the defaults send between the opening and the rate.
const std::string kDefaultAviBody =
    " -oac mp3lame -ovc lavc -lameopts vbr=3:br=128:mode=3"
    " -lavcopts vcodec=mpeg4:vbitrate=1000:vhq:vqmin=1:vqmax=31:autoaspect=1 -ffourcc DX50"
    " -of lavf -lavfopts i_certify_that_my_video_stream_does_not_use_b_frames:format=avi -sws 2"
    " -af volume=+0db:0:channels=2";

TEST(CommandLine, DefaultAviConversion) {
  EXPECT_EQ(Arguments(Defaults(), 25.0),
            R"("C:\in\clip.wmv" -o "D:\out\clip.avi" -oac mp3lame -ovc lavc -lameopts vbr=3:br=128:mode=3)"
            R"( -lavcopts vcodec=mpeg4:vbitrate=1000:vhq:vqmin=1:vqmax=31:autoaspect=1 -ffourcc DX50)"
            R"( -of lavf -lavfopts i_certify_that_my_video_stream_does_not_use_b_frames:format=avi -sws 2)"
            R"( -af volume=+0db:0:channels=2 -ofps 25.000000 -endpos 9:0:0 0 4660)");
}

TEST(CommandLine, EncoderPathIsBesideTheProgram) {
  EncodingParameters p;
  EXPECT_EQ(BuildCommandLine(Defaults(), p, 25.0, Conversion(), kDirectory).encoderPath,
            "C:\\Program Files\\Velto\\veltoenc.exe");
  EXPECT_EQ(BuildCommandLine(Defaults(), p, 25.0, Conversion()).encoderPath, ModuleDirectory() + "veltoenc.exe");
}

struct Case {
  const char* name;
  ConversionSettings settings;
  double sourceFps;
  std::string body;  // everything between the opening and " -endpos"
};

ConversionSettings With(std::function<void(ConversionSettings&)> change) {
  ConversionSettings s = Defaults();
  change(s);
  return s;
}

const char kAviContainer[] =
    " -of lavf -lavfopts i_certify_that_my_video_stream_does_not_use_b_frames:format=avi -sws 2";

TEST(CommandLine, AviFamilyCodecBranches) {
  const std::string mp3Tail = std::string(kAviContainer) + " -af volume=+0db:0:channels=2 -ofps 25.000000";
  const std::string ac3Tail =
      std::string(kAviContainer) + " -af volume=+0db:0:channels=6:lavcresample=44100 -srate 44100 -ofps 25.000000";
  const std::vector<Case> cases = {
      {"lavc+mp3", Defaults(), 25.0,
       " -oac mp3lame -ovc lavc -lameopts vbr=3:br=128:mode=3"
       " -lavcopts vcodec=mpeg4:vbitrate=1000:vhq:vqmin=1:vqmax=31:autoaspect=1 -ffourcc DX50" + mp3Tail},
      {"lavc+ac3", With([](auto& s) { s.aviAudioCodec = 1; }), 25.0,
       " -oac lavc -ovc lavc"
       " -lavcopts acodec=ac3:abitrate=128:vcodec=mpeg4:vbitrate=1000:vhq:vqmin=1:vqmax=31:autoaspect=1"
       " -ffourcc DX50" + ac3Tail},
      {"xvid+mp3", With([](auto& s) { s.aviVideoCodec = 1; }), 25.0,
       " -oac mp3lame -ovc xvid -lameopts vbr=3:br=128:mode=3 -xvidencopts bitrate=1000:autoaspect=1" + mp3Tail},
      {"xvid+ac3", With([](auto& s) { s.aviVideoCodec = 1; s.aviAudioCodec = 1; }), 25.0,
       " -oac lavc -ovc xvid -lavcopts acodec=ac3:abitrate=128 -xvidencopts bitrate=1000:autoaspect=1" + ac3Tail},
      {"video codec 2", With([](auto& s) { s.aviVideoCodec = 2; }), 25.0, mp3Tail},
      {"audio codec 2", With([](auto& s) { s.aviAudioCodec = 2; }), 25.0, mp3Tail},
      {"video 2 with ac3", With([](auto& s) { s.aviVideoCodec = 2; s.aviAudioCodec = 1; }), 25.0, ac3Tail},
      // DivX is always the DX50 video and Xvid the Xvid video, with the audio
      // of their own setting, whatever the AVI codec settings say.
      {"divx+mp3",
       With([](auto& s) { s.outputFormat = kFormatDivx; s.aviVideoCodec = 1; s.aviAudioCodec = 1; }), 25.0,
       " -oac mp3lame -ovc lavc -lameopts vbr=3:br=128:mode=3"
       " -lavcopts vcodec=mpeg4:vbitrate=1000:vhq:vqmin=1:vqmax=31:autoaspect=1 -ffourcc DX50" + mp3Tail},
      {"divx+ac3",
       With([](auto& s) { s.outputFormat = kFormatDivx; s.aviVideoCodec = 1; s.divxAudioCodec = 1; }), 25.0,
       " -oac lavc -ovc lavc"
       " -lavcopts acodec=ac3:abitrate=128:vcodec=mpeg4:vbitrate=1000:vhq:vqmin=1:vqmax=31:autoaspect=1"
       " -ffourcc DX50" + ac3Tail},
      {"xvid+mp3", With([](auto& s) { s.outputFormat = kFormatXvid; s.aviAudioCodec = 1; }), 25.0,
       " -oac mp3lame -ovc xvid -lameopts vbr=3:br=128:mode=3 -xvidencopts bitrate=1000:autoaspect=1" + mp3Tail},
      {"xvid+ac3", With([](auto& s) { s.outputFormat = kFormatXvid; s.aviVideoCodec = 2; s.xvidAudioCodec = 1; }),
       25.0,
       " -oac lavc -ovc xvid -lavcopts acodec=ac3:abitrate=128 -xvidencopts bitrate=1000:autoaspect=1" + ac3Tail},
      {"divx audio 2", With([](auto& s) { s.outputFormat = kFormatDivx; s.divxAudioCodec = 2; s.aviAudioCodec = 1; }),
       25.0, mp3Tail},
      {"xvid audio -1", With([](auto& s) { s.outputFormat = kFormatXvid; s.xvidAudioCodec = -1; }), 25.0, mp3Tail},
      {"best quality", With([](auto& s) { s.aviQuality = 8; }), 25.0,
       " -oac mp3lame -ovc lavc -lameopts vbr=3:br=224:mode=3"
       " -lavcopts vcodec=mpeg4:vbitrate=2500:vhq:vqmin=1:vqmax=31:autoaspect=1 -ffourcc DX50" + mp3Tail},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Arguments(c.settings, c.sourceFps), kHead + c.body + kTail) << c.name;
  }
}

TEST(CommandLine, MpegFormats) {
  const std::vector<Case> cases = {
      {"mpeg1", With([](auto& s) { s.outputFormat = kFormatMpeg1; }), 25.0,
       " -af volume=+0db:0:channels=2:lavcresample=44100 -srate 44100 -oac lavc -ovc lavc"
       " -lavcopts vcodec=mpeg1video:keyint=18:vrc_buf_size=327:vrc_minrate=1000:vbitrate=1000:vrc_maxrate=1000"
       ":acodec=mp2:abitrate=192:autoaspect=1:aspect=16/9"
       " -of lavf -lavfopts format=mpg:i_certify_that_my_video_stream_does_not_use_b_frames -ofps 25.000000"},
      {"mpeg2", With([](auto& s) { s.outputFormat = kFormatMpeg2; s.mpegAspectRatio = 3; }), 29.97,
       " -oac lavc -ovc lavc"
       " -lavcopts vcodec=mpeg2video:keyint=18:vrc_buf_size=1835:vrc_maxrate=9400:vbitrate=2000"
       ":acodec=mp2:abitrate=160:autoaspect=1:aspect=2.21/1"
       " -of lavf -lavfopts format=mpg:i_certify_that_my_video_stream_does_not_use_b_frames"
       " -af volume=+0db:0:channels=2:lavcresample=44100 -srate 44100 -ofps 30000/1001"},
      {"mpeg2 bad aspect", With([](auto& s) { s.outputFormat = kFormatMpeg2; s.mpegAspectRatio = 9; }), 24.0,
       " -oac lavc -ovc lavc"
       " -lavcopts vcodec=mpeg2video:keyint=18:vrc_buf_size=1835:vrc_maxrate=9400:vbitrate=2000"
       ":acodec=mp2:abitrate=160:autoaspect=1:aspect="
       " -of lavf -lavfopts format=mpg:i_certify_that_my_video_stream_does_not_use_b_frames"
       " -af volume=+0db:0:channels=2:lavcresample=44100 -srate 44100 -ofps 24.000000"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Arguments(c.settings, c.sourceFps), kHead + c.body + kTail) << c.name;
  }
}

// Disc formats always scale: the caller has chosen their output size.
std::string DiscArguments(const ConversionSettings& s) {
  EncodingParameters p;
  SelectOutputSize(s, p);
  return Arguments(s, 50.0, p);
}

TEST(CommandLine, DiscFormats) {
  const std::vector<Case> cases = {
      {"vcd ntsc", With([](auto& s) { s.outputFormat = kFormatVcd; }), 0,
       " -oac lavc -ovc lavc -of mpeg"
       " -lavcopts vcodec=mpeg1video:keyint=18:vrc_buf_size=327:vrc_minrate=1000:vbitrate=1000:vrc_maxrate=1000"
       ":acodec=mp2:abitrate=192:autoaspect=1:aspect=16/9 -mpegopts format=xvcd"
       " -af volume=+0db:0:channels=2:lavcresample=44100 -srate 44100 -ofps 24000/1001"
       " -vf scale=352:240,harddup"},
      {"vcd pal", With([](auto& s) { s.outputFormat = kFormatVcd; s.tvMode = kTvPal; s.dvdAspectRatio = 0; }), 0,
       " -oac lavc -ovc lavc -of mpeg"
       " -lavcopts vcodec=mpeg1video:keyint=15:vrc_buf_size=327:vrc_minrate=1000:vbitrate=1000:vrc_maxrate=1000"
       ":acodec=mp2:abitrate=192:autoaspect=1:aspect=4/3 -mpegopts format=xvcd"
       " -af volume=+0db:0:channels=2:lavcresample=44100 -srate 44100 -ofps 25.000000"
       " -vf scale=352:288,harddup"},
      {"svcd 800", With([](auto& s) { s.outputFormat = kFormatSvcd; s.svcdQuality = 0; s.dvdAspectRatio = 0; }), 0,
       " -oac lavc -ovc lavc -of mpeg"
       " -lavcopts vcodec=mpeg2video:keyint=18:vrc_buf_size=917:vrc_minrate=600:vrc_maxrate=1650:vbitrate=800"
       ":acodec=mp2:abitrate=128:autoaspect=1:aspect=4/3 -mpegopts format=xsvcd"
       " -af volume=+0db:0:channels=2:lavcresample=44100 -srate 44100 -ofps 30000/1001"
       " -vf scale=480:480,harddup"},
      {"svcd 2500 pal", With([](auto& s) { s.outputFormat = kFormatSvcd; s.tvMode = kTvPal; }), 0,
       " -oac lavc -ovc lavc -of mpeg"
       " -lavcopts vcodec=mpeg2video:keyint=15:vrc_buf_size=917:vrc_minrate=600:vrc_maxrate=2500:vbitrate=2500"
       ":acodec=mp2:abitrate=224:autoaspect=1:aspect=16/9 -mpegopts format=xsvcd"
       " -af volume=+0db:0:channels=2:lavcresample=44100 -srate 44100 -ofps 25.000000"
       " -vf scale=480:576,harddup"},
      {"svcd 1200", With([](auto& s) { s.outputFormat = kFormatSvcd; s.svcdQuality = 1; }), 0,
       " -oac lavc -ovc lavc -of mpeg"
       " -lavcopts vcodec=mpeg2video:keyint=18:vrc_buf_size=917:vrc_minrate=600:vrc_maxrate=1850:vbitrate=1200"
       ":acodec=mp2:abitrate=192:autoaspect=1:aspect=16/9 -mpegopts format=xsvcd"
       " -af volume=+0db:0:channels=2:lavcresample=44100 -srate 44100 -ofps 30000/1001"
       " -vf scale=480:480,harddup"},
      {"dvd ac3", With([](auto& s) { s.outputFormat = kFormatDvd; }), 0,
       " -oac lavc -ovc lavc -of mpeg"
       " -lavcopts vcodec=mpeg2video:keyint=18:vrc_buf_size=1835:vrc_maxrate=9400:vbitrate=5000"
       ":acodec=ac3:abitrate=224:autoaspect=1:aspect=16/9 -mpegopts format=dvd"
       " -af volume=+0db:0:lavcresample=48000 -srate 48000 -ofps 30000/1001 -vf scale=720:480,harddup"},
      {"dvd mp2", With([](auto& s) { s.outputFormat = kFormatDvd; s.dvdAudioCodec = 1; s.dvdQuality = 0; }), 0,
       " -oac lavc -ovc lavc -of mpeg"
       " -lavcopts vcodec=mpeg2video:keyint=18:vrc_buf_size=1835:vrc_maxrate=9400:vbitrate=800"
       ":acodec=mp2:abitrate=112:autoaspect=1:aspect=16/9 -mpegopts format=dvd"
       " -af volume=+0db:0:lavcresample=48000 -srate 48000 -ofps 30000/1001 -vf scale=720:480,harddup"},
      {"dvd codec 2 pal",
       With([](auto& s) { s.outputFormat = kFormatDvd; s.dvdAudioCodec = 2; s.tvMode = kTvPal; }), 0,
       " -oac lavc -ovc lavc -of mpeg"
       " -lavcopts vcodec=mpeg2video:keyint=15:vrc_buf_size=1835:vrc_maxrate=9400:vbitrate=5000"
       ":acodec=mp2:abitrate=224:autoaspect=1:aspect=16/9 -mpegopts format=dvd"
       " -af volume=+0db:0:lavcresample=48000 -srate 48000 -ofps 25.000000 -vf scale=720:576,harddup"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DiscArguments(c.settings), kHead + c.body + kTail) << c.name;
  }
}

// A list fitted on a disc sends its own video bitrate where the preset's
// stands; SVCD's maximum rate follows it, and nothing else changes.
TEST(CommandLine, TheRunsOwnVideoBitrateReplacesThePresets) {
  const auto fitted = [](const ConversionSettings& s, std::int32_t kbps) {
    EncodingParameters p;
    SelectOutputSize(s, p);
    EncoderRun run = Conversion();
    run.videoBitrate = kbps;
    return Arguments(s, 50.0, p, run);
  };
  const ConversionSettings svcd = With([](auto& s) { s.outputFormat = kFormatSvcd; });
  std::string expected = DiscArguments(svcd);
  expected.replace(expected.find("vrc_maxrate=2500:vbitrate=2500"), 30, "vrc_maxrate=1998:vbitrate=1496");
  EXPECT_EQ(fitted(svcd, 1496), expected);

  const ConversionSettings dvd = With([](auto& s) { s.outputFormat = kFormatDvd; });
  expected = DiscArguments(dvd);
  expected.replace(expected.find("vbitrate=5000"), 13, "vbitrate=2156");
  EXPECT_EQ(fitted(dvd, 2156), expected);
}

TEST(CommandLine, WindowsMediaFormats) {
  const std::string tailWmv =
      " -of lavf -lavfopts i_certify_that_my_video_stream_does_not_use_b_frames:format=wmv -sws 2"
      " -af volume=+0db:0:channels=2 -srate 44100 -ofps 1000.000000";
  const std::string tailAsf =
      " -of lavf -lavfopts i_certify_that_my_video_stream_does_not_use_b_frames:format=asf -sws 2"
      " -af volume=+0db:0:channels=2 -srate 44100 -ofps 1000.000000";
  const std::vector<Case> cases = {
      {"wmv defaults", With([](auto& s) { s.outputFormat = kFormatWmv; s.asfVideoCodec = 0; }), 25.0,
       " -oac lavc -ovc lavc -lavcopts vcodec=wmv2:acodec=wmav2:vqscale=16:abitrate=128:autoaspect=1" + tailWmv},
      {"wmv quality 3 wma1", With([](auto& s) { s.outputFormat = kFormatWmv; s.wmvQuality = 3; s.wmvAudioCodec = 0; }),
       25.0, " -oac lavc -ovc lavc -lavcopts vcodec=wmv2:acodec=wmav1:vqscale=21:abitrate=96:autoaspect=1" + tailWmv},
      {"asf msmpeg4", With([](auto& s) { s.outputFormat = kFormatAsf; s.asfVideoCodec = 0; s.wmvQuality = 0; }), 25.0,
       " -oac lavc -ovc lavc -lavcopts vcodec=msmpeg4:acodec=wmav2:vqscale=29:abitrate=64:autoaspect=1" + tailAsf},
      {"asf msmpeg4v2",
       With([](auto& s) { s.outputFormat = kFormatAsf; s.asfVideoCodec = 1; s.wmvQuality = 8; s.asfAudioCodec = 0; }),
       25.0,
       " -oac lavc -ovc lavc -lavcopts vcodec=msmpeg4v2:acodec=wmav1:vqscale=9:abitrate=224:autoaspect=1" + tailAsf},
      {"asf wmv2", With([](auto& s) { s.outputFormat = kFormatAsf; s.wmvAudioCodec = 0; }), 25.0,
       " -oac lavc -ovc lavc -lavcopts vcodec=wmv2:acodec=wmav2:vqscale=16:abitrate=128:autoaspect=1" + tailAsf},
      {"asf codec 7", With([](auto& s) { s.outputFormat = kFormatAsf; s.asfVideoCodec = 7; s.wmvQuality = 1; }), 25.0,
       " -oac lavc -ovc lavc -lavcopts vcodec=wmv2:acodec=wmav2:vqscale=26:abitrate=64:autoaspect=1" + tailAsf},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Arguments(c.settings, c.sourceFps), kHead + c.body + kTail) << c.name;
  }
}

// Qualities outside the list, up to the largest a stored number can hold,
// give the nearest quantizer the encoder takes.
TEST(CommandLine, WindowsMediaQualityOutsideTheListIsClamped) {
  const std::pair<std::int32_t, const char*> qualities[] = {
      {12, "vqscale=1:"}, {2147483647, "vqscale=1:"}, {-1, "vqscale=31:"}, {-2147483647 - 1, "vqscale=31:"}};
  ConversionSettings s = Defaults();
  s.outputFormat = kFormatWmv;
  for (const auto& [quality, piece] : qualities) {
    s.wmvQuality = quality;
    EXPECT_NE(Arguments(s, 25.0).find(piece), std::string::npos) << quality;
  }
}

// MP4: the preset's rates, a peak and buffer of twice the video rate.
TEST(CommandLine, Mp4) {
  const ConversionSettings s = With([](auto& st) { st.outputFormat = kFormatMp4; st.mp4Quality = 7; st.volume = 23; });
  EXPECT_EQ(Arguments(s, 29.97),
            kHead + " -oac faac -ovc x264 -faacopts br=192:mpeg=4:object=2"
                    " -x264encopts bitrate=2500:vbv_maxrate=5000:vbv_bufsize=5000:profile=high"
                    " -of lavf -lavfopts format=mp4 -sws 2 -af volume=+3db:0:channels=2 -ofps 30000/1001" + kTail);
}

TEST(CommandLine, UnknownFormatSendsOnlyRateAndEnding) {
  ConversionSettings s = Defaults();
  s.outputFormat = kFormatCount;
  EXPECT_EQ(Arguments(s, 25.0), kHead + " -ofps 1000.000000" + kTail);
}

TEST(CommandLine, VolumeOffsetFromTwenty) {
  const std::pair<std::int32_t, const char*> volumes[] = {
      {20, "+0db:0"}, {19, "-1db:0"}, {0, "-20db:0"}, {26, "+6db:0"}, {40, "+20db:0"},
      {-2147483647 - 1, "-2147483668db:0"}};
  for (const auto& [volume, text] : volumes) EXPECT_EQ(VolumeText(volume), text) << volume;

  ConversionSettings s = Defaults();
  s.outputFormat = kFormatWmv;
  s.volume = 19;
  EXPECT_EQ(Arguments(s, 25.0),
            R"("C:\in\clip.wmv" -o "D:\out\clip.avi" -oac lavc -ovc lavc)"
            R"( -lavcopts vcodec=wmv2:acodec=wmav2:vqscale=16:abitrate=128:autoaspect=1)"
            R"( -of lavf -lavfopts i_certify_that_my_video_stream_does_not_use_b_frames:format=wmv -sws 2)"
            R"( -af volume=-1db:0:channels=2 -srate 44100 -ofps 1000.000000 -endpos 9:0:0 0 4660)");
  s.outputFormat = kFormatDvd;
  s.volume = 0;
  EXPECT_EQ(Arguments(s, 25.0),
            R"("C:\in\clip.wmv" -o "D:\out\clip.avi" -oac lavc -ovc lavc -of mpeg)"
            R"( -lavcopts vcodec=mpeg2video:keyint=18:vrc_buf_size=1835:vrc_maxrate=9400:vbitrate=5000)"
            R"(:acodec=ac3:abitrate=224:autoaspect=1:aspect=16/9 -mpegopts format=dvd)"
            R"( -af volume=-20db:0:lavcresample=48000 -srate 48000 -ofps 30000/1001 -endpos 9:0:0 0 4660)");
  s.outputFormat = kFormatAvi;
  s.volume = 26;
  s.aviAudioCodec = 1;
  s.aviVideoCodec = 5;
  EXPECT_EQ(Arguments(s, 25.0),
            R"("C:\in\clip.wmv" -o "D:\out\clip.avi")"
            R"( -of lavf -lavfopts i_certify_that_my_video_stream_does_not_use_b_frames:format=avi -sws 2)"
            R"( -af volume=+6db:0:channels=6:lavcresample=44100 -srate 44100 -ofps 25.000000 -endpos 9:0:0 0 4660)");
}

// Evened loudness is one piece of our own before the ending, only when on.
TEST(CommandLine, EvenLoudnessAddsItsPieceOnlyWhenOn) {
  ConversionSettings s = Defaults();
  s.normalizeLoudness = 1;
  const std::string body = kDefaultAviBody + " -ofps 25.000000";
  EXPECT_EQ(Arguments(s, 25.0), kHead + body + " -even-loudness" + kTail);
  s.normalizeLoudness = 0;
  EXPECT_EQ(Arguments(s, 25.0), kHead + body + kTail);
}

TEST(CommandLine, FrameRatePieceNamesTheNtscRatesAsFractions) {
  const std::pair<double, const char*> rates[] = {
      {14.985, " -ofps 15000/1001"}, {14.985005, " -ofps 15000/1001"}, {14.984995, " -ofps 15000/1001"},
      {14.95, " -ofps 14.950000"}, {14.98502, " -ofps 14.985020"}, {23.976, " -ofps 24000/1001"},
      {24000.0 / 1001.0, " -ofps 23.976024"}, {29.97, " -ofps 30000/1001"}, {29.97002, " -ofps 29.970020"},
      {25.0, " -ofps 25.000000"}, {30.0, " -ofps 30.000000"}, {1000.0, " -ofps 1000.000000"},
      {59.9999999, " -ofps 60.000000"}};
  for (const auto& [rate, piece] : rates) EXPECT_EQ(FrameRatePiece(rate), piece) << rate;

  // The source rate passes through the AVI choice and is then written.
  const std::pair<double, const char*> sources[] = {
      {14.985005, " -ofps 15000/1001"}, {12.345678, " -ofps 15000/1001"}, {50.0, " -ofps 50.000000"}};
  for (const auto& [source, piece] : sources) {
    EXPECT_EQ(Arguments(Defaults(), source), kHead + kDefaultAviBody + piece + kTail) << source;
  }
}

TEST(CommandLine, ScalingBranches) {
  ConversionSettings s = Defaults();
  s.outputFormat = kFormatWmv;
  const std::string body =
      " -oac lavc -ovc lavc -lavcopts vcodec=wmv2:acodec=wmav2:vqscale=16:abitrate=128:autoaspect=1"
      " -of lavf -lavfopts i_certify_that_my_video_stream_does_not_use_b_frames:format=wmv -sws 2"
      " -af volume=+0db:0:channels=2 -srate 44100 -ofps 1000.000000";
  EncodingParameters p;
  p.outputWidth = 720;
  p.outputHeight = 480;
  struct Pads {
    std::int32_t width, height;
    const char* piece;
  };
  const std::vector<Pads> cases = {
      {40, 0, " -vf scale=-3:480,harddup,expand=720:480"},
      {40, 30, " -vf scale=-3:480,harddup,expand=720:480"},
      {0, 30, " -vf scale=720:-3,harddup,expand=720:480"},
      {-4, 30, " -vf scale=720:-3,harddup,expand=720:480"},
      {0, 0, " -vf scale=720:480,harddup"},
      {-4, -4, " -vf scale=720:480,harddup"},
  };
  for (const Pads& c : cases) {
    EncoderRun run = Conversion();
    run.padWidth = c.width;
    run.padHeight = c.height;
    EXPECT_EQ(Arguments(s, 25.0, p, run), kHead + body + c.piece + kTail) << c.width << "/" << c.height;
  }
  p.outputHeight = 0;
  EXPECT_EQ(Arguments(s, 25.0, p), kHead + body + kTail);
  p.outputWidth = 0;
  p.outputHeight = 480;
  EXPECT_EQ(Arguments(s, 25.0, p), kHead + body + kTail);
}

TEST(CommandLine, ProbeCarriesTheHeldSizeButNoExpand) {
  EncodingParameters p;
  p.outputWidth = 320;
  p.outputHeight = 240;
  EncoderRun run = Conversion();
  run.runMode = kRunProbe;
  EXPECT_EQ(Arguments(Defaults(), 25.0, p, run),
            kHead + kDefaultAviBody + " -ofps 25.000000 -vf scale=320:240,harddup -endpos 9:0:0 1 4660");
}

TEST(CommandLine, WindowHandleIsASigned32BitNumber) {
  ConversionSettings s = Defaults();
  s.outputFormat = kFormatCount;
  EncoderRun run = Conversion();
  run.mainWindow = static_cast<std::intptr_t>(static_cast<std::int32_t>(0x80001234u));
  EXPECT_EQ(Arguments(s, 25.0, {}, run), kHead + " -ofps 1000.000000 -endpos 9:0:0 0 -2147478988");
  run.mainWindow = static_cast<std::intptr_t>(0xFFFF0010u);
  EXPECT_EQ(Arguments(s, 25.0, {}, run), kHead + " -ofps 1000.000000 -endpos 9:0:0 0 -65520");
  run.mainWindow = 0;
  EXPECT_EQ(Arguments(s, 25.0, {}, run), kHead + " -ofps 1000.000000 -endpos 9:0:0 0 0");
}

TEST(CommandLine, PathsAreCopiedAsTheyAre) {
  ConversionSettings s = Defaults();
  s.outputFormat = kFormatCount;
  EncoderRun run = Conversion();
  run.sourcePath = "C:\\Vidéo 100% & !^\\%s %d.wmv";
  run.outputPath = "D:\\Ausgabe ü\\%s %d.avi";
  EXPECT_EQ(Arguments(s, 25.0, {}, run),
            "\"C:\\Vidéo 100% & !^\\%s %d.wmv\" -o \"D:\\Ausgabe ü\\%s %d.avi\" -ofps 1000.000000 -endpos 9:0:0 0 4660");
  // Long paths are not cut off.
  const std::string longPath = "C:\\" + std::string(300, 'x') + ".wmv";
  run.sourcePath = longPath;
  EXPECT_EQ(Arguments(s, 25.0, {}, run),
            "\"" + longPath + "\" -o \"D:\\Ausgabe ü\\%s %d.avi\" -ofps 1000.000000 -endpos 9:0:0 0 4660");
}

TEST(CommandLine, SelectionsStayInTheParameters) {
  ConversionSettings s = Defaults();
  s.outputFormat = kFormatMpeg1;
  s.mpegResolution = 5;
  EncodingParameters p;
  p.outputWidth = 123;
  p.outputHeight = 45;
  BuildCommandLine(s, p, 28.5, Conversion(), kDirectory);
  EXPECT_EQ(p.videoBitrate, 1000);
  EXPECT_EQ(p.audioBitrate, 192);
  EXPECT_EQ(p.aspectText, "16/9");
  EXPECT_EQ(p.outputFps, 29.97);
  EXPECT_EQ(p.outputWidth, 123);  // the size is the caller's business
  EXPECT_EQ(p.outputHeight, 45);

  // A format without aspect= does not carry an earlier run's text along.
  s.outputFormat = kFormatAvi;
  s.aviQuality = 99;
  BuildCommandLine(s, p, 28.5, Conversion(), kDirectory);
  EXPECT_EQ(p.aspectText, "");
  EXPECT_EQ(p.videoBitrate, 1000);
  EXPECT_EQ(p.audioBitrate, 192);
  EXPECT_EQ(p.outputFps, 28.5);
}

}  // namespace
}  // namespace velto

namespace velto {
namespace {

// A preview is the conversion's own line with the moment before its ending
// and the preview mode: the ending found from the back, so a path holding
// the same text stays as it is.
TEST(CommandLine, APreviewIsTheConversionsLineWithItsMomentAndMode) {
  ConversionSettings s = Defaults();
  s.outputFormat = kFormatDvd;
  EncodingParameters convertParams, previewParams;
  SelectOutputSize(s, convertParams);
  SelectOutputSize(s, previewParams);
  const std::string conversion = Arguments(s, 25.0, convertParams);
  const std::string body = conversion.substr(0, conversion.size() - kTail.size());
  const auto preview = [&](double seconds, EncoderRun run = Conversion()) {
    EncodingParameters p = previewParams;
    return BuildPreviewCommandLine(s, p, 25.0, run, seconds, kDirectory).arguments;
  };
  EXPECT_EQ(preview(5.0), body + " -ss 5 -endpos 9:0:0 2 4660");
  EXPECT_EQ(preview(83.25), body + " -ss 83.25 -endpos 9:0:0 2 4660");
  EXPECT_EQ(preview(0.0004), body + " -ss 0 -endpos 9:0:0 2 4660");
  EXPECT_EQ(preview(-3.0), body + " -ss 0 -endpos 9:0:0 2 4660");

  EncoderRun odd = Conversion();
  odd.sourcePath = "C:\\a -endpos 9:0:0 b.wmv";
  const std::string line = preview(1.5, odd);
  EXPECT_EQ(line.rfind(" -ss 1.5 -endpos 9:0:0 2 4660"), line.size() - std::string(" -ss 1.5 -endpos 9:0:0 2 4660").size());
  EXPECT_EQ(line.find(" -ss"), line.rfind(" -ss"));
}

}  // namespace
}  // namespace velto
