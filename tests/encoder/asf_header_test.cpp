#include "encoder/source/asf_header.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "tests/encoder/asf_bytes.h"

namespace velto {
namespace {

using namespace testing::asf;

std::string FileProperties(double seconds, std::uint64_t prerollMs, std::uint32_t flags = 2) {
  std::string body(16, '\0');                       // file id
  Put(body, 0, 8);                                  // file size
  Put(body, 0, 8);                                  // creation date
  Put(body, 10, 8);                                 // packets
  Put(body, static_cast<std::uint64_t>((seconds + prerollMs / 1000.0) * 1e7), 8);
  Put(body, 0, 8);                                  // send duration
  Put(body, prerollMs, 8);
  Put(body, flags, 4);
  Put(body, 3200, 4);
  Put(body, 3200, 4);
  Put(body, 500000, 4);
  return Object(kFile, body);
}

std::string StreamProperties(const std::string& type, const std::string& specific) {
  std::string body = type + std::string(16, '\0');  // type, error correction
  Put(body, 0, 8);                                   // time offset
  Put(body, specific.size(), 4);
  Put(body, 0, 4);
  Put(body, 1, 2);
  Put(body, 0, 4);
  return Object(kStream, body + specific);
}

std::string VideoSpecific(int w, int h) {
  std::string s;
  Put(s, w, 4);
  Put(s, h, 4);
  s += '\2';
  Put(s, 40, 2);
  Put(s, 40, 4);
  Put(s, w, 4);
  Put(s, h, 4);
  s += std::string(28, '\0');
  return s;
}

std::string AudioSpecific(int channels, int rate) {
  std::string s;
  Put(s, 0x161, 2);
  Put(s, channels, 2);
  Put(s, rate, 4);
  Put(s, 16000, 4);
  Put(s, 1487, 2);
  Put(s, 16, 2);
  Put(s, 0, 2);
  return s;
}

std::string Header(const std::vector<std::string>& objects) {
  return HeaderObject(objects) + "data object follows";
}

TEST(AsfHeader, ReadsSizeChannelsAndDuration) {
  const auto info = ReadAsfHeader(Header({FileProperties(2.5, 3100), StreamProperties(kAudio, AudioSpecific(1, 22050)),
                                          StreamProperties(kVideo, VideoSpecific(320, 180))}));
  ASSERT_TRUE(info);
  EXPECT_TRUE(info->hasVideo);
  EXPECT_EQ(info->width, 320);
  EXPECT_EQ(info->height, 180);
  EXPECT_TRUE(info->hasAudio);
  EXPECT_EQ(info->channels, 1);
  EXPECT_EQ(info->sampleRate, 22050);
  EXPECT_NEAR(info->durationSeconds, 2.5, 1e-6);
  EXPECT_EQ(info->sampleAspect, (Fraction{1, 1}));
}

std::string AspectExtension(std::uint32_t x, std::uint32_t y) {
  auto record = [](const std::string& name, std::uint32_t value) {
    std::string wide;
    for (char c : name) wide += std::string{c, '\0'};
    wide += std::string(2, '\0');
    std::string r;
    Put(r, 0, 2);
    Put(r, 1, 2);
    Put(r, wide.size(), 2);
    Put(r, 3, 2);
    Put(r, 4, 4);
    r += wide;
    Put(r, value, 4);
    return r;
  };
  std::string metadata;
  Put(metadata, 2, 2);
  metadata += record("AspectRatioX", x) + record("AspectRatioY", y);
  const std::string inner = Object(Guid({0xEA, 0xCB, 0xF8, 0xC5, 0xAF, 0x5B, 0x77, 0x48, 0x84, 0x67, 0xAA, 0x8C, 0x44,
                                         0xFA, 0x4C, 0xCA}),
                                   metadata);
  std::string body(16, '\0');
  Put(body, 6, 2);
  Put(body, inner.size(), 4);
  return Object(Guid({0xB5, 0x03, 0xBF, 0x5F, 0x2E, 0xA9, 0xCF, 0x11, 0x8E, 0xE3, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65}),
                body + inner);
}

TEST(AsfHeader, PixelShapeFromTheMetadata) {
  const std::string file = FileProperties(2, 0), video = StreamProperties(kVideo, VideoSpecific(720, 480));
  auto info = ReadAsfHeader(Header({file, AspectExtension(8, 9), video}));
  ASSERT_TRUE(info);
  EXPECT_EQ(info->sampleAspect, (Fraction{8, 9}));
  info = ReadAsfHeader(Header({file, AspectExtension(1, 1), video}));
  ASSERT_TRUE(info);
  EXPECT_EQ(info->sampleAspect, (Fraction{1, 1}));
  info = ReadAsfHeader(Header({file, AspectExtension(0, 0), video}));
  ASSERT_TRUE(info);
  EXPECT_EQ(info->sampleAspect, (Fraction{1, 1}));
}

TEST(AsfHeader, AnythingUnusualIsLeftToTheProber) {
  const std::string file = FileProperties(2, 0), video = StreamProperties(kVideo, VideoSpecific(320, 240));
  EXPECT_TRUE(ReadAsfHeader(Header({file, video})));
  EXPECT_FALSE(ReadAsfHeader(Header({file})));                        // no video
  EXPECT_FALSE(ReadAsfHeader(Header({video})));                       // no duration
  EXPECT_FALSE(ReadAsfHeader(Header({FileProperties(2, 0, 1), video})));  // broadcast
  EXPECT_FALSE(ReadAsfHeader(Header({file, StreamProperties(kVideo, VideoSpecific(0, 240))})));
  const std::string aspect("A\0s\0p\0e\0c\0t\0R\0a\0t\0i\0o\0X\0", 24);
  EXPECT_FALSE(ReadAsfHeader(Header({file, video, Object(std::string(16, '\x11'), aspect)})));
  // Cut short, or sizes pointing outside.
  const std::string whole = Header({file, video});
  for (std::size_t cut : {std::size_t{0}, std::size_t{29}, std::size_t{60}, whole.size() - 40})
    EXPECT_FALSE(ReadAsfHeader(whole.substr(0, cut))) << cut;
  std::string broken = whole;
  broken[30 + 16] = '\x7F';  // the file object claims more than the header holds
  EXPECT_FALSE(ReadAsfHeader(broken));
  EXPECT_FALSE(ReadAsfHeader("RIFF....AVI LIST"));
}

}  // namespace
}  // namespace velto
