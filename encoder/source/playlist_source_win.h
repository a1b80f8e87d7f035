#pragma once
// The media file behind a source that may be an ASX playlist.
#include <optional>
#include <string>

#include "encoder/common/run_log_win.h"

namespace velto {

struct ResolvedSource {
  std::optional<std::string> path;  // the media file
  // When there is none though the source was read: why its playlist led
  // to no file (each entry passed over, and why), for the log's cause.
  std::string whyNone;
};

// The source itself (as a full path), or the first local file an ASX
// playlist names (playlists within playlists, a few deep); no path when
// there is none or the source cannot be read. Skipped entries are logged.
ResolvedSource ResolveSource(const std::string& source, RunLog& log);

}  // namespace velto
