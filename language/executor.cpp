// The line executor. Positions are byte positions; a blank is the byte 0x20,
// which never occurs inside a double-byte character.

#include "language/executor.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <string>

#include "engine/extended_real.h"
#include "engine/rounding.h"
#include "language/errors.h"
#include "language/numbers.h"

namespace kurovel {
namespace {

constexpr char kBlank = ' ';
constexpr std::size_t npos = std::string_view::npos;

constexpr char FoldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Equal ignoring the case of the ASCII letters only; `lower` is in lower case.
constexpr bool EqualsIgnoringCase(std::string_view text, std::string_view lower) {
  if (text.size() != lower.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (FoldAscii(text[i]) != lower[i]) return false;
  }
  return true;
}

// The first three bytes equal `lower` ignoring ASCII case (a shorter text never does).
constexpr bool StartsWithIgnoringCase(std::string_view text, std::string_view lower) {
  return text.size() >= lower.size() && EqualsIgnoringCase(text.substr(0, lower.size()), lower);
}

// A word of up to seven bytes folded to lower case and packed with its length
// into one integer, so that a word is compared with a table entry in one step.
// Longer words get a key that no table entry has.
constexpr std::uint64_t WordKey(std::string_view word) {
  if (word.size() > 7) return ~std::uint64_t{0};
  std::uint64_t key = word.size();
  for (char c : word) key = key << 8 | static_cast<unsigned char>(FoldAscii(c));
  return key;
}

// 0-based position of the first blank, npos when there is none. A plain loop:
// the words are a few bytes long, shorter than a library search pays off for.
constexpr std::size_t FindBlank(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == kBlank) return i;
  }
  return npos;
}

// Text from 0-based `pos` to the end; empty when pos lies beyond the end.
constexpr std::string_view From(std::string_view text, std::size_t pos) {
  return pos < text.size() ? text.substr(pos) : std::string_view();
}

using CommandAction = void (*)(Turtle&, VariableTable&, std::int32_t);

template <int K>
void SetVariableK(Turtle&, VariableTable& variables, std::int32_t n) {
  variables.SetVariable(K, n);
}

struct CommandWord {
  constexpr CommandWord(std::string_view word, CommandAction action) : key(WordKey(word)), run(action) {}
  std::uint64_t key;
  CommandAction run;
};

// The command words of a pair, compared ignoring ASCII case.
constexpr CommandWord kCommandWords[] = {
    {"fd", [](Turtle& t, VariableTable&, std::int32_t n) { t.MoveForward(n); }},
    {"bk", [](Turtle& t, VariableTable&, std::int32_t n) { t.MoveBack(n); }},
    {"rt", [](Turtle& t, VariableTable&, std::int32_t n) { t.TurnRight(n); }},
    {"lt", [](Turtle& t, VariableTable&, std::int32_t n) { t.TurnLeft(n); }},
    {"pd", [](Turtle& t, VariableTable&, std::int32_t n) { t.PenDown(n); }},
    {"pu", [](Turtle& t, VariableTable&, std::int32_t) { t.PenUp(); }},
    {"cls", [](Turtle& t, VariableTable&, std::int32_t) { t.ClearScreen(); }},
    {"rp", [](Turtle& t, VariableTable&, std::int32_t) { t.GoHome(); }},
    {"rdi", [](Turtle& t, VariableTable&, std::int32_t) { t.ResetHeading(); }},
    {"sho", [](Turtle& t, VariableTable&, std::int32_t) { t.ToggleArrow(); }},
    {"var1", SetVariableK<1>},
    {"var2", SetVariableK<2>},
    {"var3", SetVariableK<3>},
    {"var4", SetVariableK<4>},
    {"var5", SetVariableK<5>},
    {"var6", SetVariableK<6>},
    {"var7", SetVariableK<7>},
    {"var8", SetVariableK<8>},
    {"var9", SetVariableK<9>},
    {"var10", SetVariableK<10>},
};

// Lines of one word that run as a command, compared ignoring ASCII case.
constexpr std::uint64_t kSingleWords[] = {WordKey("cls"), WordKey("pu"),  WordKey("pd"),  WordKey("sho"),
                                          WordKey("rdi"), WordKey("rp"), WordKey("next")};

// The three-word commands: their first three bytes select the form (ignoring
// case), the whole first word must then be exactly one of them.
using ThreeWordAction = void (LineExecutor::*)(std::string_view, std::string_view);
struct ThreeWord {
  constexpr ThreeWord(std::string_view w, ThreeWordAction action) : word(w), key(WordKey(w)), run(action) {}
  std::string_view word;  // compared exactly with the first word
  std::uint64_t key;      // compared with the first three bytes, ignoring case
  ThreeWordAction run;
};
constexpr ThreeWord kThreeWords[] = {
    {"inc", &LineExecutor::IncreaseVariable}, {"dec", &LineExecutor::DecreaseVariable},
    {"mlt", &LineExecutor::MultiplyVariable}, {"div", &LineExecutor::DivideVariable},
    {"pos", &LineExecutor::MoveToPosition},
};

// Decimal text of an integer, held in place for a string_view to refer to.
class DecimalText {
 public:
  explicit DecimalText(std::int32_t value)
      : size_(static_cast<std::size_t>(std::to_chars(buffer_, buffer_ + sizeof buffer_, value).ptr - buffer_)) {}
  std::string_view View() const { return {buffer_, size_}; }

 private:
  char buffer_[12] = {};
  std::size_t size_ = 0;
};

