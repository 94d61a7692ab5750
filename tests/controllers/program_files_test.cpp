// Program files through the document: encodings read, Shift-JIS written, exact
// bytes on a load-save round trip, and characters that cannot be saved.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document_harness.h"
#include "language/cp932.h"

namespace kurovel {
namespace {

using testing::DocumentHarness;
using testing::Pick;

// Opens path in a fresh editor and saves it under another name.
std::string LoadAndSaveAs(DocumentHarness& h, const std::string& bytes) {
  h.front.files["/p/in.kv"] = bytes;
  h.front.script = {Pick("/p/in.kv")};
  h.Drive(h.document.Open());
  h.front.script = {Pick("/p/out.kv")};
  h.Drive(h.document.SaveAs());
  return h.front.files["/p/out.kv"];
}

// Files from other editors show their own characters; saving writes Shift-JIS.
TEST(ProgramFiles, ReadsUtf8AndUtf16AndSavesShiftJis) {
  const struct {
    std::string bytes;
    std::string text;
    bool notice;
  } cases[] = {
      {"まえに　１００\nみぎへ\n", "まえに　１００\nみぎへ\n", true},
      {"\xEF\xBB\xBF" "fd 1\r\nrt 9", "fd 1\nrt 9", true},
      {std::string("\xFF\xFE" "a\0\r\0b\0\0\0c\0", 12), "a\nb", true},
      {"fd 1 😀\n", "fd 1 😀\n", true},
      {"\x82\xa0\r\n", "あ\n", false},
  };
  for (const auto& c : cases) {
    DocumentHarness h;
    h.front.files["/p/u.kv"] = c.bytes;
    h.front.script = {Pick("/p/u.kv")};
    h.Drive(h.document.Open());
    EXPECT_EQ(h.front.editor, c.text) << c.bytes;
    EXPECT_EQ(h.front.messages.size(), c.notice ? 1u : 0u) << c.bytes;
  }
  DocumentHarness h;
  EXPECT_EQ(LoadAndSaveAs(h, "まえに\n"), "\x82\xdc\x82\xa6\x82\xc9\r\n");
}

TEST(ProgramFiles, RefusesCharactersShiftJisCannotHoldAndWritesNothing) {
  const std::pair<std::string, std::string> cases[] = {
      {"fd 100\nrt 90 😀", "2 行目の文字「😀」(U+1F600) はシフトJISで保存できません."},
      {"\uFFFD", "1 行目の文字「\uFFFD」(U+FFFD) はシフトJISで保存できません."},
      {"まえに\n\nみぎへ 한", "3 行目の文字「한」(U+D55C) はシフトJISで保存できません."},
      {"e\u0301", "1 行目の文字「\u0301」(U+0301) はシフトJISで保存できません."},
      // Written as nothing, it would be lost without a word.
      {"fd\U000E0041", "1 行目の文字「\U000E0041」(U+E0041) はシフトJISで保存できません."}};
  for (const auto& [text, message] : cases) {
    DocumentHarness h;
    h.front.files["/p/p.kv"] = "old";
    h.Type(text);
    h.front.script = {Pick("/p/p.kv")};
    h.Drive(h.document.SaveAs());
    EXPECT_EQ(h.front.messages, std::vector<std::string>{message});
    EXPECT_EQ(h.front.files["/p/p.kv"], "old");
    EXPECT_TRUE(h.document.Modified());
  }
}

// A character Shift-JIS holds only as a look-alike is saved as that one, and the
// window says what the file holds; the program stays saved.
TEST(ProgramFiles, LookAlikesAreSavedWithANotice) {
  const struct {
    std::string text;
    std::string bytes;
    std::string notice;
  } cases[] = {
      {"fd 10\nrt 90 〜", "fd 10\r\nrt 90 \x81\x60", "2 行目の文字「〜」(U+301C) は「～」(U+FF5E) として保存しました"},
      {"§§£", "\x81\x98\x81\x98\x81\x92", "1 行目の文字「£」(U+00A3) は「￡」(U+FFE1) として保存しました"},
      {"¥100\n¥5 ¥6", "\x5C" "100\r\n\x5C" "5 \x5C" "6",
       "1 行目の文字「¥」(U+00A5) は「\\」(U+005C) として保存しました（ほかに 2 文字も、にた文字として保存しました）"},
      {"～", "\x81\x60", ""},
  };
  for (const auto& c : cases) {
    DocumentHarness h;
    h.Type(c.text);
    h.front.script = {Pick("/p/p.kv")};
    h.Drive(h.document.SaveAs());
    EXPECT_EQ(h.front.files["/p/p.kv"], c.bytes) << c.text;
    EXPECT_FALSE(h.document.Modified()) << c.text;
    EXPECT_EQ(h.front.messages, c.notice.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.notice})
        << c.text;
  }
}

// Every single-byte character and every double-byte code the converter reads.
std::string EveryCharacterFile() {
  std::string bytes;
  for (int c = 0x20; c <= 0xdf; ++c) bytes += c < 0x7f || c > 0xa0 ? std::string(1, static_cast<char>(c)) : "";
  for (int lead = 0x81, on_line = 0; lead <= 0xfc; ++lead) {
    for (int trail = 0x40; trail <= 0xfc && IsLeadByte(static_cast<unsigned char>(lead)); ++trail) {
      const std::string code{static_cast<char>(lead), static_cast<char>(trail)};
      if (Cp932ToUtf8(code) != "\xEF\xBF\xBD") bytes += (on_line++ % 64 == 0 ? "\r\n" : "") + code;
    }
  }
  return bytes + "\r\n";
}

TEST(ProgramFiles, LoadSaveRoundTripIsByteExact) {
  const std::string all = EveryCharacterFile();
  ASSERT_GT(all.size(), 15000u);
  const std::string odd = "fd 1 \x80\xa0\xfd\r\n\x81\x20x\r\nrt 9";  // undecodable bytes
  const std::pair<std::string, std::string> trips[] = {{all, all},
                                                       {odd, odd},
                                                       {"fd 1\nrt 9\n", "fd 1\r\nrt 9\r\n"},
                                                       {"\x82\r\n\x82\nx", "\x82\r\n\x82\r\nx"},
                                                       {"", ""}};
  for (const auto& [original, saved] : trips) {
    DocumentHarness h;
    EXPECT_EQ(LoadAndSaveAs(h, original), saved);
  }

  // An edited line is converted afresh, the untouched ones keep their own bytes,
  // and an edited line with an undecodable character is refused.
  DocumentHarness h;
  h.front.files["/p/in.kv"] = all;
  h.front.script = {Pick("/p/in.kv")};
  h.Drive(h.document.Open());
  std::string& text = h.front.editor;
  const std::size_t line3 = [&] {
    std::size_t at = 0;
    for (int i = 0; i < 3; ++i) at = text.find('\n', at) + 1;
    return at;
  }();
  text.replace(line3, text.find('\n', line3) - line3, "fd 1");
  h.document.EditorChanged();
  h.Drive(h.document.Save());
  std::string expected = all;
  std::size_t at = 0;
  for (int i = 0; i < 3; ++i) at = expected.find('\n', at) + 1;
  expected.replace(at, expected.find('\n', at) - at, "fd 1\r");
  EXPECT_EQ(h.front.files["/p/in.kv"], expected);
  h.Type("\uFFFD");
  h.Drive(h.document.Save());
  EXPECT_EQ(h.front.files["/p/in.kv"], expected);
  EXPECT_EQ(h.front.messages.size(), 1u);
}

}  // namespace
}  // namespace kurovel
