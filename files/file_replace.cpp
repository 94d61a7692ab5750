#include "files/file_replace.h"

#include <QFileInfo>
#include <QSaveFile>

namespace kurovel {

namespace {

// Renaming would replace a read-only file without a word, so an existing target is
// checked first. The permission bits are consulted as well as access rights, as an
// administrator may write anywhere but a file marked read-only must stay untouched.
bool TargetAcceptsWrite(const QFileInfo& info) {
  if (!info.exists()) return true;
  // The mode bits; WriteUser would report the caller's override instead.
  constexpr auto kAnyWrite = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
  return info.isFile() && info.isWritable() && (info.permissions() & kAnyWrite);
}

}  // namespace

bool ReplaceFileContents(const QString& path, QByteArrayView bytes) {
  if (path.isEmpty() || !TargetAcceptsWrite(QFileInfo(path))) return false;
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  if (file.write(bytes.data(), bytes.size()) != bytes.size()) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}

}  // namespace kurovel
