#pragma once
// The hidden list of diagnostic lines (CP932): the run's block trace and the "div"
// lines. It keeps its first kMaxTraceLines lines and counts the rest, so a loop of
// "div" lines can run for hours without the trace outgrowing memory.

#include <cstdint>
#include <string_view>

#include "engine/limits.h"
#include "language/line_buffer.h"

namespace kurovel {

class TraceList {
 public:
  void Append(std::string_view line) {
    if (lines_.size() < kMaxTraceLines) {
      lines_.push_back(line);
    } else {
      ++omitted_;
    }
  }
  // True once no further line is kept: a writer of many lines can count them instead.
  bool Full() const { return lines_.size() >= kMaxTraceLines; }
  void Omit(std::uint64_t count) { omitted_ += count; }
  void Clear() {
    lines_.clear();
    omitted_ = 0;
  }

  // The lines kept, in order.
  const LineBuffer& Lines() const { return lines_; }
  // How many lines were appended after the list was full.
  std::uint64_t Omitted() const { return omitted_; }

 private:
  LineBuffer lines_;
  std::uint64_t omitted_ = 0;
};

}  // namespace kurovel
