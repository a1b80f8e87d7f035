#include "encoder/job/ffmpeg_arguments.h"

#include "encoder/job/argument_text.h"
#include "encoder/job/disc_rules.h"
#include "encoder/job/h264_arguments.h"
#include "encoder/job/picture_arguments.h"
#include "encoder/job/sound_arguments.h"
#include "encoder/job/video_arguments.h"

namespace velto {
namespace {

Arguments InputArguments(const EncoderJob& job, const SourceInfo& source, const AudioPlan& audio) {
  Arguments args = FfmpegHead();
  Append(args, SourceInputs(job, source, audio));
  Add(args, {"-map", "0:v:0"});
  MapAudio(args, audio);
  return args;
}

// The output's length, muxer and file.
Arguments ContainerArguments(const EncoderJob& job, const DiscRules* disc) {
  Arguments args;
  if (job.endSeconds) Add(args, {"-t", Seconds(*job.endSeconds)});
  Append(args, MuxerArguments(job, disc));
  Add(args, {FileUrl(job.output)});
  return args;
}

}  // namespace

std::string Refusal(const EncoderJob& job, const SourceInfo& source) {
  if (std::string why = CheckConvertible(job); !why.empty()) return why;
  if (!source.hasVideo || source.width < 1 || source.height < 1) return "the source has no video";
  const auto v = job.video.codec;
  const auto a = job.audio.codec;
  if (job.container == Container::kVcd && (v != VideoCodec::kMpeg1 || a != AudioCodec::kMp2))
    return "a Video CD takes MPEG-1 video and MP2 audio";
  if (job.container == Container::kSvcd && (v != VideoCodec::kMpeg2 || a != AudioCodec::kMp2))
    return "a Super Video CD takes MPEG-2 video and MP2 audio";
  if (job.container == Container::kDvd &&
      (v != VideoCodec::kMpeg2 || (a != AudioCodec::kMp2 && a != AudioCodec::kAc3)))
    return "a DVD takes MPEG-2 video and MP2 or AC-3 audio";
  const bool mp4 = job.container == Container::kMp4;
  if (mp4 != (v == VideoCodec::kH264) || mp4 != (a == AudioCodec::kAac))
    return "H.264 video and AAC audio go together, into MP4 only";
  if (mp4) return PlanH264(job, source).error;
  return "";
}

FfmpegArguments TranslateJob(const EncoderJob& job, const SourceInfo& source) {
  FfmpegArguments result;
  result.error = Refusal(job, source);
  if (!result.error.empty()) return result;
  const std::optional<DiscRules> discRules = DiscRulesFor(job);
  const DiscRules* disc = discRules ? &*discRules : nullptr;
  const AudioPlan audio = PlanAudio(job, source, disc);
  for (const Arguments& part : {InputArguments(job, source, audio), PictureArguments(job, source, disc),
                                VideoArguments(job, source, disc), AudioArguments(job, source, audio),
                                ContainerArguments(job, disc)})
    Append(result.arguments, part);
  return result;
}

}  // namespace velto
