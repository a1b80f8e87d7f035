#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "encoder/source/asf_packets.h"

namespace velto {
namespace {

// A packet whose stated length ends before its own payload fields did: the
// room left was worked out below zero and a compressed payload was read
// past the packet.
TEST(AsfPacketsFuzzRegression, PayloadFieldsPastTheStatedEndAreRefused) {
  const std::string packet = std::string{
      '\x21',                   // one length byte, several payloads
      '\x15',                   // object number, offset, replicated: one byte each
      '\x0C',                   // packet length 12
      '\0', '\0', '\0', '\0',   // send time
      '\0', '\0',               // duration
      '\x41',                   // one payload, one length byte
      '\x02', '\x00', '\x10',   // stream 2, object 0, time 16
      '\x01', '\x21',           // compressed, time delta 33
      '\x28',                   // payload length 40
      '\x03', 'a', 'b', 'c'};
  AsfFrameScan scan(2);
  EXPECT_FALSE(scan.Feed(packet));
  EXPECT_EQ(scan.Frames(), 0);
}

// Times far outside 32-bit packet times overflowed their difference.
TEST(AsfPacketsFuzzRegression, ExtremeTimesGiveNoRate) {
  EXPECT_EQ(FrameRateFromTimes({9197018873076011795, -9205299806498711040}), (Fraction{0, 1}));
}

}  // namespace
}  // namespace velto
