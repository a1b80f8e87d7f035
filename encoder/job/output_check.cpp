#include "encoder/job/output_check.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <map>
#include <string>

#include "encoder/job/argument_text.h"
#include "encoder/job/disc_rules.h"
#include "encoder/job/picture_arguments.h"
#include "encoder/job/sound_arguments.h"

namespace velto {
namespace {

const char* ProberCodecName(VideoCodec codec) {
  switch (codec) {
    case VideoCodec::kMpeg4:
    case VideoCodec::kXvid: return "mpeg4";
    case VideoCodec::kMpeg1: return "mpeg1video";
    case VideoCodec::kMpeg2: return "mpeg2video";
    case VideoCodec::kWmv2: return "wmv2";
    case VideoCodec::kMsmpeg4: return "msmpeg4v3";
    case VideoCodec::kMsmpeg4v2: return "msmpeg4v2";
    case VideoCodec::kH264: return "h264";
    default: return "";
  }
}

// The fields of one line of the prober's listing, in the order it prints
// them: "packet,STREAM,PTS,DTS,DURATION" (seconds) or
// "stream,INDEX,CODEC,TYPE[,WIDTH,HEIGHT]".
std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  while (true) {
    const std::size_t comma = line.find(',');
    fields.push_back(line.substr(0, comma));
    if (comma == std::string_view::npos) return fields;
    line = line.substr(comma + 1);
  }
}

std::optional<double> Number(std::string_view text) {
  const std::string copy(text);
  char* end = nullptr;
  const double value = std::strtod(copy.c_str(), &end);
  if (copy.empty() || *end != '\0' || !std::isfinite(value)) return std::nullopt;
  return value;
}

int Whole(std::string_view text) {
  const double value = Number(text).value_or(0);
  return value >= 0 && value <= 1e9 ? static_cast<int>(value) : 0;
}

std::string Decimal(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

// Within a frame (at least a tenth of a second) short of what was planned,
// or a frame and a fifth of a second over it: ffmpeg's constant rate ends a
// frame or two to either side of the source's last picture.
bool Near(double held, double planned, double frame) {
  constexpr double kRounding = 0.001;
  return held >= planned - std::max(frame, 0.1) - kRounding && held <= planned + frame + 0.2 + kRounding;
}

}  // namespace

OutputPlan PlanOutput(const EncoderJob& job, const SourceInfo& source) {
  const std::optional<DiscRules> discRules = DiscRulesFor(job);
  const DiscRules* disc = discRules ? &*discRules : nullptr;
  OutputPlan plan;
  plan.videoCodec = ProberCodecName(job.video.codec);
  const FrameSize frame = PlannedFrameSize(job, source, disc);
  plan.width = frame.width;
  plan.height = frame.height;
  const double limit = job.endSeconds.value_or(std::numeric_limits<double>::infinity());
  const double length = source.durationSeconds;
  const double videoEnd = std::min(source.videoEnd > 0 ? source.videoEnd : length, limit);
  if (const std::optional<Fraction> rate = PlanFrameRate(job, source, disc)) {
    plan.frameSeconds = 1.0 / rate->Value();
    plan.frames = std::llround(videoEnd * rate->Value());
    plan.videoSeconds = videoEnd;
  } else {
    if (!FrameRateNeedsCounting(source)) plan.frameSeconds = 1.0 / source.frameRate.Value();
    plan.videoSeconds = std::max(0.0, videoEnd - source.videoStart);
  }
  const AudioPlan audio = PlanAudio(job, source, disc);
  plan.sound = audio.keepSource || audio.silentTrack;
  if (audio.silentTrack) {
    plan.soundSeconds = std::min(std::ceil((length > 0 ? length : 1.0) * 1000) / 1000, limit);
  } else if (audio.keepSource) {
    const double soundEnd = std::min(source.audioEnd > 0 ? source.audioEnd : length, limit);
    plan.soundSeconds = std::max(0.0, soundEnd - source.audioStart);
  }
  return plan;
}

// The listing goes out through the prober's own buffered writer (-o):
// printed on its standard output, line by line, a 60 s DVD's took ten
// times as long.
std::vector<std::string> OutputProbeArguments(const std::string& path) {
  Arguments args = {"-hide_banner", "-v", "error"};
  if (path.empty()) Add(args, {"-safe", "0", "-protocol_whitelist", "file,pipe", "-f", "concat", "-i", "pipe:0"});
  Add(args, {"-show_entries",
             "stream=index,codec_type,codec_name,width,height:packet=stream_index,pts_time,dts_time,duration_time",
             "-of", "csv", "-o", "pipe:1"});
  if (!path.empty()) Add(args, {FileUrl(path)});
  return args;
}

std::string OutputProbeList(const std::string& path) { return "ffconcat version 1.0\nfile " + ListedFile(path) + "\n"; }

OutputFacts ReadOutputFacts(std::string_view listing) {
  std::map<int, StreamFacts> streams;
  std::map<int, std::string> types;
  // A packet without a duration lasts as long as the one before it.
  std::map<int, double> lastDuration;
  while (!listing.empty()) {
    const std::size_t newline = listing.find('\n');
    std::string_view line = listing.substr(0, newline);
    listing = newline == std::string_view::npos ? std::string_view() : listing.substr(newline + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::vector<std::string_view> fields = Fields(line);
    const auto field = [&](std::size_t at) { return at < fields.size() ? fields[at] : std::string_view(); };
    if (field(0) == "packet") {
      const int index = Whole(field(1));
      StreamFacts& stream = streams[index];
      // Decoding times run in order, whatever order the pictures are shown in.
      auto time = Number(field(3));
      if (!time) time = Number(field(2));
      if (!time) continue;
      double& duration = lastDuration[index];
      duration = Number(field(4)).value_or(duration);
      const double end = *time + duration;
      stream.start = stream.packets == 0 ? *time : std::min(stream.start, *time);
      stream.end = stream.packets == 0 ? end : std::max(stream.end, end);
      ++stream.packets;
    } else if (field(0) == "stream") {
      const int index = Whole(field(1));
      StreamFacts& stream = streams[index];
      stream.codec = std::string(field(2));
      types[index] = std::string(field(3));
      stream.width = Whole(field(4));
      stream.height = Whole(field(5));
    }
  }
  // Where no packet states a duration, the last lasts as long as the
  // packets did on average.
  for (auto& [index, stream] : streams)
    if (lastDuration[index] == 0 && stream.packets > 1)
      stream.end += (stream.end - stream.start) / static_cast<double>(stream.packets - 1);
  OutputFacts facts;
  for (const auto& [index, type] : types) {
    if (type == "video" && !facts.video) facts.video = streams[index];
    if (type == "audio" && !facts.audio) facts.audio = streams[index];
  }
  return facts;
}

std::string CheckOutput(const OutputPlan& plan, const OutputFacts& facts) {
  if (!facts.video || facts.video->packets == 0) return "the output holds no picture";
  const StreamFacts& video = *facts.video;
  if (video.codec != plan.videoCodec)
    return "the output's picture is " + video.codec + ", not the planned " + plan.videoCodec;
  if (video.width != plan.width || video.height != plan.height)
    return "the output's picture is " + std::to_string(video.width) + "x" + std::to_string(video.height) +
           ", not the planned " + std::to_string(plan.width) + "x" + std::to_string(plan.height);
  const double held = video.end - video.start;
  if (!Near(held, plan.videoSeconds, plan.frameSeconds))
    return "the output holds " + Decimal(held) + " s of the planned " + Decimal(plan.videoSeconds) + " s";
  const auto frames = [&](std::int64_t count) { return static_cast<double>(count) * plan.frameSeconds; };
  if (plan.frames > 0 && !Near(frames(video.packets), frames(plan.frames), plan.frameSeconds))
    return "the output holds " + std::to_string(video.packets) + " frames of the planned " +
           std::to_string(plan.frames);
  if (!plan.sound) return "";
  if (!facts.audio || facts.audio->packets == 0) return "no sound stream";
  constexpr double kSoundSlack = 0.1;
  const double sound = facts.audio->end - facts.audio->start;
  if (std::fabs(sound - plan.soundSeconds) > kSoundSlack)
    return "the output's sound lasts " + Decimal(sound) + " s of the planned " + Decimal(plan.soundSeconds) + " s";
  return "";
}

std::uint32_t CheckTimeLimitMs(std::uint32_t proberMs, std::uint64_t bytes) {
  const std::uint64_t ms = proberMs + bytes / 20'000;  // a millisecond for every 20 kB
  return ms > 0xFFFF'0000u ? 0xFFFF'0000u : static_cast<std::uint32_t>(ms);
}

}  // namespace velto
