#include "encoder/job/h264_arguments.h"

#include <algorithm>
#include <cmath>

#include "encoder/job/picture_arguments.h"

namespace velto {
namespace {

// The levels' limits (the H.264 standard's table A-1): macroblocks a second,
// macroblocks a frame, peak rate in kbit/s and buffer in kbit, both for the
// Baseline and Main profiles; High allows a quarter more of the last two.
struct LevelLimits {
  int level;
  std::int64_t macroblocksPerSecond, frameMacroblocks, peakKbit, bufferKbit;
};
constexpr LevelLimits kLevels[] = {
    {10, 1485, 99, 64, 175},          {11, 3000, 396, 192, 500},        {12, 6000, 396, 384, 1000},
    {13, 11880, 396, 768, 2000},      {20, 11880, 396, 2000, 2000},     {21, 19800, 792, 4000, 4000},
    {22, 20250, 1620, 4000, 4000},    {30, 40500, 1620, 10000, 10000},  {31, 108000, 3600, 14000, 14000},
    {32, 216000, 5120, 20000, 20000}, {40, 245760, 8192, 20000, 25000}, {41, 245760, 8192, 50000, 62500},
    {42, 522240, 8704, 50000, 62500}, {50, 589824, 22080, 135000, 135000},
    {51, 983040, 36864, 240000, 240000}};

bool Holds(const LevelLimits& l, int width, int height, double fps, std::int64_t peakRate, std::int64_t buffer) {
  const std::int64_t across = (width + 15) / 16, down = (height + 15) / 16;
  const std::int64_t frame = across * down;
  // Neither side may be longer than the square root of eight frames.
  return frame <= l.frameMacroblocks && across * across <= 8 * l.frameMacroblocks &&
         down * down <= 8 * l.frameMacroblocks && frame * fps <= l.macroblocksPerSecond * 1.0001 &&
         peakRate <= l.peakKbit * 1250 && buffer <= l.bufferKbit * 1250;
}

std::string LevelText(int level) { return Text(level / 10) + "." + Text(level % 10); }

}  // namespace

int ChooseLevel(int width, int height, double fps, std::int64_t peakRate, std::int64_t buffer) {
  for (const LevelLimits& l : kLevels)
    if (l.level <= kTopLevel && Holds(l, width, height, fps, peakRate, buffer)) return l.level;
  return 0;
}

H264Plan PlanH264(const EncoderJob& job, const SourceInfo& source) {
  const auto& v = job.video;
  // Without rates on the line: the default preset's 800 kbit/s; the peak
  // and the buffer twice the average.
  const std::int64_t bitrate = v.bitrate.value_or(800'000);
  const std::int64_t peak = std::max(v.maxRate.value_or(2 * bitrate), bitrate);
  const std::int64_t buffer = v.bufferSize.value_or(peak);
  const FrameSize frame = PlannedFrameSize(job, source, nullptr);
  const std::optional<Fraction> planned = PlanFrameRate(job, source, nullptr);
  // Kept source times: the rate the source states when believable, else 30.
  const double fps = planned ? planned->Value() : FrameRateNeedsCounting(source) ? 30.0 : source.frameRate.Value();
  const int fitting = ChooseLevel(frame.width, frame.height, fps, peak, buffer);
  H264Plan plan;
  if (fitting == 0) {
    plan.error = "the picture is too large for H.264 level " + LevelText(kTopLevel) + " at its frame rate";
    return plan;
  }
  // A level on the line is kept where it holds the picture.
  const int level = std::clamp(v.level.value_or(0), fitting, kTopLevel);
  int gop = static_cast<int>(std::floor(kKeyFrameSeconds * fps));
  if (v.keyint) gop = std::min(gop, *v.keyint);
  Arguments& args = plan.arguments;
  Add(args, {"-c:v", "libx264", "-preset", kX264Preset, "-x264-params", kX264Options, "-profile:v", "high",
             "-level:v", LevelText(level), "-b:v", Text(bitrate), "-maxrate", Text(peak), "-bufsize", Text(buffer),
             "-qmin", Text(kX264FinestQuantiser), "-g", Text(std::max(gop, 1))});
  // Frame times not known beforehand: a key frame every 10 s by the clock.
  if (!planned) Add(args, {"-force_key_frames", "expr:gte(t,n_forced*" + Text(kKeyFrameSeconds) + ")"});
  Add(args, {"-pix_fmt", "yuv420p", "-threads", "0"});
  return plan;
}

}  // namespace velto
