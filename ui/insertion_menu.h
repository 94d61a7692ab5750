#pragma once
// PopupMenu1, the editor's pop-up menu: items that insert ready-made command
// words at the caret (so that a program can be written by mouse), plus copy and
// paste. It replaces the editor's standard context menu.
//
// An insertion puts the word on the system clipboard as plain text, replacing
// whatever the clipboard held, and then pastes it: one undoable edit that
// replaces the selection and sets the editor's modified flag. When the clipboard
// cannot be used nothing is inserted and the error handler receives
// kClipboardUnavailable.
//
// The main window installs it once on its editor:
//   new InsertionMenu(editor, [this](const std::string& message) { /* error box */ });

#include <QObject>
#include <QString>

#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "controllers/insertion_items.h"

class QAbstractScrollArea;
class QMenu;

namespace kurovel {

class InsertionMenu : public QObject {
  Q_OBJECT

 public:
  // Receives the message (UTF-8) of an error the menu cannot handle itself.
  using ErrorHandler = std::function<void(const std::string& message)>;
  // Puts a text on the clipboard and reports whether the clipboard now holds it.
  using ClipboardWriter = std::function<bool(const QString& text)>;

  // Builds the menu and installs it on editor, whose child it becomes: a Qt text
  // editor with the slots paste() and copy() (QPlainTextEdit, QsciScintilla).
  // on_error must not be empty.
  InsertionMenu(QAbstractScrollArea* editor, ErrorHandler on_error);

  QMenu* PopupMenu1() const { return menu_; }

  // What every insertion item does. Throws KurovelError(kClipboardUnavailable)
  // without touching the editor when the clipboard cannot take the text.
  void InsertText(const QString& text);
  // Copies the selection; nothing happens when nothing is selected.
  void copy1Click();
  // Pastes the clipboard's text at the caret, replacing the selection.
  void Paste1Click();

  // Replaces the system clipboard access (tests simulate a busy clipboard).
  void SetClipboardWriter(ClipboardWriter writer) { write_clipboard_ = std::move(writer); }

 private:
  void InsertItemClick(std::string_view text);

  QAbstractScrollArea* editor_;
  ErrorHandler on_error_;
  ClipboardWriter write_clipboard_;
  QMenu* menu_ = nullptr;
};

}  // namespace kurovel
