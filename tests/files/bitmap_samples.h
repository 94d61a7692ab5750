#pragma once
// Bitmap files written byte by byte for the tests: a header builder and packers
// for uncompressed rows, so that every variant the reader accepts can be made
// small, with pixels the test knows.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/color.h"

namespace kurovel::test {

inline void Put(std::string& out, std::uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>(v >> (8 * i)));
}
// A colour in the files' blue-green-red byte order.
inline std::uint32_t Bgr(ColorValue c) { return (c >> 16 & 0xff) | (c & 0xff00) | (c & 0xff) << 16; }

struct BmpSpec {
  std::int32_t width = 5;
  std::int32_t height = 3;  // negative: top row first
  int bits = 24;
  std::uint32_t compression = 0;
  std::uint32_t info_size = 40;  // 12 (core), 40, 108 (V4) or 124 (V5)
  // Written after a 40-byte header, inside the larger ones.
  std::vector<std::uint32_t> masks = {};
  std::vector<ColorValue> palette = {};  // 3 bytes an entry with the core header, else 4
  std::uint32_t colours_used = 0;
  std::string data = {};
  std::optional<std::uint32_t> offset = {};  // default: right after the palette
  std::optional<std::uint32_t> image_size = {};
};

inline std::string BuildBmp(const BmpSpec& s) {
  const bool core = s.info_size == 12;
  std::string info;
  if (core) {
    Put(info, 12, 4), Put(info, static_cast<std::uint32_t>(s.width), 2);
    Put(info, static_cast<std::uint32_t>(s.height), 2), Put(info, 1, 2), Put(info, s.bits, 2);
  } else {
    Put(info, s.info_size, 4), Put(info, static_cast<std::uint32_t>(s.width), 4);
    Put(info, static_cast<std::uint32_t>(s.height), 4), Put(info, 1, 2), Put(info, s.bits, 2);
    Put(info, s.compression, 4), Put(info, s.image_size.value_or(static_cast<std::uint32_t>(s.data.size())), 4);
    Put(info, 2835, 4), Put(info, 2835, 4), Put(info, s.colours_used, 4), Put(info, 0, 4);
    if (s.info_size > 40) {
      for (std::size_t i = 0; i < 4; ++i) Put(info, i < s.masks.size() ? s.masks[i] : 0, 4);
      info.resize(s.info_size, '\0');
    } else {
      for (const std::uint32_t mask : s.masks) Put(info, mask, 4);
    }
  }
  for (const ColorValue c : s.palette) Put(info, Bgr(c), core ? 3 : 4);
  const std::uint32_t offset = s.offset.value_or(static_cast<std::uint32_t>(14 + info.size()));
  std::string out = "BM";
  Put(out, offset + static_cast<std::uint32_t>(s.data.size()), 4), Put(out, 0, 4), Put(out, offset, 4);
  out += info;
  out.resize(offset, '\0');
  return out + s.data;
}

// Uncompressed rows of `bits` per pixel, each padded to 4 bytes, in file order
// (bottom row first unless top_down); raw(x, y) is the stored value of a pixel,
// y counted from the top.
inline std::string PackRows(int width, int height, int bits, bool top_down,
                            const std::function<std::uint32_t(int, int)>& raw) {
  const int stride = (width * bits + 31) / 32 * 4;
  std::string out;
  for (int r = 0; r < height; ++r) {
    const int y = top_down ? r : height - 1 - r;
    std::string line(static_cast<std::size_t>(stride), '\0');
    for (int x = 0; x < width; ++x) {
      const std::uint32_t v = raw(x, y);
      auto* at = reinterpret_cast<unsigned char*>(&line[static_cast<std::size_t>(x * bits / 8)]);
      if (bits < 8) {
        at[0] |= static_cast<unsigned char>(v << (8 - bits - x * bits % 8));
      } else {
        for (int k = 0; k < bits / 8; ++k) at[k] = static_cast<unsigned char>(v >> (8 * k));
      }
    }
    out += line;
  }
  return out;
}

