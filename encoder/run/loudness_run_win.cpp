#include "encoder/run/loudness_run_win.h"

#include <cmath>
#include <cstdio>
#include <mutex>

#include "base/encoder_interface.h"
#include "base/text_encoding.h"
#include "encoder/common/ffmpeg_process_win.h"
#include "encoder/job/loudness_arguments.h"

namespace velto {
namespace {

constexpr DWORD kQuietReportMs = 1000;
// The report comes at the end of the error output: what is kept of it.
constexpr std::size_t kErrorOutputKept = 64 * 1024;

struct MeasuringRun {
  bool started = false;
  bool stopped = false;
  DWORD exitCode = 1;
  std::string errorOutput;  // its end
};

// A level for the log; silence's peak is -inf.
std::string Decibels(double value, const char* format = "%.2f") {
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  char text[32];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

MeasuringRun RunMeasuringPass(const std::wstring& ffmpeg, const Arguments& arguments, Reporter& reporter,
                              RunLog& log) {
  MeasuringRun result;
  std::mutex lock;
  FfmpegProcess process;
  result.started = process.Start(ffmpeg, arguments, nullptr, [&](const std::string& bytes) {
    const std::lock_guard<std::mutex> guard(lock);
    result.errorOutput += bytes;
    if (result.errorOutput.size() > 2 * kErrorOutputKept)
      result.errorOutput.erase(0, result.errorOutput.size() - kErrorOutputKept);
  });
  log.Timed("engine: " + WideToUtf8(process.CommandLine()));
  if (!result.started) return result;
  // Told at once and then once a second: only the answer can ask to stop.
  do {
    if (reporter.Send(kReportPosition, 0)) {
      log.Line("stop requested by the window");
      result.stopped = true;
      process.AskToQuit();
      if (!process.Wait(600)) process.Terminate();
      break;
    }
  } while (!process.Wait(kQuietReportMs));
  process.JoinReaders();
  log.Timed("engine ended");
  result.exitCode = process.ExitCode();
  return result;
}

}  // namespace

LoudnessOutcome EvenOutLoudness(const std::wstring& ffmpeg, EncoderJob& job, const SourceInfo& source,
                                Reporter& reporter, RunLog& log) {
  const Arguments arguments = LoudnessMeasureArguments(job, source);
  if (arguments.empty()) {
    log.Line("loudness: the output carries no sound of the source");
    return LoudnessOutcome::kReady;
  }
  const MeasuringRun run = RunMeasuringPass(ffmpeg, arguments, reporter, log);
  if (run.stopped) return LoudnessOutcome::kStopped;
  const std::optional<Loudness> measured =
      run.started && run.exitCode == 0 ? ReadLoudnessReport(run.errorOutput) : std::nullopt;
  if (!measured) {
    log.Line("loudness not measured (exit code " + std::to_string(run.exitCode) + "); the gain stays as asked");
    return LoudnessOutcome::kReady;
  }
  const LoudnessGain gain = EvenLoudnessGain(*measured, job.audio.gainDb.value_or(0.0));
  job.audio.gainDb = gain.gainDb;
  job.audio.peakCeilingDb = gain.peakCeilingDb;
  log.Line("loudness " + Decibels(measured->integrated) + " LUFS, range " + Decibels(measured->range) +
           " LU, peak " + Decibels(measured->peak) + " dBFS: gain " + Decibels(gain.gainDb, "%+.2f") +
           " dB" + (gain.peakCeilingDb ? ", peaks limited" : "") +
           (gain.lifted ? ", the most it is lifted: too quiet to be brought to the target" : ""));
  return LoudnessOutcome::kReady;
}

}  // namespace velto
