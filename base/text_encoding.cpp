#include "base/text_encoding.h"

namespace velto {
namespace {

// Length of the valid UTF-8 sequence starting at text[i], or 0.
std::size_t SequenceLength(std::string_view text, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char b0 = byte(i);
  if (b0 < 0x80) return 1;
  std::size_t n;
  unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the second byte
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    n = 2;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    n = 3;
    if (b0 == 0xE0) lo = 0xA0;         // no overlong forms
    if (b0 == 0xED) hi = 0x9F;         // no surrogates
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    n = 4;
    if (b0 == 0xF0) lo = 0x90;
    if (b0 == 0xF4) hi = 0x8F;         // nothing above U+10FFFF
  } else {
    return 0;
  }
  if (i + n > text.size()) return 0;
  if (byte(i + 1) < lo || byte(i + 1) > hi) return 0;
  for (std::size_t k = 2; k < n; ++k)
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
  return n;
}

}  // namespace

bool IsValidUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t n = SequenceLength(text, i);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

std::size_t Utf8Length(std::string_view text) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < text.size(); ++count) {
    const std::size_t n = SequenceLength(text, i);
    i += n == 0 ? 1 : n;
  }
  return count;
}

std::string Utf8Prefix(std::string_view text, std::size_t maxChars) {
  std::size_t i = 0;
  for (std::size_t count = 0; i < text.size() && count < maxChars; ++count) {
    const std::size_t n = SequenceLength(text, i);
    i += n == 0 ? 1 : n;
  }
  return std::string(text.substr(0, i));
}

std::size_t Utf16Length(std::string_view text) {
  std::size_t units = 0;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t n = SequenceLength(text, i);
    units += n == 4 ? 2 : 1;
    i += n == 0 ? 1 : n;
  }
  return units;
}

std::string Utf16Prefix(std::string_view text, std::size_t maxUnits) {
  std::size_t i = 0;
  for (std::size_t units = 0; i < text.size();) {
    const std::size_t n = SequenceLength(text, i);
    units += n == 4 ? 2 : 1;
    if (units > maxUnits) break;
    i += n == 0 ? 1 : n;
  }
  return std::string(text.substr(0, i));
}

std::string ShortenInMiddle(std::string_view text, std::size_t maxChars) {
  const std::size_t length = Utf8Length(text);
  if (length <= maxChars) return std::string(text);
  if (maxChars == 0) return {};
  const std::size_t kept = maxChars - 1;
  const std::size_t head = (kept + 1) / 2;
  const std::string start = Utf8Prefix(text, head);
  // The end: skip the characters that are left out.
  std::size_t i = 0;
  for (std::size_t count = 0; i < text.size() && count < length - (kept - head); ++count) {
    const std::size_t n = SequenceLength(text, i);
    i += n == 0 ? 1 : n;
  }
  return start + "\u2026" + std::string(text.substr(i));
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string LegacyTextToUtf8(std::string_view text) {
  return IsValidUtf8(text) ? std::string(text) : AnsiToUtf8(text);
}

}  // namespace velto
