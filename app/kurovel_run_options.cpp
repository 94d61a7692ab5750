#include "app/kurovel_run_options.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <limits>
#include <set>

#include "controllers/exercise_verdicts.h"
#include "engine/limits.h"

namespace kurovel {
namespace {

const std::string kSideRange = "each side 1 to " + std::to_string(kMaxPictureSide);
const std::string kExpectedCount = "expected a whole number above 0";
const std::string kExpectedSeconds = "expected seconds above 0";

// "bad command count '0': expected ...", the refusal of an option's value.
std::string BadValue(std::string_view what, std::string_view value, const std::string& problem) {
  return "bad " + std::string(what) + " '" + std::string(value) + "': " + problem;
}

// Sets one option from its value (empty for the flags); returns an error text
// or the empty text.
using ApplyOption = std::string (*)(RunOptions& options, std::string_view value);

struct OptionRow {
  std::string_view name;
  bool takes_value;
  ApplyOption apply;
};

constexpr std::array<OptionRow, 9> kOptions{{
    {"--size", true,
     [](RunOptions& o, std::string_view value) -> std::string {
       const ParsedValue<SurfaceSize> size = ParseSurfaceSize(value);
       if (!size.value) return BadValue("size", value, size.problem);
       o.width = size.value->width;
       o.height = size.value->height;
       return {};
     }},
    {"--lines", false, [](RunOptions& o, std::string_view) -> std::string { o.lines = true; return {}; }},
    {"--bmp", true, [](RunOptions& o, std::string_view v) -> std::string { o.bmp_path = std::string(v); return {}; }},
    {"--state", true,
     [](RunOptions& o, std::string_view v) -> std::string { o.state_path = std::string(v); return {}; }},
    {"--background", true,
     [](RunOptions& o, std::string_view v) -> std::string { o.background_path = std::string(v); return {}; }},
    {"--max-commands", true,
     [](RunOptions& o, std::string_view v) -> std::string {
       const ParsedValue<std::uint64_t> count = ParseCommandCount(v);
       o.max_commands = count.value;
       return count.value ? std::string() : BadValue("command count", v, count.problem);
     }},
    {"--timeout", true,
     [](RunOptions& o, std::string_view v) -> std::string {
       const ParsedValue<double> seconds = ParseSeconds(v);
       o.timeout_seconds = seconds.value;
       return seconds.value ? std::string() : BadValue("timeout", v, seconds.problem);
     }},
    {"--check", true,
     [](RunOptions& o, std::string_view v) -> std::string {
       o.check_exercise = ParseExerciseNumber(v);
       return o.check_exercise ? std::string() : "bad exercise '" + std::string(v) + "': expected 1 to 9";
     }},
    {"--help", false, [](RunOptions& o, std::string_view) -> std::string { o.help = true; return {}; }},
}};

const OptionRow* FindOption(std::string_view name) {
  for (const OptionRow& row : kOptions) {
    if (row.name == name) return &row;
  }
  return nullptr;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Decimal digits only, no sign, no blanks, 1 to max; or what is wrong.
enum class WholeProblem { kNone, kNotDigits, kZero, kTooLarge };
struct WholeNumber {
  std::uint64_t value = 0;
  WholeProblem problem = WholeProblem::kNone;
};
WholeNumber ParseWholeNumber(std::string_view text, std::uint64_t max) {
  if (text.empty() || !std::all_of(text.begin(), text.end(), IsDigit)) return {0, WholeProblem::kNotDigits};
  std::uint64_t value = 0;
  for (const char c : text) {
    const auto digit = static_cast<std::uint64_t>(c - '0');
    if (value > (max - digit) / 10) return {0, WholeProblem::kTooLarge};  // also before any overflow
    value = value * 10 + digit;
  }
  if (value == 0) return {0, WholeProblem::kZero};
  return {value, WholeProblem::kNone};
}

ParsedArguments Fail(std::string message) { return {std::nullopt, std::move(message)}; }

}  // namespace

ParsedValue<std::uint64_t> ParseCommandCount(std::string_view text) {
  constexpr std::uint64_t kMost = std::numeric_limits<std::uint64_t>::max();
  const WholeNumber count = ParseWholeNumber(text, kMost);
  switch (count.problem) {
    case WholeProblem::kNone:
      return {count.value, {}};
    case WholeProblem::kTooLarge:
      return {std::nullopt, "too large: at most " + std::to_string(kMost)};
    case WholeProblem::kNotDigits:
    case WholeProblem::kZero:
      break;
  }
  return {std::nullopt, kExpectedCount};
}

ParsedValue<double> ParseSeconds(std::string_view text) {
  // Digits with at most one decimal point, at least one digit; no sign, no exponent.
  const auto points = std::count(text.begin(), text.end(), '.');
  const bool digits_and_point =
      points <= 1 && std::all_of(text.begin(), text.end(), [](char c) { return c == '.' || IsDigit(c); });
  if (!digits_and_point || static_cast<std::size_t>(points) == text.size()) return {std::nullopt, kExpectedSeconds};
  // A value too large for a double reads as infinity, which the limit treats as its longest.
  const double seconds = std::strtod(std::string(text).c_str(), nullptr);
  if (seconds > 0.0) return {seconds, {}};
  const bool nonzero = std::any_of(text.begin(), text.end(), [](char c) { return c >= '1' && c <= '9'; });
  return {std::nullopt, nonzero ? "too small: it rounds to 0 seconds" : kExpectedSeconds};
}

std::optional<int> ParseExerciseNumber(std::string_view text) {
  if (text.size() != 1 || text[0] < '0' || text[0] > '9') return std::nullopt;
  const int number = text[0] - '0';
  if (FindExercise(number) == nullptr) return std::nullopt;
  return number;
}

ParsedValue<SurfaceSize> ParseSurfaceSize(std::string_view text) {
  const std::size_t x = text.find('x');
  if (x == std::string_view::npos) return {std::nullopt, "expected WxH, " + kSideRange};
  // A second 'x' leaves the height without its digits.
  const WholeNumber sides[] = {ParseWholeNumber(text.substr(0, x), kMaxPictureSide),
                               ParseWholeNumber(text.substr(x + 1), kMaxPictureSide)};
  for (const WholeNumber& side : sides) {
    if (side.problem == WholeProblem::kNotDigits) return {std::nullopt, "expected WxH, " + kSideRange};
  }
  for (const WholeNumber& side : sides) {
    if (side.problem == WholeProblem::kTooLarge) return {std::nullopt, "too large: " + kSideRange};
    if (side.problem == WholeProblem::kZero) return {std::nullopt, "too small: " + kSideRange};
  }
  return {SurfaceSize{static_cast<std::int32_t>(sides[0].value), static_cast<std::int32_t>(sides[1].value)}, {}};
}

ParsedArguments ParseRunArguments(std::span<const std::string_view> arguments) {
  RunOptions options;
  std::set<std::string_view> seen;
  std::optional<std::string_view> program;
  bool options_ended = false;

  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string_view argument = arguments[i];
    const bool is_option = !options_ended && argument.size() > 1 && argument[0] == '-';
    if (!is_option) {
      if (program) return Fail("more than one program given: '" + std::string(*program) + "' and '" +
                               std::string(argument) + "'");
      program = argument;
      continue;
    }
    if (argument == "--") {
      options_ended = true;
      continue;
    }
    const OptionRow* row = FindOption(argument);
    if (row == nullptr) return Fail("unknown option '" + std::string(argument) + "'");
    if (!seen.insert(row->name).second) return Fail("option " + std::string(row->name) + " given twice");
    std::string_view value;
    if (row->takes_value) {
      // An empty value or another option in its place ("--bmp --state x") is a
      // missing value; a file whose name begins with "--" can be given as "./--name".
      if (i + 1 >= arguments.size() || arguments[i + 1].empty() || arguments[i + 1].starts_with("--")) {
        return Fail("option " + std::string(row->name) + " needs a value");
      }
      value = arguments[++i];
    }
    if (std::string error = row->apply(options, value); !error.empty()) return Fail(std::move(error));
  }

