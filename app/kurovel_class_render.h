#pragma once
// Runs a whole class's program files, each on its own surface and session, on
// every core, and gathers the rows of the class report.

#include <filesystem>
#include <vector>

#include "controllers/class_render.h"
#include "controllers/class_report.h"

namespace kurovel {

// The program files of the folder: its regular files (or links to them) whose
// names end in ".kv" in any case, not those of subfolders. Throws
// std::filesystem::filesystem_error when the folder cannot be read.
std::vector<std::filesystem::path> ProgramFilesIn(const std::filesystem::path& folder);

// Runs one program file as the Run button does, from the start state, and draws
// it. Never throws: a file that cannot be read, is no program or fails inside
// Kurovel gets its row with the reason.
ClassReportRow RenderProgramFile(const std::filesystem::path& file, const ClassSettings& settings);

// Every file rendered by `threads` threads at once, rows in the files' order.
std::vector<ClassReportRow> RenderProgramFiles(const std::vector<std::filesystem::path>& files,
                                               const ClassSettings& settings, unsigned threads);

}  // namespace kurovel
