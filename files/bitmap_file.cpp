#include "files/bitmap_file.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <cstdint>
#include <cstdlib>
#include <optional>

#include "language/errors.h"
#include "files/file_replace.h"

namespace kurovel {

namespace {

constexpr std::string_view kInvalidBitmap = "ビットマップイメージが不正です";
constexpr std::int64_t kFileHeaderSize = 14;
constexpr std::int64_t kInfoHeaderSize = 40;
constexpr std::int32_t kPixelsPerMetre = 3780;  // 96 dots per inch

// Compression codes of the information header.
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
constexpr std::uint32_t kBiBitfields = 3;
constexpr std::uint32_t kBiAlphaBitfields = 6;

std::uint32_t ReadU16(std::string_view b, std::size_t at) {
  return static_cast<unsigned char>(b[at]) | (static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8);
}
std::uint32_t ReadU32(std::string_view b, std::size_t at) { return ReadU16(b, at) | (ReadU16(b, at + 2) << 16); }

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

// What the headers promise: the picture's size and how many bytes the whole file
// must hold for that promise to be kept.
struct BitmapLayout {
  std::int64_t width = 0;
  std::int64_t height = 0;  // rows, whatever the direction
  std::int64_t required_length = 0;
  bool run_length = false;  // RLE4 or RLE8 data
};

// Checks the headers (the first bytes of the file) before any pixel is decoded, so
// that neither a cut-off file nor a claim of a huge picture gets to the decoder.
std::optional<BitmapLayout> ParseLayout(std::string_view head) {
  if (head.size() < kFileHeaderSize + 16 || head[0] != 'B' || head[1] != 'M') return std::nullopt;
  const std::int64_t offset = ReadU32(head, 10);
  const std::int64_t info_size = ReadU32(head, 14);
  std::int64_t width = 0;
  std::int64_t height = 0;
  std::uint32_t bits = 0;
  std::uint32_t compression = kBiRgb;
  std::int64_t image_size = 0;
  if (info_size == 12) {  // the old core header with 16-bit sizes
    width = ReadU16(head, 18);
    height = ReadU16(head, 20);
    bits = ReadU16(head, 24);
  } else if (info_size >= kInfoHeaderSize && info_size <= 124) {
    if (head.size() < static_cast<std::size_t>(kFileHeaderSize + kInfoHeaderSize)) return std::nullopt;
    width = static_cast<std::int32_t>(ReadU32(head, 18));
    height = static_cast<std::int32_t>(ReadU32(head, 22));
    bits = ReadU16(head, 28);
    compression = ReadU32(head, 30);
    image_size = ReadU32(head, 34);
  } else {
    return std::nullopt;
  }
  const std::int64_t rows = std::llabs(height);
  if (width < 1 || width > kMaxBitmapSide || rows < 1 || rows > kMaxBitmapSide) return std::nullopt;
  if (offset < kFileHeaderSize + info_size) return std::nullopt;

  std::int64_t data_size = 0;
  switch (compression) {
    case kBiRgb:
      if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return std::nullopt;
      data_size = RowStride(width, bits) * rows;
      break;
    case kBiBitfields:
    case kBiAlphaBitfields:
      if (bits != 16 && bits != 32) return std::nullopt;
      data_size = RowStride(width, bits) * rows;
      break;
    case kBiRle8:
    case kBiRle4:
      // Encoded rows have no fixed length; the header's image size is the promise.
      if (bits != (compression == kBiRle8 ? 8u : 4u) || height < 0 || image_size == 0) return std::nullopt;
      data_size = image_size;
      break;
    default:
      return std::nullopt;
  }
  return BitmapLayout{width, rows, offset + data_size, compression == kBiRle8 || compression == kBiRle4};
}

[[noreturn]] void ThrowInvalid() { throw KurovelError(std::string(kInvalidBitmap)); }

// The decoder refuses images above a process-wide memory limit; the side limit
// already bounds what a valid file can ask for, so the limit is raised to that.
void AllowDecodingOf(const BitmapLayout& layout) {
  const std::int64_t megabytes = layout.width * layout.height * 4 / (1024 * 1024) + 1;
  if (QImageReader::allocationLimit() != 0 && QImageReader::allocationLimit() < megabytes) {
    QImageReader::setAllocationLimit(static_cast<int>(megabytes));
  }
}

Picture ToPicture(const QImage& decoded) {
  const QImage image = decoded.convertToFormat(QImage::Format_RGB32);
  Picture picture(image.width(), image.height());
  for (int y = 0; y < image.height(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      const QRgb p = row[x];
      picture.SetPixel(x, y,
                       MakeColor(static_cast<std::uint8_t>(qRed(p)), static_cast<std::uint8_t>(qGreen(p)),
                                 static_cast<std::uint8_t>(qBlue(p))));
    }
  }
  return picture;
}

}  // namespace

Picture DecodeBitmap(std::string_view bytes) {
  const std::optional<BitmapLayout> layout = ParseLayout(bytes);
  if (!layout || static_cast<std::int64_t>(bytes.size()) < layout->required_length) ThrowInvalid();
  AllowDecodingOf(*layout);
  QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(layout->required_length));
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, "bmp");
  reader.setAutoTransform(false);
  // Run-length data may leave pixels out (an early end of line or of picture, a
  // jump, data that stops short) and the reader does not write them; they are
  // palette entry 0. The reader decodes into an image of its own size and format
  // (8-bit indexed for both run-length depths) when it is given one.
  QImage image;
  if (layout->run_length) {
    image = QImage(static_cast<int>(layout->width), static_cast<int>(layout->height), QImage::Format_Indexed8);
    image.fill(0);
  }
  if (!reader.read(&image)) ThrowInvalid();
  if (image.isNull() || image.width() != layout->width || image.height() != layout->height) ThrowInvalid();
  return ToPicture(image);
}

