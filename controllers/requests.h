#pragma once
// What a controller asks of its front end, and the front end's reply. A flow
// (controllers/flow.h) hands one request at a time to its front end: the desktop
// answers it at once, the page after an await in JavaScript.

#include <cstdint>
#include <string>
#include <string_view>

namespace kurovel {

enum class RequestKind {
  kNone,            // nothing more: the flow has ended
  kAsk,             // a question box (caption, text, buttons); reply: the button chosen
  kShowMessage,     // a box with one OK button (message kind, caption, text)
  kChooseFile,      // a file dialog (dialog kind, text: the name it starts with, filter,
                    // default extension); reply: the chosen path in text, or kCancel
  kReadFile,        // text: the path; reply: its first max_bytes + 1 bytes, or kFailed
  kWriteFile,       // text: the path, bytes: the whole file; reply: kDone, or kFailed
  kGetEditorText,   // reply: the editor's text in text (UTF-8, "\n" between lines)
  kSetEditorText,   // text: the editor's new text, which starts a new undo history;
                    // reply: kDone, kCancel (its progress was cancelled) or kFailed
                    // (out of memory); the editor keeps its text unless kDone
  kShowCaption,     // text: the window's caption
  kBeginProgress,   // text: what a long operation does; its progress follows
  kEndProgress,     // the long operation has ended
  kBringToFront,    // the window comes to the front
  kCloseWindow,     // the window closes (the run has been stopped)
};

enum class QuestionButtons { kOkCancel, kYesNoCancel };

enum class MessageKind {
  kError,    // the error box: caption "Kurovel", error icon
  kWarning,  // a box without icon and its own caption
  kNotice,   // a box without icon, captioned with the application title
};

enum class FileDialogKind { kOpenProgram, kSaveProgram, kOpenPicture, kSavePicture };

struct Request {
  RequestKind kind = RequestKind::kNone;
  std::string caption;
  std::string text;
  std::string bytes;
  QuestionButtons buttons = QuestionButtons::kOkCancel;
  MessageKind message = MessageKind::kError;
  FileDialogKind dialog = FileDialogKind::kOpenProgram;
  std::string filter;             // "text|patterns|text|patterns", patterns separated by ";"
  std::string default_extension;  // appended to a name typed without one
  std::int64_t max_bytes = 0;

  explicit operator bool() const { return kind != RequestKind::kNone; }
};

enum class Answer { kDone, kOk, kCancel, kYes, kNo, kFailed };

struct Reply {
  Answer answer = Answer::kDone;
  std::string text;   // a chosen path, the editor's text
  std::string bytes;  // a file's bytes
};

// The requests as the flows make them.
Request Ask(std::string_view caption, std::string_view text, QuestionButtons buttons);
Request ShowMessage(MessageKind kind, std::string_view caption, std::string_view text);
// The error box; text is the message before the "." rule.
Request ShowError(std::string_view message);
Request ShowNotice(std::string_view text);
Request ChooseFile(FileDialogKind dialog, std::string_view initial_name, std::string_view filter,
                   std::string_view default_extension);
Request ReadFile(std::string_view path, std::int64_t max_bytes);
Request WriteFile(std::string_view path, std::string bytes);
Request WithText(RequestKind kind, std::string text);
Request Plain(RequestKind kind);

}  // namespace kurovel
