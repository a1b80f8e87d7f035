#pragma once
// The values inside the encoder's option pieces: numbers, fractions,
// times, and pieces separated by ':' or ','.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "encoder/common/fraction.h"

namespace velto {

// `text` cut at every one of `separators`; empty pieces are kept.
std::vector<std::string> SplitText(const std::string& text, const std::string& separators);

// ASCII letters in lower case.
std::string Lower(std::string text);

// A whole decimal number within [low, high], optionally with '+'.
std::optional<std::int64_t> ParseInteger(const std::string& text, std::int64_t low, std::int64_t high);
std::optional<int> ParseInt(const std::string& text, int low, int high);

// A plain decimal number: digits with at most one point, optional sign.
std::optional<double> ParseDecimal(const std::string& text);

// "25.000000", "25", "15000/1001", "2.21/1" as a reduced fraction; nullopt
// when malformed, zero or negative.
std::optional<Fraction> ParseFraction(const std::string& text);

// "9:0:0", "1:30", "75.5" as seconds.
std::optional<double> ParseTimePosition(const std::string& text);

// Kilobits as MEncoder reads them: up to 16000 kbit, larger values are bits.
inline std::int64_t KbitOrBits(std::int64_t value) { return value > 16000 ? value : value * 1000; }

using SubOptions = std::vector<std::pair<std::string, std::optional<std::string>>>;

// "a=1:b:c=x" as (name, value) pairs; nullopt when a piece is empty or has
// no name.
std::optional<SubOptions> ParseSubOptions(const std::string& text);

// A flag given bare or as =0/=1.
std::optional<bool> FlagValue(const std::optional<std::string>& value);

}  // namespace velto
