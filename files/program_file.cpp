#include "files/program_file.h"

#include <QFile>

#include "files/program_text.h"

namespace kurovel {

namespace {

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

std::optional<std::string> ReadFileHead(const QString& path, std::int64_t max_bytes) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  // A file that is not a regular one reports no size, so the limit is read, not asked.
  const QByteArray bytes = file.read(max_bytes + 1);
  if (file.error() != QFileDevice::NoError) return std::nullopt;
  return bytes.toStdString();
}

}  // namespace kurovel
