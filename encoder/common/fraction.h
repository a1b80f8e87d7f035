#pragma once
// An exact rate or aspect, such as 30000/1001 frames a second or 16/9.
#include <cstdint>

namespace velto {

struct Fraction {
  std::int64_t num = 0;
  std::int64_t den = 1;
  double Value() const { return static_cast<double>(num) / static_cast<double>(den); }
  bool operator==(const Fraction&) const = default;
};

}  // namespace velto
