#include "app/kurovel_run_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string_view>

namespace kurovel {
namespace {

// Closes the descriptor it owns.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int Get() const { return fd_; }
  // Closes now and reports whether the close succeeded (a late write error shows here).
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

// Reads to the end, or up to the first NUL byte: nothing after it belongs to the
// program, and stopping there keeps an endless source of zeros from hanging the run.
bool ReadAll(int fd, std::string& out) {
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n == 0) return true;
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    const std::string_view chunk(buffer, static_cast<std::size_t>(n));
    const std::size_t nul = chunk.find('\0');
    out.append(chunk.substr(0, nul));
    if (nul != std::string_view::npos) return true;
  }
}

bool WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// The permissions a newly created file gets (mkstemp alone would give 0600).
mode_t NewFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// A complete copy of `bytes` in a new file next to `path`; its name, or nullopt.
std::optional<std::string> WriteTemporary(const std::string& path, const std::string& bytes) {
  struct stat target{};
  if (::stat(path.c_str(), &target) == 0 && S_ISDIR(target.st_mode)) return std::nullopt;
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  std::string name = folder + "." + base + ".XXXXXX";
  FileDescriptor fd(::mkstemp(name.data()));
  if (fd.Get() < 0) return std::nullopt;
  const bool ok = ::fchmod(fd.Get(), NewFileMode()) == 0 && WriteAll(fd.Get(), bytes);
  if (!fd.Close() || !ok) {
    ::unlink(name.c_str());
    return std::nullopt;
  }
  return name;
}

}  // namespace

std::optional<std::string> ReadProgramBytes(const std::string& path) {
  std::string bytes;
  if (path == "-") {
    if (!ReadAll(STDIN_FILENO, bytes)) return std::nullopt;
    return bytes;
  }
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.Get() < 0 || !ReadAll(fd.Get(), bytes)) return std::nullopt;  // a folder fails in read
  return bytes;
}

std::optional<std::string> WriteOutputFiles(const std::vector<OutputFile>& files) {
  std::vector<std::string> temporaries;
  const auto discard = [&temporaries] {
    for (const std::string& name : temporaries) ::unlink(name.c_str());
  };
  for (const OutputFile& file : files) {
    std::optional<std::string> name = WriteTemporary(file.path, file.bytes);
    if (!name) {
      discard();
      return file.path;
    }
    temporaries.push_back(std::move(*name));
  }
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (std::rename(temporaries[i].c_str(), files[i].path.c_str()) != 0) {
      for (std::size_t j = i; j < temporaries.size(); ++j) ::unlink(temporaries[j].c_str());
      return files[i].path;
    }
  }
  return std::nullopt;
}

}  // namespace kurovel
