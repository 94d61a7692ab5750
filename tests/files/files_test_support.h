#pragma once
// Whole-file I/O and a scratch folder for the file and picture tests.

#include <QFile>
#include <QTemporaryDir>
#include <string>

#include "language/errors.h"

namespace kurovel::test {

inline std::string ReadBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : "<missing>";
}

inline void WriteBytes(const QString& path, const std::string& bytes) {
  QFile file(path);
  if (file.open(QIODevice::WriteOnly)) file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

// The message of the KurovelError that f throws.
template <typename F>
std::string ErrorOf(F&& f) {
  try {
    f();
  } catch (const KurovelError& error) {
    return error.what();
  }
  return "<no error>";
}

struct ScratchFolder {
  QString Path(const QString& name) const { return dir.filePath(name); }
  std::string PathUtf8(const QString& name) const { return Path(name).toStdString(); }
  QTemporaryDir dir;
};

}  // namespace kurovel::test
