// The prober's JSON: any text is read or refused; what is read stays within
// the stated ranges, makes a probe report, and translates with a few usual
// jobs.
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "encoder/common/command_line_tokens.h"
#include "encoder/job/encoder_job.h"
#include "encoder/job/ffmpeg_arguments.h"
#include "encoder/source/media_probe.h"
#include "fuzz_check.h"

namespace {

const std::vector<velto::EncoderJob>& UsualJobs() {
  static const std::vector<velto::EncoderJob> jobs = [] {
    const char* const lines[] = {
        "in.wmv -o out.wmv -of lavf -ovc lavc -oac lavc -lavcopts vcodec=wmv2:acodec=wmav2:vbitrate=800:abitrate=128 -vf scale=320:-2,harddup 0 0",
        "in.wmv -o out.avi -of lavf -ovc xvid -oac mp3lame -xvidencopts bitrate=1200:autoaspect -lameopts cbr:br=128 -af volume=6db:0:channels=2 0 0",
        "in.wmv -o out.mpg -of mpeg -mpegopts format=dvd -ovc lavc -oac lavc -lavcopts vcodec=mpeg2video:acodec=ac3:aspect=16/9 -vf scale=720:576,harddup -ofps 25 0 0",
        "in.wmv -o out.mpg -of mpeg -mpegopts format=xvcd -ovc lavc -oac lavc -lavcopts vcodec=mpeg1video:acodec=mp2 -vf scale=352:240,expand=352:240 -ofps 30000/1001 -srate 44100 0 0",
        "in.wmv -o out.mpg -of lavf -ovc lavc -oac lavc -lavcopts vcodec=mpeg1video:acodec=mp2 -vf scale=-3:240 -endpos 0:0:0.5 0 0",
    };
    std::vector<velto::EncoderJob> out;
    for (const char* line : lines) {
      const auto parsed = velto::ParseEncoderArguments(velto::SplitCommandLine(line));
      FUZZ_CHECK(parsed.job.has_value());
      out.push_back(*parsed.job);
    }
    return out;
  }();
  return jobs;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string json(reinterpret_cast<const char*>(data), size);
  const auto info = velto::ParseProbeJson(json);
  if (!info) return 0;
  FUZZ_CHECK(std::isfinite(info->durationSeconds) && info->durationSeconds >= 0);
  FUZZ_CHECK(info->frameCount >= 0);
  if (info->hasVideo) {
    FUZZ_CHECK(info->width >= 1 && info->width <= 65535 && info->height >= 1 && info->height <= 65535);
    FUZZ_CHECK(info->sampleAspect.num > 0 && info->sampleAspect.den > 0);
  }
  if (info->hasAudio) FUZZ_CHECK(info->channels >= 1 && info->sampleRate >= 1);
  (void)velto::FrameRateNeedsCounting(*info);
  const velto::ProbeReport report = velto::MakeProbeReport(*info);
  FUZZ_CHECK(report.durationSeconds >= 0 && report.width >= 0 && report.height >= 0 && report.frameRate >= 0);

  for (const velto::EncoderJob& job : UsualJobs()) {
    const velto::FfmpegArguments engine = velto::TranslateJob(job, *info);
    FUZZ_CHECK(engine.error.empty() == info->hasVideo);
    for (const std::string& argument : engine.arguments) FUZZ_CHECK(!argument.empty());
  }
  return 0;
}