Picture LoadBitmapFile(const std::string& path_utf8) {
  QFile file(QString::fromStdString(path_utf8));
  if (!file.open(QIODevice::ReadOnly)) {
    throw KurovelError("ファイル " + path_utf8 + " は開けません");
  }
  // Only the bytes the header promises are read: trailing data is ignored and a
  // claim larger than the file is refused before anything big is allocated.
  const QByteArray head = file.peek(kFileHeaderSize + 124);
  const std::optional<BitmapLayout> layout = ParseLayout(std::string_view(head.constData(), head.size()));
  if (!layout || file.size() < layout->required_length) ThrowInvalid();
  const QByteArray bytes = file.read(layout->required_length);
  if (bytes.size() != layout->required_length) {
    throw KurovelError("ファイル " + path_utf8 + " は開けません");
  }
  return DecodeBitmap(std::string_view(bytes.constData(), bytes.size()));
}

std::string EncodeBitmap(const Picture& picture) {
  const std::int64_t width = picture.Width();
  const std::int64_t height = picture.Height();
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
  for (std::int32_t y = picture.Height() - 1; y >= 0; --y) {
    for (std::int32_t x = 0; x < picture.Width(); ++x) {
      const ColorValue c = picture.PixelAt(x, y);
      out.push_back(static_cast<char>((c >> 16) & 0xff));  // blue
      out.push_back(static_cast<char>((c >> 8) & 0xff));   // green
      out.push_back(static_cast<char>(c & 0xff));          // red
    }
    out.append(padding, '\0');
  }
  return out;
}

void SaveBitmapFile(const Picture& picture, const std::string& path_utf8) {
  if (picture.Width() < 1 || picture.Height() < 1) throw KurovelError(std::string(kNothingToSave));
  const std::string bytes = EncodeBitmap(picture);
  if (!ReplaceFileContents(QString::fromStdString(path_utf8), QByteArrayView(bytes.data(), bytes.size()))) {
    throw KurovelError("ファイル " + path_utf8 + " を作成できません");
  }
}

}  // namespace kurovel
