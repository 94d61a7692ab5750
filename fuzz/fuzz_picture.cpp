// Pictures: any bytes as a background bitmap laid on the drawing surface, and the
// surface saved again. Only the bitmap error may come out of the decoder, the same
// bytes decode twice to the same answer and pixels (nothing left unwritten), a
// decoded picture has pixels, the same bytes read from a file lay the same
// picture, and the saved surface decodes back to exactly its pixels.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>

#include "engine/picture.h"
#include "engine/raster_surface.h"
#include "language/errors.h"
#include "files/bitmap_file.h"
#include "files/pictures.h"

#include <unistd.h>

namespace {

// Pictures up to the side limit are valid, and a few bytes of run-length data can
// claim one of 16384 x 16384; gigabyte pictures only slow the search, so headers
// claiming more than this many pixels are skipped.
constexpr std::int64_t kMaxFuzzedPixels = std::int64_t{1} << 22;

std::uint32_t U16(std::string_view b, std::size_t at) {
  return static_cast<unsigned char>(b[at]) | static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8;
}

std::int64_t ClaimedPixels(std::string_view b) {
  if (b.size() < 26) return 0;
  if (U16(b, 14) == 12 && U16(b, 16) == 0) return std::int64_t{U16(b, 18)} * U16(b, 20);
  const auto width = static_cast<std::int32_t>(U16(b, 18) | U16(b, 20) << 16);
  const auto height = static_cast<std::int32_t>(U16(b, 22) | U16(b, 24) << 16);
  return std::llabs(std::int64_t{width}) * std::llabs(std::int64_t{height});
}

// A file of this process for the bytes, so the reading from a file is fuzzed too.
class ScratchFile {
 public:
  ScratchFile()
      : path_(std::filesystem::temp_directory_path() / ("kurovel-fuzz-" + std::to_string(getpid()) + ".bmp")) {}
  ~ScratchFile() {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }
  std::string Write(std::string_view bytes) const {
    std::ofstream(path_, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path_.string();
  }

 private:
  std::filesystem::path path_;
};

bool SamePixels(const kurovel::Picture& a, const kurovel::Picture& b) {
  return a.Width() == b.Width() && a.Height() == b.Height() && a.Pixels() == b.Pixels();
}

kurovel::Picture Drawing(const kurovel::RasterSurface& surface) {
  kurovel::Picture drawing(surface.Width(), surface.Height());
  surface.CopyPictureOut(drawing, surface.Width(), surface.Height());
  return drawing;
}

// Lays the picture on a surface of the given size, saves the whole surface and
// reads the saved bytes back.
void LayAndSave(const kurovel::Picture& picture, std::int32_t width, std::int32_t height) {
  kurovel::RasterSurface surface(width, height);
  kurovel::LayBackgroundPicture(surface, picture);
  const kurovel::Picture drawing = Drawing(surface);
  if (!SamePixels(kurovel::DecodeBitmap(kurovel::EncodeBitmap(drawing)), drawing)) __builtin_trap();
}

// The background command reads the bytes from a file: it must accept exactly the
// files the decoder accepts and lay the same drawing.
void CheckFileAgrees(std::string_view bytes, const kurovel::Picture* decoded) {
  static const ScratchFile file;
  kurovel::RasterSurface from_file(64, 48);
  try {
    kurovel::DrawBackgroundPicture(from_file, file.Write(bytes));
  } catch (const kurovel::KurovelError&) {
    if (decoded != nullptr) __builtin_trap();
    return;
  }
  if (decoded == nullptr) __builtin_trap();
  kurovel::RasterSurface from_memory(64, 48);
  kurovel::LayBackgroundPicture(from_memory, *decoded);
  if (!SamePixels(Drawing(from_file), Drawing(from_memory))) __builtin_trap();
}

std::optional<kurovel::Picture> Decode(std::string_view bytes) {
  try {
    return kurovel::DecodeBitmap(bytes);
  } catch (const kurovel::KurovelError&) {
    return std::nullopt;  // "no valid bitmap"
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (ClaimedPixels(bytes) > kMaxFuzzedPixels) return 0;
  const std::optional<kurovel::Picture> decoded = Decode(bytes);
  const std::optional<kurovel::Picture> again = Decode(bytes);
  if (decoded.has_value() != again.has_value()) __builtin_trap();
  if (!decoded) {
    CheckFileAgrees(bytes, nullptr);
    return 0;
  }
  if (!SamePixels(*decoded, *again)) __builtin_trap();
  const kurovel::Picture& picture = *decoded;
  if (picture.Width() < 1 || picture.Height() < 1) __builtin_trap();
  CheckFileAgrees(bytes, &picture);
  // An even and an odd surface, so both roundings of the centring are taken.
  LayAndSave(picture, 64, 48);
  LayAndSave(picture, 17, 9);
  return 0;
}
