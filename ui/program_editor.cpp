#include "ui/program_editor.h"

#include <QResizeEvent>
#include <QTextDocument>

namespace kurovel {

ProgramEditor::ProgramEditor(QWidget* parent) : QPlainTextEdit(parent) { setLineWrapMode(QPlainTextEdit::NoWrap); }

void ProgramEditor::resizeEvent(QResizeEvent* event) {
  const bool width_changed = event->oldSize().width() != event->size().width();
  if (!width_changed || lineWrapMode() != QPlainTextEdit::NoWrap || document()->blockCount() <= kFullLayoutLineLimit) {
    QPlainTextEdit::resizeEvent(event);
    return;
  }
  // The same resize as Qt sees it without a change of width: the scroll bars
  // follow the new size, and no line is laid out again.
  QResizeEvent same_width(event->size(), QSize(event->size().width(), event->oldSize().height()));
  QPlainTextEdit::resizeEvent(&same_width);
}

}  // namespace kurovel
