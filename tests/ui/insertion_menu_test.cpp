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
#include <string_view>
#include <vector>

#include "ui/insertion_menu.h"

namespace kurovel {
namespace {

QString FromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

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

  void Choose(std::string_view name) {
    auto* action = menu->PopupMenu1()->findChild<QAction*>(FromUtf8(name));
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

QStringList ActionNames(const QMenu* menu) {
  QStringList names;
  for (const QAction* action : menu->actions()) names << action->objectName();
  return names;
}

TEST_F(InsertionMenuTest, MenuAndVariablesSubMenuFollowTheItemTable) {
  QStringList top, in_variables;
  const PopupMenuItem* sub_menu = nullptr;
  for (const PopupMenuItem& item : PopupMenuItems()) {
    (item.in_variables ? in_variables : top) << FromUtf8(item.name);
    if (item.kind == MenuItemKind::kSubMenu) sub_menu = &item;
    const auto* action = menu->PopupMenu1()->findChild<QAction*>(FromUtf8(item.name));
    ASSERT_NE(action, nullptr) << item.name;
    EXPECT_EQ(action->text(), FromUtf8(item.caption)) << item.name;
  }
  // Fixed counts catch an item lost from the table.
  EXPECT_EQ(top.size(), 16);
  EXPECT_EQ(in_variables.size(), 12);
  EXPECT_EQ(ActionNames(menu->PopupMenu1()), top);

  ASSERT_NE(sub_menu, nullptr);
  const auto* variables = menu->PopupMenu1()->findChild<QMenu*>(FromUtf8(sub_menu->name));
  ASSERT_NE(variables, nullptr);
  EXPECT_EQ(variables->title(), FromUtf8(sub_menu->caption));
  EXPECT_EQ(ActionNames(variables), in_variables);
}

// An item inserts its caption; a word that takes a value is followed by a
// full-width blank, so that the user can type the value straight away.
TEST_F(InsertionMenuTest, EachItemInsertsItsCaptionThroughTheClipboard) {
  int insertions = 0;
  int followed_by_blank = 0;
  for (const PopupMenuItem& item : PopupMenuItems()) {
    if (item.kind != MenuItemKind::kInsert) continue;
    SCOPED_TRACE(item.name);
    ++insertions;
    const QString caption = FromUtf8(item.caption);
    const QString inserted = FromUtf8(item.text);
    EXPECT_TRUE(inserted == caption || inserted == caption + QChar(0x3000)) << item.text;
    followed_by_blank += inserted != caption;

    Load("", 0, 0);
    Choose(item.name);
    EXPECT_EQ(editor.toPlainText(), inserted);
    EXPECT_EQ(editor.textCursor().position(), inserted.size());
    EXPECT_EQ(Clipboard(), inserted);
    EXPECT_TRUE(editor.document()->isModified());
    editor.undo();
    EXPECT_EQ(editor.toPlainText(), "");
  }
  EXPECT_EQ(insertions, 25);
  EXPECT_EQ(followed_by_blank, 11);
  EXPECT_TRUE(errors.empty());
}

// Every item inserts through InsertText, so one word stands for all of them here.
TEST_F(InsertionMenuTest, ReplacesTheSelectionInOneUndoableEdit) {
  const struct {
    const char* before;
    int anchor, position;
    const char* after;
    int caret;
  } cases[] = {
      {"abc", 0, 3, "前へ　", 3},              // whole text selected
      {"abc", 3, 0, "前へ　", 3},              // selection made backwards
      {"xabcx", 1, 4, "x前へ　x", 4},          // inner selection
      {"ab", 1, 1, "a前へ　b", 4},             // caret only
      {"fd 1\nrt", 7, 7, "fd 1\nrt前へ　", 10},  // end of a later line
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.after);
    Load(FromUtf8(c.before), c.anchor, c.position);
    menu->InsertText(FromUtf8("前へ　"));
    EXPECT_EQ(editor.toPlainText(), FromUtf8(c.after));
    EXPECT_EQ(editor.textCursor().position(), c.caret);
    EXPECT_FALSE(editor.textCursor().hasSelection());
    EXPECT_TRUE(editor.document()->isModified());
    editor.undo();
    EXPECT_EQ(editor.toPlainText(), FromUtf8(c.before));
  }
}

TEST_F(InsertionMenuTest, WritingAProgramByMouseAndKeyboard) {
  Choose("N9");
  Type(FromUtf8("３６"));
  Type("\r", Qt::Key_Return);
  Choose("N3");
  Type(FromUtf8("１００"));
  EXPECT_EQ(editor.toPlainText(), FromUtf8("くりかえし　３６\n前へ　１００"));
}

TEST_F(InsertionMenuTest, InsertionReplacesEveryClipboardFormatAndPasteRepeatsIt) {
  auto* earlier = new QMimeData;
  earlier->setText("earlier");
  earlier->setHtml("<b>earlier</b>");
  QGuiApplication::clipboard()->setMimeData(earlier);
  const QString inserted = FromUtf8("ふやす　");
  menu->InsertText(inserted);
  EXPECT_FALSE(QGuiApplication::clipboard()->mimeData()->hasHtml());
  EXPECT_EQ(Clipboard(), inserted);
  Choose("Paste1");
  EXPECT_EQ(editor.toPlainText(), inserted + inserted);
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
  EXPECT_EQ(errors, std::vector<std::string>{std::string(kClipboardUnavailable)});
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
