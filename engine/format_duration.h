#pragma once
#include <cstdint>
#include <string>

namespace velto {

// "hh:mm:ss" from whole seconds; hours take as many digits as they need
// (100 hours give "100:00:00").
std::string FormatDuration(std::int32_t seconds);

}  // namespace velto
