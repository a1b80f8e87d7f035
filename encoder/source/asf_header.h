#pragma once
// What a conversion needs to know of an ASF (WMV, ASF) source, read from
// the file's header object directly: much cheaper than starting the prober.
#include <optional>
#include <string_view>

#include "encoder/source/media_probe.h"

namespace velto {

// nullopt when the bytes do not begin with a complete ASF header that this
// reader fully understands (the prober is asked instead then).
std::optional<SourceInfo> ReadAsfHeader(std::string_view bytes);

}  // namespace velto
