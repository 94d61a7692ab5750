#include "app/kurovel_class_options.h"

#include <filesystem>
#include <vector>

#include "app/kurovel_run_options.h"

namespace kurovel {
namespace {

constexpr std::string_view kReportOption = "--report";

ParsedClassArguments Fail(std::string message) { return {std::nullopt, std::move(message)}; }

}  // namespace

// --report is the class report's own option; the others are kurovel-run's and are
// read by its parser, with the folder in the program's place.
ParsedClassArguments ParseClassArguments(std::span<const std::string_view> arguments) {
  std::vector<std::string_view> run_arguments;
  std::optional<std::string_view> report;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    if (arguments[i] != kReportOption) {
      run_arguments.push_back(arguments[i]);
      continue;
    }
    if (report) return Fail("option " + std::string(kReportOption) + " given twice");
    if (i + 1 >= arguments.size() || arguments[i + 1].empty() || arguments[i + 1].starts_with("--")) {
      return Fail("option " + std::string(kReportOption) + " needs a value");
    }
    report = arguments[++i];
  }
  const ParsedArguments parsed = ParseRunArguments(run_arguments);
  if (!parsed.options) return Fail(parsed.error);
  const RunOptions& run = *parsed.options;
  if (run.lines || run.bmp_path || run.state_path || run.background_path) {
    return Fail("--lines, --bmp, --state and --background are kurovel-run's options");
  }
  ClassOptions options;
  options.help = run.help;
  if (run.program == "-" && !options.help) return Fail("no folder given");
  options.folder = run.program;
  options.check_exercise = run.check_exercise;
  options.width = run.width;
  options.height = run.height;
  options.max_commands = run.max_commands.value_or(kClassMaxCommands);
  options.timeout_seconds = run.timeout_seconds.value_or(kClassTimeoutSeconds);
  if (report) options.report_path = std::string(*report);
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
