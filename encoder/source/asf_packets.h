#pragma once
// The video frames of an ASF (WMV, ASF) file, read from its data packets:
// enough to tell the frame rate of a file whose header states none, without
// starting the prober.
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "encoder/common/fraction.h"

namespace velto {

// Where the data packets are and which stream is the video.
struct AsfDataLayout {
  std::uint64_t firstPacket = 0;  // file offset of the first data packet
  std::uint32_t packetSize = 0;   // every packet has this size
  int videoStream = 0;            // stream number, 1..127
  int audioStream = 0;            // the first audio stream's; 0 when there is none
  // Where the data object ends by its own header; 0 when it does not say
  // (a broadcast file). A file shorter than that was cut off.
  std::uint64_t dataEnd = 0;
  std::uint64_t prerollMs = 0;  // added to every time in the packets
};

// From the file's first bytes: the whole header object followed by the data
// object's own header (50 bytes). nullopt when they are not there, the
// packets do not have one fixed size, or there is no video stream.
std::optional<AsfDataLayout> ReadAsfDataLayout(std::string_view bytes);

// Collects the presentation times of one stream's frames, packet by packet.
class AsfFrameScan {
 public:
  explicit AsfFrameScan(int stream) : stream_(stream) {}

  // One data packet of the layout's size; false when it is malformed.
  bool Feed(std::string_view packet);

  std::int64_t Frames() const { return static_cast<std::int64_t>(times_.size()); }
  // Milliseconds between the earliest and the latest frame.
  std::int64_t SpanMs() const { return times_.empty() ? 0 : last_ - first_; }
  // The frames' presentation times (ms), in the order of the file.
  const std::vector<std::int64_t>& Times() const { return times_; }
  // The latest time (ms) any packet fed so far carries: its send time, or
  // a presentation time of any stream.
  std::int64_t LatestMs() const { return latest_; }

  // What was seen of one stream (1..127): its earliest and latest
  // presentation times (ms), and the step from the time before the latest
  // to the latest (0 while only one time was seen); none when none was.
  struct Seen {
    std::int64_t first = 0, last = 0, step = 0;
  };
  std::optional<Seen> SeenOf(int stream) const;

  // Enough of a file's first packets has been fed, `bytesRead` of them, to
  // tell its frame rate: ten seconds of frames or 20 000 of them; or, when
  // the video is sparse or missing there (a stream that is declared and
  // never sent), twenty seconds of packets or 16 MiB.
  bool Enough(std::uint64_t bytesRead) const;

 private:
  void AddFrame(std::int64_t presentationMs);
  void See(int stream, std::int64_t presentationMs);

  int stream_;
  std::vector<std::int64_t> times_;
  std::int64_t first_ = 0, last_ = 0;
  std::int64_t latest_ = 0;
  std::optional<std::int64_t> firstSent_;
  std::array<std::optional<Seen>, 128> seen_;
};

// Frames a second from the frames' presentation times in milliseconds. One
// of the usual rates (n/12 up to 30, whole numbers up to 60, 80, 120, 240
// and the NTSC rates) within 1 % of the average is taken: the one whose
// frame times, rounded to the millisecond, fit the times best. {0,1} when
// it cannot be told (fewer than two frames, no time between them, times
// beyond 32-bit packet times, no usual rate near the average).
Fraction FrameRateFromTimes(std::vector<std::int64_t> timesMs);

}  // namespace velto
