#include "encoder/run/split_run_win.h"

#include <cmath>
#include <cstdint>
#include <vector>

#include "base/encoder_interface.h"
#include "base/text_encoding.h"
#include "encoder/common/file_access_win.h"
#include "encoder/job/part_manifest.h"
#include "encoder/run/ffmpeg_run_win.h"

namespace velto {
namespace {

// One part of the split: a range of the video, or the sound (the last).
struct Part {
  std::wstring file;
  const std::vector<std::string>* arguments = nullptr;
  PartManifest wanted;  // what its manifest must say; `frames` the range's fixed frames
  double seconds = 0;   // the range's length; 0 for the sound
  bool reused = false;
};

std::vector<Part> PartsOf(const SplitArguments& split, const std::wstring& folder, const std::string& salt) {
  std::vector<Part> parts;
  for (std::size_t i = 0; i < split.video.size(); ++i) {
    const FrameRange& range = split.ranges[i];
    parts.push_back({folder + Utf8ToWide(split.files[i]), &split.video[i],
                     {RunDigest(salt, split.video[i]), static_cast<int>(i + 1), range.first, range.count,
                      split.frames[i], 0},
                     split.seconds[i]});
  }
  if (!split.audio.empty())
    parts.push_back({folder + Utf8ToWide(split.files.back()), &split.audio, {RunDigest(salt, split.audio)}, 0});
  return parts;
}

std::wstring ManifestOf(const Part& part) { return part.file + Utf8ToWide(kManifestSuffix); }

// A part a killed run finished is used when its manifest still describes
// it; any other is removed with its manifest, to be encoded again.
bool Reusable(const Part& part) {
  const std::wstring manifest = ManifestOf(part);
  const auto text = ReadHead(manifest, 4096);
  const auto kept = text ? ParseManifest(*text) : std::nullopt;
  const auto bytes = FileBytes(part.file);
  if (kept && bytes && ManifestMatches(*kept, part.wanted, *bytes)) return true;
  DeleteFileW(manifest.c_str());
  DeleteFileW(part.file.c_str());
  return false;
}

// A finished part's manifest, once its data is on the disk.
void LeaveManifest(const Part& part, std::int64_t frames, RunLog& log) {
  PartManifest manifest = part.wanted;
  manifest.frames = frames;
  const auto bytes = FileBytes(part.file);
  manifest.bytes = bytes.value_or(0);
  if (!bytes || !FlushToDisk(part.file) || !ReplaceFileDurably(ManifestOf(part), FormatManifest(manifest)))
    log.Line("no manifest for " + WideToUtf8(part.file));
}

// A range that did not give the frames planned (or, where they are not
// known beforehand, gave none) makes the whole split fail.
bool AllPartsWhole(const std::vector<Part>& parts, const std::vector<std::size_t>& encoded,
                   const FfmpegGroupResult& result, RunLog& log) {
  for (std::size_t run = 0; run < encoded.size(); ++run) {
    const Part& part = parts[encoded[run]];
    if (part.wanted.index > 0 && !PartIsWhole(part.wanted.frames, result.frames[run])) {
      log.Line("range " + std::to_string(part.wanted.index) + " gave " + std::to_string(result.frames[run]) +
               " frames");
      return false;
    }
  }
  return true;
}

// The runs, in the folder's care: the parts not kept, at most one range a
// processor at a time, then the join. The join starts with them and waits
// for its list, so that its start is done by the time they are; should
// they fail or be stopped, it is ended with them, before it has opened the
// output.
SplitOutcome RunParts(const std::wstring& ffmpeg, const std::string& output, const SplitArguments& split,
                      std::vector<Part>& parts, SplitFolder& folder, Reporter& reporter, RunLog& log) {
  std::vector<std::vector<std::string>> runs;
  std::vector<std::size_t> encoded;  // the part of each run
  double reusedSeconds = 0;
  std::size_t reused = 0, ranges = 0;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (parts[i].reused) {
      reusedSeconds += parts[i].seconds;
      ++reused;
    } else {
      runs.push_back(*parts[i].arguments);
      encoded.push_back(i);
      ranges += parts[i].wanted.index > 0 ? 1 : 0;
    }
  }
  log.Line("reused " + std::to_string(reused) + " of " + std::to_string(parts.size()) + " parts");
  // The window learns at once where the work stands.
  const std::int64_t doneMicroseconds = std::llround(reusedSeconds * 1e6);
  std::int32_t position = static_cast<std::int32_t>(doneMicroseconds / 1'000'000);
  if (reused > 0 && reporter.Send(kReportPosition, position)) {
    log.Line("stop requested by the window");
    return SplitOutcome::kStopped;
  }
  FfmpegGroup& group = folder.Parts();
  group.Limit(ranges, static_cast<std::size_t>(split.mostAtOnce));
  group.CountDone(doneMicroseconds);
  group.WhenRunEnds([&](std::size_t run, DWORD exitCode, std::int64_t frames) {
    const Part& part = parts[encoded[run]];
    if (exitCode == 0 && (part.wanted.index == 0 || PartIsWhole(part.wanted.frames, frames)))
      LeaveManifest(part, frames, log);
  });
  folder.Join().HideWhenMade(Utf8ToWide(output));
  if (!group.Start(ffmpeg, runs, log) || !folder.Join().Start(ffmpeg, {split.join}, log))
    return SplitOutcome::kFailed;
  const FfmpegGroupResult result = group.Follow(ranges, position, reporter, log);
  if (result.stopped) return SplitOutcome::kStopped;
  if (result.failed || !AllPartsWhole(parts, encoded, result, log)) return SplitOutcome::kFailed;
  if (!folder.Join().GiveInput(0, split.partList)) log.Line("the join's list could not be written");
  const FfmpegGroupResult joined = folder.Join().Follow(0, position, reporter, log);
  if (joined.stopped) return SplitOutcome::kStopped;
  if (joined.failed || !FileExists(Utf8ToWide(output))) return SplitOutcome::kFailed;
  return SplitOutcome::kDone;
}

}  // namespace

SplitOutcome ConvertSplit(const std::wstring& ffmpeg, const std::string& output, const SplitArguments& split,
                          SplitFolder& folder, const std::string& salt, Reporter& reporter, RunLog& log) {
  log.Line("split into " + std::to_string(split.video.size()) + " ranges in " + WideToUtf8(folder.Path()));
  std::vector<Part> parts = PartsOf(split, folder.Path(), salt);
  for (Part& part : parts) part.reused = Reusable(part);
  return RunParts(ffmpeg, output, split, parts, folder, reporter, log);
}

}  // namespace velto
