// The Preview window's line about the output and its picture's place.
#include "ui/preview_text.h"

#include <gtest/gtest.h>

#include <array>

namespace velto {
namespace {

TEST(PreviewText, TheOutputLineNamesFormatSizeAspectBarsAndRate) {
  const MediaEntry clip{"C:\\clip.wmv", 60.0, 320, 240, 25.0};
  const MediaEntry wide{"C:\\wide.wmv", 60.0, 641, 360, 29.97};
  ConversionSettings s;
  s.letterbox = 1;
  s.outputFormat = kFormatDvd;
  s.dvdAspectRatio = 1;
  EXPECT_EQ(OutputDescription(s, clip), "DVD compatible MPEG2, 720 x 480, 16:9, letterboxed, 29.97 fps");
  EXPECT_DOUBLE_EQ(OutputFrameFor(s, clip).displayAspect, 16.0 / 9.0);
  s.tvMode = kTvPal;
  s.dvdAspectRatio = 0;
  EXPECT_EQ(OutputDescription(s, clip), "DVD compatible MPEG2, 720 x 576, 4:3, 25 fps");

  // The source's own size, evened; a frame scaled without bars is shown at
  // the source's shape, one with bars at its own.
  s.outputFormat = kFormatAvi;
  EXPECT_EQ(OutputDescription(s, wide), "AVI, 640 x 360, 29.97 fps");
  s.aviResolution = 10;  // 320 x 240
  EXPECT_EQ(OutputDescription(s, wide), "AVI, 320 x 240, letterboxed, 29.97 fps");
  EXPECT_DOUBLE_EQ(OutputFrameFor(s, wide).displayAspect, 320.0 / 240.0);
  s.letterbox = 0;
  EXPECT_NEAR(OutputFrameFor(s, wide).displayAspect, 641.0 / 360.0, 1e-9);
  s.outputFormat = kFormatWmv;  // "Auto" keeps the source's rate
  EXPECT_EQ(OutputDescription(s, clip), "WMV, 320 x 240, 25 fps");
}

TEST(PreviewText, ThePictureIsTheLargestRectangleOfItsAspectCentred) {
  const DisplayRect wide = FitDisplayRect(16.0 / 9.0, 400, 300);
  EXPECT_EQ((std::array{wide.left, wide.top, wide.width, wide.height}), (std::array{0, 37, 400, 225}));
  const DisplayRect tall = FitDisplayRect(4.0 / 3.0, 800, 300);
  EXPECT_EQ((std::array{tall.left, tall.top, tall.width, tall.height}), (std::array{200, 0, 400, 300}));
  EXPECT_EQ(FitDisplayRect(4.0 / 3.0, 0, 300).width, 0);
}

}  // namespace
}  // namespace velto
