#pragma once
// What the ASF header and packet readers share: the objects' GUIDs as
// stored in the file (first three fields little-endian), the reading of
// GUIDs and little-endian numbers from the bytes, and the walk over the
// header object's children.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>

namespace velto::asf {

using Guid = unsigned char[16];

inline constexpr Guid kHeaderObject = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                       0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
inline constexpr Guid kDataObject = {0x36, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                     0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
inline constexpr Guid kFileProperties = {0xA1, 0xDC, 0xAB, 0x8C, 0x47, 0xA9, 0xCF, 0x11,
                                         0x8E, 0xE4, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
inline constexpr Guid kStreamProperties = {0x91, 0x07, 0xDC, 0xB7, 0xB7, 0xA9, 0xCF, 0x11,
                                           0x8E, 0xE6, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
inline constexpr Guid kVideoMedia = {0xC0, 0xEF, 0x19, 0xBC, 0x4D, 0x5B, 0xCF, 0x11,
                                     0xA8, 0xFD, 0x00, 0x80, 0x5F, 0x5C, 0x44, 0x2B};
inline constexpr Guid kAudioMedia = {0x40, 0x9E, 0x69, 0xF8, 0x4D, 0x5B, 0xCF, 0x11,
                                     0xA8, 0xFD, 0x00, 0x80, 0x5F, 0x5C, 0x44, 0x2B};

inline bool SameGuid(std::string_view bytes, std::size_t at, const Guid& guid) {
  return at + 16 <= bytes.size() && std::memcmp(bytes.data() + at, guid, 16) == 0;
}

// An unsigned number of `width` bytes, least significant first; the caller
// makes sure they are there.
inline std::uint64_t Little(std::string_view bytes, std::size_t at, int width) {
  std::uint64_t value = 0;
  for (int i = width - 1; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

// The header object at the start of `bytes` (30 bytes of its own, then its
// children); nothing when it is not there whole.
inline std::optional<std::string_view> HeaderObject(std::string_view bytes) {
  if (bytes.size() < 30 || !SameGuid(bytes, 0, kHeaderObject)) return std::nullopt;
  const std::uint64_t size = Little(bytes, 16, 8);
  if (size < 30 || size > bytes.size()) return std::nullopt;
  return bytes.substr(0, static_cast<std::size_t>(size));
}

// Calls visit(child) for each object inside `header`, in file order. False
// when a child's size does not fit or visit refused it (returned false).
template <typename Visit>
bool ForEachChild(std::string_view header, Visit&& visit) {
  std::size_t at = 30;
  while (at + 24 <= header.size()) {
    const std::uint64_t size = Little(header, at + 16, 8);
    if (size < 24 || size > header.size() - at) return false;
    if (!visit(header.substr(at, static_cast<std::size_t>(size)))) return false;
    at += static_cast<std::size_t>(size);
  }
  return true;
}

}  // namespace velto::asf
