#include "encoder/job/disc_rules.h"

#include <cmath>

namespace velto {
namespace {

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

}  // namespace

std::optional<DiscRules> DiscRulesFor(const EncoderJob& job) {
  const Container c = job.container;
  if (c != Container::kVcd && c != Container::kSvcd && c != Container::kDvd) return std::nullopt;
  return RulesFor(job);
}

}  // namespace velto
