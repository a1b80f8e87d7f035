#pragma once
// The encoder's command line read into a typed job. The line carries the
// quoted source, -o and the quoted output, MEncoder-style option pieces in
// any order, then the run mode and the handle of the window that receives
// the reports.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "encoder/common/fraction.h"

namespace velto {

enum class Container { kNone, kAvi, kMpeg, kAsf, kVcd, kSvcd, kDvd, kMp4 };
enum class VideoCodec { kNone, kMpeg4, kMpeg1, kMpeg2, kWmv2, kMsmpeg4, kMsmpeg4v2, kXvid, kH264 };
enum class AudioCodec { kNone, kMp3Lame, kMp2, kAc3, kWmav1, kWmav2, kAac };

struct VideoOptions {
  VideoCodec codec = VideoCodec::kNone;
  std::optional<std::int64_t> bitrate;  // bit/s
  std::optional<std::int64_t> minRate;  // bit/s
  std::optional<std::int64_t> maxRate;  // bit/s
  std::optional<std::int64_t> bufferSize;  // bits
  std::optional<int> qmin, qmax, qscale, keyint;
  bool bestMacroblockDecision = false;  // vhq
  std::optional<Fraction> aspect;       // display aspect
  bool autoAspect = false;
  std::string fourcc;                   // -ffourcc
  std::optional<int> level;             // H.264 level times ten (41 for 4.1); chosen when none
};

struct AudioOptions {
  AudioCodec codec = AudioCodec::kNone;
  std::optional<int> bitrateKbit;
  int lameVbr = 2;                      // 0 cbr, 1 mt, 2 rh, 3 abr, 4 mtrh
  std::optional<int> lameMode;          // 0 stereo, 1 joint, 2 dual, 3 mono
  std::optional<int> lameQuality;       // 0..9
  std::optional<double> gainDb;         // -af volume=
  std::optional<int> channels;          // -af channels=
  std::optional<int> resampleRate;      // -af lavcresample=
  std::optional<int> sampleRate;        // -srate
  bool evenLoudness = false;            // -even-loudness: measured first, brought to one loudness
  std::optional<double> peakCeilingDb;  // a peak limiter at this level (dBFS), set after measuring
};

// How one side of -vf scale=W:H is given.
inline constexpr int kScaleOriginal = -1;     // the source's size
inline constexpr int kScaleKeepAspect = -3;   // from the other side and the display aspect

struct PictureOptions {
  bool scale = false;
  int scaleWidth = 0, scaleHeight = 0;  // > 0, kScaleOriginal or kScaleKeepAspect
  bool hardDup = false;
  bool expand = false;
  int expandWidth = 0, expandHeight = 0;
  int swsMode = 2;                      // bicubic
};

struct EncoderJob {
  std::string source;
  std::string output;
  Container container = Container::kNone;
  VideoOptions video;
  AudioOptions audio;
  PictureOptions picture;
  std::optional<Fraction> outputFps;
  std::optional<double> endSeconds;
  std::optional<double> previewSeconds;  // -ss: the moment a preview shows
  int runMode = 0;            // RunMode
  std::int32_t windowHandle = 0;
};

struct JobParseResult {
  std::optional<EncoderJob> job;
  std::string error;          // why the line was refused
};

// Reads the arguments (without the program name). Anything unknown or
// malformed refuses the whole line.
JobParseResult ParseEncoderArguments(const std::vector<std::string>& arguments);

// Empty when the job names everything a conversion needs, else the reason.
std::string CheckConvertible(const EncoderJob& job);

bool IsAsfTimeBaseRate(const Fraction& fps);  // 1000 fps: keep the source timing

}  // namespace velto
