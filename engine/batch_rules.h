#pragma once
// The rules of a batch that need no window: output file names, letterbox
// numbers and creating the output folder level by level.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace velto {

// "avi", "mpeg", "vob", "wmv" or "asf" for an output format; "avi" for a
// value outside the list.
std::string_view OutputExtension(std::int32_t outputFormat);

// Whether a path is already taken: an existing file or folder, or a source
// of the list.
using PathTaken = std::function<bool(const std::string& path)>;

// The output file for `sourcePath` in `folder`: the folder (a backslash
// added when missing), the source's file name with the format's extension.
// When that name is taken, "name_srcext.ext" (the source's own extension, in
// its own letter case); when that is taken too, the first free one of
// "name_srcext_2.ext", "name_srcext_3.ext" ... An existing file is never
// chosen, so nothing is ever overwritten.
std::string MakeOutputPath(std::string_view folder, std::string_view sourcePath, std::int32_t outputFormat,
                           const PathTaken& taken);

struct Letterbox {
  std::int32_t padWidth = 0;   // > 0: bars left and right
  std::int32_t padHeight = 0;  // > 0: bars above and below
};

// Letterbox numbers for a source of width x height shown at an output size;
// both 0 when letterboxing is off, the output keeps the source size, or the
// source size is unknown.
Letterbox ComputeLetterbox(bool letterboxOn, std::int32_t sourceWidth, std::int32_t sourceHeight,
                           std::int32_t outputWidth, std::int32_t outputHeight);

// The file-system calls that folder creation needs.
class FolderOps {
 public:
  virtual ~FolderOps() = default;
  virtual bool IsDirectory(const std::string& path) = 0;
  virtual bool MakeCurrent(const std::string& path) = 0;
  virtual bool MakeFolder(const std::string& path) = 0;
};

// Makes sure the folder exists, creating missing levels from the top down,
// and makes it the current directory. 0 on success, -1 otherwise.
int EnsureFolder(std::string_view folder, FolderOps& ops);

}  // namespace velto
