#pragma once
// Which files the main window takes as programs: the one command-line argument
// and a dropped file.

#include <QString>
#include <QStringList>
#include <optional>

namespace kurovel {

// The program to open at start: only when there is exactly one argument and it
// holds "KV" or "kv" anywhere (case-sensitive; "Kv" and "kV" do not count).
std::optional<QString> CommandLineProgram(const QStringList& arguments);

// A dropped file is a program when its extension (from the last "." after the
// last path separator) is ".kv" in any ASCII letter case.
bool IsProgramFileName(const QString& path);

}  // namespace kurovel
