#include "encoder/source/asf_packets.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>

#include "encoder/source/asf_objects.h"

namespace velto {
namespace {

using namespace asf;

constexpr std::size_t kDataObjectHeaderSize = 50;
// Real packets hold a few kilobytes; a larger size is no file to read here.
constexpr std::uint64_t kLargestPacket = 1u << 20;

// Reads the fields of a data packet in order; any read past the end marks
// the packet as malformed and yields 0.
class PacketReader {
 public:
  explicit PacketReader(std::string_view bytes) : bytes_(bytes) {}

  std::uint64_t Fixed(int width) {
    if (failed_ || (width > 0 && bytes_.size() - at_ < static_cast<std::size_t>(width))) {
      failed_ = true;
      return 0;
    }
    const std::uint64_t value = width > 0 ? Little(bytes_, at_, width) : 0;
    at_ += static_cast<std::size_t>(width);
    return value;
  }
  // A field whose width is given by a two-bit length type: absent, 1, 2 or 4 bytes.
  std::uint64_t Typed(unsigned lengthType) {
    static constexpr int kWidths[] = {0, 1, 2, 4};
    return Fixed(kWidths[lengthType & 3]);
  }
  void Skip(std::uint64_t count) {
    if (failed_ || count > bytes_.size() - at_) {
      failed_ = true;
      return;
    }
    at_ += static_cast<std::size_t>(count);
  }
  std::size_t At() const { return at_; }
  bool Failed() const { return failed_; }

