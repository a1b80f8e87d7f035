#include "ui/preview_text.h"

#include <cmath>
#include <cstdio>
#include <string_view>

#include "engine/encoding_profiles.h"
#include "settings/format_traits.h"
#include "settings/value_lists.h"

namespace velto {
namespace {

// "16/9" or "2.21/1"; 0 when the text is no ratio.
double RatioValue(const std::string& text) {
  double num = 0.0, den = 0.0;
  if (std::sscanf(text.c_str(), "%lf/%lf", &num, &den) != 2 || !(num > 0.0) || !(den > 0.0)) return 0.0;
  return num / den;
}

// The format's name in the format list, without " Format (*.ext)".
std::string_view FormatName(std::int32_t format) {
  const std::size_t index =
      format >= 0 && static_cast<std::size_t>(format) < kOutputFormatTexts.size() ? static_cast<std::size_t>(format) : 0;
  const std::string_view text = kOutputFormatTexts[index];
  return text.substr(0, text.find(" Format"));
}

// A rate to three decimals at most: "29.97", "25".
std::string RateText(double fps) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", fps);
  std::string rate(text);
  while (!rate.empty() && rate.back() == '0') rate.pop_back();
  if (!rate.empty() && rate.back() == '.') rate.pop_back();
  return rate;
}

}  // namespace

OutputFrame OutputFrameFor(const ConversionSettings& settings, const MediaEntry& source) {
  EncodingParameters params;
  SelectOutputSize(settings, params);
  SelectAspectText(settings, params);
  SelectFrameRate(settings, source.frameRate, params);
  OutputFrame frame;
  const bool scaled = params.outputWidth > 0 && params.outputHeight > 0;
  // The source's own size keeps even sides, as the encoders want them.
  frame.width = scaled ? params.outputWidth : source.width - source.width % 2;
  frame.height = scaled ? params.outputHeight : source.height - source.height % 2;
  const double stated = RatioValue(params.aspectText);
  const double own = frame.height > 0 ? static_cast<double>(frame.width) / frame.height : 1.0;
  const double sourceAspect = source.width > 0 && source.height > 0 ? static_cast<double>(source.width) / source.height : 0.0;
  frame.statedAspect = stated > 0.0;
  const double frameAspect = frame.statedAspect ? stated : own;
  frame.letterboxed = settings.letterbox != 0 && scaled && sourceAspect > 0.0 &&
                      std::fabs(sourceAspect / frameAspect - 1.0) > 0.01;
  // A frame scaled without bars keeps the source's shape through its pixels.
  if (frame.statedAspect) {
    frame.displayAspect = stated;
  } else if (scaled && !frame.letterboxed && sourceAspect > 0.0) {
    frame.displayAspect = sourceAspect;
  } else {
    frame.displayAspect = own;
  }
  frame.fps = params.outputFps > 0.0 && params.outputFps < kFpsUnlimited ? params.outputFps : source.frameRate;
  return frame;
}

std::string OutputDescription(const ConversionSettings& settings, const MediaEntry& source) {
  const OutputFrame frame = OutputFrameFor(settings, source);
  std::string text(FormatName(settings.outputFormat));
  text += ", " + std::to_string(frame.width) + " x " + std::to_string(frame.height);
  if (frame.statedAspect) {
    EncodingParameters params;
    SelectAspectText(settings, params);
    std::string aspect = params.aspectText;
    if (const std::size_t slash = aspect.find('/'); slash != std::string::npos) aspect[slash] = ':';
    text += ", " + aspect;
  }
  if (frame.letterboxed) text += ", letterboxed";
  if (frame.fps > 0.0) text += ", " + RateText(frame.fps) + " fps";
  return text;
}

DisplayRect FitDisplayRect(double aspect, int areaWidth, int areaHeight) {
  if (areaWidth <= 0 || areaHeight <= 0 || !(aspect > 0.0) || !std::isfinite(aspect)) return {};
  int width = areaWidth;
  int height = static_cast<int>(std::lround(areaWidth / aspect));
  if (height > areaHeight) {
    height = areaHeight;
    width = static_cast<int>(std::lround(areaHeight * aspect));
  }
  width = width < 1 ? 1 : width;
  height = height < 1 ? 1 : height;
  return {(areaWidth - width) / 2, (areaHeight - height) / 2, width, height};
}

}  // namespace velto
