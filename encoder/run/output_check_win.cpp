#include "encoder/run/output_check_win.h"

#include <windows.h>

#include <cstdio>

#include "base/encoder_interface.h"
#include "base/owned_handles.h"
#include "base/text_encoding.h"
#include "encoder/common/file_access_win.h"
#include "encoder/common/ffmpeg_process_win.h"

namespace velto {
OutputProber::~OutputProber() {
  if (starting_.joinable()) starting_.join();
}

void OutputProber::Start() {
  if (starting_.joinable()) starting_.join();
  if (waiting_) return;
  starting_ = std::jthread([this] {
    auto process = std::make_unique<FfmpegProcess>();
    listing_.clear();
    if (process->Start(prober_, OutputProbeArguments(""), [this](const std::string& bytes) { listing_ += bytes; },
                       nullptr))
      waiting_ = std::move(process);
  });
}

CaptureOutcome OutputProber::Read(const std::wstring& path, DWORD limitMs, std::string& listing) {
  if (starting_.joinable()) starting_.join();
  if (!waiting_) return RunAndCapture(prober_, OutputProbeArguments(WideToUtf8(path)), listing, limitMs);
  waiting_->GiveInput(OutputProbeList(WideToUtf8(path)));
  const bool ended = waiting_->Wait(limitMs);
  if (!ended) waiting_->Terminate();
  waiting_->JoinReaders();
  const CaptureOutcome outcome = !ended                      ? CaptureOutcome::kTimedOut
                                 : waiting_->ExitCode() == 0 ? CaptureOutcome::kDone
                                                             : CaptureOutcome::kFailed;
  listing = std::move(listing_);
  waiting_.reset();
  return outcome;
}

std::string OutputProber::Check(const std::wstring& path, const OutputPlan& plan, RunLog& log) {
  // A large output on a slow disk takes the prober a while to read.
  const DWORD limitMs = CheckTimeLimitMs(ProberTimeLimitMs(), FileBytes(path).value_or(0));
  std::string listing;
  CaptureOutcome outcome = Read(path, limitMs, listing);
  if (outcome == CaptureOutcome::kTimedOut) {
    log.Line("the output could not be read in " + std::to_string(limitMs / 1000) + " s; reading it once more");
    outcome = Read(path, limitMs, listing);
  }
  switch (outcome) {
    case CaptureOutcome::kTimedOut:
      // The conversion itself ended well: a disk too slow for the check
      // does not make its output incomplete.
      log.Line("the output could not be checked in time; it is named unchecked");
      return "";
    case CaptureOutcome::kFailed: return "the output cannot be read";
    case CaptureOutcome::kDone: break;
  }
  const OutputFacts facts = ReadOutputFacts(listing);
  char text[320];
  const StreamFacts none;
  const StreamFacts& video = facts.video.value_or(none);
  const StreamFacts& audio = facts.audio.value_or(none);
  std::snprintf(text, sizeof text,
                "output check: picture %s %dx%d, %lld frames, %.3f s (planned %s %dx%d, %lld frames, %.3f s); "
                "sound %.3f s (planned %s%.3f s)",
                video.codec.c_str(), video.width, video.height, static_cast<long long>(video.packets),
                video.end - video.start, plan.videoCodec.c_str(), plan.width, plan.height,
                static_cast<long long>(plan.frames), plan.videoSeconds, audio.end - audio.start,
                plan.sound ? "" : "none, ", plan.soundSeconds);
  log.Timed(text);
  return CheckOutput(plan, facts);
}

std::uint32_t PublishOutput(const std::wstring& partial, const std::wstring& output) {
  {
    const UniqueHandle file(CreateFileW(partial.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file || !FlushFileBuffers(file.Get())) return GetLastError();
  }
  const DWORD attributes = GetFileAttributesW(partial.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) SetFileAttributesW(partial.c_str(), attributes & ~FILE_ATTRIBUTE_HIDDEN);
  if (!MoveFileExW(partial.c_str(), output.c_str(), MOVEFILE_WRITE_THROUGH))
    return GetLastError();
  return 0;
}

}  // namespace velto
