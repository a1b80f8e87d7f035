#pragma once
// An output is written under a hidden temporary name beside its place, read
// back by the prober and held against its plan, and only then given its
// name.
#include <cstdint>
#include <string>

#include "encoder/common/run_log_win.h"
#include "encoder/job/output_check.h"

namespace velto {

// "<folder>\~velto-<name>.partial" beside `output` (the name shortened
// where the whole would be longer than a file name may be).
std::wstring PartialOutputFor(const std::wstring& output);

// The file at `path` read back by the prober: empty when it holds what was
// planned, else what is wrong, in words.
std::string CheckWrittenOutput(const std::wstring& prober, const std::wstring& path, const OutputPlan& plan,
                               RunLog& log);

// The checked file's data put on the disk, the file shown and renamed to
// `output`, replacing a file of that name: 0, or the system's error.
std::uint32_t PublishOutput(const std::wstring& partial, const std::wstring& output);

}  // namespace velto
