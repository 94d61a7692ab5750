#include "files/output_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>

#include "files/file_descriptor.h"
#include "language/text_encoding.h"

namespace kurovel {
namespace {

// Reads to the end, or up to the first NUL character (a zero code unit in UTF-16):
// nothing after it belongs to the program, and stopping there keeps an endless
// source of zeros from hanging the run.
bool ReadAll(int fd, std::string& out) {
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n == 0) return true;
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    // A byte order mark may arrive in two reads, so the previous byte is looked at again.
    const std::size_t from = out.empty() ? 0 : out.size() - 1;
    out.append(buffer, static_cast<std::size_t>(n));
    if (const std::size_t nul = FirstNulCharacter(out, from); nul != std::string::npos) {
      out.resize(nul);
      return true;
    }
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
