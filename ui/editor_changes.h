#pragma once
// Tells the program document when the user has changed the editor's text: every
// change of the text, an undo or a redo included. The editor's own signal also
// fires for changes that are none of the user's: an input method's composition,
// which the editor shows in its document until it is committed or cancelled, and
// a text the window puts in itself.
//
// A change is what moves the editor's document away from its save point, which
// is set where the program counts as unchanged: the first edit, undo or redo
// after that. No text is copied or compared, so a keystroke costs the same in a
// program of ten lines or of ten million.

#include <QObject>
#include <functional>

namespace kurovel {

class ProgramEditor;

class EditorChangeWatcher : public QObject {
 public:
  // Becomes the editor's child. modified says whether the document already counts
  // the program as changed; changed is called for each change while it does not.
  EditorChangeWatcher(ProgramEditor* editor, std::function<bool()> modified, std::function<void()> changed);

  // The text the window puts into the editor is no change of the user's.
  void SetText(const std::function<void()>& set_text);
  // Takes the editor's text as unchanged, once the document's flag is clear.
  void Rebase();

 private:
  void NoteContents();

  ProgramEditor* editor_;
  std::function<bool()> modified_;
  std::function<void()> changed_;
  bool setting_ = false;
};

}  // namespace kurovel
