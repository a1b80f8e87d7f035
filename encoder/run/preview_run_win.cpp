#include "encoder/run/preview_run_win.h"

#include <windows.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "base/encoder_interface.h"
#include "base/text_encoding.h"
#include "encoder/common/ffmpeg_process_win.h"
#include "encoder/common/ffmpeg_search_win.h"
#include "encoder/common/file_access_win.h"
#include "encoder/common/run_log.h"
#include "encoder/job/argument_text.h"
#include "encoder/job/ffmpeg_arguments.h"
#include "encoder/job/preview_arguments.h"
#include "encoder/source/playlist_source_win.h"
#include "encoder/source/source_probe_win.h"

namespace velto {
namespace {

// What one decoding gave: the picture's frame (the first or the last),
// how many frames came, and how ffmpeg ended.
struct Decoded {
  bool started = false;
  bool whole = false;  // the output came in whole frames of the planned size
  std::string frame;
  std::int64_t frames = 0;
  DWORD exitCode = 1;
  std::string lastError;
};

// Runs ffmpeg for one decoding, keeping no more than two frames in memory.
// A first frame is taken as soon as it has come whole: ffmpeg, which was
// to give no more, is ended then rather than waited for. Whatever else it
// had written by then still comes, and a frame of another size than
// planned shows as output left over.
Decoded Decode(const std::wstring& ffmpeg, const std::vector<std::string>& arguments, std::size_t frameBytes,
               bool lastFrame, RunLog& log) {
  Decoded result;
  std::string pending;
  LastLines errors;
  const UniqueHandle framed(lastFrame ? nullptr : CreateEventW(nullptr, TRUE, FALSE, nullptr));
  FfmpegProcess process;
  const bool started = process.Start(
      ffmpeg, arguments,
      [&](const std::string& bytes) {
        pending += bytes;
        while (pending.size() >= frameBytes) {
          ++result.frames;
          if (lastFrame || result.frame.empty()) result.frame.assign(pending, 0, frameBytes);
          pending.erase(0, frameBytes);
        }
        if (framed && result.frames > 0) SetEvent(framed.Get());
      },
      [&](const std::string& bytes) { errors.Feed(bytes); }, frameBytes);
  log.Timed("engine: " + WideToUtf8(process.CommandLine()));
  result.started = started;
  if (!started) return result;
  const HANDLE waits[2] = {process.Process(), framed.Get()};
  const DWORD waited = WaitForMultipleObjects(framed ? 2 : 1, waits, FALSE, ProberTimeLimitMs());
  if (waited == WAIT_OBJECT_0 + 1) {
    process.Terminate();
  } else if (waited != WAIT_OBJECT_0) {
    process.Terminate();
    process.JoinReaders();
    throw SourceReadTimedOut{};
  }
  process.JoinReaders();
  result.exitCode = process.ExitCode();
  result.whole = pending.empty();
  for (const std::string& line : errors.Lines()) {
    log.Line("engine: " + line);
    result.lastError = line;
  }
  return result;
}

}  // namespace

int RunPreview(const EncoderJob& asked, Reporter& reporter, RunLog& log) {
  const auto ffmpeg = FindFfmpegProgram(L"ffmpeg.exe");
  const auto prober = FindFfmpegProgram(L"ffprobe.exe");
  if (!ffmpeg || !prober)
    return log.Fail("ffmpeg.exe or ffprobe.exe not found", EncoderCause::kFfmpegMissing, kExitFfmpegMissing);
  const auto source = ResolveSource(asked.source, log);
  if (!source.path)
    return log.Fail("source unreadable", EncoderCause::kSourceUnreadable, kExitSourceUnreadable, source.whyNone);
  const std::wstring output = Utf8ToWide(asked.output);
  if (SameFile(Utf8ToWide(asked.source), output) || SameFile(Utf8ToWide(*source.path), output))
    return log.Fail("refused: the picture would overwrite the source", EncoderCause::kBadArguments,
                    kExitBadArguments);
  EncoderJob job = asked;
  job.source = *source.path;
  auto info = ReadSourceHeader(job.source, log);
  if (!info) info = ProbeSource(*prober, job.source, false, log);
  if (!info) return log.Fail("no media found", EncoderCause::kNotVideoFile, kExitSourceUnreadable);
  if (!info->hasVideo) return log.Fail("no video stream found", EncoderCause::kNoVideoStream, kExitSourceUnreadable);
  if (const std::string why = Refusal(job, *info); !why.empty())
    return log.Fail("refused: " + why, EncoderCause::kBadArguments, kExitBadArguments);

  const FrameSize size = PreviewFrameSize(job, *info);
  const std::size_t frameBytes = static_cast<std::size_t>(size.width) * static_cast<std::size_t>(size.height) * 3;
  const double seconds = std::min(job.previewSeconds.value_or(0.0), job.endSeconds.value_or(1e9));
  Decoded decoded;
  const std::vector<PreviewDecode> decodes = PlanPreviewDecodes(*info, seconds);
  LeaveFfmpegArguments(PreviewArguments(job, *info, decodes.front()));
  for (const PreviewDecode& decode : decodes) {
    decoded = Decode(*ffmpeg, PreviewArguments(job, *info, decode), frameBytes, decode.lastFrame, log);
    if (!decoded.started)
      return log.Fail("the engine could not be started", EncoderCause::kFfmpegMissing, kExitFfmpegMissing);
    // A frame of another size than planned would come out scrambled.
    if (!decoded.whole)
      return log.Fail("the engine's frames are not of the planned size", EncoderCause::kFfmpegFailed,
                      kExitFfmpegFailed, "frames of another size");
    if (decoded.frame.empty()) continue;
    const std::int32_t shown = ShownSecond(job, *info, decode, seconds, decoded.frames);
    log.Timed("picture of " + std::to_string(size.width) + " x " + std::to_string(size.height) + " at " +
              std::to_string(shown) + " s");
    if (const std::uint32_t error = WriteOutputWhole(output, BitmapFile(size.width, size.height, decoded.frame)))
      return log.Fail("the picture cannot be written (system error " + std::to_string(error) + ")",
                      CauseOfOutputError(error), kExitFfmpegFailed);
    reporter.Send(kReportPosition, shown);
    return kExitDone;
  }
  const std::string why = "no picture could be decoded at " + Seconds(seconds) + " s";
  if (decoded.exitCode != 0) return log.Fail(why, EncoderCause::kFfmpegFailed, kExitFfmpegFailed, decoded.lastError);
  return log.Fail(why, EncoderCause::kSourceUnreadable, kExitSourceUnreadable);
}

}  // namespace velto
