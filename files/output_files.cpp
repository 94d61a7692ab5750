#include "files/output_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>

#include "files/file_descriptor.h"

namespace kurovel {
namespace {

// Reads to the end, or up to the first NUL byte: nothing after it belongs to the
// program, and stopping there keeps an endless source of zeros from hanging the run.
bool ReadAll(int fd, std::string& out) {
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n == 0) return true;
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    const std::string_view chunk(buffer, static_cast<std::size_t>(n));
    const std::size_t nul = chunk.find('\0');
    out.append(chunk.substr(0, nul));
    if (nul != std::string_view::npos) return true;
  }
}

}  // namespace

std::optional<std::string> ReadProgramBytes(const std::string& path) {
  std::string bytes;
  if (path == "-") {
    if (!ReadAll(STDIN_FILENO, bytes)) return std::nullopt;
    return bytes;
  }
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.Get() < 0 || !ReadAll(fd.Get(), bytes)) return std::nullopt;  // a folder fails in read
  return bytes;
}

}  // namespace kurovel
