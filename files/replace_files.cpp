#include "files/replace_files.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <random>
#include <string_view>

#include "files/file_descriptor.h"

namespace kurovel {
namespace {

// The longest chain of symbolic links followed before it counts as a loop (the
// kernel's own limit).
constexpr int kMaxLinkHops = 40;
// More outputs than any caller writes at once (kurovel-run writes two).
constexpr std::size_t kMaxTemporaries = 8;
// A short fixed name, so that the temporary name fits wherever its target's does;
// the X's become random letters.
constexpr char kTemporaryName[] = ".kv-XXXXXX";
constexpr std::string_view kNameLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
// Names tried before giving up on a folder where each one is taken.
constexpr int kMaxNameAttempts = 100;
// The signals that end the process while a temporary file may exist: what
// `timeout` and Ctrl-C send, a closed terminal and a closed pipe.
constexpr std::array<int, 4> kCleanupSignals = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

// The temporary files that exist right now, in fixed storage so that the signal
// handler can remove them without allocating.
char g_temporaries[kMaxTemporaries][PATH_MAX];
volatile std::sig_atomic_t g_temporary_count = 0;

extern "C" void RemoveTemporariesAndEnd(int signal) {
  for (std::sig_atomic_t i = 0; i < g_temporary_count; ++i) ::unlink(g_temporaries[i]);
  ::signal(signal, SIG_DFL);
  ::raise(signal);  // delivered with the default action once the handler returns
}

sigset_t CleanupSignalSet() {
  sigset_t set;
  ::sigemptyset(&set);
  for (const int signal : kCleanupSignals) ::sigaddset(&set, signal);
  return set;
}

// Keeps the cleanup signals waiting while the list of temporary files changes.
class SignalsHeld {
 public:
  SignalsHeld() {
    const sigset_t set = CleanupSignalSet();
    ::sigprocmask(SIG_BLOCK, &set, &old_);
  }
  ~SignalsHeld() { ::sigprocmask(SIG_SETMASK, &old_, nullptr); }
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
  sigset_t old_;
};

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

// The folder part of a path with its final slash, or "" for a bare name.
std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string NameOf(const std::string& path) { return path.substr(FolderOf(path).size()); }

bool IsSpecial(const struct stat& info) { return !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode); }

// The path a write to `path` must create or replace: the end of its chain of
// symbolic links (a relative link is read from its own folder), which need not
// exist yet. A chain that ends in a device or pipe is the path itself, opened
// through the links: /dev/stdout on a pipe links to "pipe:[...]", which names no
// file. Nullopt for a loop or a chain that cannot be read.
std::optional<std::string> FinalTarget(std::string path) {
  for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
    struct stat info{};
    if (::lstat(path.c_str(), &info) != 0) return errno == ENOENT ? std::optional(path) : std::nullopt;
    if (!S_ISLNK(info.st_mode)) return path;
    if (::stat(path.c_str(), &info) == 0 && IsSpecial(info)) return path;
    std::string link(PATH_MAX, '\0');
    const ssize_t length = ::readlink(path.c_str(), link.data(), link.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= link.size()) return std::nullopt;
    link.resize(static_cast<std::size_t>(length));
    path = link.front() == '/' ? link : FolderOf(path) + link;
  }
  return std::nullopt;
}

// A regular file is replaced only when it may be written: its permission bits as
// well as the caller's access, as an administrator may write anywhere but a file
// marked read-only must stay untouched.
bool AcceptsReplacement(const std::string& target, const struct stat& info) {
  return S_ISREG(info.st_mode) && (info.st_mode & 0222) != 0 && ::access(target.c_str(), W_OK) == 0;
}

bool WriteDirectly(const std::string& path, const std::string& bytes) {
  FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_CLOEXEC));
  if (fd.Get() < 0) return false;
  const bool ok = WriteAll(fd.Get(), bytes);
  return fd.Close() && ok;
}

// The temporary files of one WriteOutputFiles call. While it lives the cleanup
// signals remove them; on destruction the ones not yet renamed are removed and the
// signals' former actions return.
class TemporaryFiles {
 public:
  TemporaryFiles() {
    struct sigaction action{};
    action.sa_handler = RemoveTemporariesAndEnd;
    action.sa_mask = CleanupSignalSet();
    for (std::size_t i = 0; i < kCleanupSignals.size(); ++i) ::sigaction(kCleanupSignals[i], &action, &old_[i]);
  }
  ~TemporaryFiles() {
    {
      const SignalsHeld held;
      for (std::sig_atomic_t i = 0; i < g_temporary_count; ++i) ::unlink(g_temporaries[i]);
      g_temporary_count = 0;
    }
    for (std::size_t i = 0; i < kCleanupSignals.size(); ++i) ::sigaction(kCleanupSignals[i], &old_[i], nullptr);
  }
  TemporaryFiles(const TemporaryFiles&) = delete;
  TemporaryFiles& operator=(const TemporaryFiles&) = delete;

