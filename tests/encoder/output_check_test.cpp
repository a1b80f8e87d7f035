// The check of a written output: its plan, the prober's listing of it, and
// the one held against the other.
#include "encoder/job/output_check.h"

#include <gtest/gtest.h>

#include <string>

#include "encoder/common/command_line_tokens.h"
#include "job_strings.h"

namespace velto {
namespace {

EncoderJob Job(const std::string& pattern) {
  const auto parsed = ParseEncoderArguments(SplitCommandLine(test::Fill(pattern, "in.wmv", "out.x", 0, 0)));
  EXPECT_TRUE(parsed.job) << parsed.error;
  return parsed.job.value_or(EncoderJob{});
}

// A 60 s ASF clip whose picture begins a little after its sound and ends a
// little before the header's length.
SourceInfo Clip() {
  SourceInfo s;
  s.hasVideo = s.hasAudio = true;
  s.width = 640;
  s.height = 480;
  s.channels = 2;
  s.sampleRate = 44100;
  s.durationSeconds = 60.085;
  s.videoStart = 0.046;
  s.videoEnd = 60.039;
  s.audioEnd = 59.999;
  return s;
}

TEST(OutputCheck, PlanFollowsTheStreamsOfTheSourceWithinTheEnd) {
  // A DVD at 29.97 frames a second from the start to the picture's end.
  OutputPlan plan = PlanOutput(Job(test::kDvdNtscAc3), Clip());
  EXPECT_EQ(plan.videoCodec, "mpeg2video");
  EXPECT_EQ(plan.width, 720);
  EXPECT_EQ(plan.height, 480);
  EXPECT_EQ(plan.frames, 1799);
  EXPECT_NEAR(plan.videoSeconds, 60.039, 1e-9);
  EXPECT_TRUE(plan.sound);
  EXPECT_NEAR(plan.soundSeconds, 59.999, 1e-9);
  // WMV keeps the source's frame times: the picture lasts from its first frame.
  SourceInfo measured = Clip();
  measured.frameRate = {30000, 1001};
  plan = PlanOutput(Job(test::kWmv), measured);
  EXPECT_EQ(plan.videoCodec, "wmv2");
  EXPECT_EQ(plan.frames, 0);
  EXPECT_NEAR(plan.videoSeconds, 59.993, 1e-9);
  EXPECT_NEAR(plan.frameSeconds, 1001 / 30000.0, 1e-9);
  // Where the streams' ends are not known, the length; within -endpos.
  SourceInfo unknown = Clip();
  unknown.videoEnd = unknown.audioEnd = 0;
  std::string tenSeconds = test::kAviMp3;
  tenSeconds.replace(tenSeconds.find("9:0:0"), 5, "10");
  plan = PlanOutput(Job(test::kAviMp3), unknown);
  EXPECT_EQ(plan.frames, 1502);
  plan = PlanOutput(Job(tenSeconds), unknown);
  EXPECT_EQ(plan.frames, 250);
  EXPECT_NEAR(plan.soundSeconds, 10.0, 1e-9);
  // A disc from a source without sound carries a silent track of its length.
  SourceInfo silent = Clip();
  silent.hasAudio = false;
  plan = PlanOutput(Job(test::kDvdPalMp2), silent);
  EXPECT_TRUE(plan.sound);
  EXPECT_NEAR(plan.soundSeconds, 60.085, 0.002);
}

TEST(OutputCheck, ListingGivesEachStreamsPacketsAndTimes) {
  const OutputFacts facts = ReadOutputFacts(
      "packet,0,N/A,N/A,N/A\r\n"
      "packet,1,0.533000,0.500000,0.040000\n"
      "packet,1,N/A,0.540000,N/A\n"
      "packet,2,0.580000,N/A,N/A\n"
      "packet,2,0.620000,0.620000,N/A\n"
      "stream,0,dvd_nav_packet,data\n"
      "stream,1,mpeg2video,video,720,480\n"
      "stream,2,ac3,audio\n");
  ASSERT_TRUE(facts.video && facts.audio);
  EXPECT_EQ(facts.video->codec, "mpeg2video");
  EXPECT_EQ(facts.video->width, 720);
  EXPECT_EQ(facts.video->packets, 2);
  EXPECT_NEAR(facts.video->end - facts.video->start, 0.080, 1e-9);
  // Without durations the last packet lasts as long as the packets did.
  EXPECT_EQ(facts.audio->packets, 2);
  EXPECT_NEAR(facts.audio->end - facts.audio->start, 0.080, 1e-9);
  EXPECT_FALSE(ReadOutputFacts("").video);
  // Numbers beyond any stream or picture are none.
  const OutputFacts odd = ReadOutputFacts("stream,9e99,x,video,9e99,-1\n");
  ASSERT_TRUE(odd.video);
  EXPECT_EQ(odd.video->width, 0);
}

TEST(OutputCheck, OnlyAnOutputHoldingThePlanPasses) {
  OutputPlan plan;
  plan.videoCodec = "mpeg4";
  plan.width = 320;
  plan.height = 240;
  plan.videoSeconds = 60;
  plan.frameSeconds = 0.04;
  plan.frames = 1500;
  plan.sound = true;
  plan.soundSeconds = 60;
  const auto facts = [](std::int64_t frames, double seconds, double sound) {
    OutputFacts f;
    f.video = StreamFacts{"mpeg4", 320, 240, frames, 0.5, 0.5 + seconds};
    if (sound > 0) f.audio = StreamFacts{"mp3", 0, 0, 100, 0, sound};
    return f;
  };
  EXPECT_EQ(CheckOutput(plan, facts(1500, 60, 60)), "");
  // A tenth of a second short, or a frame and a fifth of a second over, is
  // near enough.
  EXPECT_EQ(CheckOutput(plan, facts(1498, 59.92, 59.95)), "");
  EXPECT_EQ(CheckOutput(plan, facts(1506, 60.24, 60.05)), "");
  EXPECT_EQ(CheckOutput(plan, facts(1497, 59.88, 60)), "the output holds 59.9 s of the planned 60.0 s");
  EXPECT_EQ(CheckOutput(plan, facts(1030, 41.2, 41.2)), "the output holds 41.2 s of the planned 60.0 s");
  EXPECT_EQ(CheckOutput(plan, facts(1200, 60, 60)), "the output holds 1200 frames of the planned 1500");
  EXPECT_EQ(CheckOutput(plan, facts(1510, 60.4, 60)), "the output holds 60.4 s of the planned 60.0 s");
  EXPECT_EQ(CheckOutput(plan, facts(1500, 60, 0)), "no sound stream");
  EXPECT_EQ(CheckOutput(plan, facts(1500, 60, 30)), "the output's sound lasts 30.0 s of the planned 60.0 s");
  OutputFacts other = facts(1500, 60, 60);
  other.video->width = 352;
  EXPECT_EQ(CheckOutput(plan, other), "the output's picture is 352x240, not the planned 320x240");
  other.video->codec = "h264";
  EXPECT_EQ(CheckOutput(plan, other), "the output's picture is h264, not the planned mpeg4");
  EXPECT_EQ(CheckOutput(plan, OutputFacts{}), "the output holds no picture");
}

// A 4 GB output gets the prober's 30 s and 200 s more.
TEST(OutputCheck, TheTimeToReadAnOutputGrowsWithIt) {
  EXPECT_EQ(CheckTimeLimitMs(30'000, 0), 30'000u);
  EXPECT_EQ(CheckTimeLimitMs(30'000, 4'000'000'000ull), 230'000u);
}

}  // namespace
}  // namespace velto
