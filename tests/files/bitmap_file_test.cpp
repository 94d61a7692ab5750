// Bitmap files: every variant the loader must read, written here byte by byte; the
// checks that refuse broken files, undefined layouts and oversized claims; reading
// from a FIFO; the exact bytes of the writer; failed saves.

#include "files/bitmap_file.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <optional>
#include <thread>
#include <vector>

#include "tests/files/bitmap_samples.h"
#include "tests/files/files_test_support.h"

namespace kurovel::test {
namespace {

// Palette entry i for the indexed depths, a colour per pixel for the others.
ColorValue Expected(int bits, int x, int y) {
  const int i = (x + 2 * y) % (1 << std::min(bits, 8));
  return bits <= 8 ? MakeColor(static_cast<std::uint8_t>(i * 37), static_cast<std::uint8_t>(255 - i * 11), 3)
                   : MakeColor(static_cast<std::uint8_t>(x * 40), static_cast<std::uint8_t>(y * 50), 9);
}

// A 5 x 3 uncompressed bitmap (rows padded at every depth), bottom-up or top-down,
// with the 40-byte or the old 12-byte header.
std::string MakeBmp(int bits, bool top_down, bool core_header = false) {
  const int width = 5, height = 3, colours = bits <= 8 ? 1 << bits : 0, entry = core_header ? 3 : 4;
  const std::uint32_t info = core_header ? 12 : 40, offset = 14 + info + colours * entry;
  const int stride = (width * bits + 31) / 32 * 4;
  std::string out = "BM";
  Put(out, offset + stride * height, 4), Put(out, 0, 4), Put(out, offset, 4), Put(out, info, 4);
  const int side = core_header ? 2 : 4;
  Put(out, width, side), Put(out, static_cast<std::uint32_t>(top_down ? -height : height), side);
  Put(out, 1, 2), Put(out, bits, 2);
  if (!core_header) out.append(24, '\0');
  for (int i = 0; i < colours; ++i) Put(out, Bgr(Expected(bits, i, 0)), entry);
  for (int row = 0; row < height; ++row) {
    const int y = top_down ? row : height - 1 - row;
    std::string line(stride, '\0');
    for (int x = 0; x < width; ++x) {
      auto* byte = reinterpret_cast<unsigned char*>(&line[x * bits / 8]);
      if (bits <= 8)
        byte[0] |= ((x + 2 * y) % (1 << bits)) << (8 - bits - x * bits % 8);
      else
        for (int k = 0; k < bits / 8; ++k)
          byte[k] = static_cast<unsigned char>(k < 3 ? Bgr(Expected(bits, x, y)) >> 8 * k : 0x5a);
    }
    out += line;
  }
  return out;
}

TEST(BitmapFile, LoadsEveryUncompressedDepthBothDirections) {
  struct Case {
    int bits;
    bool top_down, core_header;
  };
  std::vector<Case> cases = {{24, false, true}, {8, false, true}};  // the old 12-byte header
  for (const int bits : {1, 4, 8, 24, 32})
    for (const bool top_down : {false, true}) cases.push_back({bits, top_down, false});
  ScratchFolder folder;
  for (const Case& c : cases) {
    WriteBytes(folder.Path("p.bmp"), MakeBmp(c.bits, c.top_down, c.core_header));
    const Picture picture = LoadBitmapFile(folder.PathUtf8("p.bmp"));
    ASSERT_EQ(std::pair(picture.Width(), picture.Height()), std::pair(5, 3)) << c.bits;
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 5; ++x)
        EXPECT_EQ(picture.PixelAt(x, y), Expected(c.bits, x, y))
            << c.bits << (c.top_down ? " top-down " : " ") << x << "," << y;
  }
}

// A 4 x 3 run-length (RLE8) bitmap with a two-entry palette around the given data.
std::string MakeRle8(const std::string& data) {
  std::string out = "BM";
  const std::uint32_t offset = 14 + 40 + 8;
  Put(out, offset + static_cast<std::uint32_t>(data.size()), 4), Put(out, 0, 4), Put(out, offset, 4);
  Put(out, 40, 4), Put(out, 4, 4), Put(out, 3, 4), Put(out, 1, 2), Put(out, 8, 2), Put(out, 1, 4);
  Put(out, static_cast<std::uint32_t>(data.size()), 4), Put(out, 0, 4), Put(out, 0, 4), Put(out, 2, 4);
  Put(out, 0, 4);
  Put(out, Bgr(MakeColor(10, 20, 30)), 4), Put(out, Bgr(MakeColor(200, 100, 50)), 4);
  return out + data;
}

TEST(BitmapFile, PixelsThatRunLengthDataLeavesOutArePaletteEntryZero) {
  // Rows of palette indices, top row first; the data lists the bottom row first.
  const std::pair<std::string, std::string> cases[] = {
      {std::string("\4\1\0\0\4\1\0\0\4\1\0\1", 12), "1111" "1111" "1111"},
      {std::string("\2\1\0\0\4\1\0\0\4\1\0\1", 12), "1111" "1111" "1100"},  // early end of line
      {std::string("\4\1\0\1", 4), "0000" "0000" "1111"},                          // early end of picture
      {std::string("\1\1\0\2\2\1\1\1\0\1", 10), "0000" "0001" "1000"},           // a jump
  };
  for (const auto& [data, rows] : cases) {
    // A picture painted all over first, so that memory it leaves behind is not blank.
    DecodeBitmap(MakeRle8(std::string("\4\1\0\0\4\1\0\0\4\1\0\1", 12)));
    const Picture picture = DecodeBitmap(MakeRle8(data));
    ASSERT_EQ(std::pair(picture.Width(), picture.Height()), std::pair(4, 3));
    for (int i = 0; i < 12; ++i) {
      EXPECT_EQ(picture.PixelAt(i % 4, i / 4), rows[i] == '1' ? MakeColor(200, 100, 50) : MakeColor(10, 20, 30))
          << rows << " pixel " << i;
    }
  }
}

TEST(BitmapFile, RefusesBrokenFilesAsInvalid) {
  const auto set32 = [](std::size_t at, std::uint32_t v) {
    return [=](std::string& b) {
      std::string f;
      Put(f, v, 4);
      b.replace(at, 4, f);
    };
  };
  const std::pair<const char*, std::function<void(std::string&)>> cases[] = {
      {"empty file", [](std::string& b) { b.clear(); }},
      {"header cut", [](std::string& b) { b.resize(40); }},
      {"wrong signature", [](std::string& b) { b[0] = 'P'; }},
      {"last pixel byte missing", [](std::string& b) { b.pop_back(); }},
      {"rows missing", [](std::string& b) { b.resize(70); }},
      {"width 0", set32(18, 0)},
      {"width over 16384", set32(18, 16385)},
      {"top-down height over 16384", set32(22, static_cast<std::uint32_t>(-16385))},
      {"most negative height", set32(22, 0x80000000u)},
      {"16384 square claimed, no data", [&](std::string& b) { set32(18, 16384)(b), set32(22, 16384)(b); }},
      {"7 bits per pixel", [](std::string& b) { b[28] = 7; }},
      {"JPEG compression", [](std::string& b) { b[30] = 4; }},
      {"unknown header size", set32(14, 20)},
      {"data offset inside the header", set32(10, 30)},
      {"data offset past the end", set32(10, 0xfffffff0u)}};
  ScratchFolder folder;
  for (const auto& [name, damage] : cases) {
    std::string bmp = MakeBmp(24, false);
    damage(bmp);
    WriteBytes(folder.Path("broken.bmp"), bmp);
    EXPECT_EQ(ErrorOf([&] { LoadBitmapFile(folder.PathUtf8("broken.bmp")); }), "ビットマップイメージが不正です")
        << name;
  }
  for (const std::string& path : {folder.PathUtf8("missing.bmp"), folder.PathUtf8("")}) {
    EXPECT_EQ(ErrorOf([&] { LoadBitmapFile(path); }), "ファイル " + path + " は開けません");
  }
}

TEST(BitmapFile, LoadsEveryVariantPixelByPixel) {
  ScratchFolder folder;
  for (const BitmapSample& sample : BitmapSamples()) {
    WriteBytes(folder.Path("v.bmp"), sample.bytes);
    const Picture picture = LoadBitmapFile(folder.PathUtf8("v.bmp"));
    ASSERT_EQ(std::pair(picture.Width(), picture.Height()), std::pair(sample.width, sample.height)) << sample.name;
    for (int i = 0; i < sample.width * sample.height; ++i) {
      EXPECT_EQ(picture.PixelAt(i % sample.width, i / sample.width), sample.pixels[static_cast<std::size_t>(i)])
          << sample.name << " pixel " << i;
    }
  }
}

TEST(BitmapFile, SixteenBitWhiteIsFullWhite) {
  const std::pair<const char*, BmpSpec> cases[] = {
      {"5-5-5", {.width = 1, .height = 1, .bits = 16, .data = std::string("\xff\x7f\0\0", 4)}},
      {"5-5-5 bit fields",
       {.width = 1, .height = 1, .bits = 16, .compression = 3, .masks = {0x7c00, 0x3e0, 0x1f},
        .data = std::string("\xff\x7f\0\0", 4)}},
      {"5-6-5 bit fields",
       {.width = 1, .height = 1, .bits = 16, .compression = 3, .masks = {0xf800, 0x7e0, 0x1f},
        .data = std::string("\xff\xff\0\0", 4)}},
  };
  for (const auto& [name, layout] : cases) {
    EXPECT_EQ(DecodeBitmap(BuildBmp(layout)).PixelAt(0, 0), MakeColor(255, 255, 255)) << name;
  }
}

// Layouts where pixel data and palette or masks share bytes, or the palette is
// shorter than the depth: the result is the same every time and every pixel has
// a stated colour, or the file is refused.
TEST(BitmapFile, LayoutsWithoutAllTheirBytesAreDefinedOrRefused) {
  const std::string indices = PackRows(5, 1, 8, false, [](int x, int) { return static_cast<std::uint32_t>(x * 50); });
  std::vector<ColorValue> sixteen;
  for (int i = 0; i < 16; ++i) sixteen.push_back(PaletteColour(i));
  const ColorValue black = MakeColor(0, 0, 0);
  struct Case {
    const char* name;
    std::string bytes;
    std::optional<std::vector<ColorValue>> row;  // nullopt: refused
  };
  const std::string sixteen_bit = PackRows(5, 1, 16, false, [](int, int) { return 0xffffu; });
  const Case cases[] = {
      {"8-bit, 16 entries stored, 0 colours used",
       BuildBmp({.height = 1, .bits = 8, .palette = sixteen, .data = indices}),
       std::vector{PaletteColour(0), black, black, black, black}},
      {"8-bit, data offset two entries into the palette",
       BuildBmp({.height = 1, .bits = 8, .palette = sixteen, .data = indices, .offset = 14 + 40 + 2 * 4}),
       std::vector{PaletteColour(0), black, black, black, black}},
      {"16-bit bit fields, data offset over the masks",
       BuildBmp({.height = 1, .bits = 16, .compression = 3, .masks = {0xf800, 0x7e0, 0x1f},
                 .data = sixteen_bit, .offset = 54}),
       std::nullopt},
      {"32-bit alpha bit fields, data offset on the alpha mask",
       BuildBmp({.height = 1, .bits = 32, .compression = 6, .masks = {0xff, 0xff00, 0xff0000, 0},
                 .data = std::string(20, '\x7f'), .offset = 66}),
       std::nullopt},
      {"16-bit bit fields, V4 header, data offset inside the header",
       BuildBmp({.height = 1, .bits = 16, .compression = 3, .info_size = 108, .masks = {0xf800, 0x7e0, 0x1f},
                 .data = sixteen_bit, .offset = 70}),
       std::nullopt},
  };
  for (const Case& c : cases) {
    const std::optional<Picture> first = DecodeBitmapBytes(c.bytes);
    const std::optional<Picture> second = DecodeBitmapBytes(c.bytes);
    ASSERT_EQ(first.has_value(), c.row.has_value()) << c.name;
    ASSERT_EQ(second.has_value(), c.row.has_value()) << c.name;
    if (!c.row) continue;
    EXPECT_EQ(first->Pixels(), *c.row) << c.name;
    EXPECT_EQ(second->Pixels(), *c.row) << c.name;
  }
}

TEST(BitmapFile, ClaimsOverThePixelBudgetAreRefusedBeforeDecoding) {
  // Run-length data of two bytes (end of bitmap) under a 256-entry palette: 1,080
  // bytes in all, whatever size the header claims.
  const auto run_length = [](std::int32_t width, std::int32_t height) {
    return BuildBmp({.width = width, .height = height, .bits = 8, .compression = 1,
                     .palette = std::vector<ColorValue>(256, MakeColor(1, 2, 3)), .data = std::string("\0\1", 2)});
  };
  const std::string bomb = run_length(16384, 16384);
  ASSERT_EQ(bomb.size(), 1080u);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ErrorOf([&] { DecodeBitmap(bomb); }), "ビットマップイメージが不正です");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
  // The budget's edge, by the length the headers promise (nothing is decoded).
  const std::pair<std::int32_t, bool> widths[] = {{10000, true}, {10001, false}};
  for (const auto& [width, accepted] : widths) {
    EXPECT_EQ(BitmapFileLength(run_length(width, 10000)).has_value(), accepted) << width;
  }
  EXPECT_EQ(kMaxBitmapPixels, std::int64_t{10000} * 10000);
}

