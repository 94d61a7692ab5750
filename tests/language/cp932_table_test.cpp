// The table converter against glibc's iconv "CP932", which it replaces: every
// byte, every byte pair, every code point, malformed UTF-8 and random texts.

#include <gtest/gtest.h>

#if defined(__GLIBC__)

#include <iconv.h>

#include <cerrno>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "language/cp932.h"

namespace kurovel {
namespace {

// One glibc iconv descriptor, reset before every conversion.
class Iconv {
 public:
  Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Iconv() { iconv_close(cd_); }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;
  bool Opened() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Appends what converts; returns the bytes consumed and whether all converted.
  std::pair<std::size_t, bool> Convert(std::string_view in, std::string& out) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* in_ptr = const_cast<char*>(in.data());
    std::size_t in_left = in.size();
    for (;;) {
      char buffer[256];
      char* out_ptr = buffer;
      std::size_t out_left = sizeof buffer;
      const std::size_t rc = iconv(cd_, &in_ptr, &in_left, &out_ptr, &out_left);
      const int error = rc == static_cast<std::size_t>(-1) ? errno : 0;
      out.append(buffer, static_cast<std::size_t>(out_ptr - buffer));
      if (error != E2BIG) return {in.size() - in_left, error == 0};
    }
  }

 private:
  iconv_t cd_;
};

// What the converter did with glibc: each undecodable byte is one U+FFFD.
std::string GlibcDecode(Iconv& decoder, std::string_view cp932) {
  std::string out;
  while (!cp932.empty()) {
    const auto [consumed, ok] = decoder.Convert(cp932, out);
    cp932.remove_prefix(consumed);
    if (ok) break;
    out += "\xEF\xBF\xBD";
    cp932.remove_prefix(1);
  }
  return out;
}

Cp932Encoding GlibcEncode(Iconv& encoder, std::string_view utf8) {
  Cp932Encoding result;
  const auto [consumed, ok] = encoder.Convert(utf8, result.bytes);
  if (!ok) result.bad_offset = consumed;
  return result;
}

// UTF-8 form of any value up to 0x1FFFFF, surrogates included.
std::string LooseUtf8(char32_t cp) {
  std::string s;
  if (cp < 0x80) return std::string(1, static_cast<char>(cp));
  const int length = cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
  constexpr unsigned char kFirstMarks[] = {0, 0, 0xC0, 0xE0, 0xF0};
  s += static_cast<char>(kFirstMarks[length] | cp >> (6 * (length - 1)));
  for (int i = length - 2; i >= 0; --i) s += static_cast<char>(0x80 | (cp >> (6 * i) & 0x3F));
  return s;
}

class Cp932AgainstGlibc : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!decoder_.Opened() || !encoder_.Opened()) GTEST_SKIP() << "glibc iconv has no CP932 here";
  }
  void ExpectSameDecoding(std::string_view cp932) {
    ASSERT_EQ(Cp932ToUtf8(cp932), GlibcDecode(decoder_, cp932)) << ::testing::PrintToString(std::string(cp932));
  }
  void ExpectSameEncoding(std::string_view utf8) {
    const Cp932Encoding ours = Utf8ToCp932(utf8);
    const Cp932Encoding glibc = GlibcEncode(encoder_, utf8);
    ASSERT_EQ(ours.bad_offset, glibc.bad_offset) << ::testing::PrintToString(std::string(utf8));
    ASSERT_EQ(ours.bytes, glibc.bytes) << ::testing::PrintToString(std::string(utf8));
  }
  Iconv decoder_{"UTF-8", "CP932"};
  Iconv encoder_{"CP932", "UTF-8"};
};

TEST_F(Cp932AgainstGlibc, EveryByteAndEveryPairDecodesAlike) {
  for (int first = 0; first < 256; ++first) {
    ExpectSameDecoding(std::string(1, static_cast<char>(first)));
    for (int second = 0; second < 256; ++second) {
      ExpectSameDecoding(std::string{static_cast<char>(first), static_cast<char>(second)});
    }
  }
}

TEST_F(Cp932AgainstGlibc, EveryCodePointEncodesAlike) {
  // Between two ASCII letters, so that the failing offset is not simply 0.
  for (char32_t cp = 0; cp <= 0x10FFFF; ++cp) ExpectSameEncoding("a" + LooseUtf8(cp) + "b");
}

TEST_F(Cp932AgainstGlibc, MalformedUtf8StopsAtTheSameOffset) {
  const std::string cases[] = {
      "\x80", "a\xBF", "\xC0\x80", "\xC1\xBF", "\xC2", "\xC2\x41", "\xE0\x80\x80", "\xE0\x9F\xBF", "\xE3\x81",
      "\xE3\x81\x41", "\xED\xA0\x80", "\xED\xBF\xBF", "\xF0\x80\x80\x80", "\xF0\x8F\xBF\xBF", "\xF4\x90\x80\x80",
      "\xF5\x80\x80\x80", "\xF8\x88\x80\x80\x80", "\xFC\x84\x80\x80\x80\x80", "\xFE", "\xFF",
      "\xE3\x81\x82\xE3\x81", "x\xF3\xA0\x80\x81y",  // a tag character encodes to nothing
  };
  for (const std::string& text : cases) ExpectSameEncoding(text);
}

TEST_F(Cp932AgainstGlibc, RandomTextsConvertAlike) {
  std::mt19937 rng(932);
  const std::vector<char32_t> characters = {0x41, 0x5C, 0x7E, 0xA5, 0x203E, 0x301C, 0xFF5E, 0x2170, 0x2460,
                                            0x3042, 0x4E9C, 0x7E8A, 0xE000, 0xE0041, 0x1F600, 0xFF61, 0xFFFD};
  for (int i = 0; i < 100000; ++i) {
    std::string cp932;
    std::string utf8;
    const int length = 1 + static_cast<int>(rng() % 12);
    for (int k = 0; k < length; ++k) {
      // Bytes weighted towards lead and trail bytes; characters from a mixed list or anywhere.
      cp932 += static_cast<char>(rng() % 3 == 0 ? 0x81 + rng() % 0x7C : rng() % 256);
      const char32_t cp = rng() % 2 == 0 ? characters[rng() % characters.size()] : rng() % 0x10000;
      utf8 += rng() % 50 == 0 ? std::string(1, static_cast<char>(rng() % 256)) : LooseUtf8(cp);
    }
    ExpectSameDecoding(cp932);
    ExpectSameEncoding(utf8);
  }
}

}  // namespace
}  // namespace kurovel

#endif
