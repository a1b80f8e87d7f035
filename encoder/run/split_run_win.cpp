#include "encoder/run/split_run_win.h"

#include <cstdint>
#include <vector>

#include "base/text_encoding.h"
#include "encoder/common/file_access_win.h"
#include "encoder/run/ffmpeg_run_win.h"
#include "encoder/run/split_folder_win.h"

namespace velto {
namespace {

// A range that did not give the frames planned (or, where they are not
// known beforehand, gave none) makes the whole split fail.
bool AllPartsWhole(const SplitArguments& split, const FfmpegGroupResult& encoded, RunLog& log) {
  for (std::size_t i = 0; i < split.video.size(); ++i) {
    const bool whole = split.frames[i] > 0 ? encoded.frames[i] == split.frames[i] : encoded.frames[i] > 0;
    if (!whole) {
      log.Line("range " + std::to_string(i + 1) + " gave " + std::to_string(encoded.frames[i]) + " frames");
      return false;
    }
  }
  return true;
}

// The runs, in the folder's care: the ranges and the sound, then the join.
// The join starts with them and waits for its list, so that its start is
// done by the time they are; should they fail or be stopped, it is ended
// with them, before it has opened the output.
SplitOutcome RunParts(const std::wstring& ffmpeg, const std::string& output, const SplitArguments& split,
                      SplitFolder& folder, Reporter& reporter, RunLog& log) {
  std::vector<std::vector<std::string>> runs = split.video;
  if (!split.audio.empty()) runs.push_back(split.audio);
  folder.Join().HideWhenMade(Utf8ToWide(output));
  if (!folder.Parts().Start(ffmpeg, runs, log) || !folder.Join().Start(ffmpeg, {split.join}, log))
    return SplitOutcome::kFailed;
  std::int32_t position = 0;
  const FfmpegGroupResult encoded = folder.Parts().Follow(split.video.size(), position, reporter, log);
  if (encoded.stopped) return SplitOutcome::kStopped;
  if (encoded.failed || !AllPartsWhole(split, encoded, log)) return SplitOutcome::kFailed;
  if (!folder.Join().GiveInput(0, split.partList)) log.Line("the join's list could not be written");
  const FfmpegGroupResult joined = folder.Join().Follow(0, position, reporter, log);
  if (joined.stopped) return SplitOutcome::kStopped;
  if (joined.failed || !FileExists(Utf8ToWide(output))) return SplitOutcome::kFailed;
  return SplitOutcome::kDone;
}

}  // namespace

SplitOutcome ConvertSplit(const std::wstring& ffmpeg, const std::string& output, const SplitArguments& split,
                          const std::wstring& folder, Reporter& reporter, RunLog& log) {
  SplitFolder parts(folder, log);
  if (!parts.Made()) return SplitOutcome::kFailed;
  log.Line("split into " + std::to_string(split.video.size()) + " ranges in " + WideToUtf8(folder));
  return RunParts(ffmpeg, output, split, parts, reporter, log);
}

}  // namespace velto
