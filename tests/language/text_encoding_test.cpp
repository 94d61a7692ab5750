// Program files from other editors: which encoding they are read in, and the
// Shift-JIS text they become.

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "language/cp932.h"
#include "language/program_lines.h"
#include "language/text_encoding.h"

namespace kurovel {
namespace {

using namespace std::string_literals;

// "まえに" in UTF-16 little- and big-endian.
const std::string kMaeniLe = "\x7E\x30\x48\x30\x6B\x30", kMaeniBe = "\x30\x7E\x30\x48\x30\x6B";

TEST(TextEncoding, DetectsAndConvertsToShiftJis) {
  const struct {
    std::string_view name;
    std::string bytes;
    TextEncoding encoding;
    std::string cp932;
  } cases[] = {
      {"plain ASCII", "fd 100\nrt 90\n", TextEncoding::kShiftJis, "fd 100\nrt 90\n"},
      {"Shift-JIS", Sjis("まえに　１００\r\n"), TextEncoding::kShiftJis, Sjis("まえに　１００\r\n")},
      {"Shift-JIS that happens to be no UTF-8", "\x82\xa0\n", TextEncoding::kShiftJis, "\x82\xa0\n"},
      {"UTF-8 without a mark", "まえに　１００\nみぎへ　９０\n", TextEncoding::kUtf8, Sjis("まえに　１００\nみぎへ　９０\n")},
      {"UTF-8 line ending in a lead-range byte", "fd 1 ぁ\nrt 9\n", TextEncoding::kUtf8, Sjis("fd 1 ぁ\nrt 9\n")},
      {"ASCII with a UTF-8 mark", "\xEF\xBB\xBF" "fd 10\n", TextEncoding::kUtf8, "fd 10\n"},
      {"UTF-8 mark before invalid UTF-8", "\xEF\xBB\xBF" "a\xFF\x80z", TextEncoding::kUtf8, "a??z"},
      {"overlong form is no UTF-8", "\xC0\xAF\xE3\x81\x82", TextEncoding::kShiftJis, "\xC0\xAF\xE3\x81\x82"},
      {"UTF-8 surrogate is no UTF-8", "\xED\xA0\x80\xE3\x81\x82", TextEncoding::kShiftJis, "\xED\xA0\x80\xE3\x81\x82"},
      {"CP932 cannot hold it", "fd 1 😀 한\n", TextEncoding::kUtf8, "fd 1 ? ?\n"},
      {"UTF-16LE", "\xFF\xFE" + kMaeniLe + "\r\0\n\0"s, TextEncoding::kUtf16Le, Sjis("まえに\r\n")},
      {"UTF-16BE", "\xFE\xFF" + kMaeniBe + "\0\n"s, TextEncoding::kUtf16Be, Sjis("まえに\n")},
      {"UTF-16 pair and lone surrogates", "\xFF\xFE\x3D\xD8\x00\xDE\x3D\xD8" "a\0\x00\xDC"s, TextEncoding::kUtf16Le,
       "??a?"},
      {"UTF-16 odd final byte dropped", "\xFE\xFF\0a\0"s, TextEncoding::kUtf16Be, "a"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TextEncoding encoding = DetectEncoding(c.bytes);
    EXPECT_EQ(encoding, c.encoding);
    EXPECT_EQ(ToCp932Program(c.bytes, encoding), c.cp932);
  }
}

TEST(TextEncoding, ManyUnconvertibleCharactersAcrossChunks) {
  std::string utf8, expected;
  for (int i = 0; i < 3000; ++i) {
    utf8 += i % 3 == 0 ? "😀" : "あ";
    expected += i % 3 == 0 ? "?" : Sjis("あ");
  }
  EXPECT_EQ(ToCp932Program(utf8, TextEncoding::kUtf8), expected);
}

TEST(TextEncoding, FirstNulCharacter) {
  const struct {
    std::string bytes;
    std::size_t from, nul;
  } cases[] = {
      {"ab\0c"s, 0, 2},  {"abc", 0, std::string::npos}, {"\xFF\xFE" "a\0\0\0"s, 0, 4},
      {"\xFE\xFF\0a\0\0"s, 0, 4}, {"\xFE\xFF\0a\0b"s, 3, std::string::npos}, {"\xEF\xBB\xBF" "a\0"s, 0, 4},
  };
  for (const auto& c : cases) EXPECT_EQ(FirstNulCharacter(c.bytes, c.from), c.nul) << c.bytes.size();
}

TEST(EncodingName, NamesInTheState) {
  EXPECT_EQ(EncodingName(TextEncoding::kShiftJis), "shift_jis");
  EXPECT_EQ(EncodingName(TextEncoding::kUtf8), "utf-8");
  EXPECT_EQ(EncodingName(TextEncoding::kUtf16Le), "utf-16le");
  EXPECT_EQ(EncodingName(TextEncoding::kUtf16Be), "utf-16be");
}

}  // namespace
}  // namespace kurovel
