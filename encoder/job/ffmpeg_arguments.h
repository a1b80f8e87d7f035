#pragma once
// The job turned into ffmpeg's arguments for one run. Source and output
// reach it as file: URLs, so no name can pick a protocol or pass as an
// option.
#include <string>
#include <vector>

#include "encoder/job/encoder_job.h"
#include "encoder/source/media_probe.h"

namespace velto {

struct FfmpegArguments {
  std::vector<std::string> arguments;  // without the program name
  std::string error;                   // why the job cannot be carried out
};

// The source must have a video stream; its size and pixel aspect shape the
// scaling, its audio the channel handling.
FfmpegArguments TranslateJob(const EncoderJob& job, const SourceInfo& source);

// Why the job cannot be carried out with this source; empty when it can.
std::string Refusal(const EncoderJob& job, const SourceInfo& source);

}  // namespace velto
