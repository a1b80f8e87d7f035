#pragma once
// The video encoder's part of ffmpeg's arguments (codec, tag, rate control,
// quantizers, key frames, aspect) and the output's muxer.
#include <string>

#include "encoder/job/argument_text.h"
#include "encoder/job/disc_rules.h"
#include "encoder/job/encoder_job.h"
#include "encoder/source/media_probe.h"

namespace velto {

// The video encoder, its tag, rate control, quantizer limits, key-frame
// interval and stated aspect; H.264's (encoder/job/h264_arguments.h) take
// the source's picture into account.
Arguments VideoArguments(const EncoderJob& job, const SourceInfo& source, const DiscRules* disc);

// The AVI video tag and the stated display aspect, for an output that
// copies its video rather than encoding it.
Arguments CopiedVideoArguments(const EncoderJob& job);

// The output's muxer with its settings; an MP4 output's index goes before
// its media data, so that it plays while it downloads.
Arguments MuxerArguments(const EncoderJob& job, const DiscRules* disc);

}  // namespace velto