  // A complete copy of bytes in a new file in folder, with the given permissions
  // or, without them, those the system gives a new file (0666 less the umask); its
  // name, or nullptr.
  const char* Write(const std::string& folder, const std::string& bytes, std::optional<mode_t> mode) {
    if (g_temporary_count >= static_cast<std::sig_atomic_t>(kMaxTemporaries)) return nullptr;
    if (folder.size() + sizeof kTemporaryName > PATH_MAX) return nullptr;
    char* name = g_temporaries[g_temporary_count];
    std::memcpy(name, folder.data(), folder.size());
    std::memcpy(name + folder.size(), kTemporaryName, sizeof kTemporaryName);
    const int fd = CreateExclusively(name, name + folder.size() + sizeof kTemporaryName - 1);
    if (fd < 0) return nullptr;
    FileDescriptor file(fd);
    const bool ok = (!mode || ::fchmod(file.Get(), *mode) == 0) && WriteAll(file.Get(), bytes);
    return file.Close() && ok ? name : nullptr;  // a failed one goes with the rest
  }

  // Every temporary file has been renamed: nothing is left to remove.
  void Release() {
    const SignalsHeld held;
    g_temporary_count = 0;
  }

 private:
  // Creates the file name, whose random part ends at name_end, as mkostemp does,
  // but with the permissions of any new file; it is listed as soon as it exists.
  int CreateExclusively(char* name, char* name_end) {
    std::uniform_int_distribution<std::size_t> letter(0, kNameLetters.size() - 1);
    for (int attempt = 0; attempt < kMaxNameAttempts; ++attempt) {
      for (char* c = name_end - 6; c < name_end; ++c) *c = kNameLetters[letter(random_)];
      const SignalsHeld held;
      const int fd = ::open(name, O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (fd >= 0) g_temporary_count = g_temporary_count + 1;
      if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
  }

  std::mt19937 random_{std::random_device{}()};
  std::array<struct sigaction, kCleanupSignals.size()> old_{};
};

// Where a file is: its device and inode when it exists, else its folder's and its name.
struct FileIdentity {
  dev_t device = 0;
  ino_t inode = 0;
  std::string name;  // empty for an existing file
  bool special = false;
  bool operator==(const FileIdentity& other) const {
    return device == other.device && inode == other.inode && name == other.name;
  }
};

std::optional<FileIdentity> IdentityOf(const std::string& path) {
  const std::optional<std::string> target = FinalTarget(path);
  if (!target) return std::nullopt;
  struct stat info{};
  if (::stat(target->c_str(), &info) == 0) return FileIdentity{info.st_dev, info.st_ino, {}, IsSpecial(info)};
  const std::string folder = FolderOf(*target);
  if (::stat(folder.empty() ? "." : folder.c_str(), &info) != 0) return std::nullopt;
  return FileIdentity{info.st_dev, info.st_ino, NameOf(*target), false};
}

}  // namespace

bool SameOutputFile(const std::string& first, const std::string& second) {
  const std::optional<FileIdentity> a = IdentityOf(first), b = IdentityOf(second);
  return a && b && !a->special && *a == *b;
}

std::optional<std::string> WriteOutputFiles(const std::vector<OutputFile>& files) {
  struct Pending {
    const OutputFile* file;
    std::string target;
    bool special = false;
    std::optional<mode_t> mode;  // a replaced file's permissions; a new file gets the system's
    const char* temporary = nullptr;
  };
  std::vector<Pending> pending;
  for (const OutputFile& file : files) {
    const std::optional<std::string> target = FinalTarget(file.path);
    if (!target) return file.path;
    struct stat info{};
    if (::stat(target->c_str(), &info) != 0) {
      pending.push_back({&file, *target, false, std::nullopt});
    } else if (IsSpecial(info)) {
      pending.push_back({&file, *target, true, std::nullopt});
    } else if (AcceptsReplacement(*target, info)) {
      pending.push_back({&file, *target, false, static_cast<mode_t>(info.st_mode & 07777)});
    } else {
      return file.path;
    }
  }

  TemporaryFiles temporaries;
  for (Pending& p : pending) {
    if (p.special) continue;
    p.temporary = temporaries.Write(FolderOf(p.target), p.file->bytes, p.mode);
    if (p.temporary == nullptr) return p.file->path;
  }
  for (const Pending& p : pending) {
    if (p.special && !WriteDirectly(p.target, p.file->bytes)) return p.file->path;
  }
  for (const Pending& p : pending) {
    if (!p.special && std::rename(p.temporary, p.target.c_str()) != 0) return p.file->path;
  }
  temporaries.Release();
  return std::nullopt;
}

}  // namespace kurovel
