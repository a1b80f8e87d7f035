#pragma once
// A fresh folder for one test, removed with everything in it afterwards.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace velto::testing {

inline std::filesystem::path PathFromUtf8(std::string_view utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string Utf8FromPath(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

// Plain stream access, independent of the code under test.
inline void WriteBytes(const std::string& utf8Path, std::string_view bytes) {
  std::ofstream out(PathFromUtf8(utf8Path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadBytes(const std::string& utf8Path) {
  std::ifstream in(PathFromUtf8(utf8Path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool Exists(const std::string& utf8Path) {
  std::error_code ignored;
  return std::filesystem::exists(PathFromUtf8(utf8Path), ignored);
}

class ScratchDir {
 public:
  // name is an optional UTF-8 part of the folder name.
  explicit ScratchDir(std::string_view name = "") {
    static std::atomic<int> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    std::string leaf = "velto_test_" + std::to_string(stamp) + "_" + std::to_string(counter++);
    if (!name.empty()) leaf += " " + std::string(name);
    path_ = std::filesystem::temp_directory_path() / PathFromUtf8(leaf);
    std::filesystem::create_directories(path_);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
  }

  const std::filesystem::path& path() const { return path_; }

  // The folder as UTF-8, ending with the separator, as the program's
  // directory is given.
  std::string Directory() const {
    return Utf8FromPath(path_) + static_cast<char>(std::filesystem::path::preferred_separator);
  }

  std::string File(std::string_view name) const { return Directory() + std::string(name); }

  // Names of everything in the folder, sorted.
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_))
      names.push_back(Utf8FromPath(entry.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  std::filesystem::path path_;
};

}  // namespace velto::testing
