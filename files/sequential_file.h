#pragma once
// A file read from its start to its end without asking for its size, so that
// pipes and FIFOs read like regular files. Plain POSIX, no toolkit.

#include <cstddef>
#include <string>

namespace kurovel {

class SequentialFile {
 public:
  // Opens the file read-only; IsOpen() tells whether that worked.
  explicit SequentialFile(const std::string& path);
  ~SequentialFile();
  SequentialFile(const SequentialFile&) = delete;
  SequentialFile& operator=(const SequentialFile&) = delete;

  bool IsOpen() const { return fd_ >= 0; }

  // Appends the next bytes to `out` until it holds `total` bytes or the file
  // ends; nothing past `total` is read. False on a read error (a folder, a
  // device fault). `out` grows with what arrives, not with `total`.
  bool ReadUntil(std::string& out, std::size_t total);

 private:
  int fd_ = -1;
};

}  // namespace kurovel
