#pragma once
// The media file behind a source that may be an ASX playlist.
#include <optional>
#include <string>

#include "encoder/common/run_log_win.h"

namespace velto {

// The source itself (as a full path), or the first local file an ASX
// playlist names (playlists within playlists, a few deep); nullopt when
// there is none or the source cannot be read. Skipped entries are logged.
std::optional<std::string> ResolveSource(const std::string& source, RunLog& log);

}  // namespace velto
