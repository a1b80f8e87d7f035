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
