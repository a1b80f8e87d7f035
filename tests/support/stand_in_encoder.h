#pragma once
// The stand-in encoder (stand_in_encoder.cpp, built beside the tests) put
// into a folder of its own as veltoenc.exe, where it keeps its notes.
#include <filesystem>
#include <string>

#include "base/module_directory.h"
#include "tests/support/scratch_dir.h"

namespace velto::testing {

// Makes `folder` (UTF-8, ending with a backslash) and returns it.
inline std::string InstallStandInEncoder(const std::string& folder) {
  std::filesystem::create_directories(PathFromUtf8(folder));
  std::filesystem::copy_file(PathFromUtf8(ModuleDirectory() + "stand_in_encoder.exe"),
                             PathFromUtf8(folder + "veltoenc.exe"));
  return folder;
}

}  // namespace velto::testing
