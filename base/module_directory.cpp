#include "base/module_directory.h"

namespace velto {

std::string DirectoryOfProgramPath(std::string_view programPath) {
  const auto cut = programPath.rfind('\\');
  if (cut == std::string_view::npos) return {};
  return std::string(programPath.substr(0, cut + 1));
}

}  // namespace velto
