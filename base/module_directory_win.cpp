#include <windows.h>

#include <vector>

#include "base/module_directory.h"
#include "base/text_encoding.h"

namespace velto {

std::string ModuleDirectory() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) return DirectoryOfProgramPath(WideToUtf8(std::wstring_view(buffer.data(), n)));
    if (buffer.size() >= 32768) return {};
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace velto
