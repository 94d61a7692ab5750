#include "controllers/document_controller.h"

#include <exception>
#include <optional>
#include <utility>

#include "controllers/window_rules.h"
#include "controllers/window_texts.h"
#include "engine/limits.h"
#include "language/errors.h"

namespace kurovel {

namespace {

constexpr std::string_view kLoadingProgram = "プログラムを読み込んでいます…";
constexpr std::string_view kSavingProgram = "プログラムを保存しています…";

// Runs inner between kBeginProgress and kEndProgress, which ends the progress
// also when inner fails or is cancelled.
template <typename T>
Flow<T> WithProgress(std::string_view label, Flow<T> inner) {
  co_await WithText(RequestKind::kBeginProgress, std::string(label));
  std::exception_ptr failure;
  std::optional<T> result;
  try {
    result.emplace(co_await std::move(inner));
  } catch (...) {
    failure = std::current_exception();
  }
  co_await Plain(RequestKind::kEndProgress);
  if (failure) std::rethrow_exception(failure);
  co_return std::move(*result);
}

}  // namespace

DocumentController::DocumentController(Turtle& turtle, PictureState& pictures, std::function<void()> on_close)
    : turtle_(turtle), pictures_(pictures), on_close_(std::move(on_close)) {}

std::string DocumentController::Caption() const {
  std::string caption = WindowCaption(file_name_);
  if (restored_ && modified_) caption.append(" ").append(kUnsavedMark);
  return caption;
}

Flow<> DocumentController::ShowCaption() { co_await WithText(RequestKind::kShowCaption, Caption()); }

Flow<bool> DocumentController::DiscardAllowed() {
  if (!modified_) co_return true;
  const Reply reply = co_await Ask(kWarningCaptionFile, kWarningDiscard, QuestionButtons::kOkCancel);
  co_return reply.answer == Answer::kOk;
}

Flow<> DocumentController::Open() {
  if (!co_await DiscardAllowed()) co_return;
  const Reply chosen = co_await ChooseFile(FileDialogKind::kOpenProgram, file_name_, kProgramFilter, kProgramExtension);
  if (chosen.answer != Answer::kDone || chosen.text.empty()) co_return;
  if (co_await Load(chosen.text)) co_await ShowCaption();
}

Flow<> DocumentController::New() {
  if (!co_await DiscardAllowed()) co_return;
  file_name_.clear();
  restored_ = false;
  co_await ShowCaption();
  const Reply emptied = co_await WithText(RequestKind::kSetEditorText, {});
  if (emptied.answer != Answer::kDone) co_return;
  modified_ = false;
  source_ = SourceLines();
  pictures_.background_file_name.clear();
  turtle_.ClearScreen();
}

Flow<> DocumentController::Save() { co_await SaveOrAsk(); }

Flow<> DocumentController::SaveAs() { co_await SaveThroughDialog(); }

Flow<bool> DocumentController::SaveOrAsk() {
  if (file_name_.empty()) co_return co_await SaveThroughDialog();
  co_return co_await SaveTo(file_name_);
}

Flow<bool> DocumentController::SaveThroughDialog() {
  if (!file_name_.empty()) save_dialog_name_ = file_name_;
  const Reply chosen =
      co_await ChooseFile(FileDialogKind::kSaveProgram, save_dialog_name_, kProgramFilter, kProgramExtension);
  if (chosen.answer != Answer::kDone || chosen.text.empty()) co_return false;
  save_dialog_name_ = chosen.text;
  if (!co_await SaveTo(chosen.text)) co_return false;
  co_await ShowCaption();
  co_return true;
}

Flow<bool> DocumentController::SaveTo(std::string path) {
  // A change made while the file is written (the page writes asynchronously)
  // keeps the program modified.
  const std::uint64_t edits_before = edits_;
  EncodedProgram encoded = co_await WithProgress(kSavingProgram, EncodeEditorText());
  const Reply written = co_await WriteFile(path, encoded.bytes);
  if (written.answer != Answer::kDone) throw KurovelError(CannotCreateMessage(path));
  source_ = SourceLines(encoded.bytes);
  modified_ = edits_ != edits_before;
  restored_ = false;
  file_name_ = std::move(path);
  // What the file holds differs from the editor where a look-alike was written.
  if (!encoded.look_alike_notice.empty()) co_await ShowNotice(encoded.look_alike_notice);
  co_return true;
}

Flow<DocumentController::EncodedProgram> DocumentController::EncodeEditorText() {
  const Reply editor = co_await Plain(RequestKind::kGetEditorText);
  EncodedProgram encoded;
  encoded.bytes = ProgramBytesFromUtf8(editor.text, source_, progress_, &encoded.look_alike_notice);
  co_return encoded;
}

Flow<> DocumentController::Close() {
  if (modified_) {
    const Reply reply = co_await Ask(kWarningCaptionFile, kWarningSave, QuestionButtons::kYesNoCancel);
    if (reply.answer != Answer::kYes && reply.answer != Answer::kNo) co_return;
    // Only a program that was really written lets the window close.
    if (reply.answer == Answer::kYes && !co_await SaveOrAsk()) co_return;
    given_up_ = reply.answer == Answer::kNo;
  }
  if (on_close_) on_close_();
  co_await Plain(RequestKind::kCloseWindow);
}

Flow<> DocumentController::Drop(std::vector<std::string> paths) {
  const DropRequest request = DropRequestFor(paths);
  if (request == DropRequest::kOneFileOnly) {
    co_await ShowNotice(kDropOneFile);
    co_return;
  }
  if (request == DropRequest::kOpenProgram) {
    // Unsaved changes are never thrown away unasked, as with 呼出.
    if (!co_await DiscardAllowed()) co_return;
    if (!co_await Load(paths.front())) co_return;
    co_await ShowCaption();
  }
  co_await Plain(RequestKind::kBringToFront);
}

Flow<> DocumentController::OpenAtStart(std::vector<std::string> arguments) {
  if (arguments.size() != 1 || !NamesProgramAtStart(arguments.front())) co_return;
  co_await Load(arguments.front());
}

Flow<> DocumentController::Restore(std::string text, std::string file_name, bool modified) {
  const Reply set = co_await WithText(RequestKind::kSetEditorText, std::move(text));
  if (set.answer != Answer::kDone) co_return;
  file_name_ = std::move(file_name);
  modified_ = modified;
  restored_ = modified;
  given_up_ = false;
  source_ = SourceLines();
  co_await ShowCaption();
}

Flow<> DocumentController::OpenShared(SharedLink link, std::string text) {
  // The message is chosen before any co_await: GCC 12 miscompiles a conditional
  // expression inside a co_await's operand.
  std::string_view refusal;
  if (link == SharedLink::kDamaged) refusal = kSharedLinkDamaged;
  if (link == SharedLink::kTooLong || static_cast<std::int64_t>(text.size()) > kMaxSharedProgramBytes) {
    refusal = kSharedLinkTooLong;
  }
  if (!refusal.empty()) {
    co_await ShowMessage(MessageKind::kError, kApplicationTitle, refusal);
    co_return;
  }
  if (!co_await DiscardAllowed()) co_return;
  co_await Restore(std::move(text), {}, true);
}

Flow<bool> DocumentController::Load(std::string path) {
  const std::optional<TextEncoding> encoding = co_await WithProgress(kLoadingProgram, ReadIntoEditor(path));
  if (!encoding) co_return false;
  file_name_ = std::move(path);
  restored_ = false;
  if (const std::string notice = ReadEncodingNotice(*encoding); !notice.empty()) co_await ShowNotice(notice);
  co_return true;
}

Flow<std::optional<TextEncoding>> DocumentController::ReadIntoEditor(std::string path) {
  Reply file = co_await ReadFile(path, kMaxProgramFileBytes);
  if (file.answer != Answer::kDone) throw KurovelError(CannotOpenMessage(path));
  if (static_cast<std::int64_t>(file.bytes.size()) > kMaxProgramFileBytes) throw KurovelError(std::string(kTextTooLarge));
  SourceLines source;
  TextEncoding encoding = TextEncoding::kShiftJis;
  std::string text = ProgramUtf8FromBytes(file.bytes, &encoding, &source, progress_);
  file = Reply();  // the bytes are no longer needed while the editor fills
  // A text the editor already holds is no change at all: the flag stays as it is.
  if (text != (co_await Plain(RequestKind::kGetEditorText)).text) {
    const Reply set = co_await WithText(RequestKind::kSetEditorText, std::move(text));
    if (set.answer == Answer::kCancel) co_return std::nullopt;
    if (set.answer != Answer::kDone) throw KurovelError(std::string(kOutOfMemory));
    modified_ = false;
  }
  source_ = std::move(source);
  co_return encoding;
}

}  // namespace kurovel
