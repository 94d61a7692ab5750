#pragma once
// Reading the program of the headless runner; its outputs are written by
// WriteOutputFiles (files/replace_files.h).

#include <optional>
#include <string>
#include <vector>

#include "files/replace_files.h"

namespace kurovel {

// The whole file as bytes, standard input for "-"; nullopt when it cannot be read.
std::optional<std::string> ReadProgramBytes(const std::string& path);

}  // namespace kurovel
