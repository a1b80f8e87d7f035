#pragma once
// What ffmpeg's prober tells about a source, read from its JSON output
// (-print_format json -show_format -show_streams [-count_packets]).
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "encoder/common/fraction.h"

namespace velto {

struct SourceInfo {
  bool hasVideo = false;
  int width = 0, height = 0;
  Fraction sampleAspect{1, 1};     // pixel aspect
  Fraction frameRate{0, 1};        // average; {0,1} when unknown
  std::int64_t frameCount = 0;     // counted packets, 0 when not counted
  bool hasAudio = false;
  int channels = 0;
  int sampleRate = 0;
  double durationSeconds = 0;      // 0 when unknown
  double statedSeconds = 0;        // a file cut short: the length its header states; else 0
  std::string formatName;
  // Where the first video and audio streams begin and end, in seconds on
  // the source's own clock, which starts with its earliest packet; an end
  // of 0 when it is not known. A conversion of the whole source holds what
  // lies between them.
  double videoStart = 0, videoEnd = 0;
  double audioStart = 0, audioEnd = 0;

  double DisplayAspect() const {
    return height > 0 ? width * sampleAspect.Value() / height : 0.0;
  }
};

// nullopt when the text is no prober output at all.
std::optional<SourceInfo> ParseProbeJson(const std::string& json);

// A stated rate that a source of this kind cannot really have: none, below
// one frame a second, or above 240 (ASF files often state 1000).
bool FrameRateNeedsCounting(const SourceInfo& info);

// The four values a probe reports: duration in whole seconds (rounded, a
// clip shorter than a second gives 1), width, height and frames a second
// times 10 000 000. Any of them 0 means the source cannot be converted.
// A source cut short more than a second before the length its header
// states also gets that length in whole seconds (rounded); else it is 0.
struct ProbeReport {
  std::int32_t durationSeconds = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t frameRate = 0;
  std::int32_t statedSeconds = 0;
};

ProbeReport MakeProbeReport(const SourceInfo& info);

// "file:" before a path, so that nothing in it is read as a protocol.
std::string FileUrl(const std::string& path);

// The prober's arguments for a source; counting reads every packet.
std::vector<std::string> ProbeArguments(const std::string& source, bool countFrames);

}  // namespace velto
