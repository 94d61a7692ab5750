#pragma once
// The fixed texts of the help window, kept as data: one UTF-8 entry per line,
// empty entries for empty lines. The three texts after the version note are
// editable in the window, so these tables only give their starting content.

#include <span>
#include <string_view>

namespace kurovel {

// Read-only note on the version page: build tool, copying terms, liability,
// where to send reports.
std::span<const std::string_view> VersionNoteLines();
// Every command word with its aliases and an example (67 lines).
std::span<const std::string_view> CommandListLines();
// Nine exercises.
std::span<const std::string_view> ExerciseLines();
// Two sample programs (16 lines).
std::span<const std::string_view> SampleProgramLines();

}  // namespace kurovel
