#include "encoder/job/preview_arguments.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "base/encoder_interface.h"
#include "encoder/common/command_line_tokens.h"
#include "job_strings.h"

namespace velto {
namespace {

// The converter's DVD line with the moment inserted before -endpos.
JobParseResult ParsePreview(const std::string& moment, int mode) {
  std::string line = test::Fill(test::kDvdPalMp2, "in.wmv", "pic.bmp", mode, 0);
  line.insert(line.find(" -endpos"), " -ss " + moment);
  return ParseEncoderArguments(SplitCommandLine(line));
}

SourceInfo CutDownload() {
  SourceInfo s;
  s.hasVideo = true;
  s.width = 640;
  s.height = 272;
  s.frameRate = {1000, 1};  // as ASF headers state it
  s.durationSeconds = 8.0;
  s.videoStart = 0.046;  // after the sound's first packet
  s.videoEnd = 8.046;
  return s;
}

TEST(PreviewArguments, TheMomentDecodedThroughTheConversionsPictureChain) {
  EXPECT_FALSE(ParsePreview("5", kRunConvert).job) << "-ss belongs to a preview";
  EXPECT_FALSE(ParsePreview("-1", kRunPreview).job);
  const auto parsed = ParsePreview("5.25", kRunPreview);
  ASSERT_TRUE(parsed.job) << parsed.error;
  const SourceInfo source = CutDownload();
  const auto decodes = PlanPreviewDecodes(source, *parsed.job->previewSeconds);
  ASSERT_EQ(decodes.size(), 3u);
  EXPECT_EQ(JoinCommandLine(PreviewArguments(*parsed.job, source, decodes[0])),
            "-hide_banner -loglevel error -nostats -ss 5.230000 -i file:in.wmv -map 0:v:0"
            " -vf scale=720:326:flags=bicubic,pad=720:576:0:124:black,setsar=16/15 -r 25 -vsync cfr"
            " -frames:v 1 -an -sn -pix_fmt bgr24 -f rawvideo pipe:1");
  EXPECT_EQ(PreviewFrameSize(*parsed.job, source).width, 720);
  EXPECT_EQ(PreviewFrameSize(*parsed.job, source).height, 576);
  EXPECT_EQ(ShownSecond(*parsed.job, source, decodes[0], 5.25, 1), 5);

  // Past the picture's end: its last frame, from shortly before the end,
  // and the moment that frame shows.
  const auto past = PlanPreviewDecodes(source, 60);
  ASSERT_EQ(past.size(), 2u);
  EXPECT_TRUE(past[0].lastFrame);
  EXPECT_NEAR(past[0].fromSeconds, 6.046, 1e-9);
  EXPECT_EQ(ShownSecond(*parsed.job, source, past[0], 60, 48), 7);
  EXPECT_EQ(ShownSecond(*parsed.job, source, past[0], 60, 52), 8) << "the last frame repeated";
  EXPECT_EQ(past[1].fromSeconds, 0.0);
  EXPECT_EQ(JoinCommandLine(PreviewArguments(*parsed.job, source, past[1])).find("-ss"), std::string::npos);
}

TEST(PreviewArguments, BitmapRowsFromTheBottomPaddedToFourBytes) {
  // 2 x 2: top row blue, white; bottom row red, black.
  const std::string rows = std::string("\xFF\0\0\xFF\xFF\xFF", 6) + std::string("\0\0\xFF\0\0\0", 6);
  const std::string file = BitmapFile(2, 2, rows);
  ASSERT_EQ(file.size(), 54u + 2 * 8);
  auto number = [&](std::size_t at, int bytes) {
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(file[at + i]);
    return value;
  };
  EXPECT_EQ(file.substr(0, 2), "BM");
  EXPECT_EQ(number(2, 4), file.size());
  EXPECT_EQ(number(10, 4), 54u);
  EXPECT_EQ(number(14, 4), 40u);
  EXPECT_EQ(number(18, 4), 2u);
  EXPECT_EQ(number(22, 4), 2u);
  EXPECT_EQ(number(28, 2), 24u);
  EXPECT_EQ(file.substr(54), std::string("\0\0\xFF\0\0\0\0\0\xFF\0\0\xFF\xFF\xFF\0\0", 16));
}

}  // namespace
}  // namespace velto
