#pragma once
// The few file operations the encoder front end needs, on wide paths.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/encoder_cause.h"

namespace velto {

// A file, not a folder, is there.
bool FileExists(const std::wstring& path);

// The absolute form of path; path itself when it has none.
std::wstring FullPath(const std::wstring& path);

// Both are one file on disk: the same volume and file index, however each is
// named (letter case, short names, links). Names that do not both open are
// compared as paths.
bool SameFile(const std::wstring& a, const std::wstring& b);

// Hides a file; false while it is not there.
bool HideFile(const std::wstring& path);

// Up to `limit` bytes from the start of a file; nullopt when it cannot be
// read.
std::optional<std::string> ReadHead(const std::wstring& path, std::size_t limit);

// Up to `limit` bytes from the end of a file; nullopt when it cannot be
// read.
std::optional<std::string> ReadTail(const std::wstring& path, std::size_t limit);

// Makes or replaces a file with text as its whole content; false when it
// cannot be written.
bool WriteTextFile(const std::wstring& path, std::string_view text);

// A file whole or not at all: written under a temporary name beside it,
// its data put on the disk, then renamed over `path` (write-through).
bool ReplaceFileDurably(const std::wstring& path, std::string_view text);

// A file whole or not at all, for an output: written and put on the disk
// under the output's hidden temporary name, which goes with its handle
// should this process end meanwhile, then given `path`, replacing a file
// there. 0, or the system's error.
std::uint32_t WriteOutputWhole(const std::wstring& path, std::string_view bytes);

// A written file's data put on the disk; false when it cannot be.
bool FlushToDisk(const std::wstring& path);

// A file's size; nullopt when it is not there.
std::optional<std::uint64_t> FileBytes(const std::wstring& path);

// A file's size and last write time, in one word; empty when not there.
std::string FileStamp(const std::wstring& path);

// An output that cannot be made, by the system's error: a full drive, or
// else no right to write.
EncoderCause CauseOfOutputError(std::uint32_t error);

// For measurements: ffmpeg's argument line, left in the file that
// VELTO_ENCODER_ENGINE_ARGS_FILE names, when it names one.
void LeaveFfmpegArguments(const std::vector<std::string>& arguments);

// Whether a file can be made (or opened) for writing at path: 0, or the
// system's error code. A file made for the test is removed again.
std::uint32_t WriteOpenError(const std::wstring& path);

// The bytes this user may still write on the drive of path's folder;
// nullopt when that cannot be learnt.
std::optional<std::uint64_t> FreeBytesBeside(const std::wstring& path);

}  // namespace velto
