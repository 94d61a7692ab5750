// kurovel-class: a teacher's report on a folder of pupils' programs. Each program
// runs as the Run button runs it, within limits, on every core; the report is one
// HTML file with every drawing and a CSV beside it.

#include <exception>
#include <filesystem>
#include <iostream>
#include <new>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "app/command_line_tool.h"
#include "app/kurovel_class_options.h"
#include "app/kurovel_class_render.h"
#include "controllers/class_report.h"
#include "files/replace_files.h"
#include "language/cp932.h"
#include "language/errors.h"
#include "language/text_encoding.h"

namespace kurovel {
namespace {

int Run(const ClassOptions& options) {
  namespace fs = std::filesystem;
  std::vector<fs::path> files;
  try {
    files = ProgramFilesIn(options.folder);
  } catch (const fs::filesystem_error&) {
    std::cerr << "kurovel-class: cannot read the folder '" << options.folder << "'\n";
    return kExitNoInput;
  }
  const ClassSettings settings{options.width, options.height, options.max_commands, options.timeout_seconds,
                               options.check_exercise ? FindExercise(*options.check_exercise) : nullptr};
  ClassReport report;
  const std::string html_path = options.report_path.value_or(DefaultReportPath(options.folder));
  const std::string folder_name = FolderName(options.folder);
  report.folder = DetectEncoding(folder_name) == TextEncoding::kShiftJis ? Cp932ToUtf8(folder_name) : folder_name;
  report.exercise = settings.exercise;
  report.rows = RenderProgramFiles(files, settings, std::thread::hardware_concurrency());

  const std::string csv_path = CsvPathBeside(html_path);
  if (const std::optional<std::string> failed =
          WriteOutputFiles({{html_path, ClassReportHtml(report)}, {csv_path, ClassReportCsv(report)}})) {
    std::cerr << CannotCreateMessage(*failed) << '\n';
    return kExitCannotCreate;
  }
  std::cout << ClassSummary(report) << '\n' << html_path << '\n' << csv_path << '\n';
  return kExitOk;
}

}  // namespace
}  // namespace kurovel

int main(int argc, char** argv) {
  using namespace kurovel;
  const std::vector<std::string_view> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  const ParsedClassArguments parsed = ParseClassArguments(arguments);
  if (!parsed.options) {
    std::cerr << "kurovel-class: " << parsed.error << '\n' << ClassUsage();
    return kExitUsage;
  }
  if (parsed.options->help) {
    std::cout << ClassUsage();
    return kExitOk;
  }
  return RunReportingFailures("kurovel-class", [&] { return Run(*parsed.options); });
}
