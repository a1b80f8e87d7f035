#include "encoder/engine_arguments.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>

#include "encoder/segment_plan.h"

namespace velto {
namespace {

bool IsDisc(Container c) { return c == Container::kVcd || c == Container::kSvcd || c == Container::kDvd; }

std::string Text(std::int64_t n) { return std::to_string(n); }

std::string FractionText(const Fraction& f) {
  return f.den == 1 ? Text(f.num) : Text(f.num) + "/" + Text(f.den);
}

// The nearest even size, kept within what any encoder here takes.
int Even(double value) {
  const double clamped = std::clamp(std::isfinite(value) ? value : 2.0, 2.0, 16384.0);
  return static_cast<int>(std::lround(clamped / 2.0)) * 2;
}

std::string Seconds(double seconds) {
  if (seconds == std::floor(seconds)) return Text(static_cast<std::int64_t>(seconds));
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.3f", seconds);
  return buffer;
}

// The limits of one disc standard, from the Video CD, Super Video CD and
// DVD-Video books.
struct DiscRules {
  bool pal = false;
  int width = 0, height = 0;
  Fraction fps;
  int maxGop = 0;
  std::int64_t maxVideoRate = 0;  // bit/s
  std::int64_t maxBuffer = 0;     // bits
  int sampleRate = 0;
  const char* muxer = "";
  int packetSize = 0;
  std::int64_t muxRate = 0;       // bit/s, 0 to let the muxer count
};

bool IsPalHeight(int h) { return h == 288 || h == 576; }
bool IsNtscHeight(int h) { return h == 240 || h == 480; }

// PAL or NTSC, from the frame height asked for, else the frame rate, else
// the key-frame interval (15 is PAL's).
bool WantsPal(const EncoderJob& job) {
  const auto& p = job.picture;
  const int h = p.expand ? p.expandHeight : (p.scale ? p.scaleHeight : 0);
  if (IsPalHeight(h)) return true;
  if (IsNtscHeight(h)) return false;
  if (job.outputFps && std::fabs(job.outputFps->Value() - 25.0) < 0.01) return true;
  return job.video.keyint && *job.video.keyint == 15;
}

DiscRules RulesFor(const EncoderJob& job) {
  DiscRules r;
  r.pal = WantsPal(job);
  r.height = 0;
  r.maxGop = r.pal ? 15 : 18;
  r.fps = r.pal ? Fraction{25, 1} : Fraction{30000, 1001};
  switch (job.container) {
    case Container::kVcd:
      r.width = 352;
      r.height = r.pal ? 288 : 240;
      // NTSC Video CDs may carry film at 23.976 frames a second as well.
      if (!r.pal && job.outputFps && std::fabs(job.outputFps->Value() - 24000.0 / 1001) < 0.001)
        r.fps = {24000, 1001};
      r.maxVideoRate = 1'152'000;
      r.maxBuffer = 327'680;
      r.sampleRate = 44100;
      r.muxer = "vcd";
      r.packetSize = 2324;
      r.muxRate = 1'411'200;
      break;
    case Container::kSvcd:
      r.width = 480;
      r.height = r.pal ? 576 : 480;
      r.maxVideoRate = 2'600'000;
      r.maxBuffer = 917'504;
      r.sampleRate = 44100;
      r.muxer = "svcd";
      r.packetSize = 2324;
      break;
    default: {
      const auto& p = job.picture;
      const int w = p.expand ? p.expandWidth : (p.scale ? p.scaleWidth : 0);
      r.width = (w == 720 || w == 704 || w == 352) ? w : 720;
      r.height = r.pal ? 576 : 480;
      r.maxVideoRate = 9'800'000;
      r.maxBuffer = 1'835'008;
      r.sampleRate = 48000;
      r.muxer = "dvd";
      r.packetSize = 2048;
      r.muxRate = 10'080'000;
      break;
    }
  }
  return r;
}

// The picture's way from the source size to the output frame.
struct Geometry {
  int imageWidth = 0, imageHeight = 0;  // the scaled picture
  int frameWidth = 0, frameHeight = 0;  // with the bars
  std::optional<Fraction> pixelAspect;  // set when the pixels' shape is decided here
};

Fraction Reduced(std::int64_t num, std::int64_t den) {
  const std::int64_t g = std::gcd(num, den);
  return g > 0 ? Fraction{num / g, den / g} : Fraction{num, den};
}

// Fits the source's display aspect inside a W x H frame whose display aspect
// is `frameAspect` (W/H with square pixels when none is given).
Geometry FitInside(const SourceInfo& source, int w, int h, std::optional<Fraction> frameAspect) {
  Geometry g;
  g.frameWidth = w;
  g.frameHeight = h;
  const double pixel = frameAspect ? frameAspect->Value() * h / w : 1.0;
  const double sourceAspect = source.DisplayAspect();
  double imageWidth = sourceAspect * h / pixel;
  double imageHeight = h;
  if (imageWidth > w) {
    imageWidth = w;
    imageHeight = w * pixel / sourceAspect;
  }
  g.imageWidth = std::min(w, Even(imageWidth));
  g.imageHeight = std::min(h, Even(imageHeight));
  g.pixelAspect = frameAspect ? Reduced(frameAspect->num * h, frameAspect->den * w) : Fraction{1, 1};
  return g;
}

Geometry PlanGeometry(const EncoderJob& job, const SourceInfo& source, const DiscRules* disc) {
  const auto& p = job.picture;
  const auto aspect = job.video.aspect;
  if (disc) {
    // Exactly the disc's frame, or the picture fitted into it with bars.
    const bool exact = p.scale && !p.expand && p.scaleWidth == disc->width && p.scaleHeight == disc->height;
    if (exact) return {disc->width, disc->height, disc->width, disc->height, std::nullopt};
    return FitInside(source, disc->width, disc->height, aspect);
  }
  Geometry g;
  if (!p.scale) {
    // Most encoders need even sides.
    g.imageWidth = g.frameWidth = source.width - source.width % 2;
    g.imageHeight = g.frameHeight = source.height - source.height % 2;
    if (g.imageWidth < 2 || g.imageHeight < 2) g.imageWidth = g.frameWidth = g.imageHeight = g.frameHeight = 2;
    return g;
  }
  int w = p.scaleWidth == kScaleOriginal ? source.width : p.scaleWidth;
  int h = p.scaleHeight == kScaleOriginal ? source.height : p.scaleHeight;
  if (p.expand) {
    const bool fits = w > 0 && h > 0 && w <= p.expandWidth && h <= p.expandHeight;
    if (!fits) return FitInside(source, p.expandWidth, p.expandHeight, aspect);
    g.imageWidth = Even(w);
    g.imageHeight = Even(h);
    g.frameWidth = p.expandWidth;
    g.frameHeight = p.expandHeight;
    return g;
  }
  if (w == kScaleKeepAspect) {
    w = Even(h * source.DisplayAspect());
    g.pixelAspect = Fraction{1, 1};
  } else if (h == kScaleKeepAspect) {
    h = Even(w / source.DisplayAspect());
    g.pixelAspect = Fraction{1, 1};
  }
  g.imageWidth = g.frameWidth = Even(w);
  g.imageHeight = g.frameHeight = Even(h);
  return g;
}

// A filter chain as the engine takes it; empty filters are left out.
std::string JoinFilters(const std::vector<std::string>& filters) {
  std::string chain;
  for (const auto& f : filters)
    if (!f.empty()) chain += (chain.empty() ? "" : ",") + f;
  return chain;
}

const char* ScalerName(int sws) {
  static const char* const kNames[] = {"fast_bilinear", "bilinear", "bicubic", "experimental",
                                       "neighbor",      "area",     "bicublin", "gauss",
                                       "sinc",          "lanczos",  "spline"};
  return kNames[std::clamp(sws, 0, 10)];
}

std::string VideoFilterChain(const EncoderJob& job, const SourceInfo& source, const Geometry& g) {
  std::vector<std::string> filters;
  if (g.imageWidth != source.width || g.imageHeight != source.height) {
    filters.push_back("scale=" + Text(g.imageWidth) + ":" + Text(g.imageHeight) +
                      ":flags=" + ScalerName(job.picture.swsMode));
  }
  if (g.frameWidth != g.imageWidth || g.frameHeight != g.imageHeight) {
    const int x = (g.frameWidth - g.imageWidth) / 2 / 2 * 2;
    const int y = (g.frameHeight - g.imageHeight) / 2 / 2 * 2;
    filters.push_back("pad=" + Text(g.frameWidth) + ":" + Text(g.frameHeight) + ":" + Text(x) + ":" +
                      Text(y) + ":black");
  }
  if (g.pixelAspect) filters.push_back("setsar=" + FractionText(*g.pixelAspect));
  return JoinFilters(filters);
}

// The nearest of the rates an MPEG-1/2 video stream can state.
Fraction NearestMpegRate(double fps) {
  static const Fraction kRates[] = {{24000, 1001}, {24, 1}, {25, 1},       {30000, 1001},
                                    {30, 1},       {50, 1}, {60000, 1001}, {60, 1}};
  Fraction best = kRates[0];
  for (const auto& r : kRates)
    if (std::fabs(r.Value() - fps) < std::fabs(best.Value() - fps)) best = r;
  return best;
}

int Nearest(int value, std::initializer_list<int> allowed) {
  int best = *allowed.begin();
  for (int a : allowed)
    if (std::abs(a - value) < std::abs(best - value)) best = a;
  return best;
}

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

int SampleRate(AudioCodec codec, int wanted) {
  switch (codec) {
    case AudioCodec::kMp2:
      return Nearest(wanted, {44100, 48000, 32000, 22050, 24000, 16000});
    case AudioCodec::kAc3:
      return Nearest(wanted, {48000, 44100, 32000});
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
    default: return "";
  }
}

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

// Why the job cannot be carried out with this source; empty when it can.
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
  return "";
}

using Arguments = std::vector<std::string>;

void Add(Arguments& args, std::initializer_list<std::string> items) { args.insert(args.end(), items); }

// ---- audio ------------------------------------------------------------------

// Where the output's sound comes from and what shape it has.
struct AudioPlan {
  bool keepSource = false;   // the source's first audio stream, encoded
  bool silentTrack = false;  // made up: a disc always carries sound
  int channels = 0;
  int sampleRate = 0;
};

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
  if (job.container == Container::kVcd || job.container == Container::kSvcd) channels = 2;
  plan.channels = std::clamp(channels, 1, MaxChannels(a.codec));
  const int sampleRate =
      disc ? disc->sampleRate
           : a.sampleRate.value_or(a.resampleRate.value_or(source.sampleRate > 0 ? source.sampleRate : 44100));
  plan.sampleRate = SampleRate(a.codec, sampleRate);
  return plan;
}

