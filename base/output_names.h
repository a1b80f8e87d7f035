#pragma once
// How an output is named when its name is taken: "stem.ext", then
// "stem_srcext.ext" (the source's own extension, in its own letter case),
// then "stem_srcext_2.ext", "stem_srcext_3.ext" ... The converter names its
// outputs so, and the encoder goes on along the same names when the one it
// was given has been taken meanwhile.
#include <functional>
#include <string>
#include <string_view>

namespace velto {

// Whether a path is already taken.
using PathTaken = std::function<bool(const std::string& path)>;

// The first of the names above that is not taken, "stem.ext" itself
// included; `stem` is the path without its extension, `extension` has no
// dot.
std::string FirstFreeOutputPath(std::string_view stem, std::string_view sourcePath, std::string_view extension,
                                const PathTaken& taken);

// The first free name after `output` (a full path) along the names of
// `sourcePath`: when `output` is one of the source's own names ("talk.avi",
// "talk_wmv.avi", "talk_wmv_4.avi" for "talk.wmv"), the ones after it;
// otherwise those of the output's own stem ("clip_wmv.avi" ... for
// "clip.avi").
std::string NextFreeOutputPath(std::string_view output, std::string_view sourcePath, const PathTaken& taken);

}  // namespace velto
