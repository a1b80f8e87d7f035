#pragma once
// One picture of a conversion's output at a moment of its source: where
// ffmpeg decodes from, its arguments (the conversion's own picture chain,
// the frames as raw bgr24 on its output pipe), and the picture as a BMP.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "encoder/job/encoder_job.h"
#include "encoder/job/picture_arguments.h"
#include "encoder/source/media_probe.h"

namespace velto {

// One decoding for the picture: from `fromSeconds`, the first frame it gives
// or the last one.
struct PreviewDecode {
  double fromSeconds = 0;
  bool lastFrame = false;
};

// The decodings to try in turn, until one gives a frame, for the picture at
// `seconds`: the first frame from there; then, as for a moment past the
// picture's end (a download cut short, a moment beyond the length), its
// last frame, decoded from shortly before that end, and at last from the
// start.
std::vector<PreviewDecode> PlanPreviewDecodes(const SourceInfo& source, double seconds);

// ffmpeg's arguments for one decoding; the job must pass Refusal with the
// source.
std::vector<std::string> PreviewArguments(const EncoderJob& job, const SourceInfo& source,
                                          const PreviewDecode& decode);

// The output frame's size: the stored frame, not stretched to its display
// aspect.
FrameSize PreviewFrameSize(const EncoderJob& job, const SourceInfo& source);

// The moment a decoding's picture shows, in whole seconds: the moment asked
// for, or for a last frame the time of the `frames`-th frame decoded.
std::int32_t ShownSecond(const EncoderJob& job, const SourceInfo& source, const PreviewDecode& decode,
                         double askedSeconds, std::int64_t frames);

// A 24-bit BMP file of a width x height picture given as bgr24 rows from
// the top.
std::string BitmapFile(int width, int height, std::string_view bgrRows);

}  // namespace velto
