// Writes language/cp932_table.cpp: the CP932 <-> Unicode mapping of glibc's iconv
// "CP932", in both directions, as the program's own converter uses it.
//   g++ -std=c++20 -O2 -I. scripts/make-cp932-table.cpp -o make-cp932-table
//   ./make-cp932-table > language/cp932_table.cpp
// Stops with a message when glibc behaves in a way the table cannot express.

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "language/cp932.h"
#include "language/cp932_table.h"

namespace {

using kurovel::cp932_table::kFirstTrail;
using kurovel::cp932_table::kLastTrail;
using kurovel::cp932_table::kLeadRows;
using kurovel::cp932_table::kNoCharacter;
using kurovel::cp932_table::kNoCode;
using kurovel::cp932_table::kTrailsPerRow;
using kurovel::cp932_table::EncodeException;

[[noreturn]] void Fail(const std::string& message) {
  std::fprintf(stderr, "make-cp932-table: %s\n", message.c_str());
  std::exit(1);
}

struct Result {
  int error = 0;
  std::size_t consumed = 0;
  std::string out;
};

Result Convert(iconv_t cd, const std::string& in) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char* in_ptr = const_cast<char*>(in.data());
  std::size_t in_left = in.size();
  char buffer[64];
  char* out_ptr = buffer;
  std::size_t out_left = sizeof buffer;
  const std::size_t rc = iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left);
  return {rc == static_cast<std::size_t>(-1) ? errno : 0, in.size() - in_left,
          std::string(buffer, static_cast<std::size_t>(out_ptr - buffer))};
}

std::string Utf8(std::uint32_t cp) {
  std::string s;
  if (cp < 0x80) {
    s += static_cast<char>(cp);
  } else if (cp < 0x800) {
    s += static_cast<char>(0xC0 | cp >> 6);
    s += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    s += static_cast<char>(0xE0 | cp >> 12);
    s += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    s += static_cast<char>(0xF0 | cp >> 18);
    s += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
    s += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  }
  return s;
}

std::uint32_t DecodeUtf8(const std::string& utf8) {
  const auto b = [&](std::size_t i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(utf8[i])); };
  std::uint32_t cp = 0;
  if (utf8.size() == 1) cp = b(0);
  else if (utf8.size() == 2) cp = (b(0) & 0x1F) << 6 | (b(1) & 0x3F);
  else if (utf8.size() == 3) cp = (b(0) & 0x0F) << 12 | (b(1) & 0x3F) << 6 | (b(2) & 0x3F);
  else Fail("a CP932 code decodes to more than one BMP character");
  if (Utf8(cp) != utf8) Fail("a CP932 code decodes to unexpected UTF-8");
  return cp;
}

void PrintArray(const char* declaration, const std::vector<unsigned>& values, int per_line) {
  std::printf("%s = {\n", declaration);
  for (std::size_t i = 0; i < values.size(); ++i) {
    std::printf("%s0x%04X,%s", i % per_line == 0 ? "    " : " ", values[i],
                (i + 1) % per_line == 0 || i + 1 == values.size() ? "\n" : "");
  }
  std::printf("};\n");
}

}  // namespace

