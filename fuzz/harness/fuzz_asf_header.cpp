// The ASF header reader: any bytes are read or refused; what is read is a
// video source with sizes, duration and pixel shape within their ranges.
#include <cmath>
#include <cstdint>
#include <string_view>

#include "encoder/source/asf_header.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto info = velto::ReadAsfHeader(bytes);
  if (!info) return 0;
  FUZZ_CHECK(info->hasVideo);
  FUZZ_CHECK(info->width >= 1 && info->width <= 65535 && info->height >= 1 && info->height <= 65535);
  FUZZ_CHECK(info->durationSeconds > 0 && info->durationSeconds < 1e9);
  FUZZ_CHECK(info->sampleAspect.Value() >= 0.1 && info->sampleAspect.Value() <= 10);
  if (info->hasAudio) FUZZ_CHECK(info->channels >= 1 && info->channels <= 64 && info->sampleRate >= 1);
  const velto::ProbeReport report = velto::MakeProbeReport(*info);
  FUZZ_CHECK(report.durationSeconds >= 1 && report.width == info->width && report.height == info->height);
  return 0;
}
