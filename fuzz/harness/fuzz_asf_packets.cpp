// The ASF data packet reader: any file start gives a layout within the
// bytes or none; any packet is read or refused; the frame rate drawn from
// any presentation times is a usual rate or none.
#include <cstdint>
#include <string_view>
#include <vector>

#include "encoder/source/asf_packets.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  int stream = size > 0 ? (data[0] & 0x7F) : 1;
  std::size_t packetSize = size > 1 ? 16 + data[1] * 4 : 16;
  std::size_t at = 2;
  if (const auto layout = velto::ReadAsfDataLayout(bytes)) {
    FUZZ_CHECK(layout->firstPacket <= size);
    FUZZ_CHECK(layout->packetSize >= 16 && layout->packetSize <= (1u << 20));
    FUZZ_CHECK(layout->videoStream >= 1 && layout->videoStream <= 127);
    FUZZ_CHECK(layout->dataEnd == 0 || layout->dataEnd >= layout->firstPacket);
    stream = layout->videoStream;
    packetSize = layout->packetSize;
    at = static_cast<std::size_t>(layout->firstPacket);
  }
  // The rest as packets of that size, as the encoder reads them.
  velto::AsfFrameScan scan(stream);
  for (; at + packetSize <= size; at += packetSize) {
    if (!scan.Feed(bytes.substr(at, packetSize))) break;
  }
  FUZZ_CHECK(scan.Frames() == static_cast<std::int64_t>(scan.Times().size()));
  FUZZ_CHECK(scan.SpanMs() >= 0);
  const velto::Fraction rate = velto::FrameRateFromTimes(scan.Times());
  if (rate.num != 0) FUZZ_CHECK(rate.den > 0 && rate.num > 0 && rate.num / rate.den <= 240);

  // Times straight from the input, unordered and extreme ones included.
  std::vector<std::int64_t> times;
  for (std::size_t i = 0; i + 8 <= size && times.size() < 4096; i += 8) {
    std::int64_t t = 0;
    for (int b = 0; b < 8; ++b) t = static_cast<std::int64_t>(static_cast<std::uint64_t>(t) << 8 | data[i + b]);
    times.push_back(t);
  }
  const velto::Fraction drawn = velto::FrameRateFromTimes(times);
  if (drawn.num != 0) FUZZ_CHECK(drawn.den > 0 && drawn.num > 0 && drawn.num / drawn.den <= 240);
  return 0;
}
