#include "ui/editor_fill.h"

#include <QAbstractTextDocumentLayout>
#include <QByteArray>
#include <QList>
#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QString>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <optional>
#include <utility>

#include "ui/program_editor.h"

namespace kurovel {

namespace {

// Where the next step ends: never inside a UTF-8 sequence, nor between the CR and
// the LF of one line break (the editor reads each of them alone as a break).
std::size_t StepEnd(std::string_view text, std::size_t start) {
  std::size_t end = std::min(start + kFillStepBytes, text.size());
  while (end < text.size() && end > start && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  if (end < text.size() && end > start && text[end - 1] == '\r' && text[end] == '\n') ++end;
  return end > start ? end : text.size();
}

// A cursor as positions, so that it can be set again in a document of the same text.
struct Span {
  explicit Span(const QTextCursor& cursor) : anchor(cursor.anchor()), position(cursor.position()) {}
  QTextCursor In(QTextDocument* document) const {
    QTextCursor cursor(document);
    cursor.setPosition(anchor);
    cursor.setPosition(position, QTextCursor::KeepAnchor);
    return cursor;
  }
  int anchor;
  int position;
};

// What the user saw of a program: the editor shows it like this again after a
// load that did not complete.
class EditorView {
 public:
  explicit EditorView(const QPlainTextEdit& editor)
      : caret_(editor.textCursor()),
        vertical_(editor.verticalScrollBar()->value()),
        horizontal_(editor.horizontalScrollBar()->value()) {
    for (const QTextEdit::ExtraSelection& selection : editor.extraSelections()) {
      lit_.append({Span(selection.cursor), selection.format});
    }
  }

  void RestoreTo(QPlainTextEdit& editor) const {
    QTextDocument* const document = editor.document();
    editor.setTextCursor(caret_.In(document));
    QList<QTextEdit::ExtraSelection> selections;
    for (const auto& [span, format] : lit_) selections.append({span.In(document), format});
    editor.setExtraSelections(selections);
    editor.verticalScrollBar()->setValue(vertical_);
    editor.horizontalScrollBar()->setValue(horizontal_);
  }

 private:
  Span caret_;
  QList<std::pair<Span, QTextCharFormat>> lit_;  // the running line
  int vertical_;
  int horizontal_;
};

// Gives the editor a new, empty document (a child of the editor) and returns it.
QTextDocument* ShowEmptyDocument(QPlainTextEdit& editor) {
  auto* document = new QTextDocument(&editor);
  document->setDocumentLayout(new QPlainTextDocumentLayout(document));
  document->setDefaultFont(editor.font());
  // Nothing to undo: the loaded text starts the history, as setPlainText does.
  document->setUndoRedoEnabled(false);
  editor.setDocument(document);
  // The layout follows the widest line it has measured, starting from the first
  // line. Measured now, while the only one, the first line costs nothing; measured
  // later and narrower than the editor, it would make the layout measure every line.
  document->documentLayout()->blockBoundingRect(document->firstBlock());
  return document;
}

void TypeText(QTextDocument& document, std::string_view text, const ProgressHook& progress) {
  QTextCursor cursor(&document);
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = StepEnd(text, start);
    cursor.insertText(QString::fromUtf8(text.data() + start, static_cast<qsizetype>(end - start)));
    start = end;
    if (progress) progress(static_cast<std::int64_t>(start), static_cast<std::int64_t>(text.size()));
  }
  document.setUndoRedoEnabled(true);
}

// A program too long to give back to the editor, kept as its text (UTF-8, line
// breaks as U+2029 as the document holds them) while another one loads.
struct KeptProgram {
  explicit KeptProgram(const QTextDocument& document)
      : text(document.toRawText().toUtf8()), modified(document.isModified()) {}
  QByteArray text;
  bool modified;
};

}  // namespace

void FillEditor(QPlainTextEdit& editor, std::string_view text, const ProgressHook& progress) {
  QTextDocument* previous = editor.document();
  const EditorView view(editor);
  std::optional<KeptProgram> kept;
  if (previous->blockCount() > kFullLayoutLineLimit) kept.emplace(*previous);
  // The editor deletes a document it made itself when given another one.
  previous->setParent(&editor);
  QTextDocument* const filled = ShowEmptyDocument(editor);
  if (kept) {
    delete previous;  // its memory goes to the new program
    previous = nullptr;
  }
  try {
    TypeText(*filled, text, progress);
  } catch (...) {
    if (kept) {
      QTextDocument* const restored = ShowEmptyDocument(editor);
      delete filled;
      TypeText(*restored, std::string_view(kept->text.constData(), static_cast<std::size_t>(kept->text.size())), {});
      restored->setModified(kept->modified);
    } else {
      editor.setDocument(previous);
      delete filled;
    }
    view.RestoreTo(editor);
    throw;
  }
  filled->setModified(false);
  editor.setTextCursor(QTextCursor(filled));  // the caret at the start, as after setPlainText
  delete previous;
}

}  // namespace kurovel
