// Program files: any bytes read into the editor's text and written back.
//
// Checked on every input:
// - the editor text is the same whether the lines are kept for saving or not;
// - a file of valid CP932 characters without NUL whose every line break is CR LF
//   is written back byte for byte when the editor saves it unchanged;
// - a text that can be saved without its file's lines reads back as that text;
// - the editor and kurovel-run cut the bytes into the same lines.
// Any bytes are also taken as an editor text in UTF-8 and saved: either the save
// refuses with KurovelError, and the text then holds a character that CP932 cannot
// hold or that would read back as another one, or the text reads back unchanged.

#include <QString>
#include <QStringList>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "language/cp932.h"
#include "engine/limits.h"
#include "files/program_file.h"
#include "language/errors.h"
#include "language/program_lines.h"

namespace {

// No NUL, every character decodable, and every CR followed by LF and every LF
// preceded by CR (breaks are looked for between characters, as the reader does).
bool IsValidCrLfFile(std::string_view bytes) {
  if (bytes.find('\0') != std::string_view::npos) return false;
  if (kurovel::Cp932ToUtf8(bytes).find("\xEF\xBF\xBD") != std::string::npos) return false;
  for (std::size_t pos = 0; pos < bytes.size(); pos += kurovel::CharLength(bytes, pos)) {
    const char c = bytes[pos];
    if (c == '\r' && (pos + 1 >= bytes.size() || bytes[pos + 1] != '\n')) return false;
    if (c == '\n' && (pos == 0 || bytes[pos - 1] != '\r')) return false;
    if (c == '\r') ++pos;  // the LF of the pair
  }
  return true;
}

// Whether some character of the text has no CP932 form that reads back as itself.
bool HoldsUnsavableCharacter(const QString& text) {
  for (const char32_t code : text.toUcs4()) {
    const QString character = QString::fromUcs4(&code, 1);
    const kurovel::Cp932Encoding encoded = kurovel::Utf8ToCp932(character.toStdString());
    if (!encoded.Ok() || QString::fromStdString(kurovel::Cp932ToUtf8(encoded.bytes)) != character) return true;
  }
  return false;
}

// Saves text without a source file; when the save succeeds the bytes must read
// back as the same text, and it may refuse only a text that cannot come back.
void CheckTextRoundTrip(const QString& text) {
  std::string saved;
  try {
    saved = kurovel::ProgramBytesFromText(text);
  } catch (const kurovel::KurovelError&) {
    if (!HoldsUnsavableCharacter(text)) __builtin_trap();
    return;  // nothing is written
  }
  if (kurovel::ProgramTextFromBytes(saved) != text) __builtin_trap();
}

// The lines the editor runs for its text (a final line break ends the last line,
// the empty text has none), compared with kurovel-run's lines of the same bytes:
// as many, each line that was not cut short shows as the editor's line, and no
// line holds a CR or LF (a lead byte never takes a line break as its second byte).
void CheckSameLinesAsRunner(const QString& text, std::string_view bytes) {
  QStringList editor_lines = text.split(QLatin1Char('\n'));
  if (text.isEmpty() || text.endsWith(QLatin1Char('\n'))) editor_lines.removeLast();
  const kurovel::LineBuffer run_lines = kurovel::ProgramLines(bytes);
  if (static_cast<std::size_t>(editor_lines.size()) != run_lines.size()) __builtin_trap();
  for (std::size_t i = 0; i < run_lines.size(); ++i) {
    if (run_lines[i].find_first_of("\r\n") != std::string::npos) __builtin_trap();
    if (run_lines[i].size() >= kurovel::kMaxLineBytes) continue;
    const QString shown = QString::fromStdString(kurovel::Cp932ToUtf8(run_lines[i]));
    if (shown != editor_lines[static_cast<qsizetype>(i)]) __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  kurovel::SourceLines source;
  const QString text = kurovel::ProgramTextFromBytes(bytes, &source);
  if (kurovel::ProgramTextFromBytes(bytes) != text) __builtin_trap();

  const std::string saved = kurovel::ProgramBytesFromText(text, source);
  if (IsValidCrLfFile(bytes) && saved != bytes) __builtin_trap();
  CheckTextRoundTrip(text);
  CheckSameLinesAsRunner(text, bytes);

  // The editor never holds CR or NUL: its line breaks are "\n" and a file is cut at NUL.
  const QString typed = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
  if (!typed.contains(QChar(u'\r')) && !typed.contains(QChar(u'\0'))) CheckTextRoundTrip(typed);
  return 0;
}
