#pragma once
// Many lines in one buffer: their bytes back to back and where each one ends. A
// program of millions of lines then costs its bytes and one offset a line, not a
// string object and an allocation a line.

#include <cstddef>
#include <initializer_list>
#include <iterator>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace kurovel {

class LineBuffer {
 public:
  class const_iterator {
   public:
    using iterator_category = std::random_access_iterator_tag;
    using value_type = std::string_view;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = std::string_view;

    const_iterator() = default;
    const_iterator(const LineBuffer* lines, std::size_t index) : lines_(lines), index_(index) {}
    std::string_view operator*() const { return (*lines_)[index_]; }
    const_iterator& operator++() {
      ++index_;
      return *this;
    }
    const_iterator operator++(int) {
      const const_iterator before = *this;
      ++index_;
      return before;
    }
    difference_type operator-(const const_iterator& other) const {
      return static_cast<difference_type>(index_) - static_cast<difference_type>(other.index_);
    }
    bool operator==(const const_iterator& other) const { return index_ == other.index_; }

   private:
    const LineBuffer* lines_ = nullptr;
    std::size_t index_ = 0;
  };

  LineBuffer() = default;
  LineBuffer(std::initializer_list<std::string_view> lines) {
    for (const std::string_view line : lines) push_back(line);
  }

  void push_back(std::string_view line) {
    bytes_.append(line);
    ends_.push_back(bytes_.size());
  }
  void clear() {
    bytes_.clear();
    ends_.clear();
  }
  void reserve(std::size_t lines, std::size_t bytes) {
    ends_.reserve(lines);
    bytes_.reserve(bytes);
  }
  // Gives back the memory of a buffer that grew in steps.
  void shrink_to_fit() {
    bytes_.shrink_to_fit();
    ends_.shrink_to_fit();
  }

  std::size_t size() const { return ends_.size(); }
  bool empty() const { return ends_.empty(); }
  std::size_t byte_size() const { return bytes_.size(); }
  std::string_view operator[](std::size_t index) const {
    const std::size_t begin = index == 0 ? 0 : ends_[index - 1];
    return std::string_view(bytes_).substr(begin, ends_[index] - begin);
  }
  std::string_view back() const { return (*this)[size() - 1]; }
  const_iterator begin() const { return const_iterator(this, 0); }
  const_iterator end() const { return const_iterator(this, size()); }

  friend bool operator==(const LineBuffer&, const LineBuffer&) = default;
  // Tests compare with plain lists of lines.
  friend bool operator==(const LineBuffer& lines, const std::vector<std::string>& list) {
    if (lines.size() != list.size()) return false;
    for (std::size_t i = 0; i < list.size(); ++i) {
      if (lines[i] != list[i]) return false;
    }
    return true;
  }
  // For test failure messages.
  friend std::ostream& operator<<(std::ostream& out, const LineBuffer& lines) {
    out << '{';
    for (const std::string_view line : lines) out << " \"" << line << '"';
    return out << " }";
  }

 private:
  std::string bytes_;
  std::vector<std::size_t> ends_;  // where line i ends in bytes_; it begins where line i - 1 ends
};

}  // namespace kurovel
