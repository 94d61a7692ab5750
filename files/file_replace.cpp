#include "files/file_replace.h"

#include <QFile>

#include "files/replace_files.h"

namespace kurovel {

// One file through the same replacement as kurovel-run's outputs, so both programs
// follow one rule for links, devices and read-only files.
bool ReplaceFileContents(const QString& path, QByteArrayView bytes) {
  if (path.isEmpty()) return false;
  const QByteArray name = QFile::encodeName(path);
  return !WriteOutputFiles({{name.toStdString(), std::string(bytes.data(), static_cast<std::size_t>(bytes.size()))}});
}

}  // namespace kurovel
