#pragma once
// What a source holds: read in-process from an ASF file's header and first
// data packets where that is enough, else asked of the prober (ffprobe.exe).
#include <optional>
#include <string>

#include "encoder/common/run_log_win.h"
#include "encoder/source/media_probe.h"

namespace velto {

// Thrown when the prober has not answered within its time (30 s, or
// VELTO_PROBER_SECONDS): the source is refused rather than waited for.
struct SourceReadTimedOut {};

// The prober's description; with countIfNeeded the frames are counted when
// the stated frame rate cannot be believed.
std::optional<SourceInfo> ProbeSource(const std::wstring& prober, const std::string& source, bool countIfNeeded,
                                      RunLog& log);

// An ASF source's header read directly, which spares starting the prober;
// its frame rate is left as the header states it, its duration is that of
// the data present when the file was cut short.
std::optional<SourceInfo> ReadSourceHeader(const std::string& source, RunLog& log);

// What a probe reports on: read in-process where the file allows, else
// from the prober.
std::optional<SourceInfo> DescribeSource(const std::wstring& prober, const std::string& source, RunLog& log);

}  // namespace velto
