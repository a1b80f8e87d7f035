#pragma once
// Every output is checked before it counts: what the job plans it to hold,
// what the prober finds in it (its streams and each packet's times, read
// without decoding), and whether the one holds the other.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "encoder/job/encoder_job.h"
#include "encoder/source/media_probe.h"

namespace velto {

struct OutputPlan {
  std::string videoCodec;     // as the prober names it
  int width = 0, height = 0;  // the frame, bars included
  // The picture's length in seconds: at a constant rate from the start, with
  // the source's own frame times from its first frame; and a frame's time,
  // the measure of what is near.
  double videoSeconds = 0;
  double frameSeconds = 0.1;
  std::int64_t frames = 0;    // at a constant rate; 0 when not known beforehand
  bool sound = false;
  double soundSeconds = 0;
};

// From the job and what the source holds: its length (of the data present,
// for a file cut short), or its streams' own ends where they are known,
// within -endpos.
OutputPlan PlanOutput(const EncoderJob& job, const SourceInfo& source);

// The prober's arguments for reading back a written file: its streams and
// every packet's times. With `path` empty the prober reads the list of one
// file that OutputProbeList gives on its input, so that it can be started
// before the file is there.
std::vector<std::string> OutputProbeArguments(const std::string& path);
std::string OutputProbeList(const std::string& path);

struct StreamFacts {
  std::string codec;
  int width = 0, height = 0;
  std::int64_t packets = 0;
  double start = 0, end = 0;  // the earliest packet's time, the latest's with its duration
};

// The first video and audio streams the prober found, with their packets.
struct OutputFacts {
  std::optional<StreamFacts> video, audio;
};

OutputFacts ReadOutputFacts(std::string_view listing);

// Empty when the output holds what was planned: the codec and frame; its
// frames and length no more than a frame (a tenth of a second at least)
// short, and no more than a frame and a fifth of a second over, since
// ffmpeg's constant rate ends a frame or two to either side of the source's
// last picture; the sound when planned, within 0.1 s of its length. Else
// what is wrong, in words.
std::string CheckOutput(const OutputPlan& plan, const OutputFacts& facts);

// The prober's time for reading back an output of `bytes`: its time for a
// source, and a second more for every 20 MB (a 4 GB file on a USB 2 disk
// takes some two minutes).
std::uint32_t CheckTimeLimitMs(std::uint32_t proberMs, std::uint64_t bytes);

}  // namespace velto