// The engine's inputs (the source, and the silent track when one is made)
// and which of their streams go into the output.
// What every engine run starts with: quiet, progress on the output pipe.
Arguments EngineHead() { return {"-hide_banner", "-loglevel", "error", "-nostats", "-progress", "pipe:1", "-y"}; }

// The source, and the silent track when one is made.
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

Arguments InputArguments(const EncoderJob& job, const SourceInfo& source, const AudioPlan& audio) {
  Arguments args = EngineHead();
  const Arguments inputs = SourceInputs(job, source, audio);
  args.insert(args.end(), inputs.begin(), inputs.end());
  Add(args, {"-map", "0:v:0"});
  MapAudio(args, audio);
  return args;
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
    if (std::string channels = ChannelFilter(source.channels, plan.channels); !channels.empty())
      filters.push_back(std::move(channels));
    filters.push_back("aformat=sample_rates=" + Text(plan.sampleRate) + ":channel_layouts=" +
                      LayoutName(plan.channels));
    Add(args, {"-af", JoinFilters(filters)});
  }
  Add(args, {"-c:a", AudioEncoderName(a.codec)});
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

// ---- picture ----------------------------------------------------------------

// The output's constant frame rate; none keeps the source's own frame times.
std::optional<Fraction> PlanFrameRate(const EncoderJob& job, const SourceInfo& source, const DiscRules* disc) {
  if (disc) return disc->fps;
  std::optional<Fraction> rate = job.outputFps;
  if (rate && IsAsfTimeBaseRate(*rate)) rate.reset();
  const VideoCodec codec = job.video.codec;
  if (codec == VideoCodec::kMpeg1 || codec == VideoCodec::kMpeg2) {
    // MPEG video states one of a few rates only.
    const double fps = rate ? rate->Value()
                            : (FrameRateNeedsCounting(source) ? 25.0 : source.frameRate.Value());
    rate = NearestMpegRate(fps);
  }
  return rate;
}

