#pragma once
// Windows bitmap (BMP) bytes decoded to a picture, in plain C++: palettes of 1, 4
// and 8 bits, 16 and 32 bits with default or explicit bit-field masks, 24 bits,
// RLE4 and RLE8, the 12-byte core header up to the 124-byte V5 header, rows
// bottom-up or top-down. Every pixel of a decoded picture comes from the file or
// from a stated default; nothing is left unwritten.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "engine/limits.h"
#include "engine/picture.h"

namespace kurovel {


// The first bytes of a file that BitmapFileLength needs: the file header and the
// largest information header.
inline constexpr std::size_t kBitmapHeadBytes = 14 + 124;

// How long the file must be by its headers (headers, palette, masks and pixel
// data), from its first kBitmapHeadBytes bytes (fewer for a shorter file); nullopt
// when these bytes are no valid bitmap's. Bounded by kMaxBitmapPixels.
std::optional<std::int64_t> BitmapFileLength(std::string_view head);

// What the headers promise, after the same checks as BitmapFileLength: the
// picture's size and the file length its headers need.
struct BitmapHeader {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int64_t file_length = 0;
};
std::optional<BitmapHeader> ReadBitmapHeader(std::string_view head);

// The picture of a whole file; nullopt when it is no valid bitmap. Bytes after the
// length the headers state are ignored.
std::optional<Picture> DecodeBitmapBytes(std::string_view bytes);

}  // namespace kurovel
