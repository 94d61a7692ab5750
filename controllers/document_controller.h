#pragma once
// The program document: which file the editor shows, whether the program has
// changed since it was read or written, the window's caption, and the flows that
// open, start anew, save, drop and close, with their questions. The editor's text
// itself stays in the front end's editor; the flows ask for it and set it.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "controllers/flow.h"
#include "engine/turtle.h"
#include "files/file_progress_hook.h"
#include "files/pictures.h"
#include "files/program_text.h"

namespace kurovel {

// The program dialogs' filter and default extension.
inline constexpr std::string_view kProgramFilter = "Original Files|*.kv|All Files|*.*";
inline constexpr std::string_view kProgramExtension = "kv";

// What a front end made of a link that carries a program (the page's share links).
enum class SharedLink {
  kProgram,  // the program's text was read whole
  kDamaged,  // the link was cut short or altered: no text can be read from it
  kTooLong,  // the link, or the text it unpacks to, is longer than a link may hold
};

class DocumentController {
 public:
  // New program clears the drawing and forgets the background: turtle and pictures
  // are the session's. on_close runs when a close is granted, before the window is
  // asked to close (it stops a running program).
  DocumentController(Turtle& turtle, PictureState& pictures, std::function<void()> on_close = {});

  // 呼出 / 開く: asks before unsaved changes are lost, then the open dialog.
  Flow<> Open();
  // 新規作成: asks first; then an empty editor, no file, a white drawing area
  // without the background.
  Flow<> New();
  // 上書き保存: to the current file without a question, else as SaveAs.
  Flow<> Save();
  // 保存 / 名前を付けて保存: the save dialog, starting with the current name (or the
  // name last chosen in it).
  Flow<> SaveAs();
  // 終了 and every other request to close: asks whether to save unsaved changes. A
  // save that is cancelled or fails keeps the window and everything in it.
  Flow<> Close();
  // Files dropped on the window (full paths, or names where the front end has none).
  Flow<> Drop(std::vector<std::string> paths);
  // The program named on the command line, read before the first event; the
  // caption stays the title.
  Flow<> OpenAtStart(std::vector<std::string> arguments);
  // A program text from somewhere other than a file (a kept draft after a reload):
  // the editor shows it under that file name and with that modified flag, and the
  // caption says it has not been saved while it is modified.
  Flow<> Restore(std::string text, std::string file_name, bool modified);
  // A program from a shared link, which anyone may have made: after the question
  // that 呼出 asks before unsaved changes are lost, the editor shows its text as a
  // program not saved on this device (no file, modified, the caption says so).
  // Nothing runs. A damaged or too-long link (a text over kMaxSharedProgramBytes
  // included) is said in the error box and changes nothing.
  Flow<> OpenShared(SharedLink link, std::string text);

  // The user changed the editor's text (typing, pasting, undo, redo, a drop of text).
  void EditorChanged() {
    modified_ = true;
    given_up_ = false;
    ++edits_;
  }

  bool Modified() const { return modified_; }
  // True while the program has changes that are neither saved nor given up (いいえ
  // to the save question of a close): what a front end keeps as a draft, and
  // what leaving the window must ask about.
  bool HasUnsavedWork() const { return modified_ && !given_up_; }
  const std::string& FileName() const { return file_name_; }
  std::string Caption() const;

  // Hears how far reading or writing a long program has got, between the
  // kBeginProgress and kEndProgress requests; it may cancel by throwing
  // OperationCancelled.
  void SetProgressHook(ProgressHook hook) { progress_ = std::move(hook); }

 private:
  Flow<bool> DiscardAllowed();
  Flow<bool> SaveOrAsk();
  Flow<bool> SaveThroughDialog();
  Flow<bool> SaveTo(std::string path);
  struct EncodedProgram {
    std::string bytes;
    std::string look_alike_notice;  // empty when the file holds just what the editor shows
  };
  Flow<EncodedProgram> EncodeEditorText();
  // Reads path into the editor and makes it the current file; false when the user
  // cancelled. A file that cannot be read throws, and changes nothing.
  Flow<bool> Load(std::string path);
  // How the file was read, or nothing when the user cancelled.
  Flow<std::optional<TextEncoding>> ReadIntoEditor(std::string path);
  Flow<> ShowCaption();

  Turtle& turtle_;
  PictureState& pictures_;
  std::function<void()> on_close_;
  ProgressHook progress_;

  std::string file_name_;        // the current file; empty: none
  bool modified_ = false;
  std::uint64_t edits_ = 0;      // changes the user has made, counted
  bool restored_ = false;        // the text came from a kept draft, not from a file
  bool given_up_ = false;        // the changes were given up at a close
  SourceLines source_;           // the lines of the file last read or written
  std::string save_dialog_name_; // the name last chosen in the save dialog
};

}  // namespace kurovel
