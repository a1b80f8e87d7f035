#include "base/output_names.h"

#include <charconv>

namespace velto {
namespace {

std::size_t FileNameStart(std::string_view path) {
  const auto cut = path.find_last_of("\\/");
  return cut == std::string_view::npos ? 0 : cut + 1;
}

// A path's file name split at its last '.': the path before it, and the
// extension after it ("" when the name has none).
std::pair<std::string_view, std::string_view> SplitExtension(std::string_view path) {
  const std::size_t nameAt = FileNameStart(path);
  const auto dot = path.rfind('.');
  if (dot == std::string_view::npos || dot < nameAt) return {path, {}};
  return {path.substr(0, dot), path.substr(dot + 1)};
}

// The name of the sequence at `index`: 0 "stem.ext", 1 "stem_srcext.ext",
// n "stem_srcext_n.ext" (without a source extension: "stem_n.ext").
std::string OutputPathAt(std::string_view stem, std::string_view sourceExtension, std::string_view extension,
                         int index) {
  std::string path(stem);
  if (index > 0 && !sourceExtension.empty()) path += "_" + std::string(sourceExtension);
  if (index > 1) path += "_" + std::to_string(index);
  if (!extension.empty()) path += "." + std::string(extension);
  return path;
}

std::string FreeFrom(std::string_view stem, std::string_view sourceExtension, std::string_view extension,
                     int index, const PathTaken& taken) {
  std::string path = OutputPathAt(stem, sourceExtension, extension, index);
  while (taken(path)) path = OutputPathAt(stem, sourceExtension, extension, ++index);
  return path;
}

// Where a file name stem stands among the names of a source's stem: 0 the
// stem itself, 1 with the source's extension, n with "_n" after that; -1
// when it is none of them.
int IndexAmong(std::string_view name, std::string_view sourceStem, std::string_view sourceExtension) {
  if (!name.starts_with(sourceStem)) return -1;
  name.remove_prefix(sourceStem.size());
  if (name.empty()) return 0;
  if (!sourceExtension.empty()) {
    const std::string mark = "_" + std::string(sourceExtension);
    if (!name.starts_with(mark)) return -1;
    name.remove_prefix(mark.size());
    if (name.empty()) return 1;
  }
  int number = 0;
  if (name.size() < 2 || name[0] != '_' || name[1] < '1' || name[1] > '9') return -1;
  const auto [end, error] = std::from_chars(name.data() + 1, name.data() + name.size(), number);
  return error == std::errc() && end == name.data() + name.size() && number >= 2 ? number : -1;
}

}  // namespace

std::string FirstFreeOutputPath(std::string_view stem, std::string_view sourcePath, std::string_view extension,
                                const PathTaken& taken) {
  return FreeFrom(stem, SplitExtension(sourcePath.substr(FileNameStart(sourcePath))).second, extension, 0, taken);
}

std::string NextFreeOutputPath(std::string_view output, std::string_view sourcePath, const PathTaken& taken) {
  const auto [outputStem, extension] = SplitExtension(output);
  const auto [sourceStem, sourceExtension] = SplitExtension(sourcePath.substr(FileNameStart(sourcePath)));
  const std::size_t nameAt = FileNameStart(outputStem);
  const int index = IndexAmong(outputStem.substr(nameAt), sourceStem, sourceExtension);
  const std::string stem =
      index < 0 ? std::string(outputStem) : std::string(outputStem.substr(0, nameAt)) + std::string(sourceStem);
  int next = index < 0 ? 1 : index + 1;
  if (next == 1 && sourceExtension.empty()) next = 2;  // the second name is the first again
  return FreeFrom(stem, sourceExtension, extension, next, taken);
}

}  // namespace velto
