#include "encoder/source/asx_playlist.h"

#include <algorithm>
#include <cstdint>
#include <map>

#include "base/text_encoding.h"

namespace velto {
namespace {

char LowerChar(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = LowerChar(c);
  return out;
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  return text;
}

// A NUL would cut a path short: it is written as U+FFFD.
void AppendCharacter(std::string& out, std::uint32_t c) {
  AppendUtf8(out, c == 0 ? char32_t{0xFFFD} : char32_t{c});
}

std::string DecodeEntities(std::string_view text) {
  static const std::map<std::string, char> kNamed = {
      {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto semicolon = text[i] == '&' ? text.find(';', i) : std::string_view::npos;
    if (semicolon == std::string_view::npos || semicolon - i > 10) {
      out += text[i];
      continue;
    }
    const std::string name = Lower(text.substr(i + 1, semicolon - i - 1));
    if (const auto it = kNamed.find(name); it != kNamed.end()) {
      out += it->second;
    } else if (name.size() > 1 && name[0] == '#') {
      const bool hex = name[1] == 'x';
      const std::string digits = name.substr(hex ? 2 : 1);
      std::uint32_t cp = 0;
      bool ok = !digits.empty();
      for (char c : digits) {
        int d = -1;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (hex && c >= 'a' && c <= 'f') d = c - 'a' + 10;
        if (d < 0 || cp > 0x10FFFF) ok = false;
        else cp = cp * (hex ? 16 : 10) + static_cast<std::uint32_t>(d);
      }
      if (!ok) {
        out += text[i];
        continue;
      }
      AppendCharacter(out, cp);
    } else {
      out += text[i];
      continue;
    }
    i = semicolon;
  }
  return out;
}

// The value of attribute `name` inside one tag's text (after the tag name).
std::optional<std::string> Attribute(std::string_view tag, std::string_view name) {
  std::size_t i = 0;
  while (i < tag.size()) {
    while (i < tag.size() && (IsSpace(tag[i]) || tag[i] == '/')) ++i;
    const std::size_t start = i;
    while (i < tag.size() && !IsSpace(tag[i]) && tag[i] != '=' && tag[i] != '/') ++i;
    const std::string key = Lower(tag.substr(start, i - start));
    while (i < tag.size() && IsSpace(tag[i])) ++i;
    if (i >= tag.size() || tag[i] != '=') {
      if (i == start) ++i;
      continue;
    }
    ++i;
    while (i < tag.size() && IsSpace(tag[i])) ++i;
    std::string_view value;
    if (i < tag.size() && (tag[i] == '"' || tag[i] == '\'')) {
      const char quote = tag[i++];
      const auto end = tag.find(quote, i);
      value = tag.substr(i, end == std::string_view::npos ? std::string_view::npos : end - i);
      i = end == std::string_view::npos ? tag.size() : end + 1;
    } else {
      const std::size_t v = i;
      while (i < tag.size() && !IsSpace(tag[i])) ++i;
      value = tag.substr(v, i - v);
    }
    if (key == name) return DecodeEntities(Trim(value));
  }
  return std::nullopt;
}

std::vector<std::string> XmlEntries(std::string_view text) {
  std::vector<std::string> entries;
  const std::string lower = Lower(text);
  int entryDepth = 0;
  std::size_t i = 0;
  while ((i = lower.find('<', i)) != std::string::npos) {
    if (lower.compare(i, 4, "<!--") == 0) {
      const auto end = lower.find("-->", i + 4);
      if (end == std::string::npos) break;
      i = end + 3;
      continue;
    }
    const auto close = lower.find('>', i);
    if (close == std::string::npos) break;
    std::size_t n = i + 1;
    const bool ending = n < lower.size() && lower[n] == '/';
    if (ending) ++n;
    std::size_t nameEnd = n;
    while (nameEnd < close && !IsSpace(lower[nameEnd]) && lower[nameEnd] != '/') ++nameEnd;
    const std::string name = lower.substr(n, nameEnd - n);
    const bool selfClosing = close > i && lower[close - 1] == '/';
    if (name == "entry") {
      if (ending) entryDepth = std::max(0, entryDepth - 1);
      else if (!selfClosing) ++entryDepth;
    } else if (name == "ref" && !ending && entryDepth > 0) {
      if (auto href = Attribute(text.substr(nameEnd, close - nameEnd), "href"); href && !href->empty())
        entries.push_back(*href);
    }
    i = close + 1;
  }
  return entries;
}

std::vector<std::string> ReferenceEntries(std::string_view text) {
  std::vector<std::pair<long, std::string>> numbered;
  std::size_t start = 0;
  while (start <= text.size()) {
    auto end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = Trim(text.substr(start, end - start));
    start = end + 1;
    const auto equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    const std::string key = Lower(Trim(line.substr(0, equals)));
    if (key.size() < 4 || key.compare(0, 3, "ref") != 0) continue;
    const std::string digits = key.substr(3);
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }) ||
        digits.size() > 6)
      continue;
    const std::string value(Trim(line.substr(equals + 1)));
    if (!value.empty()) numbered.emplace_back(std::stol(digits), value);
  }
  std::stable_sort(numbered.begin(), numbered.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::string> entries;
  for (auto& [number, value] : numbered) entries.push_back(std::move(value));
  return entries;
}

std::string_view SkipPreamble(std::string_view text) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  while (true) {
    text = Trim(text);
    if (text.substr(0, 2) == "<?") {
      const auto end = text.find("?>");
      if (end == std::string_view::npos) return {};
      text.remove_prefix(end + 2);
    } else if (text.substr(0, 4) == "<!--") {
      const auto end = text.find("-->");
      if (end == std::string_view::npos) return {};
      text.remove_prefix(end + 3);
    } else {
      return text;
    }
  }
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = LowerChar(c);
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string PercentDecode(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() + 0 && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

bool IsDriveAbsolute(std::string_view p) {
  return p.size() >= 3 && ((p[0] >= 'a' && p[0] <= 'z') || (p[0] >= 'A' && p[0] <= 'Z')) && p[1] == ':' &&
         (p[2] == '\\' || p[2] == '/');
}

std::string Backslashes(std::string text) {
  std::replace(text.begin(), text.end(), '/', '\\');
  return text;
}

}  // namespace

bool LooksLikeAsx(std::string_view head) {
  std::string_view text = head;
  // UTF-16 playlists: look at the ASCII bytes only.
  std::string narrowed;
  if (text.size() >= 2 && ((text[0] == '\xFF' && text[1] == '\xFE') || (text[0] == '\xFE' && text[1] == '\xFF'))) {
    narrowed = PlaylistTextToUtf8(text);
    text = narrowed;
  }
  text = SkipPreamble(text);
  const std::string start = Lower(text.substr(0, 11));
  return start.compare(0, 4, "<asx") == 0 && (start.size() == 4 || IsSpace(start[4]) || start[4] == '>')
             ? true
             : start.compare(0, 11, "[reference]") == 0;
}

std::string PlaylistTextToUtf8(std::string_view bytes) {
  const bool le = bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE';
  const bool be = bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF';
  if (!le && !be) return LegacyTextToUtf8(bytes);
  std::string out;
  for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
    const auto b0 = static_cast<unsigned char>(bytes[i]), b1 = static_cast<unsigned char>(bytes[i + 1]);
    std::uint32_t unit = le ? (b1 << 8 | b0) : (b0 << 8 | b1);
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < bytes.size()) {
      const auto c0 = static_cast<unsigned char>(bytes[i + 2]), c1 = static_cast<unsigned char>(bytes[i + 3]);
      const std::uint32_t low = le ? (c1 << 8 | c0) : (c0 << 8 | c1);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        i += 2;
      }
    }
    AppendCharacter(out, unit);
  }
  return out;
}

