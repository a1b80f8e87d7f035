#include "engine/batch_rules.h"

#include <cctype>
#include <cstdint>

#include "base/encoder_interface.h"
#include "base/output_names.h"
#include "settings/format_traits.h"

namespace velto {
namespace {

std::size_t FileNameStart(std::string_view path) {
  const auto cut = path.find_last_of("\\/");
  return cut == std::string_view::npos ? 0 : cut + 1;
}

// The extension of a path's file name (after its last '.'), or "".
std::string_view ExtensionOf(std::string_view path) {
  const std::string_view name = path.substr(FileNameStart(path));
  const auto dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string_view{} : name.substr(dot + 1);
}

bool IsDriveRoot(std::string_view path) {
  return path.size() == 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/');
}

}  // namespace

std::string_view OutputExtension(std::int32_t outputFormat) {
  const FormatTraits* traits = TraitsOf(outputFormat);
  return traits ? traits->extension : "avi";
}

std::string MakeOutputPath(std::string_view folder, std::string_view sourcePath, std::int32_t outputFormat,
                           const PathTaken& taken) {
  std::string stem(folder);
  if (!stem.empty() && stem.back() != '\\' && stem.back() != '/') stem += '\\';
  const std::string_view name = sourcePath.substr(FileNameStart(sourcePath));
  stem += name.substr(0, name.rfind('.'));  // the whole name when it has no '.'
  return FirstFreeOutputPath(stem, sourcePath, OutputExtension(outputFormat), taken);
}

Letterbox ComputeLetterbox(bool letterboxOn, std::int32_t sourceWidth, std::int32_t sourceHeight,
                           std::int32_t outputWidth, std::int32_t outputHeight) {
  if (!letterboxOn || outputWidth == 0 || outputHeight == 0) return {};
  if (sourceWidth <= 0 || sourceHeight <= 0) return {};
  const std::int64_t w = sourceWidth, h = sourceHeight, W = outputWidth, H = outputHeight;
  return {static_cast<std::int32_t>(W - (w * H) / h), static_cast<std::int32_t>(H - (h * W) / w)};
}

int EnsureFolder(std::string_view folder, FolderOps& ops) {
  std::string path(folder);
  // A drive root keeps its backslash: "C:" alone means the drive's current folder.
  if (!path.empty() && (path.back() == '\\' || path.back() == '/') && !IsDriveRoot(path)) path.pop_back();
  if (path.empty()) return -1;
  if (ops.IsDirectory(path)) return ops.MakeCurrent(path) ? 0 : -1;

  const auto cut = path.find_last_of("\\/");
  if (cut == std::string::npos || cut == 0) return -1;
  const bool parentIsDriveRoot = cut >= 1 && path[cut - 1] == ':';
  if (!parentIsDriveRoot && EnsureFolder(std::string_view(path).substr(0, cut), ops) != 0) return -1;
  if (!ops.MakeFolder(path)) return -1;
  return ops.MakeCurrent(path) ? 0 : -1;
}

bool Converted(const FileRun& run) { return run.started && run.exitCode == kExitDone && run.outputSize > 0; }

bool StopConfirmedByEncoder(const FileRun& run) { return run.started && run.exitCode == kExitStopped; }

AfterFileRun DecideAfterFileRun(const FileRun& run, bool stopConfirmed) {
  const bool converted = Converted(run);
  return {!converted, !converted && !stopConfirmed, stopConfirmed};
}

bool PublishedNameFits(std::string_view asked, std::string_view got) {
  const std::size_t askedName = FileNameStart(asked), gotName = FileNameStart(got);
  const std::string_view name = got.substr(gotName);
  if (name.empty() || name == "." || name == ".." || name.find(':') != std::string_view::npos) return false;
  const auto sameText = [](std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
      if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
        return false;
    return true;
  };
  return askedName > 0 && sameText(asked.substr(0, askedName), got.substr(0, gotName)) &&
         sameText(ExtensionOf(asked), ExtensionOf(got)) && !ExtensionOf(got).empty();
}

}  // namespace velto
