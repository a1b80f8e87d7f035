#pragma once
// Small file helpers on UTF-8 paths. On Windows the paths go to the wide
// API; long absolute paths are given the "\\?\" prefix internally.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace velto {

// Files larger than this are not read by ReadWholeFile's default.
inline constexpr std::size_t kDefaultReadLimit = std::size_t{64} << 20;

// The whole content of a file, or nothing when it is missing, cannot be
// read, is not a regular file, or is larger than maxBytes.
std::optional<std::string> ReadWholeFile(const std::string& path,
                                         std::size_t maxBytes = kDefaultReadLimit);

// Replaces the file at path with content in one step: the content goes to a
// temporary file in the same folder, is flushed to disk, and then takes the
// place of the old file. On failure the old file is left as it was and the
// temporary file is removed. True on success; otherwise `why`, when given,
// gets the system's reason in words.
bool ReplaceFileAtomically(const std::string& path, std::string_view content, std::string* why = nullptr);

// Whether anything (file, folder, ...) exists at path.
bool PathExists(const std::string& path);
bool IsDirectory(const std::string& path);

// The name used for the temporary file of ReplaceFileAtomically: beside the
// target, unique to this process.
std::string TemporaryPathFor(const std::string& path);

}  // namespace velto
