#pragma once
// One run of veltoenc.exe: read the arguments, probe or convert, report to
// the window, leave a log. Returns the process's exit code (EncoderExit).
#include <string>

namespace velto {

int RunEncoderFrontEnd(const std::wstring& commandLine);

}  // namespace velto
