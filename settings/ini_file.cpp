#include "settings/ini_file.h"

#include <algorithm>

#include "base/text_encoding.h"

namespace velto {
namespace {

constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);

// Documents are indexed up to this size; text beyond it is kept but not read.
constexpr std::size_t kIndexLimit = UINT32_MAX - 1;

// The blanks the profile calls trim; Ctrl-Z is an old end-of-file mark.
bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '\n' || c == '\x1a';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

bool IsQuote(char c) { return c == '"' || c == '\''; }

bool IsQuotedPair(std::string_view v) { return v.size() >= 2 && IsQuote(v.front()) && v.back() == v.front(); }

// UTF-16 text (without its BOM) as UTF-8; unpaired surrogates become U+FFFD
// and an odd last byte is dropped.
std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
  const std::size_t units = bytes.size() / 2;
  const auto unit = [&](std::size_t i) -> char32_t {
    const auto b0 = static_cast<unsigned char>(bytes[2 * i]);
    const auto b1 = static_cast<unsigned char>(bytes[2 * i + 1]);
    return bigEndian ? (char32_t{b0} << 8 | b1) : (char32_t{b1} << 8 | b0);
  };
  std::string out;
  out.reserve(units * 3 / 2 + 1);
  for (std::size_t i = 0; i < units; ++i) {
    const char32_t u = unit(i);
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units) {
      const char32_t low = unit(i + 1);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
        ++i;
        continue;
      }
    }
    AppendUtf8(out, u);
  }
  return out;
}

// Section names may hold anything but line breaks and NULs.
bool IsStorableSectionName(std::string_view name) {
  return !name.empty() && IsValidUtf8(name) && name.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

// A key name must not make its line read as a header, a comment or another key.
bool IsStorableKeyName(std::string_view name) {
  return !name.empty() && IsValidUtf8(name) && name.front() != '[' && name.front() != ';' &&
         name.find_first_of(std::string_view("\r\n\0=", 4)) == std::string_view::npos;
}

// The text written after '=': one line, UTF-8, and quoted when the reader
// would otherwise trim it or take its own quotes off.
std::string EncodeValue(std::string_view value) {
  value = value.substr(0, value.find('\0'));
  std::string text = LegacyTextToUtf8(value);
  std::replace(text.begin(), text.end(), '\r', ' ');
  std::replace(text.begin(), text.end(), '\n', ' ');
  if (!text.empty() && (IsBlank(text.front()) || IsBlank(text.back()) || IsQuotedPair(text)))
    return '"' + text + '"';
  return text;
}

// The value as the profile calls give it: up to a NUL, without an enclosing
// pair of quotes, at most kMaxValueLength characters.
std::string DecodeValue(std::string_view raw) {
  raw = raw.substr(0, raw.find('\0'));
  if (IsQuotedPair(raw)) raw = raw.substr(1, raw.size() - 2);
  return Utf8Prefix(raw, IniFile::kMaxValueLength);
}

// Appends text with every '\n' written as CRLF.
void AppendWithCrlf(std::string& out, std::string_view text) {
  while (!text.empty()) {
    const std::size_t nl = text.find('\n');
    if (nl == std::string_view::npos) {
      out.append(text);
      return;
    }
    out.append(text.substr(0, nl));
    out.append("\r\n");
    text.remove_prefix(nl + 1);
  }
}

void AppendLine(std::string& out, std::string_view name, std::string_view value) {
  out.append(name);
  out += '=';
  out.append(value);
  out.append("\r\n");
}

}  // namespace