int main() {
  const iconv_t decoder = iconv_open("UTF-8", "CP932");
  const iconv_t encoder = iconv_open("CP932", "UTF-8");
  if (decoder == reinterpret_cast<iconv_t>(-1) || encoder == reinterpret_cast<iconv_t>(-1)) Fail("no iconv CP932");

  std::vector<unsigned> single(256, kNoCharacter);
  for (unsigned byte = 0; byte < 256; ++byte) {
    const Result r = Convert(decoder, std::string(1, static_cast<char>(byte)));
    const bool lead = kurovel::IsLeadByte(static_cast<unsigned char>(byte));
    if (r.error == 0) {
      if (lead) Fail("a lead byte decodes alone");
      single[byte] = DecodeUtf8(r.out);
    } else if (r.error != (lead ? EINVAL : EILSEQ)) {
      Fail("byte " + std::to_string(byte) + " fails unexpectedly");
    }
  }

  std::vector<unsigned> pairs(kLeadRows * kTrailsPerRow, kNoCharacter);
  std::map<unsigned, unsigned> first_code;  // code point -> code that encoding takes by default
  for (unsigned byte = 0; byte < 256; ++byte) {
    if (single[byte] != kNoCharacter) first_code.emplace(single[byte], byte);
  }
  for (unsigned lead = 0; lead < 256; ++lead) {
    if (!kurovel::IsLeadByte(static_cast<unsigned char>(lead))) continue;
    for (unsigned trail = 0; trail < 256; ++trail) {
      const Result r = Convert(decoder, {static_cast<char>(lead), static_cast<char>(trail)});
      if (r.error != 0) {
        if (r.consumed != 0 || r.error != EILSEQ) Fail("a bad pair fails unexpectedly");
        continue;
      }
      if (trail < kFirstTrail || trail > kLastTrail) Fail("a pair with a trail byte outside the rows decodes");
      const unsigned cp = DecodeUtf8(r.out);
      if (cp == kNoCharacter) Fail("a pair decodes to U+FFFF");
      pairs[kurovel::cp932_table::RowOf(static_cast<unsigned char>(lead)) * kTrailsPerRow + trail - kFirstTrail] = cp;
    }
  }

  for (const bool last_choice : {false, true}) {
    for (unsigned lead = 0; lead < 256; ++lead) {
      if (!kurovel::IsLeadByte(static_cast<unsigned char>(lead))) continue;
      if (kurovel::cp932_table::IsLastChoiceRow(static_cast<unsigned char>(lead)) != last_choice) continue;
      for (unsigned trail = kFirstTrail; trail <= kLastTrail; ++trail) {
        const std::size_t row = kurovel::cp932_table::RowOf(static_cast<unsigned char>(lead));
        const unsigned cp = pairs[row * kTrailsPerRow + trail - kFirstTrail];
        if (cp != kNoCharacter) first_code.emplace(cp, lead << 8 | trail);
      }
    }
  }

  // Encoding: glibc's choice wherever it is not the lowest code decoding to the character.
  std::vector<unsigned> exceptions;
  for (std::uint32_t cp = 0; cp <= 0x10FFFF; ++cp) {
    if (cp >= 0xD800 && cp < 0xE000) continue;
    const Result r = Convert(encoder, Utf8(cp));
    unsigned code = kNoCode;
    const bool ignored = cp >= kurovel::cp932_table::kFirstIgnored && cp <= kurovel::cp932_table::kLastIgnored;
    if (ignored != (r.error == 0 && r.out.empty())) Fail("U+" + std::to_string(cp) + " is (not) dropped unexpectedly");
    if (ignored) continue;
    if (r.error == 0) {
      if (cp > 0xFFFF) Fail("a character above the BMP encodes");
      if (r.out.size() > 2) Fail("a character encodes to more than two bytes");
      code = 0;
      for (char byte : r.out) code = code << 8 | static_cast<unsigned char>(byte);
    } else if (r.error != EILSEQ || r.consumed != 0) {
      Fail("a character fails to encode unexpectedly");
    }
    const auto first = first_code.find(cp);
    const unsigned expected = first == first_code.end() ? kNoCode : first->second;
    if (code != expected) {
      exceptions.push_back(cp);
      exceptions.push_back(code);
    }
  }

  std::printf("// Generated by scripts/make-cp932-table.cpp from glibc's iconv \"CP932\"; do not edit.\n\n");
  std::printf("#include \"language/cp932_table.h\"\n\nnamespace kurovel::cp932_table {\n\n");
  PrintArray("const std::array<char16_t, 256> kSingleByte", single, 12);
  std::printf("\n");
  PrintArray("const std::array<char16_t, kLeadRows * kTrailsPerRow> kDoubleByte", pairs, 12);
  std::printf("\n");
  std::printf("namespace {\nconstexpr EncodeException kExceptionList[] = {\n");
  for (std::size_t i = 0; i < exceptions.size(); i += 2) {
    std::printf("    {0x%04X, 0x%04X},\n", exceptions[i], exceptions[i + 1]);
  }
  std::printf("};\n}  // namespace\n\nconst std::span<const EncodeException> kEncodeExceptions(kExceptionList);\n");
  std::printf("\n}  // namespace kurovel::cp932_table\n");
  iconv_close(decoder);
  iconv_close(encoder);
}
