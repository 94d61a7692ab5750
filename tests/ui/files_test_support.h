#pragma once
// Helpers shared by the file and picture tests: a scratch folder and whole-file I/O.

#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <string>

namespace kurovel::test {

inline std::string ReadBytes(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return "<missing>";
  const QByteArray bytes = file.readAll();
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

inline void WriteBytes(const QString& path, const std::string& bytes) {
  QFile file(path);
  if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
  }
}

// A scratch folder removed with the test.
class ScratchFolder {
 public:
  QString Path(const QString& name) const { return dir_.filePath(name); }
  std::string PathUtf8(const QString& name) const { return Path(name).toStdString(); }

 private:
  QTemporaryDir dir_;
};

}  // namespace kurovel::test