// The scaling and bars, and the frame rate; `first` goes before the
// scaling when given.
Arguments PictureArguments(const EncoderJob& job, const SourceInfo& source, const DiscRules* disc,
                           const std::string& first = "") {
  Arguments args;
  const std::string filters =
      JoinFilters({first, VideoFilterChain(job, source, PlanGeometry(job, source, disc))});
  if (!filters.empty()) Add(args, {"-vf", filters});
  if (const auto rate = PlanFrameRate(job, source, disc)) {
    Add(args, {"-r", FractionText(*rate), "-vsync", "cfr"});
  } else if (job.outputFps) {
    Add(args, {"-vsync", "passthrough"});  // the source's own frame times
  }
  return args;
}

// ---- rate control -----------------------------------------------------------

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

// The video encoder, its tag, rate control, quantizer limits, key-frame
// interval and stated aspect.
Arguments VideoArguments(const EncoderJob& job, const DiscRules* disc) {
  const auto& v = job.video;
  Arguments args = {"-c:v", VideoEncoderName(v.codec)};
  std::string tag = v.fourcc;
  if (v.codec == VideoCodec::kXvid && tag.empty()) tag = "XVID";
  if (!tag.empty() && job.container == Container::kAvi) Add(args, {"-vtag", tag});
  const Arguments rates = RateControlArguments(PlanRateControl(job, disc));
  args.insert(args.end(), rates.begin(), rates.end());
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
  if (v.aspect) Add(args, {"-aspect", Text(v.aspect->num) + ":" + Text(v.aspect->den)});
  Add(args, {"-pix_fmt", "yuv420p", "-threads", "0"});
  return args;
}

