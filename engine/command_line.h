#pragma once
// The argument string of one veltoenc.exe run and the path of the encoder.
#include <cstdint>
#include <string>
#include <string_view>

#include "base/encoder_interface.h"
#include "engine/encoding_profiles.h"
#include "settings/conversion_settings.h"

namespace velto {

struct EncoderCommand {
  std::string arguments;    // UTF-8
  std::string encoderPath;  // UTF-8: program directory followed by veltoenc.exe
  std::string startFolder;  // UTF-8: the encoder's current folder; empty: ours
  std::int32_t threads = 0;  // > 0: the engine threads a run in one piece may use
};

// What one run is about. Paths are UTF-8; the window handle is the main
// window's, as an integer (it goes onto the command line as a signed 32-bit
// decimal).
struct EncoderRun {
  std::string_view sourcePath;
  std::string_view outputPath;
  std::int32_t padWidth = 0;   // > 0: bars left and right
  std::int32_t padHeight = 0;  // > 0: bars above and below
  std::int32_t runMode = kRunConvert;  // or kRunProbe
  std::intptr_t mainWindow = 0;
  std::int32_t videoBitrate = 0;  // > 0: kbit/s sent instead of the quality preset's
};

// "+Ndb:0" or "-Ndb:0" from the "Volume" setting (20 is no change).
std::string VolumeText(std::int32_t volume);

// " -ofps ..." for an output frame rate.
std::string FrameRatePiece(double fps);

// Builds the run's arguments. Selects the quality preset (the run's own video
// bitrate replacing the preset's), aspect text and frame rate into `params`
// first (they stay there); the output size is used
// as `params` holds it. `programDirectory` ends with the path separator.
EncoderCommand BuildCommandLine(const ConversionSettings& settings, EncodingParameters& params,
                                double sourceFps, const EncoderRun& run,
                                std::string_view programDirectory);

// A picture of the output at `seconds` into the source: the conversion's own
// line for `run` (whose output names the picture's file), with " -ss T"
// before its ending and the preview run mode. T is decimal with a point,
// to the millisecond; a negative or non-finite moment is the start.
EncoderCommand BuildPreviewCommandLine(const ConversionSettings& settings, EncodingParameters& params,
                                       double sourceFps, EncoderRun run, double seconds,
                                       std::string_view programDirectory);

// The same, with the encoder looked for in the running program's directory.
EncoderCommand BuildCommandLine(const ConversionSettings& settings, EncodingParameters& params,
                                double sourceFps, const EncoderRun& run);

}  // namespace velto
