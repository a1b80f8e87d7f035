#pragma once
// What the Preview window says about the output and where it draws the
// picture, without a window.
#include <string>

#include "engine/media_list.h"
#include "settings/conversion_settings.h"

namespace velto {

// The output frame a file gets with `settings`, as the encoder makes it.
struct OutputFrame {
  int width = 0;  // the frame's size, bars included
  int height = 0;
  double displayAspect = 1.0;  // width / height as players show the frame
  bool statedAspect = false;   // the format states its display aspect
  bool letterboxed = false;    // bars keep the picture's own shape
  double fps = 0.0;            // the output's frame rate
};

OutputFrame OutputFrameFor(const ConversionSettings& settings, const MediaEntry& source);

// "DVD compatible MPEG2, 720 x 480, 16:9, letterboxed, 29.97 fps": the
// format, the frame's size, the display aspect when the format states one,
// "letterboxed" when bars are added, and the frame rate.
std::string OutputDescription(const ConversionSettings& settings, const MediaEntry& source);

struct DisplayRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

// The largest rectangle of `aspect` (width / height) centred in an area of
// areaWidth x areaHeight; empty when either is empty.
DisplayRect FitDisplayRect(double aspect, int areaWidth, int areaHeight);

}  // namespace velto
