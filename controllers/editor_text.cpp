#include "controllers/editor_text.h"

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

}  // namespace kurovel
