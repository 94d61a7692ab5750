#pragma once
// The program the main window opens at start, from its command line.

#include <QString>
#include <QStringList>
#include <optional>

namespace kurovel {

// The program to open at start: only when there is exactly one argument and it
// holds "KV" or "kv" anywhere (case-sensitive; "Kv" and "kV" do not count).
std::optional<QString> CommandLineProgram(const QStringList& arguments);

}  // namespace kurovel