// Round(variable op f) in extended precision; the low 32 bits of the 64-bit result.
std::int32_t RoundToVariable(const ExtendedReal& exact) {
  const std::optional<std::int64_t> rounded = RoundHalfEven(exact);
  if (!rounded) throw KurovelError(std::string(kInvalidOperation));
  return Wrap32(*rounded);
}

// A line whose first three bytes name a three-word command; p is the position
// of its first blank. Only an exact first word runs; nothing after it does.
void RunThreeWordLine(LineExecutor& executor, const VariableTable& variables, std::string_view s,
                      std::size_t p) {
  const std::string_view w = s.substr(0, p);
  const std::string_view r = s.substr(p + 1);
  const std::size_t q = FindBlank(r);
  // V is everything after the second blank, blanks and further words included.
  std::string_view v = q == npos ? r : r.substr(q + 1);
  std::string_view n = q == npos ? std::string_view() : r.substr(0, q);
  const DecimalText v_value(variables.VariableValue(v));
  if (StartsWithIgnoringCase(v, "var")) v = v_value.View();
  const auto exact =
      std::find_if(std::begin(kThreeWords), std::end(kThreeWords), [w](const ThreeWord& t) { return t.word == w; });
  if (exact == std::end(kThreeWords)) return;
  const DecimalText n_value(variables.VariableValue(n));
  if (exact->run == &LineExecutor::MoveToPosition && StartsWithIgnoringCase(n, "var")) n = n_value.View();
  executor.CountCommand();
  (executor.*(exact->run))(n, v);
}

}  // namespace

void LineExecutor::ExecuteLine(std::string_view line) {
  if (line.empty()) return;
  // A local copy: the events delivered between commands may change the text the
  // caller handed in (a program line, say) while this line is still running.
  const std::string copy(line);
  std::string_view s = copy;
  while (!s.empty() && s.front() == kBlank) s.remove_prefix(1);

  std::size_t p = FindBlank(s);
  if (p == npos) {
    if (std::find(std::begin(kSingleWords), std::end(kSingleWords), WordKey(s)) != std::end(kSingleWords)) {
      ExecuteCommand(s, {});
    }
    return;
  }

  const std::uint64_t head = WordKey(s.substr(0, 3));
  const auto starts_three_word = [head](const ThreeWord& t) { return t.key == head; };
  if (std::find_if(std::begin(kThreeWords), std::end(kThreeWords), starts_three_word) != std::end(kThreeWords)) {
    RunThreeWordLine(*this, variables_, s, p);
    return;
  }

  // Pairs of command word and parameter, from the left.
  while (p != npos) {
    const std::string_view w = s.substr(0, p);
    std::string_view r = s.substr(p + 1);
    r = r.substr(0, FindBlank(r));
    ExecuteCommand(w, r);
    // Drops the word, its blank, the parameter and the one byte after it.
    s = From(s, w.size() + r.size() + 2);
    p = FindBlank(s);
  }
}

void LineExecutor::ExecuteCommand(std::string_view command, std::string_view parameter) {
  ProcessPendingEvents();
  ++commands_run_;
  const int slot = VariableTable::SlotOf(parameter);
  const std::int32_t n = slot != 0 ? variables_.Get(slot) : TextToIntegerOr(parameter, 0);
  const std::uint64_t key = WordKey(command);
  const auto has_key = [key](const CommandWord& c) { return c.key == key; };
  const auto entry = std::find_if(std::begin(kCommandWords), std::end(kCommandWords), has_key);
  if (entry != std::end(kCommandWords)) entry->run(turtle_, variables_, n);
}

void LineExecutor::IncreaseVariable(std::string_view name, std::string_view value_text) {
  const std::int32_t a = TextToIntegerOr(value_text, 0);
  if (const int slot = VariableTable::SlotOf(name)) variables_.SetVariable(slot, WrapAdd(variables_.Get(slot), a));
}

void LineExecutor::DecreaseVariable(std::string_view name, std::string_view value_text) {
  const std::int32_t a = TextToIntegerOr(value_text, 0);
  if (const int slot = VariableTable::SlotOf(name)) variables_.SetVariable(slot, WrapSub(variables_.Get(slot), a));
}

void LineExecutor::MultiplyVariable(std::string_view name, std::string_view factor_text) {
  const double f = TextToReal(factor_text).value_or(0.0);
  if (const int slot = VariableTable::SlotOf(name)) {
    variables_.SetVariable(slot, RoundToVariable(ExtendedProduct(variables_.Get(slot), f)));
  }
}

void LineExecutor::DivideVariable(std::string_view name, std::string_view divisor_text) {
  const double f = TextToReal(divisor_text).value_or(1.0);
  trace_.Append(FormatGeneral(f) + "::");
  if (const int slot = VariableTable::SlotOf(name)) {
    const std::int32_t value = variables_.Get(slot);
    if (f == 0.0) {
      // 0 / 0 is an invalid operation, anything else over 0 a division by zero.
      throw KurovelError(std::string(value == 0 ? kInvalidOperation : kDivisionByZero));
    }
    variables_.SetVariable(slot, RoundToVariable(ExtendedQuotient(value, f)));
  }
}

void LineExecutor::MoveToPosition(std::string_view x_text, std::string_view y_text) {
  const std::int32_t y = TextToIntegerOr(y_text, 0);
  const std::int32_t x = TextToIntegerOr(x_text, 0);
  turtle_.MoveToPosition(x, y);
}

}  // namespace kurovel
