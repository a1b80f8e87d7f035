#pragma once
// The job turned into the engine's (ffmpeg's) arguments. Source and output
// reach it as file: URLs, so no name can pick a protocol or pass as an
// option.
#include <cstdint>
#include <optional>
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

// A conversion split by time (encoder/segment_plan.h): one engine run per
// range of the video timeline writes that range's video into a folder, one
// more the whole sound, and a last one joins them into the output by stream
// copy.
struct SplitArguments {
  std::vector<std::vector<std::string>> video;  // one run per range, in order
  std::vector<std::int64_t> frames;             // each range's frames where fixed, else 0
  std::vector<std::string> audio;               // empty when the output has no sound
  std::vector<std::string> join;
  std::string partList;                         // the join's list of the parts, for its input
  std::vector<std::string> files;               // every file the runs make in the folder
};

// nullopt when the job stays one engine run: refused, shorter than 30 s,
// one processor, or an output whose frame times are not known beforehand.
// `folder` ends with a path separator.
std::optional<SplitArguments> TranslateSplitJob(const EncoderJob& job, const SourceInfo& source, int processors,
                                                const std::string& folder);

// The prober's arguments for a source; counting reads every packet.
std::vector<std::string> ProbeArguments(const std::string& source, bool countFrames);

// "file:" before a path, so that nothing in it is read as a protocol.
std::string FileUrl(const std::string& path);

}  // namespace velto
