#include "files/sequential_file.h"

#include <algorithm>
#include <array>
#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace kurovel {

namespace {

constexpr std::size_t kChunkSize = 64 * 1024;

}  // namespace

SequentialFile::SequentialFile(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}

SequentialFile::~SequentialFile() {
  if (fd_ >= 0) ::close(fd_);
}

bool SequentialFile::ReadUntil(std::string& out, std::size_t total) {
  if (fd_ < 0) return false;
  std::array<char, kChunkSize> chunk;
  while (out.size() < total) {
    const std::size_t wanted = std::min(chunk.size(), total - out.size());
    const ssize_t got = ::read(fd_, chunk.data(), wanted);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;  // the end of the file
    out.append(chunk.data(), static_cast<std::size_t>(got));
  }
  return true;
}

}  // namespace kurovel