TEST(BitmapFile, LoadsFromAFifo) {
  const BitmapSample sample = BitmapSamples().front();
  std::string too_wide = sample.bytes;
  too_wide.replace(18, 4, std::string("\x01\x40\0\0", 4));  // 16385 wide
  const std::pair<const char*, const std::string*> cases[] = {{"valid", &sample.bytes}, {"too wide", &too_wide}};
  ScratchFolder folder;
  for (const auto& [name, bytes] : cases) {
    const std::string fifo = folder.PathUtf8(QString("pipe-") + name);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0) << name;
    // One write of a few hundred bytes: it fits the pipe whatever the reader does.
    std::thread writer([&, path = fifo, data = *bytes] {
      const int fd = ::open(path.c_str(), O_WRONLY);
      if (fd < 0) return;
      EXPECT_EQ(::write(fd, data.data(), data.size()), static_cast<ssize_t>(data.size()));
      ::close(fd);
    });
    std::string error;
    std::optional<Picture> picture;
    try {
      picture = LoadBitmapFile(fifo);
    } catch (const KurovelError& e) {
      error = e.what();
    }
    writer.join();
    if (bytes == &sample.bytes) {
      ASSERT_TRUE(picture.has_value()) << error;
      EXPECT_EQ(picture->Pixels(), sample.pixels);
    } else {
      EXPECT_EQ(error, "ビットマップイメージが不正です");
    }
  }
}

