#include "encoder/job/sound_arguments.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace velto {
namespace {

int Nearest(int value, std::initializer_list<int> allowed) {
  int best = *allowed.begin();
  for (int a : allowed)
    if (std::abs(a - value) < std::abs(best - value)) best = a;
  return best;
}

int SampleRate(AudioCodec codec, int wanted) {
  switch (codec) {
    case AudioCodec::kMp2:
      return Nearest(wanted, {44100, 48000, 32000, 22050, 24000, 16000});
    case AudioCodec::kAc3:
      return Nearest(wanted, {48000, 44100, 32000});
    case AudioCodec::kAac:
      return Nearest(wanted, {44100, 48000});
    case AudioCodec::kMp3Lame:
      return Nearest(wanted, {44100, 48000, 32000, 22050, 24000, 16000, 11025, 12000, 8000});
    default:
      return std::clamp(wanted, 8000, 48000);
  }
}

int MaxChannels(AudioCodec codec) { return codec == AudioCodec::kAc3 ? 6 : 2; }

const char* LayoutName(int channels) {
  static const char* const kLayouts[] = {"mono", "stereo", "2.1", "quad", "5.0", "5.1", "6.1", "7.1"};
  return kLayouts[std::clamp(channels, 1, 8) - 1];
}

// More channels than the source: mono goes to both front channels, other
// new channels stay silent. Fewer: the resampler's downmix, which keeps
// the centre channel's dialogue in the front pair.
std::string ChannelFilter(int in, int out) {
  if (out <= in) return "";
  std::string pan = std::string("pan=") + LayoutName(out);
  if (in == 1) return pan + "|c0=c0|c1=c0";
  for (int c = 0; c < in; ++c) pan += "|c" + Text(c) + "=c" + Text(c);
  return pan;
}

const char* AudioEncoderName(AudioCodec codec) {
  switch (codec) {
    case AudioCodec::kMp3Lame: return "libmp3lame";
    case AudioCodec::kMp2: return "mp2";
    case AudioCodec::kAc3: return "ac3";
    case AudioCodec::kWmav1: return "wmav1";
    case AudioCodec::kWmav2: return "wmav2";
    case AudioCodec::kAac: return "aac";
    default: return "";
  }
}

// A look-ahead limiter that holds every sample within the ceiling (dBFS):
// its gain falls ahead of a peak and comes back after it, never otherwise.
// Its delay is compensated, so the sound stays where it was; its own
// levelling (which would make up the gain it takes) is off.
std::string PeakLimiter(double ceilingDb) {
  char limiter[96];
  std::snprintf(limiter, sizeof limiter, "alimiter=limit=%.4f:level=0:latency=1", std::pow(10.0, ceilingDb / 20.0));
  return limiter;
}

}  // namespace

int AudioBitrate(AudioCodec codec, std::optional<int> asked) {
  switch (codec) {
    case AudioCodec::kMp2:
      return Nearest(asked.value_or(224), {32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384});
    case AudioCodec::kAc3:
      return Nearest(asked.value_or(192), {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256,
                                           320, 384, 448, 512, 576, 640});
    case AudioCodec::kWmav1:
    case AudioCodec::kWmav2:
      return std::max(asked.value_or(128), 24);
    default:
      return asked.value_or(128);
  }
}

AudioPlan PlanAudio(const EncoderJob& job, const SourceInfo& source, const DiscRules* disc) {
  const auto& a = job.audio;
  AudioPlan plan;
  const bool wanted = a.codec != AudioCodec::kNone;
  plan.silentTrack = wanted && disc && !source.hasAudio;
  plan.keepSource = wanted && source.hasAudio;
  const int sourceChannels = source.hasAudio ? source.channels : 2;
  int channels = a.channels.value_or(sourceChannels);
  if (a.codec == AudioCodec::kMp3Lame && a.lameMode) {
    // LAME's stereo modes give two channels. Its mono mode comes with the
    // channels the volume filter asks for, which decide: the source's own
    // channels up to that many, so stereo stays stereo and mono stays mono.
    if (*a.lameMode != 3) channels = 2;
    else channels = a.channels ? std::min(*a.channels, sourceChannels) : 1;
  }
  if (job.container == Container::kVcd || job.container == Container::kSvcd || a.codec == AudioCodec::kAac) channels = 2;
  plan.channels = std::clamp(channels, 1, MaxChannels(a.codec));
  const int sampleRate =
      disc ? disc->sampleRate
           : a.sampleRate.value_or(a.resampleRate.value_or(source.sampleRate > 0 ? source.sampleRate : 44100));
  plan.sampleRate = SampleRate(a.codec, sampleRate);
  return plan;
}

Arguments SourceInputs(const EncoderJob& job, const SourceInfo& source, const AudioPlan& audio) {
  Arguments args = {"-i", FileUrl(job.source)};
  if (audio.silentTrack) {
    const double length = std::min(source.durationSeconds > 0 ? source.durationSeconds : 1.0,
                                   job.endSeconds.value_or(1e9));
    Add(args, {"-f", "lavfi", "-t", Seconds(std::ceil(length * 1000) / 1000), "-i",
               "anullsrc=r=" + Text(audio.sampleRate) + ":cl=" + LayoutName(audio.channels)});
  }
  return args;
}

void MapAudio(Arguments& args, const AudioPlan& audio) {
  if (audio.keepSource) Add(args, {"-map", "0:a:0"});
  if (audio.silentTrack) Add(args, {"-map", "1:a:0"});
}

std::vector<std::string> SoundShapeFilters(const SourceInfo& source, const AudioPlan& plan) {
  return {ChannelFilter(source.channels, plan.channels),
          "aformat=sample_rates=" + Text(plan.sampleRate) + ":channel_layouts=" + LayoutName(plan.channels)};
}

Arguments AudioArguments(const EncoderJob& job, const SourceInfo& source, const AudioPlan& plan) {
  if (!plan.keepSource && !plan.silentTrack) return {"-an"};
  const auto& a = job.audio;
  Arguments args;
  if (plan.keepSource) {
    std::vector<std::string> filters;
    if (a.gainDb && *a.gainDb != 0.0) {
      char gain[48];
      std::snprintf(gain, sizeof gain, "volume=%gdB", *a.gainDb);
      filters.push_back(gain);
    }
    for (std::string& shape : SoundShapeFilters(source, plan)) filters.push_back(std::move(shape));
    if (a.peakCeilingDb) filters.push_back(PeakLimiter(*a.peakCeilingDb));
    Add(args, {"-af", JoinFilters(filters)});
  }
  Add(args, {"-c:a", AudioEncoderName(a.codec)});
  // The AAC encoder's fast coder: a quarter less processor time than its
  // default search at the rates offered (bench/README.md).
  if (a.codec == AudioCodec::kAac) Add(args, {"-aac_coder", "fast"});
  if (a.codec == AudioCodec::kMp3Lame) {
    const int kbit = a.bitrateKbit.value_or(128);
    if (a.lameVbr == 3) Add(args, {"-abr", "1", "-b:a", Text(kbit) + "k"});
    else if (a.lameVbr == 0) Add(args, {"-b:a", Text(kbit) + "k"});
    else Add(args, {"-q:a", Text(a.lameQuality.value_or(4))});
    if (a.lameMode && *a.lameMode == 0) Add(args, {"-joint_stereo", "0"});
  } else {
    Add(args, {"-b:a", Text(AudioBitrate(a.codec, a.bitrateKbit)) + "k"});
  }
  Add(args, {"-ar", Text(plan.sampleRate), "-ac", Text(plan.channels)});
  return args;
}

}  // namespace velto
