#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTextCursor>

#include <string>
#include <utility>
#include <vector>

#include "ui/insertion_menu.h"

namespace kurovel {
namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

class InsertionMenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QGuiApplication::clipboard()->clear();
    Load("", 0, 0);
  }

  // Puts text in the editor, unmodified, with the selection from anchor to position.
  void Load(const QString& text, int anchor, int position) {
    editor.setPlainText(text);
    QTextCursor cursor = editor.textCursor();
    cursor.setPosition(anchor);
    cursor.setPosition(position, QTextCursor::KeepAnchor);
    editor.setTextCursor(cursor);
    editor.document()->setModified(false);
  }

  void Choose(const char* name) {
    auto* action = menu->PopupMenu1()->findChild<QAction*>(QString::fromLatin1(name));
    ASSERT_NE(action, nullptr) << name;
    action->trigger();
  }

  void Type(const QString& text, int key = 0) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(&editor, &press);
  }

  static QString Clipboard() { return QGuiApplication::clipboard()->text(); }

  QPlainTextEdit editor;
  std::vector<std::string> errors;
  InsertionMenu* menu = new InsertionMenu(&editor, [this](const std::string& m) { errors.push_back(m); });
};

// The inserted texts, with full-width blanks as typed by a user of the editor; the
// captions are the same without the blank.
const std::pair<const char*, const char*> kInsertionItems[] = {
    {"N3", "前へ　"},     {"N4", "後ろへ　"},   {"N5", "右へ　"},     {"N6", "左へ　"},     {"N7", "ペンをあげる　"},
    {"N8", "ぺんをさげる"}, {"N9", "くりかえし　"}, {"N10", "ここまで"},  {"N11", "けす"},     {"N12", "もとのむき"},
    {"N13", "もとのいち"}, {"N29", "いどう　"},   {"N14", "やじるし"},  {"N25", "ふやす　"}, {"N26", "へらす　"},
    {"N27", "かける　"},  {"N28", "わる　"},     {"N17", "変数１"},   {"N18", "変数２"},   {"N19", "変数３"},
    {"N20", "変数４"},    {"N21", "変数５"},     {"N22", "変数６"},   {"N23", "変数７"},   {"N24", "変数８"},
};

TEST_F(InsertionMenuTest, MenuOrderAndVariablesSubMenu) {
  auto names = [](const QMenu* m) {
    QStringList list;
    for (const QAction* action : m->actions()) list << action->objectName();
    return list;
  };
  EXPECT_EQ(names(menu->PopupMenu1()).join(' '), "N3 N4 N5 N6 N7 N8 N9 N10 N11 N12 N13 N29 N14 N16 copy1 Paste1");
  const auto* variables = menu->PopupMenu1()->findChild<QMenu*>("N16");
  ASSERT_NE(variables, nullptr);
  EXPECT_EQ(variables->title(), U("変数"));
  EXPECT_EQ(names(variables).join(' '), "N25 N26 N27 N28 N17 N18 N19 N20 N21 N22 N23 N24");
}

TEST_F(InsertionMenuTest, EachItemInsertsItsTextThroughTheClipboard) {
  for (const auto& [name, text] : kInsertionItems) {
    SCOPED_TRACE(name);
    Load("", 0, 0);
    Choose(name);
    const QString inserted = U(text);
    EXPECT_EQ(menu->PopupMenu1()->findChild<QAction*>(name)->text(), QString(inserted).remove(U("　")));
    EXPECT_EQ(editor.toPlainText(), inserted);
    EXPECT_EQ(editor.textCursor().position(), inserted.size());
    EXPECT_EQ(Clipboard(), inserted);
    EXPECT_TRUE(editor.document()->isModified());
    editor.undo();
    EXPECT_EQ(editor.toPlainText(), "");
  }
  EXPECT_TRUE(errors.empty());
}

TEST_F(InsertionMenuTest, ReplacesTheSelectionInOneUndoableEdit) {
  const struct {
    const char* before;
    int anchor, position;
    const char* item;
    const char* after;
    int caret;
  } cases[] = {
      {"abc", 0, 3, "N11", "けす", 2},              // whole text selected, no blank follows
      {"abc", 3, 0, "N10", "ここまで", 4},          // selection made backwards
      {"xabcx", 1, 4, "N3", "x前へ　x", 4},         // inner selection
      {"ab", 1, 1, "N24", "a変数８b", 4},           // caret only
      {"fd 1\nrt", 7, 7, "N9", "fd 1\nrtくりかえし　", 13},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.item);
    Load(U(c.before), c.anchor, c.position);
    Choose(c.item);
    EXPECT_EQ(editor.toPlainText(), U(c.after));
    EXPECT_EQ(editor.textCursor().position(), c.caret);
    EXPECT_FALSE(editor.textCursor().hasSelection());
    EXPECT_TRUE(editor.document()->isModified());
    editor.undo();
    EXPECT_EQ(editor.toPlainText(), U(c.before));
  }
}

TEST_F(InsertionMenuTest, WritingAProgramByMouseAndKeyboard) {
  Choose("N9");
  Type(U("３６"));
  Type("\r", Qt::Key_Return);
  Choose("N3");
  Type(U("１００"));
  EXPECT_EQ(editor.toPlainText(), U("くりかえし　３６\n前へ　１００"));
}

TEST_F(InsertionMenuTest, InsertionReplacesEveryClipboardFormatAndPasteRepeatsIt) {
  auto* earlier = new QMimeData;
  earlier->setText("earlier");
  earlier->setHtml("<b>earlier</b>");
  QGuiApplication::clipboard()->setMimeData(earlier);
  Choose("N25");
  EXPECT_FALSE(QGuiApplication::clipboard()->mimeData()->hasHtml());
  EXPECT_EQ(Clipboard(), U("ふやす　"));
  Choose("Paste1");
  EXPECT_EQ(editor.toPlainText(), U("ふやす　ふやす　"));
}

TEST_F(InsertionMenuTest, CopyTakesOnlyASelection) {
  QGuiApplication::clipboard()->setText("kept");
  Load("abcd", 2, 2);
  Choose("copy1");
  EXPECT_EQ(Clipboard(), "kept");
  Load("abcd", 1, 3);
  Choose("copy1");
  EXPECT_EQ(Clipboard(), "bc");
  EXPECT_FALSE(editor.document()->isModified());
}

TEST_F(InsertionMenuTest, BusyClipboardIsReportedAndNothingIsInserted) {
  menu->SetClipboardWriter([](const QString&) { return false; });
  Load("abc", 0, 3);
  Choose("N3");
  EXPECT_EQ(errors, std::vector<std::string>{"クリップボードを開くことができません"});
  EXPECT_EQ(editor.toPlainText(), "abc");
  EXPECT_FALSE(editor.document()->isModified());
  EXPECT_FALSE(editor.document()->isUndoAvailable());
}

TEST_F(InsertionMenuTest, RightClickOpensThePopupMenu) {
  editor.show();
  QContextMenuEvent right_click(QContextMenuEvent::Mouse, QPoint(5, 5), editor.viewport()->mapToGlobal(QPoint(5, 5)));
  QApplication::sendEvent(editor.viewport(), &right_click);
  EXPECT_TRUE(menu->PopupMenu1()->isVisible());
  menu->PopupMenu1()->close();
}

}  // namespace
}  // namespace kurovel
