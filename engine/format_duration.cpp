#include "engine/format_duration.h"

#include <cstdio>

namespace velto {

std::string FormatDuration(std::int32_t seconds) {
  char text[48];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", static_cast<int>(seconds / 3600),
                static_cast<int>((seconds % 3600) / 60), static_cast<int>(seconds % 60));
  return text;
}

}  // namespace velto
