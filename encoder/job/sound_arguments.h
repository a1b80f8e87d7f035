#pragma once
// The sound's part of ffmpeg's arguments: where the output's sound comes
// from (the source's first audio stream, or a silent track for a disc),
// its channels, sample rate, gain and encoder.
#include <optional>
#include <string>
#include <vector>

#include "encoder/job/argument_text.h"
#include "encoder/job/disc_rules.h"
#include "encoder/job/encoder_job.h"
#include "encoder/source/media_probe.h"

namespace velto {

// Where the output's sound comes from and what shape it has.
struct AudioPlan {
  bool keepSource = false;   // the source's first audio stream, encoded
  bool silentTrack = false;  // made up: a disc always carries sound
  int channels = 0;
  int sampleRate = 0;
};

AudioPlan PlanAudio(const EncoderJob& job, const SourceInfo& source, const DiscRules* disc);

// The codec's bitrate in kbit/s: the one asked for, snapped to what the
// codec can write.
int AudioBitrate(AudioCodec codec, std::optional<int> asked);

// ffmpeg's inputs: the source, and the silent track when one is made.
Arguments SourceInputs(const EncoderJob& job, const SourceInfo& source, const AudioPlan& audio);

// The inputs' sound streams that go into the output.
void MapAudio(Arguments& args, const AudioPlan& audio);

// The filters that give the source's sound the output's channels and
// sample rate.
std::vector<std::string> SoundShapeFilters(const SourceInfo& source, const AudioPlan& plan);

// The sound's filters and encoder; "-an" for an output without sound. The
// gain comes first; a peak limiter, where the job has one, last.
Arguments AudioArguments(const EncoderJob& job, const SourceInfo& source, const AudioPlan& plan);

}  // namespace velto
