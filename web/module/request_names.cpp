#include "web/module/request_names.h"

#include <array>
#include <utility>

namespace kurovel {
namespace {

template <typename Value, std::size_t N>
using NameTable = std::array<std::pair<Value, std::string_view>, N>;

constexpr NameTable<RequestKind, 13> kRequestKindNames{{
    {RequestKind::kNone, ""},
    {RequestKind::kAsk, "ask"},
    {RequestKind::kShowMessage, "showMessage"},
    {RequestKind::kChooseFile, "chooseFile"},
    {RequestKind::kReadFile, "readFile"},
    {RequestKind::kWriteFile, "writeFile"},
    {RequestKind::kGetEditorText, "getEditorText"},
    {RequestKind::kSetEditorText, "setEditorText"},
    {RequestKind::kShowCaption, "showCaption"},
    {RequestKind::kBeginProgress, "beginProgress"},
    {RequestKind::kEndProgress, "endProgress"},
    {RequestKind::kBringToFront, "bringToFront"},
    {RequestKind::kCloseWindow, "closeWindow"},
}};

constexpr NameTable<MessageKind, 3> kMessageKindNames{{
    {MessageKind::kError, "error"},
    {MessageKind::kWarning, "warning"},
    {MessageKind::kNotice, "notice"},
}};

constexpr NameTable<QuestionButtons, 2> kQuestionButtonsNames{{
    {QuestionButtons::kOkCancel, "okCancel"},
    {QuestionButtons::kYesNoCancel, "yesNoCancel"},
}};

constexpr NameTable<FileDialogKind, 4> kFileDialogKindNames{{
    {FileDialogKind::kOpenProgram, "openProgram"},
    {FileDialogKind::kSaveProgram, "saveProgram"},
    {FileDialogKind::kOpenPicture, "openPicture"},
    {FileDialogKind::kSavePicture, "savePicture"},
}};

constexpr NameTable<Answer, 6> kAnswerNames{{
    {Answer::kDone, "done"},
    {Answer::kOk, "ok"},
    {Answer::kCancel, "cancel"},
    {Answer::kYes, "yes"},
    {Answer::kNo, "no"},
    {Answer::kFailed, "failed"},
}};

constexpr NameTable<SharedLink, 3> kSharedLinkNames{{
    {SharedLink::kProgram, "program"},
    {SharedLink::kDamaged, "damaged"},
    {SharedLink::kTooLong, "tooLong"},
}};

template <typename Value, std::size_t N>
std::optional<Value> ValueNamed(const NameTable<Value, N>& table, std::string_view name) {
  for (const auto& [value, value_name] : table) {
    if (value_name == name) return value;
  }
  return std::nullopt;
}

template <typename Value, std::size_t N>
std::string_view NameOf(const NameTable<Value, N>& table, Value value) {
  for (const auto& [entry, name] : table) {
    if (entry == value) return name;
  }
  return table.front().second;  // unreachable: every value has a row
}

}  // namespace

std::string_view RequestKindName(RequestKind kind) { return NameOf(kRequestKindNames, kind); }
std::string_view MessageKindName(MessageKind kind) { return NameOf(kMessageKindNames, kind); }
std::string_view QuestionButtonsName(QuestionButtons buttons) { return NameOf(kQuestionButtonsNames, buttons); }
std::string_view FileDialogKindName(FileDialogKind dialog) { return NameOf(kFileDialogKindNames, dialog); }

std::optional<Answer> AnswerNamed(std::string_view name) { return ValueNamed(kAnswerNames, name); }
std::optional<SharedLink> SharedLinkNamed(std::string_view name) { return ValueNamed(kSharedLinkNames, name); }

}  // namespace kurovel
