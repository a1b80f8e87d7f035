// The engine's progress stream: any bytes, cut into pieces anywhere, read as
// they would in one piece; the position never goes back.
#include <cstdint>
#include <string>
#include <string_view>

#include "encoder/run/progress_stream.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t piece = data[0] % 16 + 1;
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

  velto::ProgressStream whole;
  whole.Feed(bytes);

  velto::ProgressStream pieces;
  std::int64_t last = -1;
  for (std::size_t at = 0; at < bytes.size(); at += piece) {
    pieces.Feed(bytes.substr(at, piece));
    const auto position = pieces.PositionMicroseconds();
    if (position) {
      FUZZ_CHECK(*position >= 0);
      FUZZ_CHECK(*position >= last);
      last = *position;
    }
    FUZZ_CHECK(pieces.WholeSeconds() >= 0);
    FUZZ_CHECK(pieces.Frames() >= 0);
  }
  FUZZ_CHECK(pieces.PositionMicroseconds() == whole.PositionMicroseconds());
  FUZZ_CHECK(pieces.Frames() == whole.Frames());
  FUZZ_CHECK(pieces.Ended() == whole.Ended());

  if (const auto micros = velto::ParseClockMicroseconds(bytes)) FUZZ_CHECK(*micros >= 0);
  return 0;
}
