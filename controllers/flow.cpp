#include "controllers/flow.h"

#include "controllers/window_texts.h"
#include "files/file_progress_hook.h"
#include "language/errors.h"

namespace kurovel {

Request Ask(std::string_view caption, std::string_view text, QuestionButtons buttons) {
  Request request;
  request.kind = RequestKind::kAsk;
  request.caption = caption;
  request.text = text;
  request.buttons = buttons;
  return request;
}

Request ShowMessage(MessageKind kind, std::string_view caption, std::string_view text) {
  Request request;
  request.kind = RequestKind::kShowMessage;
  request.message = kind;
  request.caption = caption;
  request.text = text;
  return request;
}

Request ShowError(std::string_view message) {
  return ShowMessage(MessageKind::kError, kApplicationTitle, ErrorBoxText(message));
}

Request ShowNotice(std::string_view text) { return ShowMessage(MessageKind::kNotice, kApplicationTitle, text); }

Request ChooseFile(FileDialogKind dialog, std::string_view initial_name, std::string_view filter,
                   std::string_view default_extension) {
  Request request;
  request.kind = RequestKind::kChooseFile;
  request.dialog = dialog;
  request.text = initial_name;
  request.filter = filter;
  request.default_extension = default_extension;
  return request;
}

Request ReadFile(std::string_view path, std::int64_t max_bytes) {
  Request request;
  request.kind = RequestKind::kReadFile;
  request.text = path;
  request.max_bytes = max_bytes;
  return request;
}

Request WriteFile(std::string_view path, std::string bytes) {
  Request request;
  request.kind = RequestKind::kWriteFile;
  request.text = path;
  request.bytes = std::move(bytes);
  return request;
}

Request WithText(RequestKind kind, std::string text) {
  Request request;
  request.kind = kind;
  request.text = std::move(text);
  return request;
}

Request Plain(RequestKind kind) {
  Request request;
  request.kind = kind;
  return request;
}

Request FlowRunner::Start(Flow<> flow) {
  if (Busy()) return {};
  current_.emplace(std::move(flow));
  current_->Bind(&exchange_);
  return Resume(current_->handle());
}

Request FlowRunner::Answer(Reply reply) {
  if (!current_ || !exchange_.waiting) return {};
  exchange_.reply = std::move(reply);
  return Resume(std::exchange(exchange_.waiting, {}));
}

Request FlowRunner::Resume(coro::coroutine_handle<> handle) {
  exchange_.request.reset();
  // Runs flows until one waits for a request or the outermost has ended.
  while (handle) {
    exchange_.next = {};
    handle.resume();
    handle = std::exchange(exchange_.next, {});
  }
  if (exchange_.request) return std::move(*exchange_.request);
  // The flow has ended: an error it did not handle becomes the error box.
  const std::exception_ptr error = current_->handle().promise().error;
  current_.reset();
  if (!error) return {};
  try {
    std::rethrow_exception(error);
  } catch (const OperationCancelled&) {
    return {};
  } catch (const std::exception& failure) {
    return ShowError(ErrorMessageOf(failure));
  }
}

}  // namespace kurovel