  if (program) options.program = std::string(*program);
  // Whether --bmp and --state reach one file is decided by the files themselves
  // (SameOutputFile), which a spelling cannot tell: /dev/null twice is fine.
  return {std::move(options), {}};
}

const std::string& RunUsage() {
  static const std::string usage =
         "usage: kurovel-run [--size WxH] [--lines] [--bmp OUT.bmp] [--state OUT.json]\n"
         "                   [--background FILE.bmp] [--max-commands N] [--timeout SECONDS]\n"
         "                   [--check N] [PROGRAM | -]\n"
         "Runs a Kurovel program on an off-screen drawing surface. The program is read as\n"
         "UTF-8 or UTF-16 when a byte order mark or valid multi-byte UTF-8 says so, else\n"
         "as Shift-JIS.\n"
         "  PROGRAM, -          the program file; standard input for \"-\" or none\n"
         "  --size WxH          the drawing surface, default " + std::to_string(kDefaultSurfaceWidth) + "x" +
         std::to_string(kDefaultSurfaceHeight) + ", " + kSideRange + "\n"
         "  --lines             run every line as if typed into the command box and Enter;\n"
         "                      an error ends that line only (default: run as a program)\n"
         "  --bmp OUT.bmp       write the final drawing, arrow included, as a 24-bit BMP\n"
         "  --state OUT.json    write the turtle, variables, trace and messages as JSON\n"
         "  --background F.bmp  lay this picture on the surface before running\n"
         "  --max-commands N    end the run as Stop does once N commands have run\n"
         "                      (turtle commands and inc, dec, mlt, div, pos lines)\n"
         "  --timeout SECONDS   end the run as Stop does after this time (decimal, above 0)\n"
         "  --check N           check the drawing against exercise N of the help window\n"
         "                      (1 to 9): the verdict goes to standard error and into\n"
         "                      the state as \"check\"; exit status 4 when it fails\n"
         "  --help              print this text\n"
         "  --                  end of options (for a program whose name begins with -)\n"
         "Exit status: 0 ok, 1 an error ended a line or the run (or the background could\n"
         "not be read), 2 repeat and next do not pair up, 3 a limit ended the run (the\n"
         "outputs are written, with outcome \"limit\"), 4 the run ended normally but the\n"
         "drawing failed --check (so with --check, 0 means passed), 64 bad usage, 66 the\n"
         "program cannot be read, 70 internal error (such as out of memory; no output is\n"
         "written), 73 an output cannot be written. The outputs are written all or none:\n"
         "no file is replaced unless every output has been written.\n";
  return usage;
}

}  // namespace kurovel
