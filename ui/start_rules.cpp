#include "ui/start_rules.h"

namespace kurovel {

std::optional<QString> CommandLineProgram(const QStringList& arguments) {
  if (arguments.size() != 1) return std::nullopt;
  const QString& argument = arguments.front();
  if (!argument.contains(QLatin1String("KV"), Qt::CaseSensitive) &&
      !argument.contains(QLatin1String("kv"), Qt::CaseSensitive)) {
    return std::nullopt;
  }
  return argument;
}

bool IsProgramFileName(const QString& path) {
  const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
  if (dot < 0 || dot < path.lastIndexOf(QLatin1Char('/'))) return false;
  // ASCII folding only: the file system's names are not case-folded by locale.
  const QString extension = path.mid(dot);
  return extension.size() == 3 && (extension[1] == u'k' || extension[1] == u'K') &&
         (extension[2] == u'v' || extension[2] == u'V');
}

}  // namespace kurovel
