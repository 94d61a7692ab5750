#pragma once
// Creating or replacing whole files so that a failure never costs an old file:
// kurovel-run's outputs and the desktop's program files are written here.

#include <optional>
#include <string>
#include <vector>

namespace kurovel {

struct OutputFile {
  std::string path;
  std::string bytes;
};

// Writes every file or none. A symbolic link is followed to the end of its chain
// and its target receives the bytes (a dangling link's target is created). Each
// regular file goes to a temporary file in its target's folder first; devices and
// pipes (such as /dev/null or /dev/stdout) are written directly once every
// temporary file is complete; only then are the temporary files renamed over their
// targets. A read-only file (no write permission bit, even for a caller who could
// override that), a folder and a link loop are refused. SIGINT, SIGTERM, SIGHUP and
// SIGPIPE during the write remove the temporary files before the process ends.
// Returns the path that could not be written, or nullopt when all were written.
std::optional<std::string> WriteOutputFiles(const std::vector<OutputFile>& files);

// Whether writing to both paths would land in one regular file (or one file yet to
// be created): decided by the file's identity, symbolic links followed, not by the
// spelling. Devices and pipes are never the same output (/dev/null twice is fine).
bool SameOutputFile(const std::string& first, const std::string& second);

}  // namespace kurovel
