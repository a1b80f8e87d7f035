#include "encoder/job/picture_arguments.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

namespace velto {
namespace {

// The nearest even size, kept within what any encoder here takes.
int Even(double value) {
  const double clamped = std::clamp(std::isfinite(value) ? value : 2.0, 2.0, 16384.0);
  return static_cast<int>(std::lround(clamped / 2.0)) * 2;
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
    // MP4 players may ignore a stated pixel shape: the picture is drawn
    // with square pixels at the source's display aspect instead.
    const Fraction& pixel = source.sampleAspect;
    if (job.container == Container::kMp4 && pixel.num > 0 && pixel.den > 0 && pixel.num != pixel.den) {
      g.imageWidth = g.frameWidth = Even(g.imageHeight * source.DisplayAspect());
      g.pixelAspect = Fraction{1, 1};
    }
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

}  // namespace

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

FrameSize PlannedFrameSize(const EncoderJob& job, const SourceInfo& source, const DiscRules* disc) {
  const Geometry g = PlanGeometry(job, source, disc);
  return {g.frameWidth, g.frameHeight};
}

Arguments PictureArguments(const EncoderJob& job, const SourceInfo& source, const DiscRules* disc,
                           const std::string& first) {
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

}  // namespace velto