IniFile IniFile::Parse(std::string_view bytes) {
  IniFile ini;
  std::string decoded;
  std::string_view text = bytes;
  if (text.starts_with("\xFF\xFE")) {
    decoded = Utf16ToUtf8(text.substr(2), false);
    text = decoded;
  } else if (text.starts_with("\xFE\xFF")) {
    decoded = Utf16ToUtf8(text.substr(2), true);
    text = decoded;
  }
  // Every byte-order mark at the start goes: one left in the text would hide
  // the first line's header or key until the file is next written.
  while (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  ini.sections_.push_back({kNone, kNone, 0, 0});
  ini.text_.reserve(text.size() + text.size() / 8 + 16);
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) {
      ini.AddLine(text.substr(pos));
      break;
    }
    ini.AddLine(text.substr(pos, end - pos));
    const bool crlf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
    pos = end + (crlf ? 2 : 1);
  }
  return ini;
}

void IniFile::AddLine(std::string_view line) {
  std::string converted;
  if (!IsValidUtf8(line)) {
    converted = LegacyTextToUtf8(line);
    line = converted;
  }
  if (indexing_ && text_.size() + line.size() + 1 > kIndexLimit) indexing_ = false;
  const std::size_t begin = text_.size();
  text_.append(line);
  text_ += '\n';
  if (!indexing_) return;

  const std::string_view stored(text_.data() + begin, line.size());
  const std::string_view trimmed = Trim(stored);
  if (trimmed.empty()) return;
  const auto at = [&](std::string_view part) { return static_cast<Offset>(part.data() - text_.data()); };
  const auto lineEnd = static_cast<Offset>(begin + line.size());

  if (trimmed.front() == '[') {
    const std::size_t close = trimmed.rfind(']');
    if (close != std::string_view::npos) {
      const std::string_view name = Trim(trimmed.substr(1, close - 1));
      sections_.push_back({at(name), static_cast<Offset>(at(name) + name.size()),
                           static_cast<Offset>(keys_.size()), lineEnd + 1});
      return;
    }
  }
  sections_.back().insertAt = lineEnd + 1;
  if (trimmed.front() == ';') return;
  const std::size_t eq = trimmed.find('=');
  if (eq == std::string_view::npos) return;
  const std::string_view name = Trim(trimmed.substr(0, eq));
  const std::string_view value = Trim(trimmed.substr(eq + 1));
  keys_.push_back({static_cast<Offset>(begin), lineEnd, at(name), static_cast<Offset>(at(name) + name.size()),
                   at(value), static_cast<Offset>(at(value) + value.size()), -1});
}

std::string_view IniFile::Text(Offset begin, Offset end) const {
  return std::string_view(text_.data() + begin, end - begin);
}

std::size_t IniFile::FindSection(std::string_view name) const {
  for (std::size_t s = 1; s < sections_.size(); ++s)
    if (EqualNoCase(Text(sections_[s].nameBegin, sections_[s].nameEnd), name)) return s;
  return kNotFound;
}

std::size_t IniFile::FindKey(std::size_t section, std::string_view name) const {
  const std::size_t last = section + 1 < sections_.size() ? sections_[section + 1].firstKey : keys_.size();
  for (std::size_t k = sections_[section].firstKey; k < last; ++k)
    if (EqualNoCase(Text(keys_[k].nameBegin, keys_[k].nameEnd), name)) return k;
  return kNotFound;
}

std::optional<std::string_view> IniFile::RawValue(std::string_view section, std::string_view key) const {
  const std::size_t s = FindSection(section);
  if (s != kNotFound) {
    const std::size_t k = FindKey(s, key);
    if (k != kNotFound) {
      const Key& entry = keys_[k];
      if (entry.replacement >= 0) return replacements_[static_cast<std::size_t>(entry.replacement)];
      return Text(entry.valueBegin, entry.valueEnd);
    }
    for (const AppendedKey& a : appended_)
      if (a.section == s && EqualNoCase(a.name, key)) return a.value;
    return std::nullopt;
  }
  for (const NewSection& n : newSections_) {
    if (!EqualNoCase(n.name, section)) continue;
    for (const auto& [name, value] : n.keys)
      if (EqualNoCase(name, key)) return value;
    break;
  }
  return std::nullopt;
}

