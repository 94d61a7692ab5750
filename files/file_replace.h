#pragma once
// Writing a whole file so that a failure never costs the old content.

#include <QByteArrayView>
#include <QString>

namespace kurovel {

// Creates the file, or replaces the whole of an existing one, with bytes. The bytes
// go to a temporary file in the same folder, which is then renamed over the old
// file, so a failed write leaves the old file as it was. A read-only file (one with
// no write permission bit, even for a user who could override that) is refused.
// Returns false when the file cannot be created or replaced.
bool ReplaceFileContents(const QString& path, QByteArrayView bytes);

}  // namespace kurovel
