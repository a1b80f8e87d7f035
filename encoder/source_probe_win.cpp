#include "encoder/source_probe_win.h"

#include <windows.h>

#include <algorithm>

#include "base/owned_handles.h"
#include "base/text_encoding.h"
#include "encoder/asf_header.h"
#include "encoder/asf_objects.h"
#include "encoder/asf_packets.h"
#include "encoder/engine_arguments.h"
#include "encoder/engine_process_win.h"
#include "encoder/file_access_win.h"

namespace velto {
namespace {

// The first bytes of a file: its whole ASF header object (when it states a
// believable size) and `extra` bytes after it.
std::optional<std::string> ReadAsfHead(const std::wstring& path, std::size_t extra) {
  auto head = ReadHead(path, 1 << 16);
  if (!head || head->size() < 24) return std::nullopt;
  const std::uint64_t headerSize = asf::Little(*head, 16, 8);
  if (headerSize + extra > head->size() && headerSize <= (16u << 20)) {
    head = ReadHead(path, static_cast<std::size_t>(headerSize) + extra);
  }
  return head;
}

// An ASF source described without the prober: the header gives the size
// and duration, the presentation times of the first video frames (up to
// ten seconds of them) the frame rate. nullopt when anything is unusual.
std::optional<SourceInfo> ProbeAsfDirectly(const std::string& source) {
  constexpr std::int64_t kEnoughMs = 10'000;
  constexpr std::int64_t kEnoughFrames = 20'000;
  const std::wstring path = Utf8ToWide(source);
  const auto head = ReadAsfHead(path, 64);  // and the data object's own header
  if (!head) return std::nullopt;
  auto info = ReadAsfHeader(*head);
  const auto layout = ReadAsfDataLayout(*head);
  if (!info || !layout) return std::nullopt;

  const UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return std::nullopt;
  // A file cut off before its data ends keeps the header's duration, which
  // it no longer has: the prober judges it.
  LARGE_INTEGER fileSize{};
  if (!GetFileSizeEx(file.Get(), &fileSize) || static_cast<std::uint64_t>(fileSize.QuadPart) < layout->dataEnd)
    return std::nullopt;
  LARGE_INTEGER start;
  start.QuadPart = static_cast<LONGLONG>(layout->firstPacket);
  AsfFrameScan scan(layout->videoStream);
  bool sound = SetFilePointerEx(file.Get(), start, nullptr, FILE_BEGIN) != FALSE;
  const std::size_t perRead = std::max<std::size_t>(1, (256u << 10) / layout->packetSize);
  std::string chunk(perRead * layout->packetSize, '\0');
  while (sound && scan.SpanMs() < kEnoughMs && scan.Frames() < kEnoughFrames) {
    DWORD got = 0;
    if (!ReadFile(file.Get(), chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr)) sound = false;
    const std::size_t packets = got / layout->packetSize;  // a cut-off last packet is left out
    for (std::size_t i = 0; sound && i < packets; ++i)
      sound = scan.Feed(std::string_view(chunk).substr(i * layout->packetSize, layout->packetSize));
    if (got < chunk.size()) break;
  }
  if (!sound) return std::nullopt;
  info->frameRate = FrameRateFromTimes(scan.Times());
  if (info->frameRate.num == 0) return std::nullopt;
  return info;
}

}  // namespace

std::optional<SourceInfo> ProbeSource(const std::wstring& prober, const std::string& source, bool countIfNeeded,
                                      RunLog& log) {
  std::string json;
  if (!RunAndCapture(prober, ProbeArguments(source, false), json)) {
    log.Line("the prober could not read the source");
    return std::nullopt;
  }
  auto info = ParseProbeJson(json);
  if (!info) {
    log.Line("the prober's output was not understood");
    return std::nullopt;
  }
  if (countIfNeeded && info->hasVideo && FrameRateNeedsCounting(*info)) {
    std::string counted;
    if (RunAndCapture(prober, ProbeArguments(source, true), counted)) {
      if (const auto again = ParseProbeJson(counted)) info->frameCount = again->frameCount;
    }
  }
  return info;
}

std::optional<SourceInfo> ReadSourceHeader(const std::string& source) {
  const auto head = ReadAsfHead(Utf8ToWide(source), 0);
  if (!head) return std::nullopt;
  return ReadAsfHeader(*head);
}

std::optional<SourceInfo> DescribeSource(const std::wstring& prober, const std::string& source, RunLog& log) {
  if (auto info = ProbeAsfDirectly(source)) {
    log.Line("read from the ASF header and data packets");
    return info;
  }
  return ProbeSource(prober, source, true, log);
}

}  // namespace velto
