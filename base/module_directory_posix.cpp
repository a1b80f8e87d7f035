#include <unistd.h>

#include <array>

#include "base/module_directory.h"

namespace velto {

// Native builds (tests and tools) use the same rules with the POSIX separator.
std::string ModuleDirectory() {
  std::array<char, 4096> buffer{};
  const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (n <= 0) return {};
  std::string_view path(buffer.data(), static_cast<std::size_t>(n));
  const auto cut = path.rfind('/');
  if (cut == std::string_view::npos) return {};
  return std::string(path.substr(0, cut + 1));
}

}  // namespace velto
