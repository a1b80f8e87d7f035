#pragma once
// The job turned into the engine's (ffmpeg's) arguments. Source and output
// reach it as file: URLs, so no name can pick a protocol or pass as an
// option.
#include <string>
#include <vector>

#include "encoder/encoder_job.h"
#include "encoder/media_probe.h"

namespace velto {

struct EngineArguments {
  std::vector<std::string> arguments;  // without the program name
  std::string error;                   // why the job cannot be carried out
};

// The source must have a video stream; its size and pixel aspect shape the
// scaling, its audio the channel handling.
EngineArguments TranslateJob(const EncoderJob& job, const SourceInfo& source);

// The prober's arguments for a source; counting reads every packet.
std::vector<std::string> ProbeArguments(const std::string& source, bool countFrames);

// "file:" before a path, so that nothing in it is read as a protocol.
std::string FileUrl(const std::string& path);

}  // namespace velto
