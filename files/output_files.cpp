#include "files/output_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <string_view>
#include <utility>

#include "engine/limits.h"
#include "files/file_descriptor.h"
#include "files/program_text.h"
#include "language/errors.h"
#include "language/text_encoding.h"

namespace kurovel {
namespace {

// Reads to the end, or up to the first NUL character (a zero code unit in UTF-16):
// nothing after it belongs to the program, and stopping there keeps an endless
// source of zeros from hanging the run. More than kMaxProgramFileBytes before it
// is refused as the editor refuses such a file, so that an endless source of
// text ends too.
ProgramRead ReadAll(int fd, const std::string& path) {
  std::string out;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n == 0) return {std::move(out), {}};
    if (n < 0) {
      if (errno == EINTR) continue;
      return {std::nullopt, CannotOpenMessage(path)};
    }
    // A byte order mark may arrive in two reads, so the previous byte is looked at again.
    const std::size_t from = out.empty() ? 0 : out.size() - 1;
    out.append(buffer, static_cast<std::size_t>(n));
    const std::size_t nul = FirstNulCharacter(out, from);
    if (nul != std::string::npos) out.resize(nul);
    if (static_cast<std::int64_t>(out.size()) > kMaxProgramFileBytes) return {std::nullopt, std::string(kTextTooLarge)};
    if (nul != std::string::npos) return {std::move(out), {}};
  }
}

}  // namespace

ProgramRead ReadProgramBytes(const std::string& path) {
  if (path == "-") return ReadAll(STDIN_FILENO, path);
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.Get() < 0) return {std::nullopt, CannotOpenMessage(path)};
  return ReadAll(fd.Get(), path);  // a folder fails in read
}

}  // namespace kurovel
