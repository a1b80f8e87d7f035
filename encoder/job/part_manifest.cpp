#include "encoder/job/part_manifest.h"

#include <charconv>

#include "encoder/common/command_line_tokens.h"

namespace velto {
namespace {

constexpr char kFirstLine[] = "velto-part 1";

bool IsDigest(std::string_view text) {
  if (text.size() != 16) return false;
  for (char c : text)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  return true;
}

// A whole decimal number of digits alone.
template <typename Number>
bool ReadNumber(std::string_view text, Number& value) {
  if (text.empty() || text[0] < '0' || text[0] > '9') return false;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  return error == std::errc() && stop == end;
}

// The text of `line` after "key ", when it begins so.
std::optional<std::string_view> After(std::string_view line, std::string_view key) {
  if (line.size() <= key.size() || !line.starts_with(key) || line[key.size()] != ' ') return std::nullopt;
  return line.substr(key.size() + 1);
}

}  // namespace

std::string RunDigest(std::string_view salt, const std::vector<std::string>& arguments) {
  std::uint64_t hash = 0xcbf29ce484222325ull;
  const auto feed = [&hash](std::string_view text) {
    for (const char c : text) {
      hash ^= static_cast<unsigned char>(c);
      hash *= 0x100000001b3ull;
    }
  };
  feed(salt);
  feed("\n");
  feed(JoinCommandLine(arguments));
  static constexpr char kHex[] = "0123456789abcdef";
  std::string digest(16, '0');
  for (int i = 15; i >= 0; --i, hash >>= 4) digest[i] = kHex[hash & 15];
  return digest;
}

bool PartIsWhole(std::int64_t plannedFrames, std::int64_t givenFrames) {
  return plannedFrames > 0 ? givenFrames == plannedFrames : givenFrames > 0;
}

std::string FormatManifest(const PartManifest& m) {
  return std::string(kFirstLine) + "\ndigest " + m.digest + "\nrange " + std::to_string(m.index) + " " +
         std::to_string(m.first) + " " + std::to_string(m.count) + "\nframes " + std::to_string(m.frames) +
         "\nbytes " + std::to_string(m.bytes) + "\n";
}

std::optional<PartManifest> ParseManifest(std::string_view text) {
  PartManifest m;
  int seen = 0;  // one bit a field
  bool first = true;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    if (end == std::string_view::npos) return std::nullopt;  // the last line is cut short
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end + 1);
    if (first) {
      if (line != kFirstLine) return std::nullopt;
      first = false;
      continue;
    }
    int bit = 0;
    bool good = false;
    if (const auto digest = After(line, "digest")) {
      bit = 1;
      good = IsDigest(*digest);
      m.digest = std::string(*digest);
    } else if (const auto range = After(line, "range")) {
      bit = 2;
      const std::size_t a = range->find(' ');
      const std::size_t b = a == std::string_view::npos ? a : range->find(' ', a + 1);
      good = b != std::string_view::npos && ReadNumber(range->substr(0, a), m.index) &&
             ReadNumber(range->substr(a + 1, b - a - 1), m.first) && ReadNumber(range->substr(b + 1), m.count);
    } else if (const auto frames = After(line, "frames")) {
      bit = 4;
      good = ReadNumber(*frames, m.frames);
    } else if (const auto bytes = After(line, "bytes")) {
      bit = 8;
      good = ReadNumber(*bytes, m.bytes);
    }
    if (!good || (seen & bit)) return std::nullopt;
    seen |= bit;
  }
  if (seen != 15) return std::nullopt;
  return m;
}

bool ManifestMatches(const PartManifest& kept, const PartManifest& wanted, std::uint64_t bytes) {
  return kept.digest == wanted.digest && kept.index == wanted.index && kept.first == wanted.first &&
         kept.count == wanted.count && (wanted.index == 0 || PartIsWhole(wanted.frames, kept.frames)) &&
         kept.bytes == bytes && bytes > 0;
}

}  // namespace velto
