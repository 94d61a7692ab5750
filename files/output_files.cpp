#include "files/output_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
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

// A device, pipe or socket (such as /dev/stdout) is written to directly: renaming
// a file over its name would replace the device node instead of writing to it.
bool IsSpecialFile(const std::string& path) {
  struct stat target{};
  return ::stat(path.c_str(), &target) == 0 && !S_ISREG(target.st_mode) && !S_ISDIR(target.st_mode);
}

// The file a write to `path` lands in, symbolic links resolved, so that a link
// stays a link and its target receives the new contents.
std::string ResolvedTarget(const std::string& path) {
  const std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
  return real ? std::string(real.get()) : path;  // a file yet to be created
}

bool WriteDirectly(const std::string& path, const std::string& bytes) {
  FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_CLOEXEC));
  if (fd.Get() < 0) return false;
  const bool ok = WriteAll(fd.Get(), bytes);
  return fd.Close() && ok;
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
  // Regular files are first written completely beside their targets, then renamed
  // over them; special files are written once every regular file has been put in place.
  struct Pending {
    const OutputFile* file;
    std::string target;
    std::string temporary;  // empty for a special file
  };
  std::vector<Pending> pending;
  const auto discard = [&pending](std::size_t from) {
    for (std::size_t j = from; j < pending.size(); ++j) {
      if (!pending[j].temporary.empty()) ::unlink(pending[j].temporary.c_str());
    }
  };
  for (const OutputFile& file : files) {
    if (IsSpecialFile(file.path)) {
      pending.push_back({&file, file.path, {}});
      continue;
    }
    const std::string target = ResolvedTarget(file.path);
    std::optional<std::string> name = WriteTemporary(target, file.bytes);
    if (!name) {
      discard(0);
      return file.path;
    }
    pending.push_back({&file, target, std::move(*name)});
  }
  for (std::size_t i = 0; i < pending.size(); ++i) {
    if (pending[i].temporary.empty()) continue;
    if (std::rename(pending[i].temporary.c_str(), pending[i].target.c_str()) != 0) {
      discard(i);
      return pending[i].file->path;
    }
  }
  for (const Pending& p : pending) {
    if (p.temporary.empty() && !WriteDirectly(p.target, p.file->bytes)) return p.file->path;
  }
  return std::nullopt;
}

}  // namespace kurovel
