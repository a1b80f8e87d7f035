#include "ui/file_list_text.h"

#include <cmath>
#include <cstdio>

#include "base/text_encoding.h"
#include "engine/format_duration.h"

namespace velto {

std::string RowNumberText(int number) { return "          " + std::to_string(number); }

std::string RowDurationText(double seconds) {
  if (!(seconds > 0.0)) return FormatDuration(0);
  const double whole = std::trunc(seconds);
  const std::int32_t s = whole >= 2147483647.0 ? 2147483647 : static_cast<std::int32_t>(whole);
  return FormatDuration(s);
}

std::vector<std::wstring> SplitSelectedFiles(std::wstring_view buffer) {
  std::vector<std::wstring> parts;
  std::size_t start = 0;
  while (start < buffer.size()) {
    const std::size_t end = buffer.find(L'\0', start);
    const std::size_t stop = end == std::wstring_view::npos ? buffer.size() : end;
    if (stop == start) break;  // the second NUL ends the list
    parts.emplace_back(buffer.substr(start, stop - start));
    start = stop + 1;
  }
  if (parts.size() <= 1) return parts;

  std::wstring folder = parts.front();
  if (folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
  std::vector<std::wstring> paths;
  paths.reserve(parts.size() - 1);
  for (std::size_t i = 1; i < parts.size(); ++i) paths.push_back(folder + parts[i]);
  return paths;
}

std::optional<std::string> OutputFolderFromBrowser(std::string_view folder, std::size_t limit) {
  if (folder.empty()) return std::nullopt;
  std::string result(folder);
  if (result.back() != '\\') result += '\\';
  if (Utf16Length(result) > limit) return std::nullopt;
  return result;
}

std::string LoadFailedText(std::string_view path) { return "Load file " + std::string(path) + " failed."; }

std::string LoadFailedListText(const std::vector<RefusedFile>& refused, std::size_t listed) {
  std::string text;
  for (std::size_t i = 0; i < refused.size() && i < listed; ++i) {
    if (i > 0) text += "\n";
    text += LoadFailedText(refused[i].path);
    if (!refused[i].why.empty()) text += " (" + refused[i].why + ")";
  }
  if (refused.size() > listed) text += "\n\n... and " + std::to_string(refused.size() - listed) + " more.";
  return text;
}

std::string CauseWords(const EncoderCauseRecord& record) {
  // The engine's line is long enough to say what went wrong, short enough
  // to keep the message readable.
  constexpr std::size_t kEngineLineChars = 120;
  // A playlist's entries are paths and addresses: room for a few.
  constexpr std::size_t kPlaylistChars = 240;
  switch (record.cause) {
    case EncoderCause::kUnknown: return {};
    case EncoderCause::kBadArguments: return "the encoder refused the settings";
    case EncoderCause::kSourceUnreadable:
      return record.detail.empty() ? "the source cannot be read"
                                   : "the playlist has no local file to convert: " +
                                         ShortenInMiddle(record.detail, kPlaylistChars);
    case EncoderCause::kNotVideoFile: return "the source is not a video file";
    case EncoderCause::kNoVideoStream: return "the source has no video stream";
    case EncoderCause::kFfmpegMissing: return "the encoder's engine (ffmpeg.exe or ffprobe.exe) is missing";
    case EncoderCause::kFfmpegFailed:
      return record.detail.empty() ? "the engine failed"
                                   : "the engine failed: " + ShortenInMiddle(record.detail, kEngineLineChars);
    case EncoderCause::kOutputDenied: return "the output folder cannot be written (access denied or read-only)";
    case EncoderCause::kDiskFull: return "the disk is full";
    case EncoderCause::kSourceReadTimeout: return "the source could not be read in time";
    case EncoderCause::kOutputIncomplete:
      return record.detail.empty() ? "the output came out incomplete"
                                   : "the output came out incomplete: " + record.detail;
  }
  return {};
}

namespace {

// "h:mm:ss" of whole seconds.
std::string ClockText(double seconds) {
  const long long s = seconds > 0.0 && seconds < 1e12 ? static_cast<long long>(seconds) : 0;
  char text[40];
  std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
  return text;
}

}  // namespace

std::string CutShortText(std::string_view path, double convertedSeconds, double statedSeconds) {
  const std::size_t slash = path.find_last_of("\\/");
  const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  return std::string(name) + " was cut short: " + ClockText(convertedSeconds) + " of " + ClockText(statedSeconds) +
         " converted.";
}

std::string ListFullText(int refused, int limit) {
  std::string text = "The list is full: it holds at most " + std::to_string(limit) + " files. ";
  text += refused == 1 ? "1 file was not added." : std::to_string(refused) + " files were not added.";
  return text;
}

bool IsVideoFileName(std::string_view path) {
  const std::size_t dot = path.rfind('.');
  if (dot == std::string_view::npos || path.size() - dot != 4) return false;
  std::string extension;
  for (char c : path.substr(dot + 1)) extension += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return extension == "asf" || extension == "wmv" || extension == "asx";
}

std::string RefusedDropText(const std::vector<RefusedDrop>& refused, std::size_t listed) {
  std::string text = refused.size() == 1 ? "This was not added" : std::to_string(refused.size()) + " items were not added";
  text += ": only ASF, WMV and ASX files can be converted.\n";
  for (std::size_t i = 0; i < refused.size() && i < listed; ++i) {
    text += "\n" + refused[i].path;
    if (refused[i].folder) text += "\n    (a folder without ASF, WMV or ASX files)";
  }
  if (refused.size() > listed) text += "\n\n... and " + std::to_string(refused.size() - listed) + " more.";
  return text;
}

namespace {

std::string WhyText(const FailedConversion& file) {
  if (!file.encoderStarted) return "the encoder could not be started";
  std::string text = file.exitCode == 0 ? "no output was written" : CauseWords(file.cause);
  if (text.empty()) text = "the encoder ended with code " + std::to_string(file.exitCode);
  text += file.logPath.empty() ? "; no log was found" : "; log: " + file.logPath;
  return text;
}

}  // namespace

std::string BatchFailureText(const std::vector<FailedConversion>& failed, int total,
                             std::string_view elapsedText, std::string_view logFolder, std::size_t listed) {
  const int count = static_cast<int>(failed.size());
  std::string text = std::to_string(count) + " of " + std::to_string(total) +
                     (total == 1 ? " file" : " files") + " could not be converted. Total Time:" +
                     std::string(elapsedText) + "\n";
  for (std::size_t i = 0; i < failed.size() && i < listed; ++i) {
    text += "\n" + failed[i].path + "\n    (" + WhyText(failed[i]) + ")";
  }
  if (failed.size() > listed) {
    text += "\n\n... and " + std::to_string(failed.size() - listed) + " more.";
  }
  if (!logFolder.empty()) text += "\n\nThe encoder's logs are kept in " + std::string(logFolder) + ".";
  return text;
}

}  // namespace velto
