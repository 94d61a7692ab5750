#include "app/kurovel_run_lines.h"

#include <algorithm>

#include "language/cp932.h"

namespace kurovel {

std::vector<std::string> SplitProgramLines(std::string_view bytes) {
  bytes = bytes.substr(0, bytes.find('\0'));
  std::vector<std::string> lines;
  std::size_t start = 0;
  std::size_t pos = 0;
  const auto end_line = [&](std::size_t line_end) {
    lines.emplace_back(bytes.substr(start, std::min(line_end - start, kMaxLineBytes)));
  };
  while (pos < bytes.size()) {
    const char c = bytes[pos];
    if (c == '\r' || c == '\n') {
      end_line(pos);
      pos += (c == '\r' && pos + 1 < bytes.size() && bytes[pos + 1] == '\n') ? 2 : 1;
      start = pos;
    } else {
      pos += CharLength(bytes, pos);  // a trail byte is never a line break
    }
  }
  if (start < bytes.size()) end_line(bytes.size());
  return lines;
}

}  // namespace kurovel