// ---- container --------------------------------------------------------------

// The output's muxer with its settings.
Arguments MuxerArguments(const EncoderJob& job, const DiscRules* disc) {
  Arguments args;
  switch (job.container) {
    case Container::kAvi: Add(args, {"-f", "avi"}); break;
    case Container::kAsf: Add(args, {"-f", "asf"}); break;
    case Container::kMpeg: Add(args, {"-f", job.video.codec == VideoCodec::kMpeg2 ? "vob" : "mpeg"}); break;
    default:
      Add(args, {"-f", disc->muxer, "-packetsize", Text(disc->packetSize)});
      if (disc->muxRate) Add(args, {"-muxrate", Text(disc->muxRate)});
      if (job.container == Container::kVcd) Add(args, {"-muxpreload", "0.44"});
      break;
  }
  return args;
}

// The output's length, muxer and file.
Arguments ContainerArguments(const EncoderJob& job, const DiscRules* disc) {
  Arguments args;
  if (job.endSeconds) Add(args, {"-t", Seconds(*job.endSeconds)});
  const Arguments muxer = MuxerArguments(job, disc);
  args.insert(args.end(), muxer.begin(), muxer.end());
  Add(args, {FileUrl(job.output)});
  return args;
}

// ---- a conversion split by time ---------------------------------------------

// The parts are written in the output's own container family, so that the
// join copies what the output takes; the sound goes into ASF, which keeps
// its exact start against the picture's.
const char* PartMuxer(const EncoderJob& job) {
  switch (job.container) {
    case Container::kAvi: return "avi";
    case Container::kAsf: return "asf";
    default: return job.video.codec == VideoCodec::kMpeg2 ? "vob" : "mpeg";
  }
}

const char* PartExtension(const EncoderJob& job) {
  switch (job.container) {
    case Container::kAvi: return ".avi";
    case Container::kAsf: return ".asf";
    default: return ".mpg";
  }
}

constexpr char kSoundPart[] = "audio.asf";

// Seconds to the microsecond, for cuts between frames.
std::string Precise(double seconds) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.6f", seconds);
  return buffer;
}

// Where a range is cut from the source: half a frame before its first
// frame. Kept source times are cut a quarter of a millisecond later still,
// so that no millisecond-timed frame lies on a cut.
double CutSeconds(const FrameRange& range, double frameSeconds, bool constantRate) {
  if (range.first == 0) return 0.0;
  return (range.first - 0.5) * frameSeconds + (constantRate ? 0.0 : 0.00025);
}

