#pragma once
// What the converter and its encoder front end, veltoenc.exe, agree on: the
// report message, its kinds, the run modes, the encoder's exit codes and
// where it keeps its run logs.
// The argument string itself is built by BuildCommandLine.
#include <cstdint>

namespace velto {

inline constexpr char kEncoderExecutable[] = "veltoenc.exe";

// The run logs: "<local application data>\<kEncoderLogParent>\<kEncoderLogSubfolder>",
// each named veltoenc-<time>-<process id>.log.
inline constexpr wchar_t kEncoderLogParent[] = L"Velto ASF Converter";
inline constexpr wchar_t kEncoderLogSubfolder[] = L"logs";

// WM_USER + 0x320, sent by the encoder to the window whose handle ends its
// command line. wParam: the report kind; lParam: the value (signed 32-bit).
// The handler's result 1 asks the encoder to stop, 0 lets it go on.
inline constexpr unsigned kProgressMessage = 0x720;

enum ReportKind : unsigned {
  kReportDuration = 1,   // whole seconds
  kReportWidth = 2,      // pixels
  kReportHeight = 3,     // pixels
  kReportFrameRate = 4,  // frames per second times 10 000 000
  kReportPosition = 6,   // whole seconds of the current file encoded so far
  // Sent by a probe only for a source cut short: the whole seconds its
  // header states, when the data present (the duration report) lasts more
  // than a second less. Converters that do not know the kind ignore it.
  kReportStatedDuration = 8,
};

// A conversion of a source shorter than this runs as one ffmpeg run; a
// longer one is split by time over the processors.
inline constexpr double kShortestSplitSeconds = 30.0;

// The engine threads a conversion run in one piece may use, when the
// converter runs several side by side (a whole number in the encoder's
// environment); unset: as many as the engine likes.
inline constexpr wchar_t kThreadsVariable[] = L"VELTO_THREADS";

enum RunMode : std::int32_t {
  kRunConvert = 0,
  kRunProbe = 1,
  kRunPreview = 2,  // one picture of the output at -ss T, written as a 24-bit BMP
};

// WM_COPYDATA's dwData for the name a conversion's checked output was given,
// sent by the encoder to the window that gets its reports as soon as the
// output has its name: the output's full path in UTF-16, no terminating
// zero. It is the name the command line asked for, unless another run took
// that meanwhile; the output then has the next free name.
inline constexpr std::uintptr_t kOutputNamedCopyData = 0x564E414D;

// The encoder's exit codes. On any code but kExitDone no incomplete output
// file is left behind.
enum EncoderExit : int {
  kExitDone = 0,
  kExitBadArguments = 1,
  kExitStopped = 2,
  kExitSourceUnreadable = 3,
  kExitFfmpegMissing = 4,
  kExitFfmpegFailed = 5,
};

}  // namespace velto