TEST(BitmapFile, WritesUncompressed24BitBottomUpWithFixedResolution) {
  Picture picture(3, 2);
  picture.SetPixel(0, 0, MakeColor(1, 2, 3));
  picture.SetPixel(2, 1, MakeColor(200, 100, 50));
  // Sizes 78 and 24, offset 54, 3 x 2, 1 plane, 24 bits, BI_RGB, 3780 per metre; then
  // the bottom row first in blue-green-red, each row padded to 12 bytes.
  const QByteArray expected = QByteArray::fromHex(
      "424d4e000000000000003600000028000000030000000200000001001800000000001800000"
      "0c40e0000c40e00000000000000000000"
      "ffffffffffff3264c8000000"
      "030201ffffffffffff000000");
  EXPECT_EQ(EncodeBitmap(picture), expected.toStdString());
  ScratchFolder folder;  // bitmap bytes whatever the extension
  SaveBitmapFile(picture, folder.PathUtf8("work.ico"));
  EXPECT_EQ(ReadBytes(folder.Path("work.ico")), expected.toStdString());
  WriteBytes(folder.Path("locked.bmp"), "old");
  QFile::setPermissions(folder.Path("locked.bmp"), QFileDevice::ReadOwner);
  EXPECT_EQ(ErrorOf([&] { SaveBitmapFile(picture, folder.PathUtf8("locked.bmp")); }),
            "ファイル " + folder.PathUtf8("locked.bmp") + " を作成できません");
  EXPECT_EQ(ReadBytes(folder.Path("locked.bmp")), "old");
}

}  // namespace
}  // namespace kurovel::test
