#include "base/module_directory.h"

#include "base/text_encoding.h"

namespace velto {

std::string DirectoryOfProgramPath(std::string_view programPath) {
  if (Utf8Length(programPath) >= kProgramPathLimit) return {};
  const auto cut = programPath.rfind('\\');
  if (cut == std::string_view::npos) return {};
  return std::string(programPath.substr(0, cut + 1));
}

}  // namespace velto
