#pragma once
// A source as the prober or the ASF header reader can describe one, drawn
// from the fuzzer's bytes (taken from the end of the input).
#include <fuzzer/FuzzedDataProvider.h>

#include "encoder/source/media_probe.h"

inline velto::SourceInfo ConsumeSourceInfo(FuzzedDataProvider& input) {
  velto::SourceInfo info;
  info.hasVideo = input.ConsumeIntegralInRange(0, 15) != 0;
  info.width = input.ConsumeIntegralInRange(1, 65535);
  info.height = input.ConsumeIntegralInRange(1, 65535);
  const auto sarNum = input.ConsumeIntegralInRange<std::int64_t>(1, 1'000'000);
  const auto sarDen = input.ConsumeIntegralInRange<std::int64_t>(1, 1'000'000);
  const velto::Fraction sar{sarNum, sarDen};
  if (sar.Value() > 0.1 && sar.Value() < 10) info.sampleAspect = sar;
  info.frameRate = {input.ConsumeIntegralInRange<std::int64_t>(0, INT64_MAX),
                    input.ConsumeIntegralInRange<std::int64_t>(1, INT64_MAX)};
  info.frameCount = input.ConsumeIntegralInRange<std::int64_t>(0, INT64_MAX);
  info.hasAudio = input.ConsumeBool();
  if (info.hasAudio) {
    info.channels = input.ConsumeIntegralInRange(1, 64);
    info.sampleRate = input.ConsumeIntegralInRange(1, 1'000'000);
  }
  info.durationSeconds = input.ConsumeFloatingPointInRange(0.0, 1e9);
  return info;
}
