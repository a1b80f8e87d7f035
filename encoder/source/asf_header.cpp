#include "encoder/source/asf_header.h"

#include <cstdint>
#include <cstring>

#include "encoder/source/asf_objects.h"

namespace velto {
namespace {

using namespace asf;

constexpr Guid kHeaderExtension = {0xB5, 0x03, 0xBF, 0x5F, 0x2E, 0xA9, 0xCF, 0x11,
                                   0x8E, 0xE3, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
constexpr Guid kMetadata = {0xEA, 0xCB, 0xF8, 0xC5, 0xAF, 0x5B, 0x77, 0x48,
                            0x84, 0x67, 0xAA, 0x8C, 0x44, 0xFA, 0x4C, 0xCA};
constexpr Guid kMetadataLibrary = {0x94, 0x1C, 0x23, 0x44, 0x98, 0x94, 0xD1, 0x49,
                                   0xA1, 0x41, 0x1D, 0x13, 0x4E, 0x45, 0x70, 0x54};

// Whether UTF-16 text occurs in the bytes.
bool ContainsWide(std::string_view bytes, std::string_view ascii) {
  std::string wide;
  for (char c : ascii) {
    wide += c;
    wide += '\0';
  }
  return bytes.find(wide) != std::string_view::npos;
}

// The pixel shape stated as AspectRatioX and AspectRatioY in a metadata
// object's records; false when the records are malformed.
bool ReadAspectRecords(std::string_view object, std::uint64_t& x, std::uint64_t& y) {
  if (object.size() < 26) return false;
  const std::uint64_t count = Little(object, 24, 2);
  std::size_t at = 26;
  for (std::uint64_t i = 0; i < count; ++i) {
    if (at + 12 > object.size()) return false;
    const std::uint64_t nameLength = Little(object, at + 4, 2);
    const std::uint64_t type = Little(object, at + 6, 2);
    const std::uint64_t dataLength = Little(object, at + 8, 4);
    if (at + 12 + nameLength + dataLength > object.size()) return false;
    std::string name;
    for (std::size_t k = 0; k + 1 < nameLength; k += 2) {
      const char c = object[at + 12 + k];
      if (c) name += c;
    }
    const std::size_t data = at + 12 + static_cast<std::size_t>(nameLength);
    const int width = type == 3 ? 4 : type == 4 ? 8 : type == 5 ? 2 : 0;
    if ((name == "AspectRatioX" || name == "AspectRatioY") && width > 0 &&
        dataLength >= static_cast<std::uint64_t>(width)) {
      (name == "AspectRatioX" ? x : y) = Little(object, data, width);
    }
    at = data + static_cast<std::size_t>(dataLength);
  }
  return true;
}

// The header extension holds the metadata objects.
bool ReadExtension(std::string_view object, std::uint64_t& x, std::uint64_t& y) {
  if (object.size() < 46) return false;
  const std::uint64_t dataSize = Little(object, 42, 4);
  if (46 + dataSize > object.size()) return false;
  const std::string_view data = object.substr(46, static_cast<std::size_t>(dataSize));
  std::size_t at = 0;
  while (at + 24 <= data.size()) {
    const std::uint64_t size = Little(data, at + 16, 8);
    if (size < 24 || size > data.size() - at) return false;
    const std::string_view inner = data.substr(at, static_cast<std::size_t>(size));
    if ((SameGuid(inner, 0, kMetadata) || SameGuid(inner, 0, kMetadataLibrary)) && !ReadAspectRecords(inner, x, y))
      return false;
    at += static_cast<std::size_t>(size);
  }
  return true;
}

}  // namespace

std::optional<SourceInfo> ReadAsfHeader(std::string_view bytes) {
  const auto headerObject = asf::HeaderObject(bytes);
  if (!headerObject) return std::nullopt;
  const std::string_view header = *headerObject;

  SourceInfo info;
  info.formatName = "asf";
  bool haveDuration = false;
  constexpr std::uint64_t kAbsent = UINT64_MAX;
  std::uint64_t aspectX = kAbsent, aspectY = kAbsent;
  const bool whole = asf::ForEachChild(header, [&](std::string_view object) {
    if (SameGuid(object, 0, kFileProperties)) {
      if (object.size() < 104) return false;
      const std::uint64_t play = Little(object, 64, 8);   // 100 ns units
      const std::uint64_t preroll = Little(object, 80, 8);  // ms
      const std::uint32_t flags = static_cast<std::uint32_t>(Little(object, 88, 4));
      if (flags & 1) return false;  // a broadcast: no duration known
      const double seconds = play / 1e7 - preroll / 1e3;
      if (seconds > 0 && seconds < 1e9) {
        info.durationSeconds = seconds;
        haveDuration = true;
      }
    } else if (SameGuid(object, 0, kHeaderExtension)) {
      if (!ReadExtension(object, aspectX, aspectY)) return false;
    } else if (SameGuid(object, 0, kStreamProperties)) {
      if (object.size() < 78) return false;
      const std::uint32_t specificLength = static_cast<std::uint32_t>(Little(object, 64, 4));
      if (78 + static_cast<std::uint64_t>(specificLength) > object.size()) return false;
      const std::string_view specific = object.substr(78, specificLength);
      if (SameGuid(object, 24, kVideoMedia) && !info.hasVideo) {
        // Encoded width and height, then a bitmap header whose sizes agree.
        if (specific.size() < 11 + 12) return false;
        const auto width = Little(specific, 0, 4), height = Little(specific, 4, 4);
        if (width < 1 || height < 1 || width > 65535 || height > 65535) return false;
        info.hasVideo = true;
        info.width = static_cast<int>(width);
        info.height = static_cast<int>(height);
      } else if (SameGuid(object, 24, kAudioMedia) && !info.hasAudio) {
        if (specific.size() < 8) return false;
        const auto channels = Little(specific, 2, 2), rate = Little(specific, 4, 4);
        if (channels < 1 || channels > 64 || rate < 1 || rate > 1'000'000) return false;
        info.hasAudio = true;
        info.channels = static_cast<int>(channels);
        info.sampleRate = static_cast<int>(rate);
      }
    }
    return true;
  });
  if (!whole) return std::nullopt;
  if (!info.hasVideo || !haveDuration) return std::nullopt;
  if (aspectX != kAbsent || aspectY != kAbsent) {
    // Zero or unlikely values mean square pixels, as players take them.
    if (aspectX > 0 && aspectY > 0 && aspectX < 1000000 && aspectY < 1000000) {
      const Fraction sar{static_cast<std::int64_t>(aspectX), static_cast<std::int64_t>(aspectY)};
      if (sar.Value() >= 0.1 && sar.Value() <= 10) info.sampleAspect = sar;
    }
  } else if (ContainsWide(header, "AspectRatio")) {
    return std::nullopt;  // stated somewhere this reader does not follow
  }
  return info;
}

}  // namespace velto