// The engine run of one range, up to the next range's cut. The part's
// timeline is moved back from the cut to the range's first frame, so that
// it is the whole conversion's timeline less whole frames: the rate
// conversion picks the same source frames as one run would, and kept
// source times are rounded to the same frame times. At a constant rate the
// part stops after exactly its frames.
Arguments RangeArguments(const EncoderJob& job, const SourceInfo& source, const DiscRules* disc,
                         const FrameRange& range, double cut, double nextCut, double frameSeconds,
                         bool constantRate, int threads, const std::string& file) {
  Arguments args = EngineHead();
  if (cut > 0) Add(args, {"-ss", Precise(cut)});
  Add(args, {"-i", FileUrl(job.source), "-map", "0:v:0"});
  const double start = range.first * frameSeconds;
  const std::string move = cut > 0 ? "setpts=PTS-" + Precise(start - cut) + "/TB" : "";
  for (const Arguments& part : {PictureArguments(job, source, disc, move), VideoArguments(job, disc)})
    args.insert(args.end(), part.begin(), part.end());
  // The ranges already keep the processors busy side by side: each range's
  // encoder gets its share of them, not threads of its own for every one.
  const auto option = std::find(args.begin(), args.end(), "-threads");
  if (option != args.end() && option + 1 != args.end()) option[1] = Text(threads);
  Add(args, {"-an"});
  if (range.count > 0 && constantRate) {
    Add(args, {"-frames:v", Text(range.count)});
  } else if (range.count > 0) {
    Add(args, {"-t", Precise(nextCut - start)});
  } else if (job.endSeconds && *job.endSeconds < source.durationSeconds) {
    Add(args, {"-t", Precise(*job.endSeconds - start)});
  }
  Add(args, {"-f", PartMuxer(job), FileUrl(file)});
  return args;
}

// The whole sound, by itself.
Arguments SoundArguments(const EncoderJob& job, const SourceInfo& source, const AudioPlan& audio,
                         const std::string& file) {
  Arguments args = EngineHead();
  const Arguments inputs = SourceInputs(job, source, audio);
  args.insert(args.end(), inputs.begin(), inputs.end());
  MapAudio(args, audio);
  Add(args, {"-vn"});
  const Arguments sound = AudioArguments(job, source, audio);
  args.insert(args.end(), sound.begin(), sound.end());
  if (job.endSeconds) Add(args, {"-t", Seconds(*job.endSeconds)});
  Add(args, {"-f", "asf", FileUrl(file)});
  return args;
}

// A name in the join's list: quoted, a quote in it written as '\''.
std::string ListedFile(const std::string& path) {
  std::string quoted = "'";
  for (const char c : FileUrl(path)) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// The parts and the sound copied into the output, their times as written
// (the list states where each part begins). The list comes on the input:
// the join is started while the ranges are still encoding, and reads it
// once they are done. Its names are whole paths (-safe 0), opened by the
// file protocol. The engine's main thread reads every input itself: with
// two inputs each would get a reading thread of its own, whose queue the
// main loop looks at without waiting and, finding it empty, sleeps 10 ms.
Arguments JoinArguments(const EncoderJob& job, const DiscRules* disc, const std::string& folder, bool withSound) {
  Arguments args = EngineHead();
  Add(args, {"-copyts", "-safe", "0", "-protocol_whitelist", "file,pipe", "-thread_queue_size", "0", "-f", "concat",
             "-i", "pipe:0"});
  if (withSound) Add(args, {"-thread_queue_size", "0", "-i", FileUrl(folder + kSoundPart)});
  Add(args, {"-map", "0:v:0"});
  if (withSound) Add(args, {"-map", "1:a:0"});
  Add(args, {"-c", "copy"});
  std::string tag = job.video.fourcc;
  if (job.video.codec == VideoCodec::kXvid && tag.empty()) tag = "XVID";
  if (!tag.empty() && job.container == Container::kAvi) Add(args, {"-vtag", tag});
  if (job.video.aspect) Add(args, {"-aspect", Text(job.video.aspect->num) + ":" + Text(job.video.aspect->den)});
  const Arguments muxer = MuxerArguments(job, disc);
  args.insert(args.end(), muxer.begin(), muxer.end());
  Add(args, {FileUrl(job.output)});
  return args;
}

}  // namespace

