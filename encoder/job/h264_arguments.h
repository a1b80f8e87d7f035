#pragma once
// H.264 by x264 for MP4 outputs: High profile, 8-bit 4:2:0, a level chosen
// from the frame's size, the frame rate and the peak rate, a peak rate and
// buffer about twice the average, and a key frame at least every 10 s.
#include <cstdint>
#include <optional>

#include "encoder/job/argument_text.h"
#include "encoder/job/encoder_job.h"
#include "encoder/source/media_probe.h"

namespace velto {

// x264's speed preset, and the preset's decisions turned off that cost the
// most processor time for the least picture: adaptive B-frame placement
// (three B-frames always), scene-cut detection (key frames by the clock),
// adaptive quantisation and weighted prediction. Chosen by measurement
// (bench/README.md).
inline constexpr char kX264Preset[] = "superfast";
inline constexpr char kX264Options[] = "b-adapt=0:scenecut=0:aq-mode=0:weightp=0";
// The finest quantiser: an easy picture already near-perfect at it is not
// given the rest of the average rate. Ordinary pictures at the rates offered
// sit well above it, so they still get the average.
inline constexpr int kX264FinestQuantiser = 18;
// The highest level written: devices decode up to 4.1, which the lowest
// fitting level stays within for pictures up to 1920 x 1080 at 30 frames a
// second; larger ones get what they need up to 5.1.
inline constexpr int kTopLevel = 51;
// The most seconds between key frames.
inline constexpr int kKeyFrameSeconds = 10;

// The lowest level (times ten: 41 for 4.1) up to 5.1 whose limits hold a
// W x H picture at this many frames a second with this peak rate (bit/s)
// and buffer (bits) in High profile; 0 when none does.
int ChooseLevel(int width, int height, double fps, std::int64_t peakRate, std::int64_t buffer);

// x264's rate control, profile, level, key frames and pixel format; an
// empty error when the job has a level that holds its picture.
struct H264Plan {
  Arguments arguments;
  std::string error;
};
H264Plan PlanH264(const EncoderJob& job, const SourceInfo& source);

}  // namespace velto
