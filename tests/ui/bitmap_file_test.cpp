// Bitmap files: every depth the loader must read (written here byte by byte), the
// checks that refuse broken files, and the exact bytes the writer produces.

#include "ui/bitmap_file.h"

#include <gtest/gtest.h>

#include <QFile>

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "language/errors.h"
#include "tests/ui/files_test_support.h"

namespace kurovel {
namespace {

using test::ReadBytes;
using test::ScratchFolder;
using test::WriteBytes;

void Put16(std::string& out, std::uint32_t v) {
  out.push_back(static_cast<char>(v & 0xff));
  out.push_back(static_cast<char>((v >> 8) & 0xff));
}
void Put32(std::string& out, std::uint32_t v) {
  Put16(out, v & 0xffff);
  Put16(out, v >> 16);
}
std::uint32_t Get32(const std::string& b, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)]);
  return v;
}

// A palette entry for index i, distinct for every index.
ColorValue PaletteColor(int i) {
  return MakeColor(static_cast<std::uint8_t>(i * 37), static_cast<std::uint8_t>(255 - i * 11),
                   static_cast<std::uint8_t>(i * 5 + 3));
}
ColorValue TrueColor(int x, int y) {
  return MakeColor(static_cast<std::uint8_t>(x * 40 + 7), static_cast<std::uint8_t>(y * 50 + 1),
                   static_cast<std::uint8_t>((x + y) * 20));
}

struct BmpCase {
  const char* name;
  int bits;
  bool top_down;
  bool core_header;  // the old 12-byte header
};

void PrintTo(const BmpCase& c, std::ostream* os) { *os << c.name; }

int IndexAt(int x, int y, int bits) { return (x + 2 * y) % (1 << bits); }

ColorValue ExpectedColor(const BmpCase& c, int x, int y) {
  return c.bits <= 8 ? PaletteColor(IndexAt(x, y, c.bits)) : TrueColor(x, y);
}

// An uncompressed bitmap of the case's depth and direction, independent of the
// writer under test.
std::string MakeBmp(const BmpCase& c, int width, int height) {
  const int colours = c.bits <= 8 ? 1 << c.bits : 0;
  const int entry = c.core_header ? 3 : 4;
  const std::uint32_t info = c.core_header ? 12 : 40;
  const std::uint32_t offset = 14 + info + static_cast<std::uint32_t>(colours * entry);
  const std::uint32_t stride = static_cast<std::uint32_t>((width * c.bits + 31) / 32 * 4);
  std::string out = "BM";
  Put32(out, offset + stride * static_cast<std::uint32_t>(height));
  Put32(out, 0);
  Put32(out, offset);
  Put32(out, info);
  if (c.core_header) {
    Put16(out, static_cast<std::uint32_t>(width));
    Put16(out, static_cast<std::uint32_t>(height));
    Put16(out, 1);
    Put16(out, static_cast<std::uint32_t>(c.bits));
  } else {
    Put32(out, static_cast<std::uint32_t>(width));
    Put32(out, static_cast<std::uint32_t>(c.top_down ? -height : height));
    Put16(out, 1);
    Put16(out, static_cast<std::uint32_t>(c.bits));
    for (int i = 0; i < 6; ++i) Put32(out, 0);  // BI_RGB, size, resolution, colours
  }
  for (int i = 0; i < colours; ++i) {
    const ColorValue p = PaletteColor(i);
    out.push_back(static_cast<char>(p >> 16));
    out.push_back(static_cast<char>(p >> 8));
    out.push_back(static_cast<char>(p));
    if (!c.core_header) out.push_back('\0');
  }
  for (int row = 0; row < height; ++row) {
    const int y = c.top_down ? row : height - 1 - row;
    std::string line(stride, '\0');
    for (int x = 0; x < width; ++x) {
      if (c.bits <= 8) {
        const int bit = x * c.bits;
        const int shift = 8 - c.bits - bit % 8;
        line[static_cast<std::size_t>(bit / 8)] =
            static_cast<char>(static_cast<unsigned char>(line[static_cast<std::size_t>(bit / 8)]) |
                              (IndexAt(x, y, c.bits) << shift));
      } else {
        const ColorValue p = TrueColor(x, y);
        const std::size_t at = static_cast<std::size_t>(x * c.bits / 8);
        line[at] = static_cast<char>(p >> 16);
        line[at + 1] = static_cast<char>(p >> 8);
        line[at + 2] = static_cast<char>(p);
        if (c.bits == 32) line[at + 3] = static_cast<char>(0x5a);  // ignored byte
      }
    }
    out += line;
  }
  return out;
}