 private:
  std::string_view bytes_;
  std::size_t at_ = 0;
  bool failed_ = false;
};

Fraction Reduced(std::int64_t num, std::int64_t den) {
  const std::int64_t d = std::gcd(num, den);
  return d > 0 ? Fraction{num / d, den / d} : Fraction{0, 1};
}

// The usual frame rates, in the order in which ties are decided.
template <class F>
void ForEachUsualRate(F&& visit) {
  for (int twelfths = 1; twelfths <= 360; ++twelfths) visit(Reduced(twelfths, 12));
  for (int whole = 31; whole <= 60; ++whole) visit(Fraction{whole, 1});
  for (int whole : {80, 120, 240}) visit(Fraction{whole, 1});
  for (int ntsc : {24, 30, 60, 12, 15, 48}) visit(Fraction{ntsc * 1000, 1001});
}

}  // namespace

std::optional<AsfDataLayout> ReadAsfDataLayout(std::string_view bytes) {
  const auto header = asf::HeaderObject(bytes);
  if (!header || bytes.size() - header->size() < kDataObjectHeaderSize) return std::nullopt;
  const std::uint64_t headerSize = header->size();
  if (!SameGuid(bytes, static_cast<std::size_t>(headerSize), kDataObject)) return std::nullopt;

  AsfDataLayout layout;
  layout.firstPacket = headerSize + kDataObjectHeaderSize;
  const std::uint64_t dataSize = Little(bytes, static_cast<std::size_t>(headerSize) + 16, 8);
  if (dataSize >= kDataObjectHeaderSize && dataSize <= UINT64_MAX - headerSize) layout.dataEnd = headerSize + dataSize;
  const bool whole = asf::ForEachChild(*header, [&](std::string_view object) {
    if (SameGuid(object, 0, kFileProperties)) {
      if (object.size() < 104) return false;
      const std::uint64_t smallest = Little(object, 92, 4), largest = Little(object, 96, 4);
      if (smallest != largest || smallest < 16 || smallest > kLargestPacket) return false;
      layout.packetSize = static_cast<std::uint32_t>(smallest);
      layout.prerollMs = Little(object, 80, 8);
    } else if (SameGuid(object, 0, kStreamProperties)) {
      if (object.size() < 78) return false;
      const int number = static_cast<int>(Little(object, 72, 2) & 0x7F);
      if (SameGuid(object, 24, kVideoMedia) && layout.videoStream == 0) layout.videoStream = number;
      if (SameGuid(object, 24, kAudioMedia) && layout.audioStream == 0) layout.audioStream = number;
    }
    return true;
  });
  if (!whole) return std::nullopt;
  if (layout.packetSize == 0 || layout.videoStream == 0) return std::nullopt;
  return layout;
}

void AsfFrameScan::See(int stream, std::int64_t presentationMs) {
  std::optional<Seen>& seen = seen_[static_cast<std::size_t>(stream & 0x7F)];
  if (!seen) {
    seen = Seen{presentationMs, presentationMs, 0};
    return;
  }
  seen->first = std::min(seen->first, presentationMs);
  if (presentationMs > seen->last) {
    seen->step = presentationMs - seen->last;
    seen->last = presentationMs;
  } else if (presentationMs < seen->last && (seen->step == 0 || seen->last - presentationMs < seen->step)) {
    seen->step = seen->last - presentationMs;
  }
}

std::optional<AsfFrameScan::Seen> AsfFrameScan::SeenOf(int stream) const {
  return stream >= 1 && stream <= 127 ? seen_[static_cast<std::size_t>(stream)] : std::nullopt;
}

void AsfFrameScan::AddFrame(std::int64_t presentationMs) {
  if (times_.empty() || presentationMs < first_) first_ = presentationMs;
  if (times_.empty() || presentationMs > last_) last_ = presentationMs;
  times_.push_back(presentationMs);
}

bool AsfFrameScan::Feed(std::string_view packet) {
  PacketReader read(packet);
  unsigned flags = static_cast<unsigned>(read.Fixed(1));
  if (flags & 0x80) {  // error correction data first
    if (flags & 0x60) return false;
    read.Skip(flags & 0x0F);
    flags = static_cast<unsigned>(read.Fixed(1));
  }
  const bool multiple = flags & 1;
  const unsigned properties = static_cast<unsigned>(read.Fixed(1));
  const std::uint64_t packetLength = read.Typed(flags >> 5);
  read.Typed(flags >> 1);  // sequence
  const std::uint64_t padding = read.Typed(flags >> 3);
  const auto sendTime = static_cast<std::int64_t>(read.Fixed(4));
  read.Fixed(2);  // duration
  if (read.Failed()) return false;
  latest_ = std::max(latest_, sendTime);
  if (!firstSent_) firstSent_ = sendTime;
  const std::uint64_t end = (flags >> 5 & 3) ? packetLength : packet.size();
  if (end > packet.size() || padding > end) return false;

  unsigned payloads = 1, payloadLengthType = 0;
  if (multiple) {
    const unsigned payloadFlags = static_cast<unsigned>(read.Fixed(1));
    payloads = payloadFlags & 0x3F;
    payloadLengthType = payloadFlags >> 6;
  }
  for (unsigned i = 0; i < payloads; ++i) {
    const int stream = static_cast<int>(read.Fixed(1) & 0x7F);
    read.Typed(properties >> 4);  // media object number
    const std::uint64_t offset = read.Typed(properties >> 2);
    const std::uint64_t replicated = read.Typed(properties);
    std::int64_t presentation = 0;
    if (replicated >= 8) {
      read.Fixed(4);  // media object size
      presentation = static_cast<std::int64_t>(read.Fixed(4));
      read.Skip(replicated - 8);
    } else if (replicated != 1) {
      read.Skip(replicated);
    }
    const std::uint64_t delta = replicated == 1 ? read.Fixed(1) : 0;
    std::uint64_t length = 0;
    if (multiple) {
      length = read.Typed(payloadLengthType);
    } else if (!read.Failed()) {
      if (read.At() + padding > end) return false;
      length = end - padding - read.At();
    }
    // The fields read so far may already reach past the packet's stated end.
    if (read.Failed() || read.At() > end || length > end - read.At()) return false;
    const std::size_t start = read.At();
    if (replicated == 1) {
      // Compressed: small frames one after the other, each with its length
      // in front; the offset field holds the first one's presentation time.
      std::uint64_t inner = 0, frame = 0;
      while (inner < length) {
        const std::uint64_t size = static_cast<unsigned char>(packet[start + inner]);
        inner += 1 + size;
        if (inner > length) return false;
        const auto time = static_cast<std::int64_t>(offset + frame * delta);
        latest_ = std::max(latest_, time);
        See(stream, time);
        if (stream == stream_) AddFrame(time);
        ++frame;
      }
    } else {
      if (replicated >= 8) {
        latest_ = std::max(latest_, presentation);
        See(stream, presentation);
      }
      if (stream == stream_ && offset == 0) {
        if (replicated < 8) return false;  // a frame without a time
        AddFrame(presentation);
      }
    }
    read.Skip(length);
    if (read.Failed()) return false;
  }
  return true;
}

bool AsfFrameScan::Enough(std::uint64_t bytesRead) const {
  constexpr std::int64_t kEnoughMs = 10'000;
  constexpr std::int64_t kEnoughFrames = 20'000;
  constexpr std::uint64_t kEnoughBytes = 16u << 20;
  const std::int64_t sentMs = firstSent_ ? latest_ - *firstSent_ : 0;
  return SpanMs() >= kEnoughMs || Frames() >= kEnoughFrames || sentMs >= 2 * kEnoughMs || bytesRead >= kEnoughBytes;
}

Fraction FrameRateFromTimes(std::vector<std::int64_t> timesMs) {
  if (timesMs.size() < 2) return {0, 1};
  std::sort(timesMs.begin(), timesMs.end());
  // Packet times are 32-bit milliseconds; anything far beyond is no time.
  constexpr std::int64_t kTimeLimit = std::int64_t{1} << 40;
  if (timesMs.front() < -kTimeLimit || timesMs.back() > kTimeLimit) return {0, 1};
  const std::int64_t span = timesMs.back() - timesMs.front();
  if (span <= 0) return {0, 1};
  const double estimate = static_cast<double>(timesMs.size() - 1) * 1000.0 / static_cast<double>(span);
  // A rate fits when the times less k frame periods stay within the
  // millisecond rounding; the tightest fit wins, else the nearest rate.
  constexpr double kLoosestFit = 1.5;
  Fraction nearest{0, 1}, tightest{0, 1};
  double nearestError = 0.01, tightestSpread = kLoosestFit;
  ForEachUsualRate([&](const Fraction& rate) {
    const double error = std::fabs(estimate / rate.Value() - 1.0);
    if (error >= 0.01) return;
    if (error < nearestError) {
      nearestError = error;
      nearest = rate;
    }
    const double period = 1000.0 / rate.Value();
    double low = 0.0, high = 0.0;
    for (std::size_t k = 0; k < timesMs.size(); ++k) {
      const double offset = static_cast<double>(timesMs[k] - timesMs.front()) - static_cast<double>(k) * period;
      low = std::min(low, offset);
      high = std::max(high, offset);
    }
    if (high - low < tightestSpread) {
      tightestSpread = high - low;
      tightest = rate;
    }
  });
  if (tightest.num > 0) return tightest;
  // No usual rate near the average: the prober, with its own judgement of
  // unusual rates, is asked instead.
  return nearest;
}

}  // namespace velto
