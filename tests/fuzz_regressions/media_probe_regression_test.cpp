#include <gtest/gtest.h>

#include "encoder/source/media_probe.h"

namespace velto {
namespace {

// Numbers too large for the integer they were converted to.
TEST(MediaProbeFuzzRegression, AbsurdFrameCountsAreNoCount) {
  const auto info = ParseProbeJson(
      R"({"streams":[{"codec_type":"video","width":320,"height":240,"nb_read_packets":"1e300",)"
      R"("nb_read_frames":1e19}],"format":{"duration":"10"}})");
  ASSERT_TRUE(info);
  EXPECT_TRUE(info->hasVideo);
  EXPECT_EQ(info->frameCount, 0);
}

TEST(MediaProbeFuzzRegression, SaneFrameCountAfterAbsurdPacketCountIsTaken) {
  const auto info = ParseProbeJson(
      R"({"streams":[{"codec_type":"video","width":320,"height":240,"nb_read_packets":"1e300",)"
      R"("nb_read_frames":"250"}]})");
  ASSERT_TRUE(info);
  EXPECT_EQ(info->frameCount, 250);
}

TEST(MediaProbeFuzzRegression, HugeAttachedPictureFlagIsNoCoverPicture) {
  const auto info = ParseProbeJson(
      R"({"streams":[{"codec_type":"video","width":320,"height":240,"disposition":{"attached_pic":1e300}}]})");
  ASSERT_TRUE(info);
  EXPECT_TRUE(info->hasVideo);
  const auto cover = ParseProbeJson(
      R"({"streams":[{"codec_type":"video","width":600,"height":600,"disposition":{"attached_pic":1}}]})");
  ASSERT_TRUE(cover);
  EXPECT_FALSE(cover->hasVideo);
}

}  // namespace
}  // namespace velto
