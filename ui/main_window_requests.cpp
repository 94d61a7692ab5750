// The main window answers the requests of the controllers' flows at once: boxes
// and file dialogs are modal, files are read and written on the spot.

#include <QByteArrayView>
#include <new>

#include "controllers/window_texts.h"
#include "files/file_progress_hook.h"
#include "files/file_replace.h"
#include "files/program_file.h"
#include "ui/dialogs.h"
#include "ui/editor_changes.h"
#include "ui/editor_fill.h"
#include "ui/file_progress.h"
#include "ui/main_window.h"
#include "ui/program_editor.h"

namespace kurovel {

namespace {

QString Text(std::string_view utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

}  // namespace

Reply MainWindow::Perform(const Request& request) {
  Reply reply;
  switch (request.kind) {
    case RequestKind::kAsk:
      if (request.buttons == QuestionButtons::kOkCancel) {
        reply.answer = AskOkCancel(this, Text(request.caption), Text(request.text)) ? Answer::kOk : Answer::kCancel;
      } else {
        reply.answer = AskYesNoCancel(this, Text(request.caption), Text(request.text));
      }
      break;
    case RequestKind::kShowMessage:
      ShowBox(request.message, request.caption, request.text);
      break;
    case RequestKind::kChooseFile:
      reply.text = ChooseFile(request).toStdString();
      if (reply.text.empty()) reply.answer = Answer::kCancel;
      break;
    case RequestKind::kReadFile:
      reply = ReadFile(request);
      break;
    case RequestKind::kWriteFile:
      if (!ReplaceFileContents(Text(request.text), QByteArrayView(request.bytes.data(), static_cast<qsizetype>(request.bytes.size())))) {
        reply.answer = Answer::kFailed;
      }
      break;
    case RequestKind::kGetEditorText:
      reply.text = editor_->Utf8Text();
      break;
    case RequestKind::kSetEditorText:
      reply = SetEditorText(request.text);
      break;
    case RequestKind::kShowCaption:
      setWindowTitle(Text(request.text));
      break;
    case RequestKind::kBeginProgress:
      progress_ = std::make_unique<FileProgress>(this, Text(request.text));
      window_.document.SetProgressHook(progress_->Hook());
      break;
    case RequestKind::kEndProgress:
      window_.document.SetProgressHook({});
      progress_.reset();
      break;
    case RequestKind::kBringToFront:
      raise();
      activateWindow();
      break;
    case RequestKind::kCloseWindow:
      close_granted_ = true;  // closeEvent and Guarded close the window
      break;
    case RequestKind::kNone:
      break;
  }
  return reply;
}

Reply MainWindow::ReadFile(const Request& request) {
  Reply reply;
  if (std::optional<std::string> bytes = ReadFileHead(Text(request.text), request.max_bytes)) {
    reply.bytes = std::move(*bytes);
  } else {
    reply.answer = Answer::kFailed;
  }
  return reply;
}

Reply MainWindow::SetEditorText(const std::string& text) {
  Reply reply;
  try {
    const ProgressHook progress = progress_ ? progress_->Hook() : ProgressHook();
    editor_changes_->SetText([&] { FillEditor(*editor_, text, progress); });
  } catch (const OperationCancelled&) {
    reply.answer = Answer::kCancel;
  } catch (const std::bad_alloc&) {
    reply.answer = Answer::kFailed;
  }
  return reply;
}

QString MainWindow::ChooseFile(const Request& request) {
  const bool save = request.dialog == FileDialogKind::kSaveProgram || request.dialog == FileDialogKind::kSavePicture;
  const bool picture = request.dialog == FileDialogKind::kOpenPicture || request.dialog == FileDialogKind::kSavePicture;
  return RunFileDialog(this, {save, QtNameFilters(request.filter), Text(request.default_extension), Text(request.text),
                              picture});
}

void MainWindow::ShowBox(MessageKind kind, std::string_view caption, std::string_view text) {
  FlushDrawing();  // the box shows over what was drawn up to now
  switch (kind) {
    case MessageKind::kError:
      ShowErrorBox(this, Text(text));
      break;
    case MessageKind::kWarning:
      kurovel::ShowMessage(this, Text(caption), Text(text));
      break;
    case MessageKind::kNotice:
      ShowNotice(this, Text(text));
      break;
  }
}

}  // namespace kurovel
