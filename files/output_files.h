#pragma once
// Reading the program and writing the outputs of the headless runner.

#include <optional>
#include <string>
#include <vector>

namespace kurovel {

// The whole file as bytes, standard input for "-"; nullopt when it cannot be read.
std::optional<std::string> ReadProgramBytes(const std::string& path);

struct OutputFile {
  std::string path;
  std::string bytes;
};

// Writes every file or none: each goes to a temporary file in its target's folder
// first, and only when all of them are complete are they renamed over their
// targets, so a failure never leaves a half-written or missing old file.
// Returns the path that could not be written, or nullopt when all were written.
std::optional<std::string> WriteOutputFiles(const std::vector<OutputFile>& files);

}  // namespace kurovel
