// The program editor: a load shows exactly the text, and a load that does not
// complete leaves the editor as the user left it; the text the window reads, the
// running line, the failed line, and the keys of Qt's own editors.

#include <gtest/gtest.h>

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QWidget>
#include <functional>
#include <new>
#include <string>

#include "ui/editor_changes.h"
#include "ui/editor_fill.h"
#include "ui/program_editor.h"

namespace kurovel {
namespace {

QString U(const std::string& utf8) { return QString::fromStdString(utf8); }

long Send(const ProgramEditor& editor, unsigned int message, unsigned long parameter = 0) {
  return editor.SendScintilla(message, parameter);
}

// A text whose step boundary falls inside `at_boundary`.
std::string AcrossAStep(const std::string& at_boundary) {
  return std::string(kFillStepBytes - 1, 'a') + at_boundary + "fd 1";
}

TEST(EditorFillTest, TheEditorShowsTheTextFromItsStartWithNothingToUndo) {
  struct Case {
    const char* label;
    std::string text;
  };
  const Case cases[] = {
      {"empty", ""},
      {"lines", "fd 1\nrt 1\n"},
      {"a character across a step stays whole", AcrossAStep("まえに\n")},
      {"a pair of surrogates across a step", AcrossAStep("\U0001F422\n")},
  };
  for (const Case& c : cases) {
    ProgramEditor editor;
    editor.setText(QStringLiteral("before\nthis"));
    editor.SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
    FillEditor(editor, c.text);
    EXPECT_EQ(editor.text(), U(c.text)) << c.label;
    EXPECT_EQ(editor.Utf8Text(), c.text) << c.label;
    EXPECT_EQ(Send(editor, QsciScintillaBase::SCI_GETCURRENTPOS), 0) << c.label;
    EXPECT_FALSE(editor.isUndoAvailable()) << c.label;
    EXPECT_FALSE(editor.isModified()) << c.label;
    editor.replaceSelectedText(QStringLiteral("bk 3\n"));  // the new document takes typing
    EXPECT_EQ(editor.Utf8Text(), "bk 3\n" + c.text) << c.label;
    EXPECT_TRUE(editor.isModified()) << c.label;
  }
}

// A cancel or a failed allocation during the load: the same document, text,
// caret, selection, scroll position, undo history and modified flag as before.
TEST(EditorFillTest, ALoadThatFailsLeavesTheEditorAsItWas) {
  struct Case {
    const char* label;
    std::function<void()> fail;
  };
  const Case cases[] = {
      {"cancelled", [] { throw OperationCancelled(); }},
      {"out of memory", [] { throw std::bad_alloc(); }},
  };
  for (const Case& c : cases) {
    ProgramEditor editor;
    editor.resize(150, 120);
    editor.show();
    std::string lines;
    for (int i = 0; i < 200; ++i) lines += "fd " + std::to_string(i) + "\n";
    FillEditor(editor, lines);
    editor.setSelection(120, 0, 120, 6);
    editor.replaceSelectedText(QStringLiteral("rt 5"));  // an edit to undo
    editor.setSelection(120, 0, 120, 4);
    const std::string text = editor.Utf8Text();
    const long document = Send(editor, QsciScintillaBase::SCI_GETDOCPOINTER);
    const long scrolled = Send(editor, QsciScintillaBase::SCI_GETFIRSTVISIBLELINE);
    ASSERT_GT(scrolled, 0);

    int reports = 0;
    const ProgressHook fail_at_the_second_step = [&](std::int64_t, std::int64_t) {
      if (++reports == 2) c.fail();
    };
    EXPECT_ANY_THROW(FillEditor(editor, std::string(3 * kFillStepBytes, '\n'), fail_at_the_second_step)) << c.label;

    EXPECT_EQ(reports, 2) << c.label;
    EXPECT_EQ(Send(editor, QsciScintillaBase::SCI_GETDOCPOINTER), document) << c.label;
    EXPECT_EQ(editor.Utf8Text(), text) << c.label;
    EXPECT_EQ(editor.selectedText(), QStringLiteral("rt 5")) << c.label;
    EXPECT_EQ(Send(editor, QsciScintillaBase::SCI_GETFIRSTVISIBLELINE), scrolled) << c.label;
    EXPECT_TRUE(editor.isModified()) << c.label;
    editor.undo();
    EXPECT_EQ(editor.text(120), QStringLiteral("fd 120\n")) << c.label;
  }
}

// The first change after the save point reaches the program; a composition only
// once it is committed; an undo after a save too.
TEST(EditorChangeWatcherTest, TellsTheProgramOfTheFirstChangeAfterItsSavePoint) {
  const auto compose = [](ProgramEditor& editor, const QString& preedit, const QString& commit) {
    QInputMethodEvent event(preedit, {});
    event.setCommitString(commit);
    QApplication::sendEvent(&editor, &event);
  };
  ProgramEditor editor;
  bool modified = false;
  int changes = 0;
  auto* watcher = new EditorChangeWatcher(&editor, [&] { return modified; }, [&] {
    modified = true;
    ++changes;
  });
  const std::string text = "fd 1\nrt 1\n";
  watcher->SetText([&] { FillEditor(editor, text); });
  watcher->Rebase();
  EXPECT_EQ(changes, 0);
  editor.SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
  compose(editor, QStringLiteral("まえ"), {});
  compose(editor, {}, {});  // cancelled
  EXPECT_EQ(changes, 0);
  compose(editor, QStringLiteral("まえ"), {});
  compose(editor, {}, QStringLiteral("まえ"));
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(editor.Utf8Text(), text + "まえ");
  modified = false;  // saved
  watcher->Rebase();
  editor.undo();
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(editor.Utf8Text(), text);
}

TEST(ProgramEditorTest, TheWindowReadsSeparatorsAndNoBreakSpacesAsPlainText) {
  struct Case {
    const char* shown;
    const char* read;
  };
  const Case cases[] = {
      {"fd 1\nrt 1", "fd 1\nrt 1"},
      {"fd\u00a01", "fd 1"},
      {"fd 1\u2028rt 1\u2029", "fd 1\nrt 1\n"},
      {"まえに\u3000１", "まえに\u3000１"},  // an ideographic space stays
  };
  for (const Case& c : cases) {
    ProgramEditor editor;
    FillEditor(editor, c.shown);
    EXPECT_EQ(editor.Utf8Text(), c.read) << c.shown;
  }
}

TEST(ProgramEditorTest, TheRunningLineIsLitOneAtATimeAndTheFailedLineSelected) {
  ProgramEditor editor;
  FillEditor(editor, "fd 10\nrepeat 2\nrt 90\nnext\n");
  EXPECT_EQ(editor.LitLine(), std::nullopt);
  for (const int line : {1, 2, 0}) {
    editor.LightLine(line);
    EXPECT_EQ(editor.LitLine(), line);
    int caret_line = -1, caret_index = -1;
    editor.getCursorPosition(&caret_line, &caret_index);
    EXPECT_EQ(caret_line, line);
  }
  editor.LightLine(7);  // past the end: nothing lit
  EXPECT_EQ(editor.LitLine(), std::nullopt);
  editor.LightLine(3);
  editor.LightLine(std::nullopt);
  EXPECT_EQ(editor.LitLine(), std::nullopt);

  editor.SelectLine(1);
  EXPECT_EQ(editor.selectedText(), QStringLiteral("repeat 2"));
  editor.SelectLine(9);  // no such line: the selection stays
  EXPECT_EQ(editor.selectedText(), QStringLiteral("repeat 2"));
}

// The keys of Qt's own text editors, and none of Scintilla's others.
TEST(ProgramEditorTest, KeysDoWhatTheyDoInQtsEditors) {
  const auto press = [](QWidget* target, QKeyCombination key, const QString& text = {}) {
    QKeyEvent event(QEvent::KeyPress, key.key(), key.keyboardModifiers(), text);
    QApplication::sendEvent(target, &event);
  };
  const auto standard = [](QKeySequence::StandardKey key) { return QKeySequence(key)[0]; };
  QWidget window;
  auto* box = new QLineEdit(&window);
  auto* editor = new ProgramEditor(&window);
  auto* after = new QLineEdit(&window);
  auto* layout = new QVBoxLayout(&window);
  for (QWidget* widget : {static_cast<QWidget*>(box), static_cast<QWidget*>(editor), static_cast<QWidget*>(after)}) {
    layout->addWidget(widget);
  }
  window.show();
  QApplication::setActiveWindow(&window);
  FillEditor(*editor, "fd 1\nrt 1");
  editor->setFocus();

  press(editor, QKeyCombination(Qt::Key_End));
  press(editor, QKeyCombination(Qt::Key_X), QStringLiteral("x"));
  EXPECT_EQ(editor->Utf8Text(), "fd 1x\nrt 1");
  press(editor, standard(QKeySequence::Undo));
  EXPECT_EQ(editor->Utf8Text(), "fd 1\nrt 1");
  press(editor, standard(QKeySequence::Redo));
  EXPECT_EQ(editor->Utf8Text(), "fd 1x\nrt 1");
  press(editor, QKeyCombination(Qt::Key_Return));
  EXPECT_EQ(editor->Utf8Text(), "fd 1x\n\nrt 1");  // Enter gives "\n"
  press(editor, QKeyCombination(Qt::ShiftModifier, Qt::Key_Backspace));
  EXPECT_EQ(editor->Utf8Text(), "fd 1x\nrt 1");
  press(editor, QKeyCombination(Qt::ControlModifier, Qt::Key_L));  // Scintilla's "cut the line": not here
  press(editor, QKeyCombination(Qt::ControlModifier, Qt::Key_D));  // nor "duplicate the line"
  EXPECT_EQ(editor->Utf8Text(), "fd 1x\nrt 1");
  press(editor, standard(QKeySequence::SelectAll));
  EXPECT_EQ(editor->selectedText(), QStringLiteral("fd 1x\nrt 1"));

  press(editor, QKeyCombination(Qt::Key_Tab));  // moves on instead of typing a tab
  EXPECT_EQ(editor->Utf8Text(), "fd 1x\nrt 1");
  EXPECT_TRUE(after->hasFocus());
}

}  // namespace
}  // namespace kurovel
