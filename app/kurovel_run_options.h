#pragma once
// The command line of the headless runner:
//   kurovel-run [--size WxH] [--lines] [--bmp OUT.bmp] [--state OUT.json]
//               [--background FILE.bmp] [--max-commands N] [--timeout SECONDS]
//               [--check N] [PROGRAM | -]

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "engine/limits.h"

namespace kurovel {

struct RunOptions {
  std::int32_t width = kDefaultSurfaceWidth;
  std::int32_t height = kDefaultSurfaceHeight;
  bool lines = false;                     // every line as typed into the command box
  std::optional<std::string> bmp_path;    // the final surface as a BMP
  std::optional<std::string> state_path;  // the final state as JSON
  std::optional<std::string> background_path;
  std::optional<std::uint64_t> max_commands;  // stop the run after this many commands
  std::optional<double> timeout_seconds;      // stop the run after this much time
  std::optional<int> check_exercise;          // check the drawing against exercise 1 to 9
  std::string program = "-";  // "-" reads standard input
  bool help = false;          // --help: print the usage, run nothing
};

// Either the options or a message saying what is wrong with the command line.
struct ParsedArguments {
  std::optional<RunOptions> options;
  std::string error;
};

// The arguments after the program name.
ParsedArguments ParseRunArguments(std::span<const std::string_view> arguments);

// An option's value, or what is wrong with its text ("too large: ...").
template <typename T>
struct ParsedValue {
  std::optional<T> value;
  std::string problem;  // empty when there is a value
};

// An exercise number of the help window, 1 to 9; nullopt otherwise.
std::optional<int> ParseExerciseNumber(std::string_view text);

// A whole number of commands, 1 or more, decimal digits only.
ParsedValue<std::uint64_t> ParseCommandCount(std::string_view text);
// Seconds as a decimal number above 0 ("2", "0.5", "90.25").
ParsedValue<double> ParseSeconds(std::string_view text);

// "WxH", each side 1 to kMaxPictureSide, decimal digits only.
struct SurfaceSize {
  std::int32_t width = 0;
  std::int32_t height = 0;
};
ParsedValue<SurfaceSize> ParseSurfaceSize(std::string_view text);

// The usage text, ending in a line break.
const std::string& RunUsage();

}  // namespace kurovel
