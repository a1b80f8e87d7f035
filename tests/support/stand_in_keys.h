#pragma once
// What the stand-in encoders of the tests share: reading the "key=number"
// lines that tell them how to behave, and finding their own folder.
#include <windows.h>

#include <cstdlib>
#include <map>
#include <string>

namespace velto::testing {

inline std::map<std::string, long long> ParseKeys(const std::string& text) {
  std::map<std::string, long long> keys;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    const size_t equals = line.find('=');
    if (equals != std::string::npos) keys[line.substr(0, equals)] = std::atoll(line.c_str() + equals + 1);
    start = end + 1;
  }
  return keys;
}

inline long long Get(const std::map<std::string, long long>& keys, const char* key, long long fallback) {
  const auto it = keys.find(key);
  return it == keys.end() ? fallback : it->second;
}

inline std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path);
  return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

}  // namespace velto::testing
