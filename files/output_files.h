#pragma once
// Reading the program of the headless runner; its outputs are written by
// WriteOutputFiles (files/replace_files.h).

#include <optional>
#include <string>
#include <vector>

#include "files/replace_files.h"

namespace kurovel {

// A program's bytes, or why there are none.
struct ProgramRead {
  std::optional<std::string> bytes;
  std::string error;  // CannotOpenMessage(path) or kTextTooLarge when there are no bytes
};

// The file's bytes up to its first NUL character (standard input for "-"). A file
// or stream with more than kMaxProgramFileBytes before that is refused with
// kTextTooLarge, as the editor refuses it; one that cannot be read, with
// CannotOpenMessage.
ProgramRead ReadProgramBytes(const std::string& path);

}  // namespace kurovel
