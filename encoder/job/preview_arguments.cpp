#include "encoder/job/preview_arguments.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "encoder/job/argument_text.h"
#include "encoder/job/disc_rules.h"

namespace velto {
namespace {

// A last frame is looked for in this much of the picture before its end:
// enough for a key frame in any source here, little to decode.
constexpr double kLastFrameSpan = 2.0;

// Times here are on the source's clock, which starts with its earliest
// packet, as the conversion's output's does.

// Where the source's picture ends; 0 when not known.
double PictureEnd(const SourceInfo& source) {
  return source.videoEnd > 0 ? source.videoEnd : source.durationSeconds;
}

// The rate the output's frames come at: its constant rate when it has one,
// else the source's own when that can be believed.
std::optional<Fraction> OutputRate(const EncoderJob& job, const SourceInfo& source) {
  const std::optional<DiscRules> discRules = DiscRulesFor(job);
  std::optional<Fraction> rate = PlanFrameRate(job, source, discRules ? &*discRules : nullptr);
  if (!rate && !FrameRateNeedsCounting(source)) rate = source.frameRate;
  return rate;
}

std::int32_t WholeSeconds(double seconds) {
  return static_cast<std::int32_t>(std::clamp(std::floor(seconds + 1e-6), 0.0, double{INT32_MAX}));
}

}  // namespace

std::vector<PreviewDecode> PlanPreviewDecodes(const SourceInfo& source, double seconds) {
  std::vector<PreviewDecode> decodes;
  const double end = PictureEnd(source);
  if (end <= 0 || seconds < end) decodes.push_back({seconds, false});
  const double tail = std::max(0.0, (end > 0 ? std::min(seconds, end) : seconds) - kLastFrameSpan);
  decodes.push_back({tail, true});
  if (tail > 0) decodes.push_back({0.0, true});
  return decodes;
}

std::vector<std::string> PreviewArguments(const EncoderJob& job, const SourceInfo& source,
                                          const PreviewDecode& decode) {
  const std::optional<DiscRules> discRules = DiscRulesFor(job);
  Arguments args = {"-hide_banner", "-loglevel", "error", "-nostats"};
  // Before the input: ffmpeg seeks by the index, then decodes from the key
  // frame before the moment and gives the first frame from there on. Half
  // a frame early, that is the frame nearest the moment, which a constant
  // output rate shows then.
  const auto rate = OutputRate(job, source);
  const double from = std::max(0.0, decode.fromSeconds - (rate ? 0.5 / rate->Value() : 0.0));
  if (from > 0) Add(args, {"-ss", Precise(from)});
  Add(args, {"-i", FileUrl(job.source), "-map", "0:v:0"});
  Append(args, PictureArguments(job, source, discRules ? &*discRules : nullptr));
  if (!decode.lastFrame) Add(args, {"-frames:v", "1"});
  Add(args, {"-an", "-sn", "-pix_fmt", "bgr24", "-f", "rawvideo", "pipe:1"});
  return args;
}

FrameSize PreviewFrameSize(const EncoderJob& job, const SourceInfo& source) {
  const std::optional<DiscRules> discRules = DiscRulesFor(job);
  return PlannedFrameSize(job, source, discRules ? &*discRules : nullptr);
}

std::int32_t ShownSecond(const EncoderJob& job, const SourceInfo& source, const PreviewDecode& decode,
                         double askedSeconds, std::int64_t frames) {
  if (!decode.lastFrame) return WholeSeconds(askedSeconds);
  const auto rate = OutputRate(job, source);
  const double end = PictureEnd(source);
  double shown = rate && frames > 0 ? decode.fromSeconds + static_cast<double>(frames - 1) / rate->Value() : end;
  // A constant rate may repeat the last frame up to the picture's end.
  if (end > 0) shown = std::min(shown, rate ? end - 1 / rate->Value() : end);
  return WholeSeconds(std::min(shown, askedSeconds));
}

std::string BitmapFile(int width, int height, std::string_view bgrRows) {
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
  const std::size_t stride = (rowBytes + 3) / 4 * 4;
  const std::size_t imageBytes = stride * static_cast<std::size_t>(height);
  constexpr std::size_t kHeaderBytes = 14 + 40;
  std::string file;
  file.reserve(kHeaderBytes + imageBytes);
  auto put = [&file](std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) file.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
  };
  // BITMAPFILEHEADER
  file += "BM";
  put(static_cast<std::uint32_t>(kHeaderBytes + imageBytes), 4);
  put(0, 4);
  put(kHeaderBytes, 4);
  // BITMAPINFOHEADER: a positive height, rows from the bottom; no compression.
  put(40, 4);
  put(static_cast<std::uint32_t>(width), 4);
  put(static_cast<std::uint32_t>(height), 4);
  put(1, 2);
  put(24, 2);
  put(0, 4);
  put(static_cast<std::uint32_t>(imageBytes), 4);
  put(2835, 4);  // 72 dpi
  put(2835, 4);
  put(0, 4);
  put(0, 4);
  for (int row = height - 1; row >= 0; --row) {
    file.append(bgrRows.substr(static_cast<std::size_t>(row) * rowBytes, rowBytes));
    file.append(stride - rowBytes, '\0');
  }
  return file;
}

}  // namespace velto
