#pragma once
// The command line of the class report:
//   kurovel-class [--check N] [--size WxH] [--max-commands N] [--timeout SECONDS]
//                 [--report OUT.html] FOLDER

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "engine/limits.h"

namespace kurovel {

struct ClassOptions {
  std::string folder;
  std::optional<int> check_exercise;  // check every drawing against exercise 1 to 9
  std::int32_t width = kDefaultSurfaceWidth;
  std::int32_t height = kDefaultSurfaceHeight;
  std::uint64_t max_commands = kClassMaxCommands;  // per program
  double timeout_seconds = kClassTimeoutSeconds;   // per program
  std::optional<std::string> report_path;          // the HTML file; the CSV goes beside it
  bool help = false;
};

struct ParsedClassArguments {
  std::optional<ClassOptions> options;
  std::string error;
};

// The arguments after the program name.
ParsedClassArguments ParseClassArguments(std::span<const std::string_view> arguments);

// The folder's own name as bytes: "class" for "class/" and for "/school/class",
// the current folder's name for ".".
std::string FolderName(const std::string& folder);
// Where the report goes without --report: FolderName with ".html", in the current folder.
std::string DefaultReportPath(const std::string& folder);
// The CSV beside the HTML file: its ".html" or ".htm" replaced by ".csv", else ".csv" added.
std::string CsvPathBeside(std::string_view html_path);

// The usage text, ending in a line break.
const std::string& ClassUsage();

}  // namespace kurovel
