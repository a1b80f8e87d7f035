#pragma once
// The limits of the disc formats (Video CD, Super Video CD, DVD), from their
// books: frame, rate, GOP, video rates and buffer, sound, muxer.
#include <cstdint>
#include <optional>

#include "encoder/job/encoder_job.h"

namespace velto {

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

// The rules of the job's disc; nullopt when its container is no disc.
std::optional<DiscRules> DiscRulesFor(const EncoderJob& job);

}  // namespace velto
