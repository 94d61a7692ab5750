#include "files/program_file.h"

#include <QFile>

#include "language/errors.h"
#include "files/file_replace.h"
#include "files/program_text.h"

namespace kurovel {

namespace {

std::string PathText(const QString& path) { return path.toStdString(); }

QString FromUtf8(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

QString ProgramTextFromBytes(std::string_view bytes, SourceLines* source, const ProgressHook& progress) {
  return FromUtf8(ProgramUtf8FromShiftJis(bytes, source, progress));
}

QString ProgramTextFromUnicode(std::string_view bytes, TextEncoding encoding) {
  return FromUtf8(ProgramUtf8FromUnicode(bytes, encoding));
}

std::string ProgramBytesFromText(const QString& text, const SourceLines& source, const ProgressHook& progress) {
  return ProgramBytesFromUtf8(text.toStdString(), source, progress);
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
