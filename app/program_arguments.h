#pragma once
// The arguments a program was started with, byte for byte: a file name is bytes,
// whatever its encoding (a Shift-JIS name included).

#include <string>
#include <vector>

namespace kurovel {

// The arguments after the program's name.
std::vector<std::string> ProgramArguments(int argc, char** argv);

}  // namespace kurovel
