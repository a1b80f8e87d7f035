#include "encoder/source/source_probe_win.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "base/owned_handles.h"
#include "base/text_encoding.h"
#include "encoder/common/ffmpeg_process_win.h"
#include "encoder/common/file_access_win.h"
#include "encoder/source/asf_header.h"
#include "encoder/source/asf_objects.h"
#include "encoder/source/asf_packets.h"

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

UniqueHandle OpenForReading(const std::wstring& path) {
  return UniqueHandle(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

std::optional<std::uint64_t> SizeOf(HANDLE file) {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file, &size)) return std::nullopt;
  return static_cast<std::uint64_t>(size.QuadPart);
}

bool ReadAt(HANDLE file, std::uint64_t offset, std::string& bytes) {
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(offset);
  DWORD got = 0;
  return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) &&
         ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) && got == bytes.size();
}

// Packets [first, first + count) of the data fed to `scan`; false when one
// cannot be read or is malformed.
bool ScanPackets(HANDLE file, const AsfDataLayout& layout, std::uint64_t first, std::uint64_t count,
                 AsfFrameScan& scan) {
  std::string bytes(static_cast<std::size_t>(count) * layout.packetSize, '\0');
  if (!ReadAt(file, layout.firstPacket + first * layout.packetSize, bytes)) return false;
  for (std::uint64_t i = 0; i < count; ++i)
    if (!scan.Feed(std::string_view(bytes).substr(static_cast<std::size_t>(i) * layout.packetSize, layout.packetSize)))
      return false;
  return true;
}

// Where the streams lie (SourceInfo's spans): where they begin, from the
// first 256 KiB of packets; where they end, from the last 256 KiB of the
// data present, or further back, up to 16 MiB, until the video's and the
// sound's last packets are found. A stream's end is its last time and the
// step to it from the one before. Unknown where a packet is malformed.
void ReadStreamSpans(HANDLE file, const AsfDataLayout& layout, std::uint64_t fileSize, SourceInfo& info) {
  const std::uint64_t dataEnd = layout.dataEnd != 0 ? std::min(layout.dataEnd, fileSize) : fileSize;
  const std::uint64_t packets = dataEnd > layout.firstPacket ? (dataEnd - layout.firstPacket) / layout.packetSize : 0;
  const std::uint64_t perRead = std::max<std::uint64_t>(1, (256u << 10) / layout.packetSize);
  const std::uint64_t mostRead = std::max<std::uint64_t>(1, (16u << 20) / layout.packetSize);
  AsfFrameScan head(layout.videoStream), tail(layout.videoStream);
  if (packets == 0 || !ScanPackets(file, layout, 0, std::min(packets, perRead), head)) return;
  const auto found = [&] {
    return tail.SeenOf(layout.videoStream) && (layout.audioStream == 0 || tail.SeenOf(layout.audioStream));
  };
  const std::uint64_t floor = packets > mostRead ? packets - mostRead : 0;
  for (std::uint64_t end = packets; end > floor && !found();) {
    const std::uint64_t begin = end - std::min(end - floor, perRead);
    if (!ScanPackets(file, layout, begin, end - begin, tail)) return;
    end = begin;
  }
  std::optional<std::int64_t> start;
  for (int stream = 1; stream < 128; ++stream)
    if (const auto seen = head.SeenOf(stream)) start = std::min(start.value_or(seen->first), seen->first);
  if (!start) return;
  const auto seconds = [&](std::int64_t ms) { return std::max(0.0, static_cast<double>(ms - *start) / 1000.0); };
  const auto video = head.SeenOf(layout.videoStream), videoEnd = tail.SeenOf(layout.videoStream);
  if (video) info.videoStart = seconds(video->first);
  if (videoEnd) info.videoEnd = seconds(videoEnd->last + videoEnd->step);
  if (layout.audioStream == 0) return;
  const auto audio = head.SeenOf(layout.audioStream), audioEnd = tail.SeenOf(layout.audioStream);
  if (audio) info.audioStart = seconds(audio->first);
  if (audioEnd) info.audioEnd = seconds(audioEnd->last + audioEnd->step);
}

bool IsCutShort(const AsfDataLayout& layout, std::uint64_t fileSize) {
  return layout.dataEnd != 0 && fileSize < layout.dataEnd;
}

// A file cut off before its data object ends (a download that stopped)
// still states its whole length in the header. What is there lasts until
// the latest time its last complete packet carries, within that length;
// nullopt when that packet cannot be read.
std::optional<double> SecondsPresent(HANDLE file, const AsfDataLayout& layout, std::uint64_t fileSize,
                                     double statedSeconds) {
  const std::uint64_t packets =
      fileSize > layout.firstPacket ? (fileSize - layout.firstPacket) / layout.packetSize : 0;
  if (packets == 0) return 0.0;
  std::string packet(layout.packetSize, '\0');
  AsfFrameScan scan(layout.videoStream);
  if (!ReadAt(file, layout.firstPacket + (packets - 1) * layout.packetSize, packet) || !scan.Feed(packet))
    return std::nullopt;
  const auto present = static_cast<double>(scan.LatestMs() - static_cast<std::int64_t>(layout.prerollMs)) / 1000.0;
  return std::clamp(present, 0.0, statedSeconds);
}