class BitmapDepth : public ::testing::TestWithParam<BmpCase> {};

TEST_P(BitmapDepth, LoadsEveryPixel) {
  const BmpCase c = GetParam();
  constexpr int kWidth = 5;  // rows need padding at every depth
  constexpr int kHeight = 3;
  ScratchFolder folder;
  WriteBytes(folder.Path("p.bmp"), MakeBmp(c, kWidth, kHeight));
  const Picture picture = LoadBitmapFile(folder.PathUtf8("p.bmp"));
  ASSERT_EQ(picture.Width(), kWidth);
  ASSERT_EQ(picture.Height(), kHeight);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      EXPECT_EQ(picture.PixelAt(x, y), ExpectedColor(c, x, y)) << "at " << x << "," << y;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Depths, BitmapDepth,
                         ::testing::Values(BmpCase{"bits1", 1, false, false}, BmpCase{"bits4", 4, false, false},
                                           BmpCase{"bits8", 8, false, false}, BmpCase{"bits24", 24, false, false},
                                           BmpCase{"bits32", 32, false, false}, BmpCase{"bits1_top_down", 1, true, false},
                                           BmpCase{"bits8_top_down", 8, true, false},
                                           BmpCase{"bits24_top_down", 24, true, false},
                                           BmpCase{"bits32_top_down", 32, true, false},
                                           BmpCase{"bits24_core_header", 24, false, true},
                                           BmpCase{"bits8_core_header", 8, false, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BitmapFile, LoadsRunLengthEncodedPicture) {
  std::string bmp = MakeBmp(BmpCase{"", 8, false, false}, 4, 2);
  const std::string rle = std::string("\x04\x01\x00\x00\x02\x02\x02\x03\x00\x01", 10);  // row 1, row 0, end
  bmp.resize(Get32(bmp, 10));
  bmp += rle;
  bmp[30] = 1;  // BI_RLE8
  bmp[34] = static_cast<char>(rle.size());
  const Picture picture = DecodeBitmap(bmp);
  ASSERT_EQ(picture.Width(), 4);
  EXPECT_EQ(picture.PixelAt(0, 1), PaletteColor(1));
  EXPECT_EQ(picture.PixelAt(3, 1), PaletteColor(1));
  EXPECT_EQ(picture.PixelAt(1, 0), PaletteColor(2));
  EXPECT_EQ(picture.PixelAt(2, 0), PaletteColor(3));
  // The header promises 10 bytes of runs; a file that holds fewer is refused.
  EXPECT_THROW(DecodeBitmap(bmp.substr(0, bmp.size() - 1)), KurovelError);
}

struct BrokenCase {
  const char* name;
  std::function<void(std::string&)> damage;
};

void PrintTo(const BrokenCase& c, std::ostream* os) { *os << c.name; }

class BrokenBitmap : public ::testing::TestWithParam<BrokenCase> {};

TEST_P(BrokenBitmap, IsRefusedAsInvalid) {
  std::string bmp = MakeBmp(BmpCase{"", 24, false, false}, 5, 3);
  GetParam().damage(bmp);
  ScratchFolder folder;
  WriteBytes(folder.Path("broken.bmp"), bmp);
  try {
    LoadBitmapFile(folder.PathUtf8("broken.bmp"));
    FAIL() << "loaded";
  } catch (const KurovelError& error) {
    EXPECT_STREQ(error.what(), "ビットマップイメージが不正です");
  }
}

void Set32(std::string& b, std::size_t at, std::uint32_t v) {
  std::string bytes;
  Put32(bytes, v);
  b.replace(at, 4, bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Damage, BrokenBitmap,
    ::testing::Values(BrokenCase{"empty_file", [](std::string& b) { b.clear(); }},
                      BrokenCase{"signature_only", [](std::string& b) { b.resize(2); }},
                      BrokenCase{"header_cut", [](std::string& b) { b.resize(40); }},
                      BrokenCase{"wrong_signature", [](std::string& b) { b[0] = 'P'; }},
                      BrokenCase{"last_pixel_byte_missing", [](std::string& b) { b.pop_back(); }},
                      BrokenCase{"half_the_rows_missing", [](std::string& b) { b.resize(54 + 16); }},
                      BrokenCase{"width_zero", [](std::string& b) { Set32(b, 18, 0); }},
                      BrokenCase{"width_negative", [](std::string& b) { Set32(b, 18, static_cast<std::uint32_t>(-5)); }},
                      BrokenCase{"width_over_16384", [](std::string& b) { Set32(b, 18, 16385); }},
                      BrokenCase{"height_over_16384_top_down",
                                 [](std::string& b) { Set32(b, 22, static_cast<std::uint32_t>(-16385)); }},
                      BrokenCase{"height_most_negative", [](std::string& b) { Set32(b, 22, 0x80000000u); }},
                      BrokenCase{"huge_but_allowed_sides_and_no_data",
                                 [](std::string& b) {
                                   Set32(b, 18, 16384);
                                   Set32(b, 22, 16384);
                                 }},
                      BrokenCase{"seven_bits_per_pixel", [](std::string& b) { b[28] = 7; }},
                      BrokenCase{"jpeg_compression", [](std::string& b) { b[30] = 4; }},
                      BrokenCase{"unknown_header_size", [](std::string& b) { Set32(b, 14, 20); }},
                      BrokenCase{"data_offset_inside_header", [](std::string& b) { Set32(b, 10, 30); }},
                      BrokenCase{"data_offset_past_the_end", [](std::string& b) { Set32(b, 10, 0xfffffff0u); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BitmapFile, UnreadableFilesNameTheirPath) {
  ScratchFolder folder;
  for (const QString& name : {QStringLiteral("missing.bmp"), QString()}) {
    const std::string path = folder.PathUtf8(name);  // the folder itself for the empty name
    try {
      LoadBitmapFile(path);
      FAIL() << path;
    } catch (const KurovelError& error) {
      EXPECT_EQ(std::string(error.what()), "ファイル " + path + " は開けません");
    }
  }
}

TEST(BitmapFile, WritesUncompressed24BitBottomUpWithFixedResolution) {
  Picture picture(3, 2);
  picture.SetPixel(0, 0, MakeColor(1, 2, 3));
  picture.SetPixel(2, 1, MakeColor(200, 100, 50));
  const std::string bmp = EncodeBitmap(picture);
  const std::uint32_t stride = 12;  // 9 bytes of pixels padded to 4
  ASSERT_EQ(bmp.size(), 54u + 2 * stride);
  EXPECT_EQ(bmp.substr(0, 2), "BM");
  const std::vector<std::pair<std::size_t, std::uint32_t>> fields = {
      {2, 54 + 2 * stride}, {6, 0}, {10, 54}, {14, 40}, {18, 3}, {22, 2}, {26, 1 | (24u << 16)},
      {30, 0},              {34, 2 * stride}, {38, 3780}, {42, 3780}, {46, 0}, {50, 0}};
  for (const auto& [offset, value] : fields) EXPECT_EQ(Get32(bmp, offset), value) << "field at " << offset;
  // Bottom row first, blue-green-red, padding zero.
  EXPECT_EQ(bmp.substr(54, stride), std::string("\xff\xff\xff\xff\xff\xff\x32\x64\xc8\0\0\0", 12));
  EXPECT_EQ(bmp.substr(54 + stride, 3), "\x03\x02\x01");

  const Picture again = DecodeBitmap(bmp);
  EXPECT_EQ(again.Pixels(), picture.Pixels());
}

TEST(BitmapFile, SavesBitmapDataWhateverTheExtension) {
  ScratchFolder folder;
  Picture picture(4, 4);
  picture.SetPixel(1, 2, clRed);
  SaveBitmapFile(picture, folder.PathUtf8("work.ico"));
  EXPECT_EQ(ReadBytes(folder.Path("work.ico")), EncodeBitmap(picture));
}

TEST(BitmapFile, FailedSaveKeepsTheOldFile) {
  ScratchFolder folder;
  const QString locked = folder.Path("locked.bmp");
  WriteBytes(locked, "old picture");
  QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
  const std::vector<std::string> paths = {locked.toStdString(), folder.PathUtf8("no/such/folder/x.bmp")};
  for (const std::string& path : paths) {
    try {
      SaveBitmapFile(Picture(2, 2), path);
      FAIL() << path;
    } catch (const KurovelError& error) {
      EXPECT_EQ(std::string(error.what()), "ファイル " + path + " を作成できません");
    }
  }
  EXPECT_EQ(ReadBytes(locked), "old picture");
  EXPECT_FALSE(QFile::exists(folder.Path("no")));
  EXPECT_THROW(SaveBitmapFile(Picture(0, 5), folder.PathUtf8("empty.bmp")), KurovelError);
  EXPECT_FALSE(QFile::exists(folder.Path("empty.bmp")));
}

}  // namespace
}  // namespace kurovel
