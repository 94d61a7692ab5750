#include "controllers/editor_text.h"

#include "language/cp932.h"
#include "language/text_encoding.h"

namespace kurovel {

LineBuffer EditorLinesCp932(std::string_view text_utf8) {
  LineBuffer lines;
  std::size_t start = 0;
  while (start < text_utf8.size()) {
    std::size_t end = text_utf8.find('\n', start);
    if (end == std::string_view::npos) end = text_utf8.size();
    std::string_view line = text_utf8.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(TypedLineCp932(line));
    start = end + 1;
  }
  return lines;
}

std::string TypedLineCp932(std::string_view text_utf8) { return ToCp932Program(text_utf8, TextEncoding::kUtf8); }

std::string ListTextUtf8(const LineBuffer& lines, std::uint64_t omitted) {
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text += '\n';
    text += Cp932ToUtf8(lines[i]);
  }
  if (omitted > 0) text += (lines.empty() ? "" : "\n") + ("（以下 " + std::to_string(omitted) + " 行は省略しました）");
  return text;
}

}  // namespace kurovel
