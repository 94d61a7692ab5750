#include "files/bitmap_preview.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <string_view>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/limits.h"
#include "files/bitmap_decode.h"
#include "files/file_descriptor.h"

namespace kurovel {

namespace {

constexpr std::size_t kChunkSize = 64 * 1024;

bool IsRegularFile(const struct stat& info) { return S_ISREG(info.st_mode); }

// Appends bytes until `out` holds `total` or the file ends; false on a read error.
bool ReadUpTo(int fd, std::string& out, std::size_t total) {
  std::array<char, kChunkSize> chunk;
  while (out.size() < total) {
    const ssize_t got = ::read(fd, chunk.data(), std::min(chunk.size(), total - out.size()));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    out.append(chunk.data(), static_cast<std::size_t>(got));
  }
  return true;
}

bool WithinPreviewBudget(const BitmapHeader& header) {
  return std::int64_t{header.width} * header.height <= kMaxPreviewPixels &&
         header.file_length <= kMaxPreviewFileBytes;
}

}  // namespace

std::optional<BitmapPreview> ReadBitmapPreview(const std::string& path_utf8) {
  // Checked before opening, since opening a device can itself act on it; the
  // non-blocking open never waits for a FIFO's writer, and fstat confirms that
  // what was opened is still the regular file.
  struct stat info {};
  if (::stat(path_utf8.c_str(), &info) != 0 || !IsRegularFile(info)) return std::nullopt;
  FileDescriptor file(::open(path_utf8.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (file.Get() < 0 || ::fstat(file.Get(), &info) != 0 || !IsRegularFile(info)) return std::nullopt;

  std::string bytes;
  if (!ReadUpTo(file.Get(), bytes, kBitmapHeadBytes)) return std::nullopt;
  const std::optional<BitmapHeader> header = ReadBitmapHeader(bytes);
  // A regular file shorter than its headers promise is refused by the loader too.
  if (!header || info.st_size < header->file_length) return std::nullopt;

  BitmapPreview preview{header->width, header->height, std::nullopt};
  if (!WithinPreviewBudget(*header)) return preview;
  if (!ReadUpTo(file.Get(), bytes, static_cast<std::size_t>(header->file_length))) return std::nullopt;
  preview.picture = DecodeBitmapBytes(bytes);
  if (!preview.picture) return std::nullopt;
  return preview;
}

}  // namespace kurovel
