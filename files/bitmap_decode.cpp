#include "files/bitmap_decode.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdlib>
#include <vector>

namespace kurovel {

namespace {

constexpr std::int64_t kFileHeaderSize = 14;
constexpr std::int64_t kCoreHeaderSize = 12;
constexpr std::int64_t kInfoHeaderSize = 40;
constexpr std::int64_t kV2HeaderSize = 52;  // the first header with the masks inside
constexpr std::int64_t kLargestHeaderSize = 124;
constexpr std::int64_t kMaskSize = 4;
// Pixel data may start after a gap (a colour profile, alignment); beyond this it is
// taken as a broken header rather than read.
constexpr std::int64_t kMaxPixelDataOffset = std::int64_t{1} << 24;

// Compression codes of the information header.
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
constexpr std::uint32_t kBiBitfields = 3;
constexpr std::uint32_t kBiAlphaBitfields = 6;

// The default bit fields of uncompressed 16 and 32-bit pixels, red, green, blue.
constexpr std::array<std::uint32_t, 3> kMasks555 = {0x7c00, 0x03e0, 0x001f};
constexpr std::array<std::uint32_t, 3> kMasks888 = {0xff0000, 0x00ff00, 0x0000ff};

// Little-endian fields; callers have checked that the bytes are there.
std::uint32_t U16(std::string_view b, std::int64_t at) {
  const auto* p = reinterpret_cast<const unsigned char*>(b.data() + at);
  return p[0] | (std::uint32_t{p[1]} << 8);
}
std::uint32_t U32(std::string_view b, std::int64_t at) { return U16(b, at) | (U16(b, at + 2) << 16); }
std::int32_t S32(std::string_view b, std::int64_t at) { return static_cast<std::int32_t>(U32(b, at)); }

std::int64_t RowStride(std::int64_t width, std::int64_t bits_per_pixel) {
  return (width * bits_per_pixel + 31) / 32 * 4;
}

// The most bytes run-length data of a picture can need: every pixel reached by
// its own two-byte run or four-byte jump, every row closed by an end of line.
std::int64_t MaxRunLengthBytes(std::int64_t pixels, std::int64_t rows) { return 4 * (pixels + rows) + 2; }

enum class Encoding { kIndexed, kRgb24, kBitFields, kRle8, kRle4 };

// What the headers say, checked: sizes within the limits and pixel data that
// starts after the headers, masks and palette and lies within kMaxPixelDataOffset.
struct Layout {
  std::int32_t width = 0;
  std::int32_t rows = 0;
  bool top_down = false;
  std::uint32_t bits = 0;
  Encoding encoding = Encoding::kIndexed;
  std::array<std::uint32_t, 3> masks{};
  // Palette entries present before the pixel data (at most 1 << bits).
  std::int64_t palette_at = 0;
  std::int64_t palette_entries = 0;
  std::int64_t palette_entry_size = 4;
  std::int64_t data_at = 0;
  std::int64_t data_size = 0;
};

std::optional<Encoding> EncodingOf(std::uint32_t compression, std::uint32_t bits) {
  switch (compression) {
    case kBiRgb:
      if (bits == 1 || bits == 4 || bits == 8) return Encoding::kIndexed;
      if (bits == 24) return Encoding::kRgb24;
      if (bits == 16 || bits == 32) return Encoding::kBitFields;
      return std::nullopt;
    case kBiBitfields:
    case kBiAlphaBitfields:
      if (bits == 16 || bits == 32) return Encoding::kBitFields;
      return std::nullopt;
    case kBiRle8:
      if (bits == 8) return Encoding::kRle8;
      return std::nullopt;
    case kBiRle4:
      if (bits == 4) return Encoding::kRle4;
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

// Reads the masks of a bit-field picture; returns where they end (the end of the
// information header when they are inside it), or nullopt when the bytes stop.
std::optional<std::int64_t> ReadMasks(std::string_view b, std::int64_t info_size, std::uint32_t compression,
                                      Layout& layout) {
  const std::int64_t header_end = kFileHeaderSize + info_size;
  if (compression == kBiRgb) {
    layout.masks = layout.bits == 16 ? kMasks555 : kMasks888;
    return header_end;
  }
  // The 40-byte header is followed by the masks (a fourth one for alpha, unused
  // here); the larger headers hold them from the same place on.
  const bool inside = info_size >= kV2HeaderSize;
  const std::int64_t masks_at = inside ? kFileHeaderSize + kInfoHeaderSize : header_end;
  const std::int64_t masks_end =
      inside ? header_end : header_end + (compression == kBiAlphaBitfields ? 4 : 3) * kMaskSize;
  if (static_cast<std::int64_t>(b.size()) < masks_at + 3 * kMaskSize) return std::nullopt;
  for (std::size_t i = 0; i < layout.masks.size(); ++i) {
    layout.masks[i] = U32(b, masks_at + static_cast<std::int64_t>(i) * kMaskSize);
  }
  return masks_end;
}

std::optional<Layout> ParseLayout(std::string_view b) {
  if (b.size() < kFileHeaderSize + 4 || b[0] != 'B' || b[1] != 'M') return std::nullopt;
  const std::int64_t offset = U32(b, 10);
  const std::int64_t info_size = U32(b, 14);
  const bool core = info_size == kCoreHeaderSize;
  if (!core && (info_size < kInfoHeaderSize || info_size > kLargestHeaderSize)) return std::nullopt;
  if (static_cast<std::int64_t>(b.size()) < kFileHeaderSize + (core ? kCoreHeaderSize : kInfoHeaderSize)) {
    return std::nullopt;
  }

  Layout layout;
  std::int64_t height = 0;
  std::uint32_t compression = kBiRgb;
  std::int64_t image_size = 0;
  std::int64_t colours_used = 0;
  if (core) {  // the old core header: unsigned 16-bit sizes, always bottom-up
    layout.width = static_cast<std::int32_t>(U16(b, 18));
    height = U16(b, 20);
    layout.bits = U16(b, 24);
    layout.palette_entry_size = 3;
  } else {
    layout.width = S32(b, 18);
    height = S32(b, 22);
    layout.bits = U16(b, 28);
    compression = U32(b, 30);
    image_size = U32(b, 34);
    colours_used = U32(b, 46);
  }
  const std::int64_t rows = std::llabs(height);
  if (layout.width < 1 || layout.width > kMaxPictureSide || rows < 1 || rows > kMaxPictureSide) return std::nullopt;
  if (std::int64_t{layout.width} * rows > kMaxBitmapPixels) return std::nullopt;
  layout.rows = static_cast<std::int32_t>(rows);
  layout.top_down = height < 0;

  const std::optional<Encoding> encoding = EncodingOf(compression, layout.bits);
  if (!encoding) return std::nullopt;
  layout.encoding = *encoding;
  const bool run_length = layout.encoding == Encoding::kRle8 || layout.encoding == Encoding::kRle4;

  std::int64_t headers_end = kFileHeaderSize + info_size;
  if (layout.encoding == Encoding::kBitFields) {
    const std::optional<std::int64_t> masks_end = ReadMasks(b, info_size, compression, layout);
    if (!masks_end) return std::nullopt;
    headers_end = *masks_end;
  }
  // Pixel data inside the headers or masks would be read twice, as both.
  if (offset < headers_end || offset > kMaxPixelDataOffset) return std::nullopt;
  layout.data_at = offset;

  if (layout.bits <= 8) {
    // The palette holds the colours-used count of entries, or all 1 << bits when
    // that is 0, but only as many as lie before the pixel data: a file that
    // stores a shorter palette and points honestly past it keeps its entries and
    // the missing ones are black (see ReadPalette).
    const std::int64_t full = std::int64_t{1} << layout.bits;
    const std::int64_t declared = colours_used == 0 || colours_used > full ? full : colours_used;
    layout.palette_at = headers_end;
    layout.palette_entries = std::min(declared, (offset - headers_end) / layout.palette_entry_size);
  }

  if (run_length) {
    // Encoded rows have no fixed length; the header's image size is the promise.
    if (layout.top_down || image_size == 0 || image_size > MaxRunLengthBytes(std::int64_t{layout.width} * rows, rows)) {
      return std::nullopt;
    }
    layout.data_size = image_size;
  } else {
    layout.data_size = RowStride(layout.width, layout.bits) * rows;
  }
  return layout;
}

// The whole palette of the depth, 1 << bits entries: entries the file does not
// hold are black, so any index a pixel can carry has a colour.
std::vector<ColorValue> ReadPalette(std::string_view b, const Layout& layout) {
  std::vector<ColorValue> palette(std::size_t{1} << layout.bits, MakeColor(0, 0, 0));
  for (std::int64_t i = 0; i < layout.palette_entries; ++i) {
    const auto* p = reinterpret_cast<const unsigned char*>(b.data() + layout.palette_at + i * layout.palette_entry_size);
    palette[static_cast<std::size_t>(i)] = MakeColor(p[2], p[1], p[0]);
  }
  return palette;
}

// A bit field of a pixel widened to 8 bits by repeating its bits from the top, so
// that a full field is 255 and an empty one 0 (5 bits: v << 3 | v >> 2).
class Channel {
 public:
  explicit Channel(std::uint32_t mask)
      : mask_(mask),
        shift_(mask == 0 ? 0 : std::countr_zero(mask)),
        width_(mask == 0 ? 0 : std::bit_width(mask >> shift_)) {}

  std::uint8_t Of(std::uint32_t pixel) const {
    if (width_ == 0) return 0;
    const std::uint32_t v = (pixel & mask_) >> shift_;
    if (width_ >= 8) return static_cast<std::uint8_t>(v >> (width_ - 8));
    std::uint32_t repeated = 0;
    int filled = 0;
    for (; filled < 8; filled += width_) repeated = (repeated << width_) | v;
    return static_cast<std::uint8_t>(repeated >> (filled - 8));
  }

 private:
  std::uint32_t mask_;
  int shift_;
  int width_;
};

// Uncompressed rows: every pixel of the picture is read from the data.
Picture DecodeRows(std::string_view b, const Layout& layout) {
  Picture picture(layout.width, layout.rows);
  const std::vector<ColorValue> palette = layout.bits <= 8 ? ReadPalette(b, layout) : std::vector<ColorValue>{};
  const Channel red(layout.masks[0]), green(layout.masks[1]), blue(layout.masks[2]);
  const std::int64_t stride = RowStride(layout.width, layout.bits);
  const std::uint32_t index_mask = (1u << (layout.bits <= 8 ? layout.bits : 0)) - 1;
  for (std::int32_t r = 0; r < layout.rows; ++r) {
    const std::int32_t y = layout.top_down ? r : layout.rows - 1 - r;
    const auto* row = reinterpret_cast<const unsigned char*>(b.data() + layout.data_at + r * stride);
    for (std::int32_t x = 0; x < layout.width; ++x) {
      ColorValue colour = 0;
      switch (layout.encoding) {
        case Encoding::kIndexed: {
          const std::int64_t bit = std::int64_t{x} * layout.bits;
          const auto shift = static_cast<unsigned>(8 - layout.bits - bit % 8);
          colour = palette[(row[bit / 8] >> shift) & index_mask];
          break;
        }
        case Encoding::kRgb24: {
          const unsigned char* p = row + std::int64_t{x} * 3;
          colour = MakeColor(p[2], p[1], p[0]);
          break;
        }
        case Encoding::kBitFields: {
          const std::uint32_t pixel = layout.bits == 16 ? U16(b, layout.data_at + r * stride + std::int64_t{x} * 2)
                                                        : U32(b, layout.data_at + r * stride + std::int64_t{x} * 4);
          colour = MakeColor(red.Of(pixel), green.Of(pixel), blue.Of(pixel));
          break;
        }
        case Encoding::kRle8:
        case Encoding::kRle4:
          break;  // not rows of fixed length; DecodeRunLength
      }
      picture.SetPixel(x, y, colour);
    }
  }
  return picture;
}

// The escape codes after a zero count in run-length data.
constexpr unsigned kEndOfLine = 0;
constexpr unsigned kEndOfBitmap = 1;
constexpr unsigned kDelta = 2;

// Run-length data: each pair of bytes paints at most 255 pixels, so the work after
// the picture is filled with palette entry 0 (the colour of every pixel the data
// leaves out) is bounded by the data, whatever size the header claims. Runs past
// the end of a row are dropped; the data ends at the end-of-bitmap code, after
// the top row, or where the bytes stop.
Picture DecodeRunLength(std::string_view b, const Layout& layout) {
  const std::vector<ColorValue> palette = ReadPalette(b, layout);
  Picture picture(layout.width, layout.rows);
  for (std::int32_t y = 0; y < layout.rows; ++y) {
    for (std::int32_t x = 0; x < layout.width; ++x) picture.SetPixel(x, y, palette[0]);
  }
  const bool nibbles = layout.encoding == Encoding::kRle4;
  const auto* data = reinterpret_cast<const unsigned char*>(b.data() + layout.data_at);
  const std::int64_t size = layout.data_size;
  std::int64_t at = 0;
  std::int64_t x = 0;
  std::int64_t row = 0;  // from the bottom
  // Pixels of x beyond the row (after a jump or a long run) fall outside the
  // picture and SetPixel drops them; x stays far below overflow (255 a step).
  const auto paint = [&](unsigned index) {
    if (x < layout.width) {
      picture.SetPixel(static_cast<std::int32_t>(x), static_cast<std::int32_t>(layout.rows - 1 - row), palette[index]);
    }
    ++x;
  };
  while (at + 2 <= size && row < layout.rows) {
    const unsigned count = data[at];
    const unsigned value = data[at + 1];
    at += 2;
    if (count > 0) {  // an encoded run: one index, or two nibbles taken in turn
      for (unsigned i = 0; i < count; ++i) paint(nibbles ? (i % 2 == 0 ? value >> 4 : value & 0x0f) : value);
    } else if (value == kEndOfLine) {
      x = 0;
      ++row;
    } else if (value == kEndOfBitmap) {
      break;
    } else if (value == kDelta) {
      if (at + 2 > size) break;
      x += data[at];
      row += data[at + 1];
      at += 2;
    } else {  // an absolute run of `value` indices, padded to a whole 16-bit word
      const std::int64_t bytes = nibbles ? (value + 1) / 2 : value;
      for (unsigned i = 0; i < value; ++i) {
        const std::int64_t byte_at = at + (nibbles ? i / 2 : i);
        if (byte_at >= size) break;
        const unsigned byte = data[byte_at];
        paint(nibbles ? (i % 2 == 0 ? byte >> 4 : byte & 0x0f) : byte);
      }
      at += (bytes + 1) / 2 * 2;
    }
  }
  return picture;
}

}  // namespace

std::optional<std::int64_t> BitmapFileLength(std::string_view head) {
  const std::optional<BitmapHeader> header = ReadBitmapHeader(head);
  if (!header) return std::nullopt;
  return header->file_length;
}

std::optional<BitmapHeader> ReadBitmapHeader(std::string_view head) {
  const std::optional<Layout> layout = ParseLayout(head);
  if (!layout) return std::nullopt;
  return BitmapHeader{layout->width, layout->rows, layout->data_at + layout->data_size};
}

std::optional<Picture> DecodeBitmapBytes(std::string_view bytes) {
  const std::optional<Layout> layout = ParseLayout(bytes);
  if (!layout || static_cast<std::int64_t>(bytes.size()) < layout->data_at + layout->data_size) return std::nullopt;
  if (layout->encoding == Encoding::kRle8 || layout->encoding == Encoding::kRle4) {
    return DecodeRunLength(bytes, *layout);
  }
  return DecodeRows(bytes, *layout);
}

}  // namespace kurovel
