#pragma once
// An output is written under a hidden temporary name beside its place, read
// back by the prober and held against its plan, and only then given its
// name.
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "base/work_files.h"
#include "encoder/common/ffmpeg_process_win.h"
#include "encoder/common/run_log_win.h"
#include "encoder/job/output_check.h"

namespace velto {

// Reads a written output back with the prober and holds it against its
// plan. The prober is started ahead, while the conversion runs, and told
// the file on its input once the file is there: under Wine its start takes
// some 20-30 ms, which would otherwise come after ffmpeg's end.
class OutputProber {
 public:
  explicit OutputProber(std::wstring prober) : prober_(std::move(prober)) {}
  OutputProber(const OutputProber&) = delete;
  OutputProber& operator=(const OutputProber&) = delete;
  ~OutputProber();

  // Starts a prober that waits for its file, from a thread of its own so
  // that the conversion's runs start first; nothing when one waits already.
  void Start();
  // The file at `path` read back: empty when it holds what was planned,
  // else what is wrong, in words. Uses up the prober that waits. A prober
  // that twice cannot read the file in its time (CheckTimeLimitMs) leaves
  // it unchecked: empty, and the log says so.
  std::string Check(const std::wstring& path, const OutputPlan& plan, RunLog& log);

 private:
  // One reading by the waiting prober, or a new one when none waits.
  CaptureOutcome Read(const std::wstring& path, DWORD limitMs, std::string& listing);

  std::wstring prober_;
  std::jthread starting_;
  std::string listing_;                      // what the waiting one writes
  std::unique_ptr<FfmpegProcess> waiting_;  // set when its start is done
};

// The checked file's data put on the disk, the file shown and renamed to
// `output`, never replacing a file of that name: 0, or the system's error
// (ERROR_ALREADY_EXISTS when the name is taken).
std::uint32_t PublishOutput(const std::wstring& partial, const std::wstring& output);

}  // namespace velto