std::optional<SplitArguments> TranslateSplitJob(const EncoderJob& job, const SourceInfo& source, int processors,
                                                const std::string& folder) {
  if (!Refusal(job, source).empty()) return std::nullopt;
  const double length = std::min(source.durationSeconds, job.endSeconds.value_or(source.durationSeconds));
  const int count = RangeCount(length, processors);
  if (count < 2) return std::nullopt;
  const std::optional<DiscRules> discRules =
      IsDisc(job.container) ? std::optional<DiscRules>(RulesFor(job)) : std::nullopt;
  const DiscRules* disc = discRules ? &*discRules : nullptr;
  // Frames are cut where their times are known beforehand: at a constant
  // output rate, or between the source's frames at its believable rate when
  // ASF keeps the source's own times.
  const std::optional<Fraction> rate = PlanFrameRate(job, source, disc);
  Fraction frameRate;
  if (rate) frameRate = *rate;
  else if (job.container == Container::kAsf && !FrameRateNeedsCounting(source)) frameRate = source.frameRate;
  else return std::nullopt;
  const double frameSeconds = 1.0 / frameRate.Value();
  const auto ranges = SplitFrames(std::llround(length / frameSeconds), count);
  if (ranges.size() < 2) return std::nullopt;

  SplitArguments split;
  split.partList = "ffconcat version 1.0\n";
  for (std::size_t i = 0; i < ranges.size(); ++i) {
    const bool last = i + 1 == ranges.size();
    const double cut = CutSeconds(ranges[i], frameSeconds, rate.has_value());
    const double nextCut = last ? 0.0 : CutSeconds(ranges[i + 1], frameSeconds, rate.has_value());
    const std::string name = "video-" + std::to_string(i + 1) + PartExtension(job);
    split.video.push_back(
        RangeArguments(job, source, disc, ranges[i], cut, nextCut, frameSeconds, rate.has_value(),
                       std::max(1, processors / static_cast<int>(ranges.size())), folder + name));
    split.frames.push_back(rate ? ranges[i].count : 0);
    split.files.push_back(name);
    // Each part begins after the frames of the parts before it; kept
    // source times are kept from the part's own zero, not its first frame.
    split.partList += "file " + ListedFile(folder + name) + "\n";
    if (!rate) split.partList += "inpoint 0\n";
    if (!last) split.partList += "duration " + Precise(ranges[i].count * frameSeconds) + "\n";
  }
  const AudioPlan audio = PlanAudio(job, source, disc);
  const bool withSound = audio.keepSource || audio.silentTrack;
  if (withSound) {
    split.audio = SoundArguments(job, source, audio, folder + kSoundPart);
    split.files.push_back(kSoundPart);
  }
  split.join = JoinArguments(job, disc, folder, withSound);
  return split;
}

std::string FileUrl(const std::string& path) { return "file:" + path; }

std::vector<std::string> ProbeArguments(const std::string& source, bool countFrames) {
  std::vector<std::string> args = {"-hide_banner", "-v", "error", "-print_format", "json",
                                   "-show_format", "-show_streams"};
  if (countFrames) {
    args.push_back("-count_packets");
    args.push_back("-select_streams");
    args.push_back("v:0");
  }
  args.push_back(FileUrl(source));
  return args;
}

EngineArguments TranslateJob(const EncoderJob& job, const SourceInfo& source) {
  EngineArguments result;
  result.error = Refusal(job, source);
  if (!result.error.empty()) return result;
  const std::optional<DiscRules> discRules =
      IsDisc(job.container) ? std::optional<DiscRules>(RulesFor(job)) : std::nullopt;
  const DiscRules* disc = discRules ? &*discRules : nullptr;
  const AudioPlan audio = PlanAudio(job, source, disc);
  for (const Arguments& part : {InputArguments(job, source, audio), PictureArguments(job, source, disc),
                                VideoArguments(job, disc), AudioArguments(job, source, audio),
                                ContainerArguments(job, disc)})
    result.arguments.insert(result.arguments.end(), part.begin(), part.end());
  return result;
}

}  // namespace velto