// A valid file and the picture it holds, row-major from the top.
struct BitmapSample {
  std::string name;
  std::string bytes;
  int width = 0;
  int height = 0;
  std::vector<ColorValue> pixels;
};

// Colours the tests know by hand: 5 and 6-bit fields and what they widen to.
struct Widened {
  std::uint32_t field;
  std::uint8_t full;
};
inline constexpr Widened k5Bit[] = {{0, 0}, {1, 8}, {16, 132}, {31, 255}};
inline constexpr Widened k6Bit[] = {{0, 0}, {1, 4}, {32, 130}, {63, 255}};

inline ColorValue PaletteColour(int i) {
  return MakeColor(static_cast<std::uint8_t>(i * 37), static_cast<std::uint8_t>(255 - i * 11), 3);
}
inline ColorValue TrueColour(int x, int y) {
  return MakeColor(static_cast<std::uint8_t>(x * 40 + 7), static_cast<std::uint8_t>(y * 50 + 1), 9);
}

// One file of each variant the reader accepts, 5 x 3 pixels.
inline std::vector<BitmapSample> BitmapSamples() {
  constexpr int kW = 5, kH = 3;
  std::vector<BitmapSample> samples;
  const auto add = [&](std::string name, const BmpSpec& layout, const std::function<ColorValue(int, int)>& colour) {
    BitmapSample s{std::move(name), BuildBmp(layout), kW, kH, {}};
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) s.pixels.push_back(colour(x, y));
    samples.push_back(std::move(s));
  };
  const auto palette = [](int entries) {
    std::vector<ColorValue> p;
    for (int i = 0; i < entries; ++i) p.push_back(PaletteColour(i));
    return p;
  };
  const auto rows = [&](int bits, bool top_down, const std::function<std::uint32_t(int, int)>& raw) {
    return PackRows(kW, kH, bits, top_down, raw);
  };
  for (const bool top_down : {false, true}) {
    const std::int32_t height = top_down ? -kH : kH;
    const std::string dir = top_down ? " top-down" : " bottom-up";
    for (const int bits : {1, 4, 8}) {
      const auto index = [bits](int x, int y) { return static_cast<std::uint32_t>((x + 2 * y) % (1 << bits)); };
      add(std::to_string(bits) + "-bit palette" + dir,
          {.height = height, .bits = bits, .palette = palette(1 << bits), .data = rows(bits, top_down, index)},
          [&](int x, int y) { return PaletteColour(static_cast<int>(index(x, y))); });
    }
    const auto bgr = [](int x, int y) { return Bgr(TrueColour(x, y)); };
    add("24-bit" + dir, {.height = height, .data = rows(24, top_down, bgr)}, TrueColour);
    add("32-bit" + dir, {.height = height, .bits = 32, .data = rows(32, top_down, [&](int x, int y) {
                           return bgr(x, y) | 0x5a000000u;
                         })},
        TrueColour);
  }
  const auto index4 = [](int x, int y) { return static_cast<std::uint32_t>((x + y) % 6); };
  add("4-bit, 6 colours used",
      {.bits = 4, .palette = palette(6), .colours_used = 6, .data = rows(4, false, index4)},
      [&](int x, int y) { return PaletteColour(static_cast<int>(index4(x, y))); });
  const auto index8 = [](int x, int y) { return static_cast<std::uint32_t>(x * 3 + y); };
  add("8-bit core header", {.bits = 8, .info_size = 12, .palette = palette(256), .data = rows(8, false, index8)},
      [&](int x, int y) { return PaletteColour(static_cast<int>(index8(x, y))); });
  add("24-bit core header", {.info_size = 12, .data = rows(24, false, [](int x, int y) { return Bgr(TrueColour(x, y)); })},
      TrueColour);
  for (const std::uint32_t info : {108u, 124u}) {
    add("24-bit " + std::to_string(info) + "-byte header",
        {.info_size = info, .data = rows(24, false, [](int x, int y) { return Bgr(TrueColour(x, y)); })}, TrueColour);
  }

  // Bit fields: 32-bit with the masks in several orders and places.
  const auto rgba = [](int x, int y) {  // red in the low byte, alpha on top
    const ColorValue c = TrueColour(x, y);
    return c | 0x80000000u;
  };
  add("32-bit bit fields, blue low", {.bits = 32, .compression = 3, .masks = {0xff0000, 0xff00, 0xff},
                                      .data = rows(32, false, [](int x, int y) { return Bgr(TrueColour(x, y)); })},
      TrueColour);
  add("32-bit bit fields, red low", {.bits = 32, .compression = 3, .masks = {0xff, 0xff00, 0xff0000},
                                     .data = rows(32, false, rgba)},
      TrueColour);
  add("32-bit alpha bit fields", {.bits = 32, .compression = 6, .masks = {0xff, 0xff00, 0xff0000, 0xff000000},
                                  .data = rows(32, false, rgba)},
      TrueColour);
  add("32-bit bit fields, V5 header", {.bits = 32, .compression = 3, .info_size = 124,
                                       .masks = {0xff, 0xff00, 0xff0000, 0xff000000}, .data = rows(32, false, rgba)},
      TrueColour);

  // 16 bits: fields from the hand tables, widened to full intensity.
  const auto pick = [](const auto& table, int i) { return table[static_cast<std::size_t>(i) % 4]; };
  const auto colour16 = [&](bool six_green) {
    return [=](int x, int y) {
      return MakeColor(pick(k5Bit, x).full, (six_green ? pick(k6Bit, x + y) : pick(k5Bit, x + y)).full,
                       pick(k5Bit, y + 2).full);
    };
  };
  const auto raw555 = [&](int x, int y) {
    return pick(k5Bit, x).field << 10 | pick(k5Bit, x + y).field << 5 | pick(k5Bit, y + 2).field;
  };
  const auto raw565 = [&](int x, int y) {
    return pick(k5Bit, x).field << 11 | pick(k6Bit, x + y).field << 5 | pick(k5Bit, y + 2).field;
  };
  add("16-bit 5-5-5", {.bits = 16, .data = rows(16, false, raw555)}, colour16(false));
  add("16-bit 5-5-5 top-down", {.height = -kH, .bits = 16, .data = rows(16, true, raw555)}, colour16(false));
  add("16-bit 5-5-5 bit fields", {.bits = 16, .compression = 3, .masks = {0x7c00, 0x3e0, 0x1f},
                                  .data = rows(16, false, raw555)},
      colour16(false));
  add("16-bit 5-6-5 bit fields", {.bits = 16, .compression = 3, .masks = {0xf800, 0x7e0, 0x1f},
                                  .data = rows(16, false, raw565)},
      colour16(true));
  add("16-bit 5-6-5, V4 header", {.bits = 16, .compression = 3, .info_size = 108, .masks = {0xf800, 0x7e0, 0x1f},
                                  .data = rows(16, false, raw565)},
      colour16(true));

  // Run-length data with encoded and absolute runs, a jump, ends of line and of
  // bitmap; rows are listed top first as palette indices.
  const auto run_length = [&](std::string name, int bits, std::string data, std::string indices) {
    add(std::move(name), {.bits = bits, .compression = bits == 8 ? 1u : 2u, .palette = palette(4), .colours_used = 4, .data = std::move(data)},
        [=](int x, int y) { return PaletteColour(indices[static_cast<std::size_t>(y * kW + x)] - '0'); });
  };
  run_length("RLE8", 8, std::string("\0\3\2\3\1\0\2\3\0\0" "\1\2\0\2\2\1" "\2\1\0\1", 20),
             "00011" "20000" "23133");
  run_length("RLE4", 4, std::string("\0\5\x12\x31\x20\0\0\0" "\4\x21\0\0" "\0\2\1\0\3\x33\0\1", 20),
             "03330" "21210" "12312");
  return samples;
}

}  // namespace kurovel::test
