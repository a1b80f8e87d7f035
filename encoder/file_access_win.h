#pragma once
// The few file operations the encoder front end needs, on wide paths.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace velto {

// A file, not a folder, is there.
bool FileExists(const std::wstring& path);

// The absolute form of path; path itself when it has none.
std::wstring FullPath(const std::wstring& path);

// Both name the same file (letter case aside).
bool SamePath(const std::wstring& a, const std::wstring& b);

// Up to `limit` bytes from the start of a file; nullopt when it cannot be
// read.
std::optional<std::string> ReadHead(const std::wstring& path, std::size_t limit);

// Makes or replaces a file with text as its whole content; false when it
// cannot be written.
bool WriteTextFile(const std::wstring& path, std::string_view text);

}  // namespace velto
