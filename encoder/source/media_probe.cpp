#include "encoder/source/media_probe.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>
#include <utility>
#include <nlohmann/json.hpp>

namespace velto {
namespace {

using nlohmann::json;

std::optional<double> NumberField(const json& object, const char* key) {
  const auto it = object.find(key);
  if (it == object.end()) return std::nullopt;
  if (it->is_number()) return it->get<double>();
  if (it->is_string()) {
    const std::string text = it->get<std::string>();
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0' || !std::isfinite(value)) return std::nullopt;
    return value;
  }
  return std::nullopt;
}

// "30000/1001" or "16:9" as a fraction; {0,1} when absent or meaningless.
Fraction RatioField(const json& object, const char* key, char separator) {
  const auto it = object.find(key);
  if (it == object.end() || !it->is_string()) return {0, 1};
  const std::string text = it->get<std::string>();
  const auto at = text.find(separator);
  if (at == std::string::npos) return {0, 1};
  const std::string num = text.substr(0, at), den = text.substr(at + 1);
  char* end = nullptr;
  const long long n = std::strtoll(num.c_str(), &end, 10);
  if (end == num.c_str() || *end) return {0, 1};
  const long long d = std::strtoll(den.c_str(), &end, 10);
  if (end == den.c_str() || *end) return {0, 1};
  if (n <= 0 || d <= 0) return {0, 1};
  return {n, d};
}

// A count no real file reaches is no count (and would not fit the field).
bool IsFrameCount(double n) { return n > 0 && n <= 1e12; }

// A stream's start and end as the prober states them; the end 0 when it
// states no length.
std::pair<double, double> StreamSpan(const json& stream) {
  const double start = NumberField(stream, "start_time").value_or(0);
  const auto length = NumberField(stream, "duration");
  if (!std::isfinite(start) || !length || !std::isfinite(*length) || *length <= 0) return {start, 0};
  return {start, start + *length};
}

}  // namespace

std::optional<SourceInfo> ParseProbeJson(const std::string& text) {
  const json root = json::parse(text, nullptr, /*allow_exceptions=*/false);
  if (root.is_discarded() || !root.is_object()) return std::nullopt;
  SourceInfo info;
  std::optional<double> videoDuration;
  if (const auto streams = root.find("streams"); streams != root.end() && streams->is_array()) {
    for (const auto& stream : *streams) {
      if (!stream.is_object()) continue;
      const auto type = stream.find("codec_type");
      if (type == stream.end() || !type->is_string()) continue;
      if (*type == "video" && !info.hasVideo) {
        // Cover pictures are no video.
        if (const auto d = stream.find("disposition"); d != stream.end() && d->is_object()) {
          const auto pic = d->find("attached_pic");
          if (pic != d->end() && pic->is_number() && pic->get<double>() == 1.0) continue;
        }
        const auto w = NumberField(stream, "width"), h = NumberField(stream, "height");
        if (!w || !h || *w < 1 || *h < 1 || *w > 65535 || *h > 65535) continue;
        info.hasVideo = true;
        info.width = static_cast<int>(*w);
        info.height = static_cast<int>(*h);
        const Fraction sar = RatioField(stream, "sample_aspect_ratio", ':');
        if (sar.num > 0 && sar.Value() > 0.1 && sar.Value() < 10) info.sampleAspect = sar;
        info.frameRate = RatioField(stream, "avg_frame_rate", '/');
        if (info.frameRate.num == 0) info.frameRate = RatioField(stream, "r_frame_rate", '/');
        if (const auto n = NumberField(stream, "nb_read_packets"); n && IsFrameCount(*n))
          info.frameCount = static_cast<std::int64_t>(*n);
        else if (const auto f = NumberField(stream, "nb_read_frames"); f && IsFrameCount(*f))
          info.frameCount = static_cast<std::int64_t>(*f);
        videoDuration = NumberField(stream, "duration");
        std::tie(info.videoStart, info.videoEnd) = StreamSpan(stream);
      } else if (*type == "audio" && !info.hasAudio) {
        const auto channels = NumberField(stream, "channels");
        const auto rate = NumberField(stream, "sample_rate");
        if (!channels || !rate || *channels < 1 || *rate < 1) continue;
        info.hasAudio = true;
        info.channels = static_cast<int>(std::min(*channels, 64.0));
        info.sampleRate = static_cast<int>(std::min(*rate, 1e6));
        std::tie(info.audioStart, info.audioEnd) = StreamSpan(stream);
      }
    }
  }
  if (const auto format = root.find("format"); format != root.end() && format->is_object()) {
    if (const auto d = NumberField(*format, "duration")) info.durationSeconds = *d;
    // The streams' times on the source's own clock.
    const double start = NumberField(*format, "start_time").value_or(0);
    if (std::isfinite(start)) {
      for (double* time : {&info.videoStart, &info.videoEnd, &info.audioStart, &info.audioEnd})
        if (*time != 0) *time = std::max(0.0, *time - start);
    }
    if (const auto name = format->find("format_name"); name != format->end() && name->is_string())
      info.formatName = name->get<std::string>();
  }
  if ((info.durationSeconds <= 0 || !std::isfinite(info.durationSeconds)) && videoDuration)
    info.durationSeconds = *videoDuration;
  if (!std::isfinite(info.durationSeconds) || info.durationSeconds < 0 || info.durationSeconds > 1e9)
    info.durationSeconds = 0;
  return info;
}

bool FrameRateNeedsCounting(const SourceInfo& info) {
  if (info.frameRate.num <= 0 || info.frameRate.den <= 0) return true;
  const double fps = info.frameRate.Value();
  return fps < 1.0 || fps > 240.0;
}

ProbeReport MakeProbeReport(const SourceInfo& info) {
  ProbeReport report;
  if (!info.hasVideo) return report;
  const double seconds = info.durationSeconds;
  const auto wholeSeconds = [](double s) {
    return static_cast<std::int32_t>(std::clamp(std::llround(s), 1LL, static_cast<long long>(INT32_MAX)));
  };
  if (seconds > 0) report.durationSeconds = wholeSeconds(seconds);
  if (info.statedSeconds - std::max(seconds, 0.0) > 1.0) report.statedSeconds = wholeSeconds(info.statedSeconds);
  report.width = info.width;
  report.height = info.height;
  double fps = FrameRateNeedsCounting(info) ? 0.0 : info.frameRate.Value();
  if (fps == 0.0 && info.frameCount > 0 && seconds > 0) fps = info.frameCount / seconds;
  if (fps > 0) {
    const double scaled = std::round(fps * 10'000'000.0);
    report.frameRate = static_cast<std::int32_t>(std::clamp(scaled, 1.0, static_cast<double>(INT32_MAX)));
  }
  return report;
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

}  // namespace velto
