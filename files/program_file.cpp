#include "files/program_file.h"

#include <QFile>
#include <QStringList>

#include "language/cp932.h"
#include "language/errors.h"
#include "language/program_lines.h"
#include "files/file_replace.h"

namespace kurovel {

namespace {

std::string PathText(const QString& path) { return path.toStdString(); }

// The editor text of one line (which holds no CR or LF: every one ends a line).
QString LineText(std::string_view line_bytes) { return QString::fromStdString(Cp932ToUtf8(line_bytes)); }

// The message for the first character CP932 cannot hold: its line (from 1), the
// character itself and its code point, as it may be invisible (a joiner, a
// control character).
std::string UnsavableCharacterMessage(qsizetype line_number, const std::string& line_utf8, std::size_t offset) {
  const QString rest = QString::fromUtf8(line_utf8.data() + offset, static_cast<qsizetype>(line_utf8.size() - offset));
  const char32_t code = rest.isEmpty() ? U'\uFFFD' : rest.toUcs4().front();
  return QStringLiteral("%1 行目の文字「%2」(U+%3) はシフトJISで保存できません")
      .arg(line_number)
      .arg(QString::fromUcs4(&code, 1))
      .arg(QString::number(static_cast<uint>(code), 16).toUpper().rightJustified(4, QLatin1Char('0')))
      .toStdString();
}

}  // namespace

SourceLines::SourceLines(std::string_view bytes) {
  for (std::string_view line : SplitFileLines(bytes)) lines_.push_back(Line{std::string(line), LineText(line)});
  // QHash::insert replaces; walking backwards lets the first line with a text win.
  for (std::size_t i = lines_.size(); i-- > 0;) index_of_text_.insert(lines_[i].text, i);
}

const std::string* SourceLines::BytesFor(std::size_t index, const QString& line) const {
  if (index < lines_.size() && lines_[index].text == line) return &lines_[index].bytes;
  const auto found = index_of_text_.constFind(line);
  return found == index_of_text_.cend() ? nullptr : &lines_[found.value()].bytes;
}

QString SourceLines::Text() const {
  QString text;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (i > 0) text += QLatin1Char('\n');
    text += lines_[i].text;
  }
  return text;
}

QString ProgramTextFromBytes(std::string_view bytes) {
  QString text;
  text.reserve(static_cast<qsizetype>(bytes.size()));
  bool first = true;
  for (std::string_view line : SplitFileLines(bytes)) {
    if (!first) text += QLatin1Char('\n');
    first = false;
    text += LineText(line);
  }
  return text;
}

QString ProgramTextFromUnicode(std::string_view bytes, TextEncoding encoding) {
  const std::string utf8 = UnicodeToUtf8(bytes, encoding);
  QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
  if (const qsizetype nul = text.indexOf(QChar(u'\0')); nul >= 0) text.truncate(nul);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

std::string ProgramBytesFromText(const QString& text, const SourceLines& source) {
  std::string bytes;
  const QStringList lines = text.split(QLatin1Char('\n'));
  for (qsizetype i = 0; i < lines.size(); ++i) {
    if (i > 0) bytes += "\r\n";
    if (const std::string* original = source.BytesFor(static_cast<std::size_t>(i), lines[i])) {
      bytes += *original;
      continue;
    }
    const std::string line = lines[i].toStdString();
    const Cp932Encoding encoded = Utf8ToCp932(line);
    if (!encoded.Ok()) throw KurovelError(UnsavableCharacterMessage(i + 1, line, encoded.bad_offset));
    bytes += encoded.bytes;
  }
  return bytes;
}

QString LoadProgramFile(const QString& path, SourceLines* source, TextEncoding* encoding) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    throw KurovelError(CannotOpenMessage(PathText(path)));
  }
  if (file.size() > kMaxProgramFileBytes) throw KurovelError(std::string(kTextTooLarge));
  // One byte past the limit is read: a file that is not a regular one reports no size.
  const QByteArray bytes = file.read(kMaxProgramFileBytes + 1);
  if (bytes.size() > kMaxProgramFileBytes) throw KurovelError(std::string(kTextTooLarge));
  if (file.error() != QFileDevice::NoError) {
    throw KurovelError(CannotOpenMessage(PathText(path)));
  }
  const std::string_view view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  const TextEncoding detected = DetectEncoding(view);
  if (encoding != nullptr) *encoding = detected;
  if (detected != TextEncoding::kShiftJis) {
    if (source != nullptr) *source = SourceLines();
    return ProgramTextFromUnicode(view, detected);
  }
  if (source == nullptr) return ProgramTextFromBytes(view);
  *source = SourceLines(view);
  return source->Text();
}

void SaveProgramFile(const QString& path, const QString& text, SourceLines* source) {
  const std::string bytes = source != nullptr ? ProgramBytesFromText(text, *source) : ProgramBytesFromText(text);
  if (!ReplaceFileContents(path, QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())))) {
    throw KurovelError(CannotCreateMessage(PathText(path)));
  }
  if (source != nullptr) *source = SourceLines(bytes);
}

}  // namespace kurovel
