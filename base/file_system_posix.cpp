#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "base/file_system.h"

namespace velto {
namespace {

// Closes the descriptor when it goes out of scope.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() { Close(); }
  int get() const { return fd_; }
  bool Close() {
    if (fd_ < 0) return true;
    const int fd = fd_;
    fd_ = -1;
    return close(fd) == 0;
  }

 private:
  int fd_;
};

bool WriteAll(int fd, std::string_view content) {
  while (!content.empty()) {
    const ssize_t n = write(fd, content.data(), content.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    content.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

bool WriteTemporary(const std::string& temp, std::string_view content, mode_t mode) {
  Descriptor file(open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0666));
  if (file.get() < 0) return false;
  if (mode != 0) fchmod(file.get(), mode);
  if (!WriteAll(file.get(), content)) return false;
  if (fsync(file.get()) != 0) return false;
  return file.Close();
}

// Makes the rename itself durable; failure here changes nothing.
void SyncDirectoryOf(const std::string& path) {
  const auto cut = path.rfind('/');
  const std::string dir = cut == std::string::npos ? "." : cut == 0 ? "/" : path.substr(0, cut);
  Descriptor d(open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (d.get() >= 0) fsync(d.get());
}

}  // namespace

std::optional<std::string> ReadWholeFile(const std::string& path, std::size_t maxBytes) {
  Descriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (file.get() < 0) return std::nullopt;
  struct stat info {};
  if (fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  if (static_cast<unsigned long long>(info.st_size) > maxBytes) return std::nullopt;
  std::string content;
  content.reserve(static_cast<std::size_t>(info.st_size));
  char buffer[65536];
  for (;;) {
    const ssize_t n = read(file.get(), buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      return std::nullopt;
    }
    if (n == 0) break;
    if (content.size() + static_cast<std::size_t>(n) > maxBytes) return std::nullopt;
    content.append(buffer, static_cast<std::size_t>(n));
  }
  return content;
}

bool ReplaceFileAtomically(const std::string& path, std::string_view content, std::string* why) {
  struct stat info {};
  mode_t mode = 0;
  if (stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) mode = info.st_mode & 07777;
  const std::string temp = TemporaryPathFor(path);
  if (!WriteTemporary(temp, content, mode) || rename(temp.c_str(), path.c_str()) != 0) {
    const int error = errno;
    unlink(temp.c_str());
    if (why) *why = std::strerror(error);
    return false;
  }
  SyncDirectoryOf(path);
  return true;
}

bool PathExists(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0;
}

bool IsDirectory(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string TemporaryPathFor(const std::string& path) {
  return path + ".~" + std::to_string(static_cast<long>(getpid())) + ".tmp";
}

}  // namespace velto
