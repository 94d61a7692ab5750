// Filling the program editor: the text exactly as given, whatever falls on the
// boundary of a step; one document at a time; and a load that does not complete
// leaves the editor as the user left it.

#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QPointer>
#include <QStringList>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <functional>
#include <new>
#include <string>

#include "ui/editor_fill.h"
#include "ui/program_editor.h"

namespace kurovel {
namespace {

QString U(const std::string& utf8) { return QString::fromStdString(utf8); }

// A text whose step boundary falls just before `at_boundary`.
std::string AcrossAStep(const std::string& at_boundary) {
  return std::string(kFillStepBytes - 1, 'a') + at_boundary + "fd 1";
}

TEST(EditorFillTest, TheEditorShowsTheTextWithTheCaretAtTheStartAndNothingToUndo) {
  struct Case {
    const char* label;
    std::string text;
    QString shown;  // what the editor gives back
  };
  const Case cases[] = {
      {"empty", "", ""},
      {"lines", "fd 1\nrt 1\n", "fd 1\nrt 1\n"},
      {"CR LF across a step stays one break", AcrossAStep("\r\n"), U(AcrossAStep("\n"))},
      {"a character across a step stays whole", AcrossAStep("まえに\n"), U(AcrossAStep("まえに\n"))},
      {"a pair of surrogates across a step", AcrossAStep("\U0001F422\n"), U(AcrossAStep("\U0001F422\n"))},
  };
  for (const Case& c : cases) {
    ProgramEditor editor;
    editor.setPlainText(QStringLiteral("before\nthis"));
    editor.moveCursor(QTextCursor::End);
    FillEditor(editor, c.text);
    EXPECT_EQ(editor.toPlainText(), c.shown) << c.label;
    EXPECT_EQ(editor.textCursor().position(), 0) << c.label;
    EXPECT_FALSE(editor.document()->isUndoAvailable()) << c.label;
    EXPECT_FALSE(editor.document()->isModified()) << c.label;
  }
}

// Earlier programs are not kept: each load deletes the document it replaces.
TEST(EditorFillTest, EachLoadDeletesThePreviousDocument) {
  ProgramEditor editor;
  std::vector<QPointer<QTextDocument>> documents{editor.document()};
  for (const char* text : {"fd 1", "rt 1\nfd 2", ""}) {
    FillEditor(editor, text);
    documents.push_back(editor.document());
  }
  for (std::size_t i = 0; i + 1 < documents.size(); ++i) EXPECT_TRUE(documents[i].isNull()) << i;
  EXPECT_EQ(editor.findChildren<QTextDocument*>().size(), 1);
  editor.insertPlainText(QStringLiteral("bk 3"));  // the last one takes typing
  EXPECT_EQ(editor.toPlainText(), QStringLiteral("bk 3"));
}

// A cancel or a failed allocation during the load: the same text, caret,
// selection, scroll position and modified flag as before; a program short enough
// comes back as the same document, with its undo history.
TEST(EditorFillTest, ALoadThatFailsLeavesTheEditorAsItWas) {
  struct Case {
    const char* label;
    int lines;  // of the program in the editor
    std::function<void()> fail;
  };
  const auto cancel = [] { throw OperationCancelled(); };
  const auto run_out_of_memory = [] { throw std::bad_alloc(); };
  const Case cases[] = {
      {"cancelled", 200, cancel},
      {"out of memory", 200, run_out_of_memory},
      {"cancelled, a long program", kFullLayoutLineLimit + 1, cancel},
      {"out of memory, a long program", kFullLayoutLineLimit + 1, run_out_of_memory},
  };
  std::string three_steps;
  while (three_steps.size() < 3 * kFillStepBytes) three_steps += std::string(63, 'a') + '\n';
  for (const Case& c : cases) {
    const bool same_document = c.lines <= kFullLayoutLineLimit;
    ProgramEditor editor;
    editor.resize(150, 120);
    editor.show();
    QStringList lines;
    for (int i = 0; i < c.lines; ++i) lines << QStringLiteral("fd %1").arg(i);
    lines[7] = QStringLiteral("rt\u00a05\u2028fd 5");  // kept as they are, not as plain text
    editor.setPlainText(lines.join(QLatin1Char('\n')));
    QTextCursor selection(editor.document()->findBlockByNumber(120));
    selection.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    editor.setTextCursor(selection);
    editor.insertPlainText(QStringLiteral("rt 5"));  // an edit to undo
    selection.movePosition(QTextCursor::StartOfBlock, QTextCursor::KeepAnchor);
    editor.setTextCursor(selection);
    const QString text = editor.document()->toRawText();
    const int scrolled = editor.verticalScrollBar()->value();
    ASSERT_GT(scrolled, 0);
    QTextDocument* const document = editor.document();

    int reports = 0;
    const ProgressHook fail_at_the_second_step = [&](std::int64_t, std::int64_t) {
      if (++reports == 2) c.fail();
    };
    EXPECT_ANY_THROW(FillEditor(editor, three_steps, fail_at_the_second_step)) << c.label;

    EXPECT_EQ(reports, 2) << c.label;
    EXPECT_EQ(editor.document() == document, same_document) << c.label;
    EXPECT_EQ(editor.findChildren<QTextDocument*>().size(), 1) << c.label;
    EXPECT_EQ(editor.document()->toRawText(), text) << c.label;
    EXPECT_EQ(editor.textCursor().selectedText(), QStringLiteral("rt 5")) << c.label;
    EXPECT_EQ(editor.textCursor().block().blockNumber(), 120) << c.label;
    EXPECT_EQ(editor.verticalScrollBar()->value(), scrolled) << c.label;
    EXPECT_TRUE(editor.document()->isModified()) << c.label;
    if (same_document) {
      editor.undo();
      EXPECT_EQ(editor.document()->findBlockByNumber(120).text(), QStringLiteral("fd 120")) << c.label;
    }
  }
}

}  // namespace
}  // namespace kurovel
