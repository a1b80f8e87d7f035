#pragma once
// A source as the prober describes it, for the translator's tests: 2.5 s of
// 321 x 241 at 29.97 frames a second (sizes the translator must make even),
// with `channels` channels of sound at 22050 Hz, or none for 0.
#include "encoder/source/media_probe.h"

namespace velto::test {

inline SourceInfo OddSource(int channels) {
  SourceInfo s;
  s.hasVideo = true;
  s.width = 321;
  s.height = 241;
  s.frameRate = {30000, 1001};
  s.hasAudio = channels > 0;
  s.channels = channels;
  s.sampleRate = channels > 0 ? 22050 : 0;
  s.durationSeconds = 2.5;
  return s;
}

}  // namespace velto::test
