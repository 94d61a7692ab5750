#include "files/bitmap_file.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "language/errors.h"
#include "files/replace_files.h"
#include "files/sequential_file.h"

namespace kurovel {

namespace {

constexpr std::string_view kInvalidBitmap = "ビットマップイメージが不正です";
constexpr std::int64_t kFileHeaderSize = 14;
constexpr std::int64_t kInfoHeaderSize = 40;
constexpr std::int32_t kPixelsPerMetre = 3780;  // 96 dots per inch

constexpr std::uint32_t kBiRgb = 0;  // uncompressed

void PutU16(std::string& out, std::uint32_t v) {
  out.push_back(static_cast<char>(v & 0xff));
  out.push_back(static_cast<char>((v >> 8) & 0xff));
}
void PutU32(std::string& out, std::uint32_t v) {
  PutU16(out, v & 0xffff);
  PutU16(out, v >> 16);
}

std::int64_t RowStride(std::int64_t width, std::int64_t bits_per_pixel) {
  return (width * bits_per_pixel + 31) / 32 * 4;
}

[[noreturn]] void ThrowInvalid() { throw KurovelError(std::string(kInvalidBitmap)); }

[[noreturn]] void ThrowCannotOpen(const std::string& path_utf8) {
  throw KurovelError(CannotOpenMessage(path_utf8));
}

}  // namespace

Picture DecodeBitmap(std::string_view bytes) {
  std::optional<Picture> picture = DecodeBitmapBytes(bytes);
  if (!picture) ThrowInvalid();
  return std::move(*picture);
}

Picture LoadBitmapFile(const std::string& path_utf8) {
  SequentialFile file(path_utf8);
  if (!file.IsOpen()) ThrowCannotOpen(path_utf8);
  // The headers first, then only as many bytes as they promise: a claim larger
  // than the stream ends with the stream, trailing data stays unread, and the
  // promise itself is bounded by the pixel budget.
  std::string bytes;
  if (!file.ReadUntil(bytes, kBitmapHeadBytes)) ThrowCannotOpen(path_utf8);
  const std::optional<std::int64_t> length = BitmapFileLength(bytes);
  if (!length) ThrowInvalid();
  if (!file.ReadUntil(bytes, static_cast<std::size_t>(*length))) ThrowCannotOpen(path_utf8);
  return DecodeBitmap(bytes);
}

namespace {

// The BMP of a width x height picture whose pixels pixel_at(x, y) gives.
template <typename PixelAt>
std::string EncodeRows(std::int32_t picture_width, std::int32_t picture_height, PixelAt pixel_at) {
  const std::int64_t width = picture_width;
  const std::int64_t height = picture_height;
  const std::int64_t stride = RowStride(width, 24);
  const std::int64_t data_size = stride * height;
  const auto offset = static_cast<std::uint32_t>(kFileHeaderSize + kInfoHeaderSize);

  std::string out;
  out.reserve(static_cast<std::size_t>(offset + data_size));
  out += "BM";
  PutU32(out, static_cast<std::uint32_t>(offset + data_size));
  PutU32(out, 0);  // two reserved words
  PutU32(out, offset);
  PutU32(out, static_cast<std::uint32_t>(kInfoHeaderSize));
  PutU32(out, static_cast<std::uint32_t>(width));
  PutU32(out, static_cast<std::uint32_t>(height));  // positive: bottom row first
  PutU16(out, 1);                                   // planes
  PutU16(out, 24);                                  // bits per pixel
  PutU32(out, kBiRgb);
  PutU32(out, static_cast<std::uint32_t>(data_size));
  PutU32(out, kPixelsPerMetre);
  PutU32(out, kPixelsPerMetre);
  PutU32(out, 0);  // colours used: none, no palette
  PutU32(out, 0);  // important colours: all

  const std::size_t padding = static_cast<std::size_t>(stride - width * 3);
  for (std::int32_t y = picture_height - 1; y >= 0; --y) {
    for (std::int32_t x = 0; x < picture_width; ++x) {
      const ColorValue c = pixel_at(x, y);
      out.push_back(static_cast<char>((c >> 16) & 0xff));  // blue
      out.push_back(static_cast<char>((c >> 8) & 0xff));   // green
      out.push_back(static_cast<char>(c & 0xff));          // red
    }
    out.append(padding, '\0');
  }
  return out;
}

}  // namespace

std::string EncodeBitmap(const Picture& picture) {
  return EncodeRows(picture.Width(), picture.Height(), [&](std::int32_t x, std::int32_t y) { return picture.PixelAt(x, y); });
}

std::string EncodeBitmap(const RasterSurface& surface) {
  return EncodeRows(surface.Width(), surface.Height(), [&](std::int32_t x, std::int32_t y) { return surface.PixelAt(x, y); });
}

void SaveBitmapFile(const Picture& picture, const std::string& path_utf8) {
  if (picture.Width() < 1 || picture.Height() < 1) throw KurovelError(std::string(kNothingToSave));
  if (path_utf8.empty() || WriteOutputFiles({{path_utf8, EncodeBitmap(picture)}})) {
    throw KurovelError(CannotCreateMessage(path_utf8));
  }
}

}  // namespace kurovel
