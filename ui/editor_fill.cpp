#include "ui/editor_fill.h"

#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <memory>

namespace kurovel {

namespace {

// Characters typed into the new document between two progress reports.
constexpr qsizetype kFillStepChars = qsizetype{1} << 18;

}  // namespace

void FillEditor(QPlainTextEdit& editor, const QString& text, const ProgressHook& progress) {
  auto document = std::make_unique<QTextDocument>();
  document->setDocumentLayout(new QPlainTextDocumentLayout(document.get()));
  document->setDefaultFont(editor.font());
  // Nothing to undo: the loaded text starts the history, as setPlainText does.
  document->setUndoRedoEnabled(false);
  QTextCursor cursor(document.get());
  for (qsizetype start = 0; start < text.size();) {
    qsizetype end = std::min(start + kFillStepChars, text.size());
    if (end < text.size() && text[end - 1].isHighSurrogate()) ++end;  // a pair stays whole
    cursor.insertText(text.sliced(start, end - start));
    start = end;
    if (progress) progress(start, text.size());
  }
  document->setUndoRedoEnabled(true);
  QTextDocument* filled = document.release();
  filled->setParent(&editor);  // the editor deletes its previous document, a child of its own
  editor.setDocument(filled);
}

}  // namespace kurovel
