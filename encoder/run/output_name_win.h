#pragma once
// The names a conversion holds for its output (base/work_files.h): the one
// it writes for, claimed before anything is written, and any it moves on
// to when that is taken; all held until the conversion ends. A name is
// taken when a file or folder has it or another live run holds it; the
// next is then the next free one of the source's names
// (base/output_names.h). An output is never given a taken name: nothing is
// replaced.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/work_files.h"
#include "encoder/common/run_log_win.h"

namespace velto {

class OutputNames {
 public:
  // `source` as the command line names it (a playlist's own path).
  OutputNames(std::string source, RunLog& log) : source_(std::move(source)), log_(log) {}

  // The first free name from `wanted` (a full path), claimed. When the
  // output's folder takes no claim at all, `wanted` unclaimed: the
  // conversion then finds out why as it writes.
  std::wstring Claim(const std::wstring& wanted);
  // The claim of the name claimed last; nullptr when there is none.
  const WorkClaim* Held() const { return claims_.empty() ? nullptr : claims_.back().get(); }

  // The checked file at `partial` given the name `output`, or the next free
  // one when that was taken meanwhile: 0 with `output` the name it got, or
  // the system's error.
  std::uint32_t Publish(const std::wstring& partial, std::wstring& output);

 private:
  std::string source_;
  RunLog& log_;
  std::vector<std::unique_ptr<WorkClaim>> claims_;
};

}  // namespace velto
