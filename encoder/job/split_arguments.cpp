#include "encoder/job/split_arguments.h"

#include <algorithm>
#include <cmath>

#include "encoder/job/argument_text.h"
#include "encoder/job/disc_rules.h"
#include "encoder/job/ffmpeg_arguments.h"
#include "encoder/job/picture_arguments.h"
#include "encoder/job/sound_arguments.h"
#include "encoder/job/video_arguments.h"

namespace velto {
namespace {

// The parts are written in the output's own container family, so that the
// join copies what the output takes; the sound goes into ASF, which keeps
// its exact start against the picture's.
const char* PartMuxer(const EncoderJob& job) {
  switch (job.container) {
    case Container::kAvi: return "avi";
    case Container::kAsf: return "asf";
    case Container::kMp4: return "mp4";
    default: return job.video.codec == VideoCodec::kMpeg2 ? "vob" : "mpeg";
  }
}

const char* PartExtension(const EncoderJob& job) {
  switch (job.container) {
    case Container::kAvi: return ".avi";
    case Container::kAsf: return ".asf";
    case Container::kMp4: return ".mp4";
    default: return ".mpg";
  }
}

// AAC goes into MP4 instead: ASF has no place for its encoder delay.
struct SoundPart {
  const char* name;
  const char* muxer;
};
SoundPart SoundPartOf(const EncoderJob& job) {
  return job.container == Container::kMp4 ? SoundPart{"audio.mp4", "mp4"} : SoundPart{"audio.asf", "asf"};
}

// Where range `first` (an output frame) is read from; see CutRange.
double SeekSeconds(std::int64_t first, double frameSeconds, bool constant) {
  if (first == 0) return 0.0;
  return (first - 0.5) * frameSeconds + (constant ? 0.0 : 0.00025);
}

// One range's video, encoded as the whole conversion would encode it, with
// its share of the processors: the ranges already keep them busy side by
// side, so threads of its own for every one would only cost time.
Arguments RangeArguments(const EncoderJob& job, const SourceInfo& source, const DiscRules* disc, const RangeCut& cut,
                         int threads, const std::string& file) {
  Arguments args = FfmpegHead();
  if (cut.seek > 0) Add(args, {"-ss", Precise(cut.seek)});
  Add(args, {"-i", FileUrl(job.source), "-map", "0:v:0"});
  const std::string move = cut.seek > 0 ? "setpts=PTS-" + Precise(cut.shift) + "/TB" : "";
  Append(args, PictureArguments(job, source, disc, move));
  Append(args, VideoArguments(job, source, disc));
  SetThreads(args, threads);
  Add(args, {"-an"});
  if (cut.frames > 0) Add(args, {"-frames:v", Text(cut.frames)});
  else if (cut.length) Add(args, {"-t", Precise(*cut.length)});
  Add(args, {"-f", PartMuxer(job), FileUrl(file)});
  return args;
}

// The whole sound, by itself.
Arguments SoundArguments(const EncoderJob& job, const SourceInfo& source, const AudioPlan& audio,
                         const std::string& file) {
  Arguments args = FfmpegHead();
  Append(args, SourceInputs(job, source, audio));
  MapAudio(args, audio);
  Add(args, {"-vn"});
  Append(args, AudioArguments(job, source, audio));
  if (job.endSeconds) Add(args, {"-t", Seconds(*job.endSeconds)});
  Add(args, {"-f", SoundPartOf(job).muxer, FileUrl(file)});
  return args;
}

// One part's entry in the join's list.
std::string ListEntry(const std::string& path, const RangeCut& cut) {
  std::string entry = "file " + ListedFile(path) + "\n";
  if (cut.listedFromZero) entry += "inpoint 0\n";
  if (cut.listedLength) entry += "duration " + Precise(*cut.listedLength) + "\n";
  return entry;
}

// The parts and the sound copied into the output, their times as written
// (the list states where each part begins). The list comes on the input:
// the join is started while the ranges are still encoding, and reads it
// once they are done. Its names are whole paths (-safe 0), opened by the
// file protocol. ffmpeg's main thread reads every input itself: with two
// inputs each would get a reading thread of its own, whose queue the main
// loop looks at without waiting and, finding it empty, sleeps 10 ms.
Arguments JoinArguments(const EncoderJob& job, const DiscRules* disc, const std::string& folder, bool withSound) {
  Arguments args = FfmpegHead();
  Add(args, {"-copyts", "-safe", "0", "-protocol_whitelist", "file,pipe", "-thread_queue_size", "0", "-f", "concat",
             "-i", "pipe:0"});
  if (withSound) Add(args, {"-thread_queue_size", "0", "-i", FileUrl(folder + SoundPartOf(job).name)});
  Add(args, {"-map", "0:v:0"});
  if (withSound) Add(args, {"-map", "1:a:0"});
  Add(args, {"-c", "copy"});
  Append(args, CopiedVideoArguments(job));
  Append(args, MuxerArguments(job, disc));
  Add(args, {FileUrl(job.output)});
  return args;
}

// Frames are cut where their times are known beforehand: at a constant
// output rate, or between the source's frames at its believable rate when
// ASF keeps the source's own times.
std::optional<FrameTiming> PlanTiming(const EncoderJob& job, const SourceInfo& source, const DiscRules* disc) {
  if (const std::optional<Fraction> rate = PlanFrameRate(job, source, disc)) return FrameTiming{*rate, true};
  if (job.container == Container::kAsf && !FrameRateNeedsCounting(source)) return FrameTiming{source.frameRate, false};
  return std::nullopt;
}

}  // namespace

RangeCut CutRange(const FrameTiming& timing, const std::vector<FrameRange>& ranges, std::size_t index,
                  std::optional<double> end) {
  const double frameSeconds = 1.0 / timing.rate.Value();
  const FrameRange& range = ranges[index];
  const bool last = index + 1 == ranges.size();
  const double start = range.first * frameSeconds;
  RangeCut cut;
  cut.seek = SeekSeconds(range.first, frameSeconds, timing.constant);
  if (cut.seek > 0) cut.shift = start - cut.seek;
  if (range.count > 0 && timing.constant) {
    cut.frames = range.count;
  } else if (range.count > 0) {
    cut.length = SeekSeconds(ranges[index + 1].first, frameSeconds, timing.constant) - start;
  } else if (end) {
    cut.length = *end - start;
  }
  if (!last) cut.listedLength = range.count * frameSeconds;
  cut.listedFromZero = !timing.constant;
  return cut;
}

std::optional<SplitArguments> TranslateSplitJob(const EncoderJob& job, const SourceInfo& source, int processors,
                                                const std::string& folder, double longestRangeSeconds) {
  if (!Refusal(job, source).empty()) return std::nullopt;
  const double length = std::min(source.durationSeconds, job.endSeconds.value_or(source.durationSeconds));
  const int count = RangeCount(length, processors, longestRangeSeconds);
  if (count < 2) return std::nullopt;
  const std::optional<DiscRules> discRules = DiscRulesFor(job);
  const DiscRules* disc = discRules ? &*discRules : nullptr;
  const std::optional<FrameTiming> timing = PlanTiming(job, source, disc);
  if (!timing) return std::nullopt;
  const double frameSeconds = 1.0 / timing->rate.Value();
  const auto ranges = SplitFrames(std::llround(length / frameSeconds), count);
  if (ranges.size() < 2) return std::nullopt;
  std::optional<double> end;
  if (job.endSeconds && *job.endSeconds < source.durationSeconds) end = job.endSeconds;

  SplitArguments split;
  split.partList = "ffconcat version 1.0\n";
  split.mostAtOnce = std::min(processors, static_cast<int>(ranges.size()));
  const int threads = std::max(1, processors / split.mostAtOnce);
  for (std::size_t i = 0; i < ranges.size(); ++i) {
    const RangeCut cut = CutRange(*timing, ranges, i, end);
    const std::string name = "video-" + std::to_string(i + 1) + PartExtension(job);
    split.video.push_back(RangeArguments(job, source, disc, cut, threads, folder + name));
    split.ranges.push_back(ranges[i]);
    split.frames.push_back(cut.frames);
    const double start = ranges[i].first * frameSeconds;
    split.seconds.push_back(ranges[i].count > 0 ? ranges[i].count * frameSeconds : std::max(0.0, length - start));
    split.files.push_back(name);
    split.partList += ListEntry(folder + name, cut);
  }
  const AudioPlan audio = PlanAudio(job, source, disc);
  const bool withSound = audio.keepSource || audio.silentTrack;
  if (withSound) {
    split.audio = SoundArguments(job, source, audio, folder + SoundPartOf(job).name);
    split.files.push_back(SoundPartOf(job).name);
  }
  split.join = JoinArguments(job, disc, folder, withSound);
  return split;
}

}  // namespace velto
