#pragma once
// The picture's part of ffmpeg's arguments: scaling, bars, pixel shape and
// the output's frame rate.
#include <optional>
#include <string>

#include "encoder/job/argument_text.h"
#include "encoder/job/disc_rules.h"
#include "encoder/job/encoder_job.h"
#include "encoder/source/media_probe.h"

namespace velto {

// The output's constant frame rate; none keeps the source's own frame times.
std::optional<Fraction> PlanFrameRate(const EncoderJob& job, const SourceInfo& source, const DiscRules* disc);

struct FrameSize {
  int width = 0, height = 0;
};

// The output's frame: the scaled picture with its bars.
FrameSize PlannedFrameSize(const EncoderJob& job, const SourceInfo& source, const DiscRules* disc);

// The scaling and bars, and the frame rate; `first` goes before the
// scaling when given.
Arguments PictureArguments(const EncoderJob& job, const SourceInfo& source, const DiscRules* disc,
                           const std::string& first = "");

}  // namespace velto
