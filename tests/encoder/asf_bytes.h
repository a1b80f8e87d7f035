#pragma once
// Writing ASF objects byte by byte for the reader tests: little-endian
// numbers, the GUIDs as the file stores them (written out here, not taken
// from the reader), objects with their size, and the header object.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace velto::testing::asf {

inline void Put(std::string& out, std::uint64_t value, int width) {
  for (int i = 0; i < width; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

inline std::string Guid(std::initializer_list<int> bytes) {
  std::string out;
  for (int b : bytes) out += static_cast<char>(b);
  return out;
}

inline const std::string kHeader =
    Guid({0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11, 0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C});
inline const std::string kData =
    Guid({0x36, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11, 0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C});
inline const std::string kFile =
    Guid({0xA1, 0xDC, 0xAB, 0x8C, 0x47, 0xA9, 0xCF, 0x11, 0x8E, 0xE4, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65});
inline const std::string kStream =
    Guid({0x91, 0x07, 0xDC, 0xB7, 0xB7, 0xA9, 0xCF, 0x11, 0x8E, 0xE6, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65});
inline const std::string kAudio =
    Guid({0x40, 0x9E, 0x69, 0xF8, 0x4D, 0x5B, 0xCF, 0x11, 0xA8, 0xFD, 0x00, 0x80, 0x5F, 0x5C, 0x44, 0x2B});
inline const std::string kVideo =
    Guid({0xC0, 0xEF, 0x19, 0xBC, 0x4D, 0x5B, 0xCF, 0x11, 0xA8, 0xFD, 0x00, 0x80, 0x5F, 0x5C, 0x44, 0x2B});

inline std::string Object(const std::string& guid, const std::string& body) {
  std::string out = guid;
  Put(out, 24 + body.size(), 8);
  return out + body;
}

// The header object holding `objects`.
inline std::string HeaderObject(const std::vector<std::string>& objects) {
  std::string body;
  for (const auto& o : objects) body += o;
  std::string out = kHeader;
  Put(out, 30 + body.size(), 8);
  Put(out, objects.size(), 4);
  out += "\x01\x02";
  return out + body;
}

}  // namespace velto::testing::asf
