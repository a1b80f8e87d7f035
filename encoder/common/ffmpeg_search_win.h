#pragma once
// Where ffmpeg's programs (ffmpeg.exe, ffprobe.exe) are found.
#include <optional>
#include <string>

namespace velto {

// Beside this program, else in an absolute folder of the PATH; the current
// folder, the output folder, is never searched.
std::optional<std::wstring> FindFfmpegProgram(const wchar_t* name);

}  // namespace velto
