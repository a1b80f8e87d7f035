#include "encoder/job/video_arguments.h"

#include <algorithm>
#include <cstdint>
#include <optional>

#include "encoder/job/h264_arguments.h"
#include "encoder/job/sound_arguments.h"

namespace velto {
namespace {

const char* VideoEncoderName(VideoCodec codec) {
  switch (codec) {
    case VideoCodec::kMpeg4: return "mpeg4";
    case VideoCodec::kMpeg1: return "mpeg1video";
    case VideoCodec::kMpeg2: return "mpeg2video";
    case VideoCodec::kWmv2: return "wmv2";
    case VideoCodec::kMsmpeg4: return "msmpeg4";
    case VideoCodec::kMsmpeg4v2: return "msmpeg4v2";
    case VideoCodec::kXvid: return "mpeg4";  // with the Xvid options, under the Xvid tag
    default: return "";
  }
}

// MPEG-4 Part 2 within what Xvid-certified players decode: no B-frames (the
// job's command line certifies there are none), H.263 quantisation, no
// quarter-pel or global motion (the encoder's defaults), and a key frame at
// least every 300 frames.
constexpr int kXvidMaxGop = 300;

std::string Kilo(std::int64_t bits) {
  return bits % 1000 == 0 ? Text(bits / 1000) + "k" : Text(bits);
}

// The video encoder's rates (bit/s) and buffer (bits); a fixed quantizer
// takes the place of the bitrate.
struct RateControl {
  std::optional<int> quantizer;
  std::optional<std::int64_t> bitrate, minRate, maxRate, buffer;
};

RateControl PlanRateControl(const EncoderJob& job, const DiscRules* disc) {
  const auto& v = job.video;
  RateControl rc{v.qscale, v.bitrate, v.minRate, v.maxRate, v.bufferSize};
  if (disc) {
    std::int64_t ceiling = disc->maxVideoRate;
    if (job.container == Container::kSvcd)  // video and audio together stay within 2778 kbit/s
      ceiling = std::min<std::int64_t>(ceiling, 2'778'000 - AudioBitrate(job.audio.codec, job.audio.bitrateKbit) * 1000LL);
    rc.maxRate = std::min(rc.maxRate.value_or(ceiling), ceiling);
    rc.bitrate = std::min(rc.bitrate.value_or(*rc.maxRate), *rc.maxRate);
    if (rc.minRate) rc.minRate = std::min(*rc.minRate, *rc.bitrate);
    rc.buffer = std::min(rc.buffer.value_or(disc->maxBuffer), disc->maxBuffer);
  }
  if (rc.bitrate && rc.maxRate) rc.bitrate = std::min(*rc.bitrate, *rc.maxRate);
  if (rc.bitrate && rc.minRate) rc.bitrate = std::max(*rc.bitrate, *rc.minRate);
  if (rc.maxRate && !rc.buffer) rc.buffer = *rc.maxRate * 2;
  return rc;
}

Arguments RateControlArguments(const RateControl& rc) {
  Arguments args;
  if (rc.quantizer) {
    Add(args, {"-q:v", Text(*rc.quantizer)});
  } else if (rc.bitrate) {
    Add(args, {"-b:v", Kilo(*rc.bitrate)});
  }
  if (rc.minRate) Add(args, {"-minrate", Kilo(*rc.minRate)});
  if (rc.maxRate) Add(args, {"-maxrate", Kilo(*rc.maxRate)});
  if (rc.buffer) Add(args, {"-bufsize", Text(*rc.buffer)});
  return args;
}

// The tag an AVI output gives its video: the one asked for, or Xvid's own
// for Xvid; none for other containers.
std::string AviTag(const EncoderJob& job) {
  if (job.container != Container::kAvi) return "";
  std::string tag = job.video.fourcc;
  if (job.video.codec == VideoCodec::kXvid && tag.empty()) tag = "XVID";
  return tag;
}

Arguments AspectArguments(const EncoderJob& job) {
  if (!job.video.aspect) return {};
  return {"-aspect", Text(job.video.aspect->num) + ":" + Text(job.video.aspect->den)};
}

}  // namespace

Arguments VideoArguments(const EncoderJob& job, const SourceInfo& source, const DiscRules* disc) {
  const auto& v = job.video;
  if (v.codec == VideoCodec::kH264) return PlanH264(job, source).arguments;
  Arguments args = {"-c:v", VideoEncoderName(v.codec)};
  if (const std::string tag = AviTag(job); !tag.empty()) Add(args, {"-vtag", tag});
  Append(args, RateControlArguments(PlanRateControl(job, disc)));
  const bool xvid = v.codec == VideoCodec::kXvid;
  if (xvid) {
    Add(args, {"-bf", "0", "-mpeg_quant", "0", "-qmin", "2", "-qmax", "31"});
  } else {
    if (v.qmin) Add(args, {"-qmin", Text(*v.qmin)});
    if (v.qmax) Add(args, {"-qmax", Text(*v.qmax)});
    if (v.bestMacroblockDecision) Add(args, {"-mbd", "rd"});
  }
  int gop = v.keyint.value_or(disc ? disc->maxGop : (xvid ? kXvidMaxGop : 250));
  if (disc) gop = std::min(gop, disc->maxGop);
  if (xvid) gop = std::min(gop, kXvidMaxGop);
  if (v.keyint || disc || xvid) Add(args, {"-g", Text(gop)});
  if (job.container == Container::kSvcd) Add(args, {"-scan_offset", "1"});
  Append(args, AspectArguments(job));
  Add(args, {"-pix_fmt", "yuv420p", "-threads", "0"});
  return args;
}

Arguments CopiedVideoArguments(const EncoderJob& job) {
  Arguments args;
  if (const std::string tag = AviTag(job); !tag.empty()) Add(args, {"-vtag", tag});
  Append(args, AspectArguments(job));
  return args;
}

// The output's muxer with its settings.
Arguments MuxerArguments(const EncoderJob& job, const DiscRules* disc) {
  Arguments args;
  switch (job.container) {
    case Container::kAvi: Add(args, {"-f", "avi"}); break;
    case Container::kAsf: Add(args, {"-f", "asf"}); break;
    case Container::kMpeg: Add(args, {"-f", job.video.codec == VideoCodec::kMpeg2 ? "vob" : "mpeg"}); break;
    case Container::kMp4:
      Add(args, {"-f", "mp4", "-movflags", "+faststart"});
      break;
    default:
      Add(args, {"-f", disc->muxer, "-packetsize", Text(disc->packetSize)});
      if (disc->muxRate) Add(args, {"-muxrate", Text(disc->muxRate)});
      if (job.container == Container::kVcd) Add(args, {"-muxpreload", "0.44"});
      break;
  }
  return args;
}

}  // namespace velto
