#include "app/png_encoder.h"

#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <new>
#include <stdexcept>
#include <vector>

namespace kurovel {
namespace {

constexpr int kBytesPerPixel = 3;

void AppendToString(png_structp png, png_bytep data, png_size_t length) {
  static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), length);
}

void NothingToFlush(png_structp) {}

// Hands the rows to libpng. libpng reports an error by jumping back to the
// setjmp here, so nothing in this function may need a destructor.
bool WriteImage(png_structp png, png_infop info, std::string* out, png_uint_32 width, png_uint_32 height,
                png_bytepp rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_write_fn(png, out, AppendToString, NothingToFlush);
  png_set_compression_level(png, Z_BEST_SPEED);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_write_image(png, rows);
  png_write_end(png, info);
  return true;
}

// The write structure and its information structure, freed together.
class PngWriter {
 public:
  PngWriter() {
    png_ = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png_ == nullptr) throw std::bad_alloc();
    info_ = png_create_info_struct(png_);
    if (info_ == nullptr) {
      png_destroy_write_struct(&png_, nullptr);
      throw std::bad_alloc();
    }
  }
  ~PngWriter() { png_destroy_write_struct(&png_, &info_); }
  PngWriter(const PngWriter&) = delete;
  PngWriter& operator=(const PngWriter&) = delete;

  png_structp png() const { return png_; }
  png_infop info() const { return info_; }

 private:
  png_structp png_ = nullptr;
  png_infop info_ = nullptr;
};

}  // namespace

std::string EncodePng(const Picture& picture) {
  const auto width = static_cast<std::size_t>(picture.Width());
  const auto height = static_cast<std::size_t>(picture.Height());
  std::vector<png_byte> rgb(width * height * kBytesPerPixel);
  const std::vector<ColorValue>& pixels = picture.Pixels();
  for (std::size_t i = 0; i < width * height; ++i) {
    rgb[i * kBytesPerPixel] = static_cast<png_byte>(pixels[i] & 0xFF);
    rgb[i * kBytesPerPixel + 1] = static_cast<png_byte>((pixels[i] >> 8) & 0xFF);
    rgb[i * kBytesPerPixel + 2] = static_cast<png_byte>((pixels[i] >> 16) & 0xFF);
  }
  std::vector<png_bytep> rows(height);
  for (std::size_t y = 0; y < height; ++y) rows[y] = &rgb[y * width * kBytesPerPixel];

  std::string bytes;
  const PngWriter writer;
  if (!WriteImage(writer.png(), writer.info(), &bytes, static_cast<png_uint_32>(width),
                  static_cast<png_uint_32>(height), rows.data())) {
    throw std::runtime_error("PNG encoding failed");
  }
  return bytes;
}

}  // namespace kurovel
