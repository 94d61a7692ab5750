#pragma once
// The fixed texts of the help window, kept as data: one UTF-8 entry per line,
// empty entries for empty lines. The three texts after the version note are
// editable in the window, so these tables only give their starting content.

#include <span>
#include <string_view>

namespace kurovel {

// The window's caption, its close button and the captions of its four tabs.
inline constexpr const char* kHelpCaption = "QX_Help Taverin";
inline constexpr const char* kHelpCloseCaption = "とじる";
inline constexpr const char* kVersionTabCaption = "バージョン情報";
inline constexpr const char* kCommandListTabCaption = "命令一覧（めいれいいちらん）";
inline constexpr const char* kExerciseTabCaption = "サンプル課題";
inline constexpr const char* kSampleProgramTabCaption = "サンプルプログラム";
// The button beside the exercise list that checks the drawing against the
// selected exercise.
inline constexpr const char* kCheckAnswerCaption = "答え合わせ";

// The labels of the version page: product title, version, edition date and two
// lines on the program's aim.
inline constexpr const char* kProductTitle = "超単純Kurovel";
inline constexpr const char* kVersionLabel = "Ver1.6";
inline constexpr const char* kEditionDate = "2018/10/19版";
inline constexpr const char* kAimLine1 = "このプログラムは、画面に表示された矢印を動かしながら";
inline constexpr const char* kAimLine2 = "プログラムの基本を学ぶことを狙いとして作りました。";

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
