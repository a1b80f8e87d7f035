#include "encoder/job/loudness_arguments.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "encoder/common/command_line_tokens.h"
#include "encoder/job/ffmpeg_arguments.h"
#include "job_strings.h"
#include "odd_source.h"

namespace velto {
namespace {

EncoderJob Job(const char* pattern) {
  const auto parsed = ParseEncoderArguments(SplitCommandLine(test::Fill(pattern, "in.wmv", "out.x", 0, 0)));
  EXPECT_TRUE(parsed.job) << parsed.error;
  return parsed.job.value_or(EncoderJob{});
}

// The sound is measured as the output will carry it: in its channels (at
// the source's rate), up to the job's end.
TEST(LoudnessArguments, TheSoundIsMeasuredInTheOutputsShape) {
  EXPECT_EQ(JoinCommandLine(LoudnessMeasureArguments(Job(test::kMpeg1), test::OddSource(1))),
            "-hide_banner -loglevel info -nostats -threads 1 -i file:in.wmv -map 0:a:0 -vn -filter_threads 1 "
            "-af pan=stereo|c0=c0|c1=c0,aformat=sample_rates=22050:channel_layouts=stereo,"
            "ebur128=peak=sample:framelog=verbose -t 32400 -f null -");
  // A disc's made-up silent track, and no sound: nothing to measure.
  EXPECT_TRUE(LoudnessMeasureArguments(Job(test::kDvdPalMp2), test::OddSource(0)).empty());
  EXPECT_TRUE(LoudnessMeasureArguments(Job(test::kWmv), test::OddSource(0)).empty());
}

// The summary as the filter writes it at its end, after the lines of the
// conversion.
std::string Summary(const char* integrated, const char* peak) {
  return std::string("[Parsed_ebur128_1 @ 0000000000d01800] Summary:\r\n\r\n  Integrated loudness:\r\n    I:         ") +
         integrated + " LUFS\r\n    Threshold: -44.9 LUFS\r\n\r\n  Loudness range:\r\n    LRA:         2.5 LU\r\n"
         "    Threshold:   0.0 LUFS\r\n    LRA low:     0.0 LUFS\r\n    LRA high:    0.0 LUFS\r\n\r\n"
         "  Sample peak:\r\n    Peak:       " + peak + " dBFS\r\n";
}

TEST(LoudnessArguments, TheReportIsTheSummaryAtTheEnd) {
  const std::string output = "Input #0, asf, from 'file:in.wmv':\r\n  Stream #0:1: Audio: wmav2, I: 3\r\n" +
                             Summary("-34.9", "-8.0");
  const auto loudness = ReadLoudnessReport(output);
  ASSERT_TRUE(loudness);
  EXPECT_DOUBLE_EQ(loudness->integrated, -34.9);
  EXPECT_DOUBLE_EQ(loudness->range, 2.5);
  EXPECT_DOUBLE_EQ(loudness->peak, -8.0);

  const auto silence = ReadLoudnessReport(Summary("-70.0", "-inf"));
  ASSERT_TRUE(silence);
  EXPECT_TRUE(std::isinf(silence->peak) && silence->peak < 0);

  for (const std::string& broken : {std::string(), std::string("no summary"), Summary("loud", "-8.0"),
                                    Summary("-34.9", "-8.0").substr(0, 200)})
    EXPECT_FALSE(ReadLoudnessReport(broken)) << broken;
}

// A plain gain to -16 LUFS, at most +24 dB, and the user's gain on top; a
// limiter only where the peak would pass -2.5 dBFS; silence keeps the
// user's gain alone.
TEST(LoudnessArguments, OneGainToTheTargetAndALimiterOnlyForPeaks) {
  const struct {
    Loudness measured;
    double user, gain;
    bool limited;
    bool lifted = false;
  } kCases[] = {
      {{-35, 0, -32}, 0, 19, false},    {{-10, 3, -1}, 0, -6, false},
      {{-30, 8, -3}, 0, 14, true},      {{-35, 0, -32}, 6, 25, false},
      {{-16, 0, -4}, 4, 4, true},       {{-20, 0, -6}, 0, 4, true}  ,
      {{-70, 0, -INFINITY}, -3, -3, false}, {{NAN, 0, 0}, 0, 0, false},
      {{-40, 0, -30}, 0, 24, false},    {{-65, 0, -50}, 2, 26, false, true},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.measured.integrated);
    const LoudnessGain gain = EvenLoudnessGain(c.measured, c.user);
    EXPECT_DOUBLE_EQ(gain.gainDb, c.gain);
    EXPECT_EQ(gain.peakCeilingDb.has_value(), c.limited);
    EXPECT_EQ(gain.lifted, c.lifted);
  }
}

// The gain comes first, the limiter after the channels are mixed.
TEST(LoudnessArguments, TheLimiterComesLast) {
  EncoderJob job = Job(test::kMpeg1);
  job.audio.gainDb = 14.5;
  job.audio.peakCeilingDb = kLimiterCeiling;
  const std::string line = JoinCommandLine(TranslateJob(job, test::OddSource(1)).arguments);
  EXPECT_NE(line.find(" -af volume=14.5dB,pan=stereo|c0=c0|c1=c0,aformat=sample_rates=44100:channel_layouts=stereo,"
                      "alimiter=limit=0.7499:level=0:latency=1 -c:a mp2 "),
            std::string::npos)
      << line;
}

}  // namespace
}  // namespace velto
