#include "language/program_lines.h"

#include "engine/limits.h"
#include "language/cp932.h"

namespace kurovel {

void ForEachFileLine(std::string_view bytes, const std::function<void(std::string_view)>& visit) {
  bytes = bytes.substr(0, bytes.find('\0'));
  std::size_t line_start = 0;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    const char c = bytes[pos];
    if (c != '\r' && c != '\n') {
      pos += CharLength(bytes, pos);  // a trail byte is never a line break
      continue;
    }
    visit(bytes.substr(line_start, pos - line_start));
    pos += (c == '\r' && pos + 1 < bytes.size() && bytes[pos + 1] == '\n') ? 2 : 1;
    line_start = pos;
  }
  visit(bytes.substr(line_start));
}

std::vector<std::string_view> SplitFileLines(std::string_view bytes) {
  std::vector<std::string_view> lines;
  ForEachFileLine(bytes, [&lines](std::string_view line) { lines.push_back(line); });
  return lines;
}

LineBuffer ProgramLines(std::string_view bytes) {
  std::vector<std::string_view> split = SplitFileLines(bytes);
  if (split.back().empty()) split.pop_back();
  LineBuffer lines;
  lines.reserve(split.size(), bytes.size());
  for (const std::string_view line : split) lines.push_back(line.substr(0, kMaxLineBytes));
  return lines;
}

}  // namespace kurovel
