#pragma once
// What the engine's programs beside a test tell about a media file: the
// prober's fields, the decoder's errors, the picture's PSNR against its
// source; and the top-level boxes of an MP4 file.
#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tests/support/remote_program.h"

namespace velto::testing {

// Runs a program of the engine that lies beside the test.
inline ConsoleResult RunEngineProgram(const std::wstring& program, const std::wstring& arguments,
                                      Collect collect = Collect::kOutput) {
  return RunConsole(L"\"" + ExecutableFolder() + program + L"\" " + arguments, ExecutableFolder(), 120000, collect);
}

// The prober's key=value fields (`entries` as -show_entries takes them) of
// one stream (`stream` as -select_streams takes it); with `countFrames`
// nb_read_frames is the frames decoded.
inline std::map<std::string, std::string> ProbeEntries(const std::wstring& path, const std::wstring& stream,
                                                       const std::wstring& entries, bool countFrames = false) {
  const ConsoleResult probe = RunEngineProgram(
      L"ffprobe.exe", L"-v error" + std::wstring(countFrames ? L" -count_frames" : L"") + L" -select_streams " +
                          stream + L" -show_entries " + entries + L" -of default=noprint_wrappers=1 \"" + path + L"\"");
  std::map<std::string, std::string> values;
  std::size_t start = 0;
  while (start < probe.output.size()) {
    std::size_t end = probe.output.find('\n', start);
    if (end == std::string::npos) end = probe.output.size();
    std::string line = probe.output.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::size_t equals = line.find('=');
    if (equals != std::string::npos) values[line.substr(0, equals)] = line.substr(equals + 1);
    start = end + 1;
  }
  return values;
}

// What the decoder reports while reading every stream of the file to the
// end; empty for a clean file.
inline std::string DecodingErrors(const std::wstring& path) {
  const ConsoleResult decoded =
      RunEngineProgram(L"ffmpeg.exe", L"-nostdin -v error -i \"" + path + L"\" -f null -", Collect::kErrors);
  if (!decoded.started || decoded.exitCode != 0) return "exit " + std::to_string(decoded.exitCode) + decoded.output;
  return decoded.output;
}

// The average PSNR (dB) of the output's picture against the source's, the
// frames matched by time on the output's grid (`rate`, "30000/1001"): the
// output's frame n at n / rate, each source frame at its own time rounded
// to the grid, since an ASF source's picture often starts some 40 ms in and
// the output holds its first frame from 0. The first 0.1 s is left out.
// NAN when not measured.
inline double PsnrAgainstSource(const std::wstring& output, const std::wstring& source, const std::wstring& rate) {
  const std::wstring a = L"[0:v]setpts=N/(" + rate + L")/TB,select=gte(t\\,0.1)[a];";
  const std::wstring b = L"[1:v]setpts=round(PTS*TB*" + rate + L")/(" + rate + L")/TB,select=gte(t\\,0.1)[b];";
  const ConsoleResult measured =
      RunEngineProgram(L"ffmpeg.exe",
                       L"-nostdin -hide_banner -nostats -i \"" + output + L"\" -i \"" + source + L"\" -lavfi \"" +
                           a + b + L"[a][b]psnr=shortest=1\" -f null -",
                       Collect::kErrors);
  const std::size_t at = measured.output.rfind("average:");
  return at == std::string::npos ? NAN : std::atof(measured.output.c_str() + at + 8);
}

// The types of the top-level boxes of an MP4 file's bytes, in their order;
// stops at a box whose size does not fit.
inline std::vector<std::string> TopLevelBoxes(const std::string& bytes) {
  std::vector<std::string> boxes;
  std::size_t at = 0;
  while (at + 8 <= bytes.size()) {
    std::uint64_t size = 0;
    for (int i = 0; i < 4; ++i) size = size << 8 | static_cast<unsigned char>(bytes[at + i]);
    std::size_t header = 8;
    if (size == 1 && at + 16 <= bytes.size()) {  // a 64-bit size follows the type
      size = 0;
      for (int i = 8; i < 16; ++i) size = size << 8 | static_cast<unsigned char>(bytes[at + i]);
      header = 16;
    } else if (size == 0) {  // to the end of the file
      size = bytes.size() - at;
    }
    if (size < header || size > bytes.size() - at) break;
    boxes.push_back(bytes.substr(at + 4, 4));
    at += static_cast<std::size_t>(size);
  }
  return boxes;
}

}  // namespace velto::testing