std::vector<std::string> AsxEntries(std::string_view text) {
  const std::string_view body = SkipPreamble(text);
  if (Lower(body.substr(0, 11)) == "[reference]") return ReferenceEntries(body);
  return XmlEntries(body);
}

EntryPlace PlaceOfEntry(std::string_view entryText, std::string_view folder) {
  const std::string_view entry = Trim(entryText);
  if (entry.empty() || entry.find('\0') != std::string_view::npos) return {std::nullopt, "not a file name"};
  if (IsDriveAbsolute(entry)) return {Backslashes(std::string(entry)), ""};
  if (entry.substr(0, 2) == "\\\\" || entry.substr(0, 2) == "//") return {std::nullopt, "a network share"};
  // A scheme of two or more letters makes an address.
  std::string path(entry);
  const auto colon = entry.find(':');
  if (colon != std::string_view::npos && colon >= 2) {
    const std::string scheme = Lower(entry.substr(0, colon));
    const bool isScheme = std::all_of(scheme.begin(), scheme.end(), [](char c) {
      return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
    });
    if (isScheme) {
      if (scheme != "file") return {std::nullopt, "a remote address (" + scheme + ":), never fetched"};
      path = PercentDecode(entry.substr(colon + 1));
      if (path.find('\0') != std::string::npos) return {std::nullopt, "not a file name"};  // "%00" would cut the path short
      if (path.compare(0, 2, "//") == 0) {
        // file://host/... names another machine unless the host is empty or localhost.
        if (path.compare(0, 3, "///") == 0) path.erase(0, 2);
        else if (Lower(path).compare(0, 12, "//localhost/") == 0) path.erase(0, 11);
        else return {std::nullopt, "a network share"};
        if (IsDriveAbsolute(std::string_view(path).substr(1))) path.erase(0, 1);
      }
      // A drive path, a path rooted on the playlist's drive, or one relative
      // to the playlist's folder, as plain entries are.
      if (IsDriveAbsolute(path)) return {Backslashes(path), ""};
      if (path.empty()) return {std::nullopt, "not a file name"};
    }
  }
  if (path.find(':') != std::string::npos) return {std::nullopt, "not a file name"};  // "C:name" and the like
  std::string relative = Backslashes(path);
  std::string base(folder);
  if (relative[0] == '\\') {
    // Rooted on the playlist's drive.
    if (base.size() < 2 || base[1] != ':') return {std::nullopt, "rooted, but the playlist has no drive"};
    return {base.substr(0, 2) + relative, ""};
  }
  if (!base.empty() && base.back() != '\\' && base.back() != '/') base += '\\';
  return {Backslashes(base) + relative, ""};
}

std::optional<std::string> LocalPathOfEntry(std::string_view entry, std::string_view playlistFolder) {
  return PlaceOfEntry(entry, playlistFolder).path;
}

}  // namespace velto
