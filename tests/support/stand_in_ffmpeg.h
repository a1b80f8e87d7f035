#pragma once
// The stand-in engine (stand_in_ffmpeg.cpp, built beside the tests) put into
// a folder of its own as ffmpeg.exe (and as ffprobe.exe when asked), beside
// a copy of veltoenc.exe, with the fault it is to show.
#include <windows.h>

#include <filesystem>
#include <string>

#include "base/module_directory.h"
#include "base/text_encoding.h"
#include "tests/support/scratch_dir.h"

namespace velto::testing {

// Makes `folder` (UTF-8, ending with a backslash) and returns the path of the
// veltoenc.exe in it; a program not stood in for is the real one.
inline std::wstring InstallStandInEngine(const std::string& folder, bool proberToo = false) {
  namespace fs = std::filesystem;
  fs::create_directories(PathFromUtf8(folder));
  const std::string here = ModuleDirectory();
  const auto copy = [&](const char* from, const char* to) {
    fs::copy_file(PathFromUtf8(here + from), PathFromUtf8(folder + to), fs::copy_options::overwrite_existing);
  };
  copy("veltoenc.exe", "veltoenc.exe");
  copy("stand_in_ffmpeg.exe", "ffmpeg.exe");
  copy(proberToo ? "stand_in_ffmpeg.exe" : "ffprobe.exe", "ffprobe.exe");
  SetEnvironmentVariableW(L"VELTO_REAL_ENGINE_DIR", Utf8ToWide(here).c_str());
  return Utf8ToWide(folder + "veltoenc.exe");
}

// The fault the stand-in shows while this lives (see stand_in_ffmpeg.cpp).
class EngineFault {
 public:
  explicit EngineFault(const wchar_t* fault) { SetEnvironmentVariableW(L"VELTO_ENGINE_FAULT", fault); }
  EngineFault(const EngineFault&) = delete;
  EngineFault& operator=(const EngineFault&) = delete;
  ~EngineFault() { SetEnvironmentVariableW(L"VELTO_ENGINE_FAULT", nullptr); }
};

}  // namespace velto::testing
