#pragma once
// The converter's folder in the user's local application data, where the
// run logs and the batch journal live, and its own log there.
#include <string>

namespace velto {

// "<local application data>\Velto ASF Converter" (the environment's
// LOCALAPPDATA first, as veltoenc.exe takes it); empty when unknown.
std::string LocalDataFolder();

// The folder where veltoenc.exe keeps its run logs and the converter its
// own log; empty when unknown.
std::string EncoderLogFolder();

// One line, with the time, added to converter.log in the logs folder: what
// the converter did about an interrupted batch, and what it could not do.
void LogConverterLine(const std::string& line);

}  // namespace velto
