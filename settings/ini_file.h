#pragma once
// An INI document read and edited the way the platform's private profile
// calls treat a profile file:
//  - a line "[name]" opens a section, a line "key=value" holds a value;
//  - section and key names compare without regard to (ASCII) case, and the
//    first section of a name and the first key of a name in it count;
//  - key and value are trimmed of surrounding blanks, and a value enclosed
//    in a matching pair of double or single quotes is given without them;
//  - a value is at most kMaxValueLength characters;
//  - setting a key replaces its line in place, or appends the key at the
//    end of its section, or appends the section at the end of the document;
//    every other line is kept.
// Input may be UTF-8 (with or without BOM) or UTF-16 with a BOM, with LF,
// CRLF or CR line ends; a line that is not UTF-8 is taken as ANSI text of an
// older program. Output is UTF-8 without BOM with CRLF line ends.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velto {

class IniFile {
 public:
  static constexpr std::size_t kMaxValueLength = 255;

  IniFile() = default;
  static IniFile Parse(std::string_view bytes);

  // The value of the key, or nothing when the key (or its section) is absent.
  std::optional<std::string> Get(std::string_view section, std::string_view key) const;

  // The value of the key, or defaultText when the key is absent. A key that is
  // present with an empty value gives "".
  std::string GetString(std::string_view section, std::string_view key,
                        std::string_view defaultText) const;

  // Sets the key's value; false (and nothing changed) when the section or key
  // name cannot be stored in a profile line. Line breaks and NULs in the
  // value become blanks and its end respectively; a value that would not read
  // back as itself (surrounding blanks, enclosing quotes) is written quoted.
  bool Set(std::string_view section, std::string_view key, std::string_view value);

  std::string Serialize() const;

 private:
  using Offset = std::uint32_t;
  static constexpr Offset kNone = UINT32_MAX;

  struct Key {
    Offset lineBegin, lineEnd;   // the line in text_, without its line end
    Offset nameBegin, nameEnd;   // trimmed key name
    Offset valueBegin, valueEnd; // trimmed raw value
    std::int32_t replacement;    // index into replacements_, or -1
  };
  struct Section {
    Offset nameBegin, nameEnd;   // kNone for the lines before the first header
    Offset firstKey;             // index into keys_
    Offset insertAt;             // where keys appended to this section go
  };
  struct AppendedKey {
    std::size_t section;
    std::string name, value;
  };
  struct NewSection {
    std::string name;
    std::vector<std::pair<std::string, std::string>> keys;
  };

  void AddLine(std::string_view line);
  std::string_view Text(Offset begin, Offset end) const;
  std::size_t FindSection(std::string_view name) const;
  std::size_t FindKey(std::size_t section, std::string_view name) const;
  // The value text as stored after '=', for trimmed names.
  std::optional<std::string_view> RawValue(std::string_view section, std::string_view key) const;

  std::string text_;  // the document as UTF-8, every line ended by '\n'
  bool indexing_ = true;
  std::vector<Section> sections_;
  std::vector<Key> keys_;
  std::vector<std::string> replacements_;
  std::vector<AppendedKey> appended_;
  std::vector<NewSection> newSections_;
};

}  // namespace velto