std::optional<std::string> IniFile::Get(std::string_view section, std::string_view key) const {
  section = Trim(section);
  key = Trim(key);
  if (section.empty() || key.empty()) return std::nullopt;
  const std::optional<std::string_view> raw = RawValue(section, key);
  if (!raw) return std::nullopt;
  return DecodeValue(*raw);
}

std::string IniFile::GetString(std::string_view section, std::string_view key,
                               std::string_view defaultText) const {
  if (auto value = Get(section, key)) return std::move(*value);
  return Utf8Prefix(defaultText, kMaxValueLength);
}

bool IniFile::Set(std::string_view section, std::string_view key, std::string_view value) {
  section = Trim(section);
  key = Trim(key);
  if (!IsStorableSectionName(section) || !IsStorableKeyName(key)) return false;
  std::string encoded = EncodeValue(value);

  const std::size_t s = FindSection(section);
  if (s != kNotFound) {
    const std::size_t k = FindKey(s, key);
    if (k != kNotFound) {
      Key& entry = keys_[k];
      if (entry.replacement < 0) {
        entry.replacement = static_cast<std::int32_t>(replacements_.size());
        replacements_.push_back(std::move(encoded));
      } else {
        replacements_[static_cast<std::size_t>(entry.replacement)] = std::move(encoded);
      }
      return true;
    }
    for (AppendedKey& a : appended_) {
      if (a.section == s && EqualNoCase(a.name, key)) {
        a.value = std::move(encoded);
        return true;
      }
    }
    appended_.push_back({s, std::string(key), std::move(encoded)});
    return true;
  }

  for (NewSection& n : newSections_) {
    if (!EqualNoCase(n.name, section)) continue;
    for (auto& [name, v] : n.keys) {
      if (EqualNoCase(name, key)) {
        v = std::move(encoded);
        return true;
      }
    }
    n.keys.emplace_back(std::string(key), std::move(encoded));
    return true;
  }
  newSections_.push_back({std::string(section), {{std::string(key), std::move(encoded)}}});
  return true;
}

std::string IniFile::Serialize() const {
  std::string out;
  out.reserve(text_.size() + text_.size() / 8 + 64);

  std::vector<const AppendedKey*> appended;
  appended.reserve(appended_.size());
  for (const AppendedKey& a : appended_) appended.push_back(&a);
  std::stable_sort(appended.begin(), appended.end(),
                   [](const AppendedKey* a, const AppendedKey* b) { return a->section < b->section; });
  auto nextAppended = appended.begin();

  std::size_t cursor = 0;
  for (std::size_t s = 0; s < sections_.size(); ++s) {
    const std::size_t last = s + 1 < sections_.size() ? sections_[s + 1].firstKey : keys_.size();
    if (!replacements_.empty()) {
      for (std::size_t k = sections_[s].firstKey; k < last; ++k) {
        const Key& entry = keys_[k];
        if (entry.replacement < 0) continue;
        AppendWithCrlf(out, std::string_view(text_).substr(cursor, entry.lineBegin - cursor));
        AppendLine(out, Text(entry.nameBegin, entry.nameEnd), replacements_[static_cast<std::size_t>(entry.replacement)]);
        cursor = std::size_t{entry.lineEnd} + 1;
      }
    }
    if (nextAppended != appended.end() && (*nextAppended)->section == s) {
      AppendWithCrlf(out, std::string_view(text_).substr(cursor, sections_[s].insertAt - cursor));
      cursor = sections_[s].insertAt;
      for (; nextAppended != appended.end() && (*nextAppended)->section == s; ++nextAppended)
        AppendLine(out, (*nextAppended)->name, (*nextAppended)->value);
    }
  }
  AppendWithCrlf(out, std::string_view(text_).substr(cursor));

  for (const NewSection& n : newSections_) {
    out += '[';
    out.append(n.name);
    out.append("]\r\n");
    for (const auto& [name, value] : n.keys) AppendLine(out, name, value);
  }
  return out;
}

}  // namespace velto
