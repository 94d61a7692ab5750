// The editor's text into CP932 lines, and lines back into a list's text.
#include "controllers/editor_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kurovel {
namespace {

std::vector<std::string> Lines(const LineBuffer& lines) { return {lines.begin(), lines.end()}; }

TEST(EditorText, LinesAsTheLanguageTakesThem) {
  const struct {
    const char* text;
    std::vector<std::string> lines;
  } cases[] = {
      {"", {}},
      {"fd 10", {"fd 10"}},
      {"fd 10\n", {"fd 10"}},  // a final line break starts no line
      {"fd 10\r\nrt 90\n\n", {"fd 10", "rt 90", ""}},
      {"まえに\xE3\x80\x80１", {"\x82\xDC\x82\xA6\x82\xC9\x81\x40\x82\x50"}},
      {"\xF0\x9F\x98\x80", {"?"}},  // a character CP932 cannot hold
  };
  for (const auto& c : cases) EXPECT_EQ(Lines(EditorLinesCp932(c.text)), c.lines) << c.text;
}

TEST(EditorText, ListTextJoinsLinesAndSaysHowManyWereLeftOut) {
  const struct {
    LineBuffer lines;
    std::uint64_t omitted;
    const char* text;
  } cases[] = {
      {{}, 0, ""},
      {{"fd 10", "\x82\xDC\x82\xA6\x82\xC9"}, 0, "fd 10\nまえに"},
      {{"", ""}, 0, "\n"},
      {{"fd 10"}, 3, "fd 10\n（以下 3 行は省略しました）"},
      {{}, 1, "（以下 1 行は省略しました）"},
  };
  for (const auto& c : cases) EXPECT_EQ(ListTextUtf8(c.lines, c.omitted), c.text) << c.text;
}

}  // namespace
}  // namespace kurovel
