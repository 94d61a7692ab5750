#include "app/kurovel_class_options.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <set>

#include "app/kurovel_run_options.h"

namespace kurovel {
namespace {

// Sets one option from its value; returns an error text or the empty text.
using ApplyOption = std::string (*)(ClassOptions& options, std::string_view value);

struct OptionRow {
  std::string_view name;
  bool takes_value;
  ApplyOption apply;
};

constexpr std::array<OptionRow, 6> kOptions{{
    {"--check", true,
     [](ClassOptions& o, std::string_view v) -> std::string {
       o.check_exercise = ParseExerciseNumber(v);
       return o.check_exercise ? std::string() : "bad exercise '" + std::string(v) + "': expected 1 to 9";
     }},
    {"--size", true,
     [](ClassOptions& o, std::string_view v) -> std::string {
       const std::optional<SurfaceSize> size = ParseSurfaceSize(v);
       if (!size) return "bad size '" + std::string(v) + "': expected WxH, each side 1 to " + std::to_string(kMaxPictureSide);
       o.width = size->width;
       o.height = size->height;
       return {};
     }},
    {"--max-commands", true,
     [](ClassOptions& o, std::string_view v) -> std::string {
       const std::optional<std::uint64_t> count = ParseCommandCount(v);
       if (!count) return "bad command count '" + std::string(v) + "': expected a whole number above 0";
       o.max_commands = *count;
       return {};
     }},
    {"--timeout", true,
     [](ClassOptions& o, std::string_view v) -> std::string {
       const std::optional<double> seconds = ParseSeconds(v);
       if (!seconds) return "bad timeout '" + std::string(v) + "': expected seconds above 0";
       o.timeout_seconds = *seconds;
       return {};
     }},
    {"--report", true, [](ClassOptions& o, std::string_view v) -> std::string { o.report_path = std::string(v); return {}; }},
    {"--help", false, [](ClassOptions& o, std::string_view) -> std::string { o.help = true; return {}; }},
}};

ParsedClassArguments Fail(std::string message) { return {std::nullopt, std::move(message)}; }

}  // namespace

ParsedClassArguments ParseClassArguments(std::span<const std::string_view> arguments) {
  ClassOptions options;
  std::set<std::string_view> seen;
  std::optional<std::string_view> folder;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string_view argument = arguments[i];
    if (!argument.starts_with("--")) {
      if (folder) return Fail("more than one folder given: '" + std::string(*folder) + "' and '" + std::string(argument) + "'");
      folder = argument;
      continue;
    }
    const auto row = std::find_if(kOptions.begin(), kOptions.end(), [&](const OptionRow& r) { return r.name == argument; });
    if (row == kOptions.end()) return Fail("unknown option '" + std::string(argument) + "'");
    if (!seen.insert(row->name).second) return Fail("option " + std::string(row->name) + " given twice");
    std::string_view value;
    if (row->takes_value) {
      if (i + 1 >= arguments.size() || arguments[i + 1].empty() || arguments[i + 1].starts_with("--")) {
        return Fail("option " + std::string(row->name) + " needs a value");
      }
      value = arguments[++i];
    }
    if (std::string error = row->apply(options, value); !error.empty()) return Fail(std::move(error));
  }
  if (!folder && !options.help) return Fail("no folder given");
  if (folder) options.folder = std::string(*folder);
  return {std::move(options), {}};
}

std::string FolderName(const std::string& folder) {
  namespace fs = std::filesystem;
  std::error_code error;
  fs::path path = fs::weakly_canonical(fs::absolute(folder), error);
  if (error) path = fs::path(folder);
  std::string name = path.filename().string();
  if (name.empty()) name = path.parent_path().filename().string();  // "class/" names "class"
  return name.empty() || name == "/" ? "class" : name;
}

std::string DefaultReportPath(const std::string& folder) { return FolderName(folder) + ".html"; }

std::string CsvPathBeside(std::string_view html_path) {
  for (const std::string_view extension : {".html", ".htm"}) {
    if (html_path.size() > extension.size() && html_path.ends_with(extension)) {
      return std::string(html_path.substr(0, html_path.size() - extension.size())) + ".csv";
    }
  }
  return std::string(html_path) + ".csv";
}

const std::string& ClassUsage() {
  static const std::string usage =
      "usage: kurovel-class [--check N] [--size WxH] [--max-commands N] [--timeout SECONDS]\n"
      "                     [--report OUT.html] FOLDER\n"
      "Runs every Kurovel program (*.kv) of FOLDER, on every core, and writes one HTML\n"
      "report with each drawing, how each run ended and, with --check, each verdict;\n"
      "a CSV with the same columns goes beside it. Prints the summary line.\n"
      "  FOLDER              the folder of program files (not its subfolders)\n"
      "  --check N           check every drawing against exercise N (1 to 9) of the\n"
      "                      help window\n"
      "  --size WxH          the drawing surface, default " + std::to_string(kDefaultSurfaceWidth) + "x" +
      std::to_string(kDefaultSurfaceHeight) + ", each side 1 to " + std::to_string(kMaxPictureSide) + "\n"
      "  --max-commands N    end a program's run once N commands have run (default " +
      std::to_string(kClassMaxCommands) + ")\n"
      "  --timeout SECONDS   end a program's run after this time (default " +
      std::to_string(static_cast<int>(kClassTimeoutSeconds)) + ")\n"
      "  --report OUT.html   the report (default: the folder's name with .html, here);\n"
      "                      the CSV is OUT.csv\n"
      "  --help              print this text\n"
      "Exit status: 0 the report was written (whatever the programs did), 64 bad usage,\n"
      "66 the folder cannot be read, 70 internal error, 73 the report cannot be written.\n";
  return usage;
}

}  // namespace kurovel
