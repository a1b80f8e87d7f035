#pragma once
// The conversion settings a fresh option.ini starts with.
#include "settings/conversion_settings.h"

namespace velto::testing {

inline ConversionSettings FreshSettings() {
  ConversionSettings s;
  s.letterbox = 1;
  s.outputFormat = kFormatAvi;
  s.tvMode = kTvNtsc;
  s.mpegAspectRatio = 2;
  s.dvdAspectRatio = 1;
  s.aviQuality = 4;
  s.mpeg1Quality = 3;
  s.mpeg2Quality = 3;
  s.svcdQuality = 4;
  s.dvdQuality = 5;
  s.wmvQuality = 5;
  s.aviVideoCodec = 0;
  s.asfVideoCodec = 2;
  s.aviAudioCodec = 0;
  s.divxAudioCodec = 0;
  s.xvidAudioCodec = 0;
  s.dvdAudioCodec = 0;
  s.wmvAudioCodec = 1;
  s.asfAudioCodec = 1;
  s.aviResolution = 0;
  s.mpegResolution = 0;
  s.aviFrameRate = 0;
  s.mpegFrameRate = 0;
  s.volume = 20;
  return s;
}

}  // namespace velto::testing
