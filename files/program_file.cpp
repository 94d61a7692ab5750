#include "files/program_file.h"

#include <QFile>
#include <QStringList>
#include <algorithm>

#include "language/cp932.h"
#include "language/errors.h"
#include "language/program_lines.h"
#include "files/file_replace.h"

namespace kurovel {

namespace {

// Progress is reported after about this many bytes of work.
constexpr std::int64_t kProgressStepBytes = std::int64_t{1} << 20;

std::string PathText(const QString& path) { return path.toStdString(); }

QString Utf8Text(std::string_view utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

// The editor text of one line (which holds no CR or LF: every one ends a line).
QString LineText(std::string_view line_bytes) { return QString::fromStdString(Cp932ToUtf8(line_bytes)); }

// ASCII reads and writes as itself in CP932, so such a line needs no conversion check.
bool IsAscii(std::string_view bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// True when the converter writes a line's text back as the bytes it was read from.
bool ConvertsBack(std::string_view line_bytes, std::string_view line_utf8) {
  if (IsAscii(line_bytes)) return true;
  const Cp932Encoding encoded = Utf8ToCp932(line_utf8);
  return encoded.Ok() && encoded.bytes == line_bytes;
}

// Calls the hook once per step of work rather than once per line.
class ProgressSteps {
 public:
  ProgressSteps(const ProgressHook& hook, std::size_t total) : hook_(hook), total_(static_cast<std::int64_t>(total)) {}
  void At(std::size_t done) {
    if (!hook_ || static_cast<std::int64_t>(done) < next_) return;
    hook_(static_cast<std::int64_t>(done), total_);
    next_ = static_cast<std::int64_t>(done) + kProgressStepBytes;
  }

 private:
  const ProgressHook& hook_;
  std::int64_t total_;
  std::int64_t next_ = 0;
};

// The message for the first character CP932 cannot hold: its line (from 1), the
// character itself and its code point, as it may be invisible (a joiner, a
// control character).
std::string UnsavableCharacterMessage(qsizetype line_number, std::string_view line_utf8, std::size_t offset) {
  const QString rest = Utf8Text(line_utf8.substr(offset));
  const char32_t code = rest.isEmpty() ? U'\uFFFD' : rest.toUcs4().front();
  return QStringLiteral("%1 行目の文字「%2」(U+%3) はシフトJISで保存できません")
      .arg(line_number)
      .arg(QString::fromUcs4(&code, 1))
      .arg(QString::number(static_cast<uint>(code), 16).toUpper().rightJustified(4, QLatin1Char('0')))
      .toStdString();
}

}  // namespace

SourceLines::SourceLines(std::string_view bytes) { ProgramTextFromBytes(bytes, this); }

void SourceLines::KeepLinesLike(std::string_view bytes, const std::vector<std::size_t>& odd_lines) {
  const std::vector<std::string_view> lines = SplitFileLines(bytes);
  for (const std::size_t index : odd_lines) lines_of_text_.insert(LineText(lines[index]), {});
  // Every line with one of those texts, in file order: unchanged lines keep their own bytes.
  for (std::size_t index = 0; index < lines.size(); ++index) {
    const auto found = lines_of_text_.find(LineText(lines[index]));
    if (found != lines_of_text_.end()) found.value().push_back(Occurrence{index, std::string(lines[index])});
  }
}

const std::string* SourceLines::BytesFor(std::size_t index, std::string_view line) const {
  if (lines_of_text_.isEmpty()) return nullptr;  // the usual case: no text needs looking up
  const auto found = lines_of_text_.constFind(Utf8Text(line));
  if (found == lines_of_text_.cend()) return nullptr;
  const std::vector<Occurrence>& lines = found.value();
  const auto at = std::lower_bound(lines.begin(), lines.end(), index,
                                   [](const Occurrence& line, std::size_t wanted) { return line.index < wanted; });
  return at != lines.end() && at->index == index ? &at->bytes : &lines.front().bytes;
}

QString ProgramTextFromBytes(std::string_view bytes, SourceLines* source, const ProgressHook& progress) {
  // The text is gathered as UTF-8 and made a QString once: no string per line.
  std::string utf8;
  utf8.reserve(bytes.size());
  std::vector<std::size_t> odd_lines;  // lines that the converter would write back differently
  std::size_t index = 0;
  ProgressSteps steps(progress, bytes.size());
  ForEachFileLine(bytes, [&](std::string_view line) {
    steps.At(static_cast<std::size_t>(line.data() - bytes.data()));
    if (index > 0) utf8 += '\n';
    const std::string text = Cp932ToUtf8(line);
    if (source != nullptr && !ConvertsBack(line, text)) odd_lines.push_back(index);
    utf8 += text;
    ++index;
  });
  QString text = Utf8Text(utf8);
  if (source != nullptr) {
    *source = SourceLines();
    if (!odd_lines.empty()) source->KeepLinesLike(bytes, odd_lines);
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

std::string ProgramBytesFromText(const QString& text, const SourceLines& source, const ProgressHook& progress) {
  // Lines are cut from the UTF-8 text ("\n" is never part of a multi-byte character).
  const QByteArray whole = text.toUtf8();
  const std::string_view utf8(whole.constData(), static_cast<std::size_t>(whole.size()));
  std::string bytes;
  bytes.reserve(utf8.size() + utf8.size() / 8);
  ProgressSteps steps(progress, utf8.size());
  std::size_t line_start = 0;
  for (std::size_t index = 0;; ++index) {
    steps.At(line_start);
    const std::size_t line_end = std::min(utf8.find('\n', line_start), utf8.size());
    const std::string_view line = utf8.substr(line_start, line_end - line_start);
    if (index > 0) bytes += "\r\n";
    if (const std::string* original = source.BytesFor(index, line)) {
      bytes += *original;
    } else if (IsAscii(line)) {
      bytes += line;
    } else {
      const Cp932Encoding encoded = Utf8ToCp932(line);
      if (!encoded.Ok()) throw KurovelError(UnsavableCharacterMessage(static_cast<qsizetype>(index) + 1, line, encoded.bad_offset));
      bytes += encoded.bytes;
    }
    if (line_end == utf8.size()) break;
    line_start = line_end + 1;
  }
  return bytes;
}

QString LoadProgramFile(const QString& path, SourceLines* source, TextEncoding* encoding, const ProgressHook& progress) {
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
  return ProgramTextFromBytes(view, source, progress);
}

void SaveProgramFile(const QString& path, const QString& text, SourceLines* source, const ProgressHook& progress) {
  const std::string bytes = ProgramBytesFromText(text, source != nullptr ? *source : SourceLines(), progress);
  if (!ReplaceFileContents(path, QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())))) {
    throw KurovelError(CannotCreateMessage(PathText(path)));
  }
  if (source != nullptr) *source = SourceLines(bytes);
}

}  // namespace kurovel
