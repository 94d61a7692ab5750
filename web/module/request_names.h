#pragma once
// The names under which the requests' enumerations cross the module's C API, so
// the page's JavaScript spells them out instead of mirroring numbers.

#include <optional>
#include <string_view>

#include "controllers/document_controller.h"
#include "controllers/requests.h"

namespace kurovel {

std::string_view RequestKindName(RequestKind kind);
std::string_view MessageKindName(MessageKind kind);
std::string_view QuestionButtonsName(QuestionButtons buttons);
std::string_view FileDialogKindName(FileDialogKind dialog);
// The answer of that name, or nothing for an unknown name.
std::optional<Answer> AnswerNamed(std::string_view name);
// What the page read from a shared link ("program", "damaged", "tooLong"), or
// nothing for an unknown name.
std::optional<SharedLink> SharedLinkNamed(std::string_view name);

}  // namespace kurovel
