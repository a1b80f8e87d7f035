#pragma once
// The rules of a batch that need no window: output file names, letterbox
// numbers, creating the output folder level by level, and what becomes of a
// file's output and of the batch after each encoder run.
#include <cstdint>
#include <string>
#include <string_view>

#include "base/output_names.h"

namespace velto {

// "avi", "mpeg", "vob", "wmv", "asf" or "mp4" for an output format; "avi" for a
// value outside the list.
std::string_view OutputExtension(std::int32_t outputFormat);

// PathTaken (base/output_names.h) says whether a path is already taken: an
// existing file or folder, or a source of the list.

// The output file for `sourcePath` in `folder`: the folder (a backslash
// added when missing), the source's file name with the format's extension.
// When that name is taken, the next free one by FirstFreeOutputPath's rule
// ("name_srcext.ext", "name_srcext_2.ext" ...). An existing file is never
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

// How one file's encoder run ended.
struct FileRun {
  bool started = false;        // the encoder process ran
  std::uint32_t exitCode = 0;  // its exit code, when it ran
  long long outputSize = -1;   // of the output file afterwards; -1: there is none
};

// Converted: the encoder ran, ended with kExitDone and left a non-empty file.
bool Converted(const FileRun& run);

// The encoder stopped on a Cancel that it saw and that was confirmed then
// (kExitStopped). A Cancel pressed after its last report is asked about
// after the run instead.
bool StopConfirmedByEncoder(const FileRun& run);

// What the batch does after a file's run.
struct AfterFileRun {
  // The run's temporary output goes: an encoder that was ended, or that
  // crashed, could not remove it. A published output is never removed: its
  // name may be another's file by then.
  bool removePartial = false;
  bool failed = false;    // the file is named in the closing message
  bool endBatch = false;  // no further file, no closing message
};

// `stopConfirmed`: a Cancel pressed during the run was confirmed. A stopped
// batch ends; it names no failure. Otherwise a file not converted is named
// as failed, and the batch goes on.
AfterFileRun DecideAfterFileRun(const FileRun& run, bool stopConfirmed);

// Whether `got`, the name an encoder says its output was published under,
// can be the output asked for as `asked`: a file of the same folder (letter
// case aside) with the same extension (so never a hidden work file).
bool PublishedNameFits(std::string_view asked, std::string_view got);

}  // namespace velto
