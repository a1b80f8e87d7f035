#pragma once
// Text held by the core is UTF-8; these helpers check, measure and convert it.
#include <cstddef>
#include <string>
#include <string_view>

namespace velto {

bool IsValidUtf8(std::string_view text);

// Number of characters (code points); a byte that starts no valid sequence
// counts as one character.
std::size_t Utf8Length(std::string_view text);

// The first maxChars characters, never cutting a character in two.
std::string Utf8Prefix(std::string_view text, std::size_t maxChars);

// Length as Windows counts it: UTF-16 code units, two for a character
// beyond U+FFFF; a byte that starts no valid sequence counts as one.
std::size_t Utf16Length(std::string_view text);

// The longest start of text of at most maxUnits UTF-16 code units, never
// cutting a character in two.
std::string Utf16Prefix(std::string_view text, std::size_t maxUnits);

// text itself when it has at most maxChars characters; otherwise its start
// and its end around a horizontal ellipsis (U+2026), maxChars in all.
std::string ShortenInMiddle(std::string_view text, std::size_t maxChars);

// Appends one character as UTF-8; a surrogate or a value above U+10FFFF is
// written as U+FFFD.
void AppendUtf8(std::string& out, char32_t c);

// Text in the system's ANSI code page (Windows-1252 outside Windows) as UTF-8.
std::string AnsiToUtf8(std::string_view text);

// UTF-8 as it is; anything else is taken as ANSI text of an older program.
std::string LegacyTextToUtf8(std::string_view text);

#ifdef _WIN32
std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);
#endif

}  // namespace velto
