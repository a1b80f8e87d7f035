#pragma once
// Why a run of veltoenc.exe failed, as the encoder decides it from what it
// knows (its own file checks, the engine's exit) and records it in its run
// log for the converter: a line "cause=NAME" and, for an engine failure or
// an incomplete output, a line "cause-detail=TEXT" holding the engine's last
// error line or what the output lacks (for a playlist that leads to no file:
// each entry passed over, and why). The converter turns the name into words
// and shows the detail as it stands; it never reads the engine's own text to
// find a cause.
#include <string>
#include <string_view>

namespace velto {

enum class EncoderCause {
  kUnknown,           // no record: older or foreign encoders, or no log
  kBadArguments,      // the argument string was refused
  kSourceUnreadable,  // the source (or every entry of its playlist) cannot be read; the detail says
                      // why a playlist's entries were passed over
  kNotVideoFile,      // the engine finds no media in the source
  kNoVideoStream,     // media without a video stream
  kFfmpegMissing,     // ffmpeg.exe or ffprobe.exe not found or not startable
  kFfmpegFailed,      // the engine ended in failure; the detail says how
  kOutputDenied,      // the output cannot be made: access denied or read-only
  kDiskFull,          // the drive of the output is full
  kSourceReadTimeout, // the prober gave no answer about the source in its time
  kOutputIncomplete,  // the output written does not hold what was planned; the detail says how
};

struct EncoderCauseRecord {
  EncoderCause cause = EncoderCause::kUnknown;
  // kFfmpegFailed: the engine's last error line; kOutputIncomplete: what the
  // output lacks; kSourceUnreadable: a playlist's entries
  std::string detail;
};

// The record's log lines, each ended by CR LF; nothing for kUnknown.
std::string EncoderCauseLines(const EncoderCauseRecord& record);

// The record held by a run log's text; kUnknown when it holds none.
EncoderCauseRecord ReadEncoderCause(std::string_view logText);

// What an exit code alone tells (see EncoderExit), for runs without a record.
EncoderCause CauseOfExitCode(int exitCode);

}  // namespace velto
