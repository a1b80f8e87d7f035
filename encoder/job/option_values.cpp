#include "encoder/job/option_values.h"

#include <charconv>
#include <cstdlib>
#include <numeric>

namespace velto {
namespace {

// A non-negative decimal as an exact fraction, e.g. "29.970000" -> 2997/100.
std::optional<Fraction> DecimalFraction(const std::string& text) {
  if (!ParseDecimal(text) || text[0] == '-' || text[0] == '+') return std::nullopt;
  const auto point = text.find('.');
  std::string digits = text;
  std::int64_t den = 1;
  if (point != std::string::npos) {
    std::string fraction = text.substr(point + 1);
    while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
    if (fraction.size() > 9) return std::nullopt;
    digits = text.substr(0, point) + fraction;
    for (std::size_t k = 0; k < fraction.size(); ++k) den *= 10;
  }
  if (digits.empty()) return std::nullopt;
  const auto num = ParseInteger(digits, 0, 1'000'000'000'000LL);
  if (!num) return std::nullopt;
  return Fraction{*num, den};
}

Fraction Reduce(Fraction f) {
  const std::int64_t g = std::gcd(f.num, f.den);
  if (g > 1) {
    f.num /= g;
    f.den /= g;
  }
  return f;
}

}  // namespace

std::vector<std::string> SplitText(const std::string& text, const std::string& separators) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : text) {
    if (separators.find(c) != std::string::npos) {
      parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  parts.push_back(part);
  return parts;
}

std::string Lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

std::optional<std::int64_t> ParseInteger(const std::string& text, std::int64_t low, std::int64_t high) {
  if (text.empty()) return std::nullopt;
  const char* first = text.data();
  if (*first == '+') ++first;
  std::int64_t value = 0;
  const auto [end, ec] = std::from_chars(first, text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || first == end) return std::nullopt;
  if (value < low || value > high) return std::nullopt;
  return value;
}

std::optional<int> ParseInt(const std::string& text, int low, int high) {
  const auto value = ParseInteger(text, low, high);
  if (!value) return std::nullopt;
  return static_cast<int>(*value);
}

std::optional<double> ParseDecimal(const std::string& text) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  bool digits = false, point = false;
  for (std::size_t k = i; k < text.size(); ++k) {
    if (text[k] >= '0' && text[k] <= '9') {
      digits = true;
    } else if (text[k] == '.' && !point) {
      point = true;
    } else {
      return std::nullopt;
    }
  }
  if (!digits || text.size() - i > 40) return std::nullopt;
  return std::strtod(text.c_str(), nullptr);
}

std::optional<Fraction> ParseFraction(const std::string& text) {
  const auto slash = text.find('/');
  std::optional<Fraction> result;
  if (slash == std::string::npos) {
    result = DecimalFraction(text);
  } else {
    const auto num = DecimalFraction(text.substr(0, slash));
    const auto den = DecimalFraction(text.substr(slash + 1));
    if (!num || !den || den->num == 0) return std::nullopt;
    // (a/b) / (c/d) = ad / bc, kept within range.
    if (num->num > 1'000'000'000 || den->num > 1'000'000'000) return std::nullopt;
    result = Fraction{num->num * den->den, num->den * den->num};
  }
  if (!result || result->num <= 0) return std::nullopt;
  return Reduce(*result);
}

std::optional<double> ParseTimePosition(const std::string& text) {
  const auto parts = SplitText(text, ":");
  if (parts.size() > 3) return std::nullopt;
  double seconds = 0;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const bool last = i + 1 == parts.size();
    std::optional<double> value;
    if (last) {
      value = ParseDecimal(parts[i]);
    } else if (const auto n = ParseInt(parts[i], 0, 1'000'000)) {
      value = *n;
    }
    if (!value || *value < 0 || parts[i][0] == '+' || parts[i][0] == '-') return std::nullopt;
    seconds = seconds * 60 + *value;
  }
  return seconds;
}

std::optional<SubOptions> ParseSubOptions(const std::string& text) {
  SubOptions options;
  for (const auto& piece : SplitText(text, ":")) {
    if (piece.empty()) return std::nullopt;
    const auto equals = piece.find('=');
    if (equals == std::string::npos) {
      options.emplace_back(piece, std::nullopt);
    } else {
      if (equals == 0) return std::nullopt;
      options.emplace_back(piece.substr(0, equals), piece.substr(equals + 1));
    }
  }
  return options;
}

std::optional<bool> FlagValue(const std::optional<std::string>& value) {
  if (!value) return true;
  if (*value == "1") return true;
  if (*value == "0") return false;
  return std::nullopt;
}

}  // namespace velto
