#include "encoder/source/asf_packets.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/encoder/asf_bytes.h"

namespace velto {
namespace {

constexpr std::uint32_t kPacketSize = 200;

using namespace testing::asf;

std::string FileProperties(std::uint32_t smallest, std::uint32_t largest) {
  std::string body(16 + 8 * 6, '\0');  // id, size, date, count, durations, preroll
  Put(body, 2, 4);                     // flags: seekable
  Put(body, smallest, 4);
  Put(body, largest, 4);
  Put(body, 500000, 4);
  return Object(kFile, body);
}

std::string StreamProperties(const std::string& type, int number) {
  std::string body = type + std::string(16, '\0');
  Put(body, 0, 8);
  Put(body, 0, 4);  // no type-specific data
  Put(body, 0, 4);
  Put(body, number, 2);
  Put(body, 0, 4);
  return Object(kStream, body);
}

// The header object with `objects`, then the data object's own header.
std::string FileStart(const std::vector<std::string>& objects) {
  std::string out = HeaderObject(objects) + kData;
  Put(out, 50 + 10 * kPacketSize, 8);
  out += std::string(16, '\0');
  Put(out, 10, 8);
  out += "\x01\x01";
  return out;
}

struct Payload {
  int stream;
  std::uint32_t offset;  // into the frame; a presentation time when compressed
  std::uint32_t time;    // presentation time (ms); the time step when compressed
  std::string data;
  bool compressed = false;
};

// Payload fields: replicated data length a byte, offset four bytes, object
// number a byte, as the engine writes them. Padding fills the packet.
std::string Packet(const std::vector<Payload>& payloads, bool multiple = true, bool errorCorrection = true) {
  std::string body;
  for (const Payload& p : payloads) {
    body += static_cast<char>(p.stream);
    body += '\x07';  // media object number
    Put(body, p.offset, 4);
    if (p.compressed) {
      Put(body, 1, 1);
      Put(body, p.time, 1);
    } else {
      Put(body, 8, 1);
      Put(body, 5000, 4);  // media object size
      Put(body, p.time, 4);
    }
    if (multiple) Put(body, p.data.size(), 2);
    body += p.data;
  }
  std::string head;
  if (errorCorrection) head.append("\x82\x00\x00", 3);
  head += static_cast<char>((multiple ? 0x01 : 0x00) | 0x10);  // padding length as a word
  head += '\x5D';
  const std::size_t fixed = head.size() + 2 + 6 + (multiple ? 1 : 0);
  Put(head, kPacketSize - fixed - body.size(), 2);
  Put(head, 0, 4);  // send time
  Put(head, 0, 2);  // duration
  if (multiple) head += static_cast<char>(0x80 | payloads.size());
  std::string packet = head + body;
  packet.resize(kPacketSize, '\0');
  return packet;
}

std::string Subframes(std::initializer_list<int> sizes) {
  std::string out;
  for (int size : sizes) out += static_cast<char>(size) + std::string(static_cast<std::size_t>(size), 'x');
  return out;
}

TEST(AsfPackets, LayoutFromHeaderAndDataObject) {
  const std::string start =
      FileStart({FileProperties(kPacketSize, kPacketSize), StreamProperties(kAudio, 1), StreamProperties(kVideo, 2)});
  const auto layout = ReadAsfDataLayout(start);
  ASSERT_TRUE(layout);
  EXPECT_EQ(layout->firstPacket, start.size());
  EXPECT_EQ(layout->packetSize, kPacketSize);
  EXPECT_EQ(layout->videoStream, 2);
  EXPECT_EQ(layout->audioStream, 1);
  EXPECT_EQ(layout->dataEnd, start.size() + 10 * kPacketSize);

  EXPECT_FALSE(ReadAsfDataLayout(FileStart({FileProperties(100, 200), StreamProperties(kVideo, 2)})));
  EXPECT_FALSE(ReadAsfDataLayout(FileStart({FileProperties(0xFFFFFFFF, 0xFFFFFFFF), StreamProperties(kVideo, 2)})));
  EXPECT_FALSE(ReadAsfDataLayout(FileStart({FileProperties(kPacketSize, kPacketSize), StreamProperties(kAudio, 1)})));
  EXPECT_FALSE(ReadAsfDataLayout(FileStart({StreamProperties(kVideo, 1)})));
  EXPECT_FALSE(ReadAsfDataLayout(start.substr(0, start.size() - 1)));  // data object cut short
  std::string noData = start;
  noData[noData.size() - 50] = 'X';
  EXPECT_FALSE(ReadAsfDataLayout(noData));
}

TEST(AsfPackets, CountsFramesOfTheVideoStreamOnly) {
  AsfFrameScan scan(2);
  // A frame's later fragments and the audio do not count.
  EXPECT_TRUE(scan.Feed(Packet({{1, 0, 3100, "audio"}, {2, 0, 3100, "key"}, {2, 0, 3133, "f"}})));
  EXPECT_TRUE(scan.Feed(Packet({{2, 120, 3133, "rest of f"}, {2, 0, 3167, "g"}})));
  // One payload without a length of its own; no error correction data.
  EXPECT_TRUE(scan.Feed(Packet({{2, 0, 3200, "h"}}, false, false)));
  // Small frames packed into one payload, 33 ms apart.
  EXPECT_TRUE(scan.Feed(Packet({{2, 3233, 33, Subframes({3, 1, 4}), true}, {1, 3233, 10, Subframes({2, 2}), true}})));
  EXPECT_EQ(scan.Frames(), 7);
  EXPECT_EQ(scan.SpanMs(), 3299 - 3100);
  // Every stream's first and last times, and the step to the last.
  const auto audio = scan.SeenOf(1);
  ASSERT_TRUE(audio);
  EXPECT_EQ(audio->first, 3100);
  EXPECT_EQ(audio->last, 3243);
  EXPECT_EQ(audio->step, 10);
  EXPECT_FALSE(scan.SeenOf(3));
}

// A file whose declared video stream never comes is read for a bounded
// while: twenty seconds of packets, or 16 MiB.
TEST(AsfPackets, AScanWithoutVideoFramesEnds) {
  AsfFrameScan scan(2);
  EXPECT_TRUE(scan.Feed(Packet({{1, 0, 3100, "audio"}})));
  EXPECT_FALSE(scan.Enough(1 << 20));
  EXPECT_TRUE(scan.Enough(16 << 20));
  EXPECT_TRUE(scan.Feed(Packet({{1, 0, 23100, "audio"}})));
  EXPECT_TRUE(scan.Enough(1 << 20));
}

TEST(AsfPackets, MalformedPacketsAreRefused) {
  AsfFrameScan scan(2);
  std::string packet = Packet({{2, 0, 100, "frame"}});
  std::string tooLong = packet;
  tooLong[tooLong.find("frame") - 1] = '\x7F';  // payload length beyond the packet
  EXPECT_FALSE(scan.Feed(tooLong));
  EXPECT_FALSE(scan.Feed(packet.substr(0, 10)));
  EXPECT_FALSE(scan.Feed(""));
  std::string badSubframe = Packet({{2, 0, 33, Subframes({3}), true}});
  badSubframe[badSubframe.find("xxx") - 1] = '\x09';  // a small frame running past its payload
  EXPECT_FALSE(scan.Feed(badSubframe));
  EXPECT_TRUE(scan.Feed(packet));
  EXPECT_EQ(scan.Frames(), 1);
}

// Times as a muxer writes them: each frame's time rounded to the millisecond.
std::vector<std::int64_t> TimesOf(double fps, int frames) {
  std::vector<std::int64_t> times;
  for (int i = 0; i < frames; ++i) times.push_back(std::llround(3000 + i * 1000.0 / fps));
  return times;
}

TEST(AsfPackets, FrameRateIsTheUsualRateThatFitsTheTimes) {
  for (int frames : {15, 90, 600}) {
    SCOPED_TRACE(frames);
    EXPECT_EQ(FrameRateFromTimes(TimesOf(30000.0 / 1001, frames)), (Fraction{30000, 1001}));
    EXPECT_EQ(FrameRateFromTimes(TimesOf(30, frames)), (Fraction{30, 1}));
    EXPECT_EQ(FrameRateFromTimes(TimesOf(15000.0 / 1001, frames)), (Fraction{15000, 1001}));
    EXPECT_EQ(FrameRateFromTimes(TimesOf(15, frames)), (Fraction{15, 1}));
    EXPECT_EQ(FrameRateFromTimes(TimesOf(24000.0 / 1001, frames)), (Fraction{24000, 1001}));
    EXPECT_EQ(FrameRateFromTimes(TimesOf(25, frames)), (Fraction{25, 1}));
    EXPECT_EQ(FrameRateFromTimes(TimesOf(12.5, frames)), (Fraction{25, 2}));
    EXPECT_EQ(FrameRateFromTimes(TimesOf(50, frames)), (Fraction{50, 1}));
  }
  // Out of order (frames sent before they are shown) changes nothing.
  std::vector<std::int64_t> reordered = TimesOf(25, 30);
  std::swap(reordered[3], reordered[4]);
  EXPECT_EQ(FrameRateFromTimes(reordered), (Fraction{25, 1}));
  // Uneven times: the usual rate nearest the average.
  EXPECT_EQ(FrameRateFromTimes({0, 30, 70, 100, 130, 170, 200}), (Fraction{30, 1}));
  EXPECT_EQ(FrameRateFromTimes({0, 3, 7, 10}), (Fraction{0, 1}));  // no usual rate near: not told
  EXPECT_EQ(FrameRateFromTimes({-(std::int64_t{1} << 62), 0, std::int64_t{1} << 62}), (Fraction{0, 1}));
  EXPECT_EQ(FrameRateFromTimes({5}), (Fraction{0, 1}));
  EXPECT_EQ(FrameRateFromTimes({5, 5, 5}), (Fraction{0, 1}));
}

}  // namespace
}  // namespace velto
