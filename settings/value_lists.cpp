#include "settings/value_lists.h"

namespace velto {

std::string VolumeLabelText(std::int32_t volume) {
  // Wide arithmetic: stored values are not range-checked.
  const long long v = volume;
  return v >= 20 ? "+" + std::to_string(v - 20) + "db" : "-" + std::to_string(20 - v) + "db";
}

}  // namespace velto
