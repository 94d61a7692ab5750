#include "ui/start_rules.h"

#include "controllers/window_rules.h"

namespace kurovel {

std::optional<QString> CommandLineProgram(const QStringList& arguments) {
  if (arguments.size() != 1) return std::nullopt;
  const QString& argument = arguments.front();
  if (!NamesProgramAtStart(argument.toStdString())) return std::nullopt;
  return argument;
}

}  // namespace kurovel