// The header's description of a cut file, with the length of the data
// that is there; false when that cannot be told.
bool BoundToDataPresent(HANDLE file, const AsfDataLayout& layout, std::uint64_t fileSize, SourceInfo& info,
                        RunLog& log) {
  const auto present = SecondsPresent(file, layout, fileSize, info.durationSeconds);
  if (!present) return false;
  char text[160];
  std::snprintf(text, sizeof text, "cut short: %.3f s of data present of %.3f s stated", *present,
                info.durationSeconds);
  log.Line(text);
  info.statedSeconds = info.durationSeconds;
  info.durationSeconds = *present;
  return true;
}

// An ASF source described without the prober: the header gives the size
// and duration (of the data present when the file was cut short), the
// presentation times of the first video frames (up to ten seconds of them,
// within a bounded read) the frame rate. A cut file without a video frame has no video. nullopt
// when anything is unusual.
std::optional<SourceInfo> ProbeAsfDirectly(const std::string& source, RunLog& log) {
  const std::wstring path = Utf8ToWide(source);
  const auto head = ReadAsfHead(path, 64);  // and the data object's own header
  if (!head) return std::nullopt;
  auto info = ReadAsfHeader(*head);
  const auto layout = ReadAsfDataLayout(*head);
  if (!info || !layout) return std::nullopt;

  const UniqueHandle file = OpenForReading(path);
  const auto fileSize = file ? SizeOf(file.Get()) : std::nullopt;
  if (!fileSize) return std::nullopt;
  const bool cut = IsCutShort(*layout, *fileSize);
  if (cut && !BoundToDataPresent(file.Get(), *layout, *fileSize, *info, log)) return std::nullopt;
  LARGE_INTEGER start;
  start.QuadPart = static_cast<LONGLONG>(layout->firstPacket);
  AsfFrameScan scan(layout->videoStream);
  bool sound = SetFilePointerEx(file.Get(), start, nullptr, FILE_BEGIN) != FALSE;
  const std::size_t perRead = std::max<std::size_t>(1, (256u << 10) / layout->packetSize);
  std::string chunk(perRead * layout->packetSize, '\0');
  std::uint64_t bytesRead = 0;
  while (sound && !scan.Enough(bytesRead)) {
    DWORD got = 0;
    if (!ReadFile(file.Get(), chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr)) sound = false;
    const std::size_t packets = got / layout->packetSize;  // a cut-off last packet is left out
    for (std::size_t i = 0; sound && i < packets; ++i)
      sound = scan.Feed(std::string_view(chunk).substr(i * layout->packetSize, layout->packetSize));
    bytesRead += got;
    if (got < chunk.size()) break;
  }
  if (!sound) return std::nullopt;
  if (cut && scan.Frames() == 0) {
    log.Line("cut short before any video frame");
    info->hasVideo = false;
    return info;
  }
  info->frameRate = FrameRateFromTimes(scan.Times());
  if (info->frameRate.num == 0) return std::nullopt;
  return info;
}

// The prober's output; false when it failed. One that does not end in its
// time refuses the source.
bool AskProber(const std::wstring& prober, const std::vector<std::string>& arguments, std::string& output,
               RunLog& log) {
  switch (RunAndCapture(prober, arguments, output, ProberTimeLimitMs())) {
    case CaptureOutcome::kDone: return true;
    case CaptureOutcome::kFailed: return false;
    case CaptureOutcome::kTimedOut: break;
  }
  log.Line("the prober gave no answer in " + std::to_string(ProberTimeLimitMs() / 1000) + " s");
  throw SourceReadTimedOut{};
}

}  // namespace

std::optional<SourceInfo> ProbeSource(const std::wstring& prober, const std::string& source, bool countIfNeeded,
                                      RunLog& log) {
  std::string json;
  if (!AskProber(prober, ProbeArguments(source, false), json, log)) {
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
    if (AskProber(prober, ProbeArguments(source, true), counted, log)) {
      if (const auto again = ParseProbeJson(counted)) info->frameCount = again->frameCount;
    }
  }
  return info;
}

std::optional<SourceInfo> ReadSourceHeader(const std::string& source, RunLog& log) {
  const std::wstring path = Utf8ToWide(source);
  const auto head = ReadAsfHead(path, 64);
  if (!head) return std::nullopt;
  auto info = ReadAsfHeader(*head);
  if (!info) return std::nullopt;
  if (const auto layout = ReadAsfDataLayout(*head)) {
    const UniqueHandle file = OpenForReading(path);
    const auto fileSize = file ? SizeOf(file.Get()) : std::nullopt;
    if (!fileSize) return std::nullopt;
    if (IsCutShort(*layout, *fileSize) && !BoundToDataPresent(file.Get(), *layout, *fileSize, *info, log))
      return std::nullopt;
    ReadStreamSpans(file.Get(), *layout, *fileSize, *info);
    char text[160];
    std::snprintf(text, sizeof text, "streams: picture %.3f-%.3f s, sound %.3f-%.3f s", info->videoStart,
                  info->videoEnd, info->audioStart, info->audioEnd);
    log.Line(text);
  }
  return info;
}

std::optional<SourceInfo> DescribeSource(const std::wstring& prober, const std::string& source, RunLog& log) {
  if (auto info = ProbeAsfDirectly(source, log)) {
    log.Line("read from the ASF header and data packets");
    return info;
  }
  return ProbeSource(prober, source, true, log);
}

}  // namespace velto
