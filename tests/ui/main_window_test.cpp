#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QInputMethodEvent>
#include <QKeySequence>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QUrl>
#include <memory>

#include "controllers/insertion_items.h"
#include "engine/arrow.h"
#include "engine/color.h"
#include "main_window_fixture.h"
#include "modal_script.h"
#include "tests/files/files_test_support.h"
#include "ui/dialogs.h"
#include "ui/file_progress.h"
#include "ui/help_window.h"
#include "ui/main_window.h"

namespace kurovel {
namespace {

using testing::ModalScript;
using testing::U;

QStringList Sorted(QStringList texts) {
  texts.sort();
  return texts;
}

class MainWindowTest : public testing::MainWindowFixture {
 protected:
  QPushButton* Button(const char* name) const { return Find<QPushButton>(name); }
  // A change as the user makes it: the modified flag goes up.
  void Type(const QString& text) const { Editor()->replaceSelectedText(text); }
  void EnterCommand(const QString& text) const {
    QLineEdit* box = Find<QLineEdit>("Edit1");
    box->clear();
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(box, &commit);
    PressEnter();
  }
  void PressEnter() const {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(Find<QLineEdit>("Edit1"), &press);
  }
  // Enters target, moves over it and drops there; says whether the drag was taken.
  // A move starts with the answer to the enter, as in Qt's own dispatch.
  static bool DragAndDrop(QWidget* target, const QMimeData& data) {
    const QPoint at(10, 10);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted()) return false;
    QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    move.setAccepted(true);
    QApplication::sendEvent(target, &move);
    if (!move.isAccepted()) return false;
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted();
  }
  static std::unique_ptr<QMimeData> Files(const QStringList& paths) {
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
    data->setUrls(urls);
    return data;
  }
  void Drop(const QStringList& paths) const { ASSERT_TRUE(DragAndDrop(form_.get(), *Files(paths))); }
  static QStringList TextsShown(const ModalScript& script) {
    QStringList texts;
    for (const testing::SeenModal& seen : script.seen) texts << seen.text;
    return texts;
  }
  QString Path(const char* name) const { return dir_.filePath(QString::fromUtf8(name)); }
  QString ProgramFile(const char* name, const std::string& bytes) const {
    test::WriteBytes(Path(name), bytes);
    return Path(name);
  }
  const TurtleState& Turtle() const { return form_->GetSession().turtle.State(); }
  // Pixels that are not white, inside and outside the arrow's 41 x 41 box around the turtle.
  std::pair<int, int> InkAroundTurtle() const {
    const RasterSurface& surface = form_->Surface();
    int inside = 0;
    int outside = 0;
    for (int y = 0; y < surface.Height(); ++y) {
      for (int x = 0; x < surface.Width(); ++x) {
        if (surface.PixelAt(x, y) == clWhite) continue;
        const bool near = std::abs(x - Turtle().x) <= 20 && std::abs(y - Turtle().y) <= 20;
        ++(near ? inside : outside);
      }
    }
    return {inside, outside};
  }

  QTemporaryDir dir_;
};

TEST_F(MainWindowTest, StartsWithTheDocumentedState) {
  Start();
  EXPECT_EQ(form_->windowTitle(), U("Kurovel Ver1.60 Taverin"));
  EXPECT_TRUE(Editor()->text().isEmpty());
  EXPECT_TRUE(Button("Button6")->isEnabled());
  EXPECT_FALSE(Button("Button7")->isEnabled());
  // The black caption is for usable buttons only: a disabled one is drawn grey.
  for (const char* name : {"Button6", "Button7"}) {
    const QPalette palette = Button(name)->palette();
    EXPECT_EQ(palette.color(QPalette::Active, QPalette::ButtonText), QColor(Qt::black)) << name;
    EXPECT_NE(palette.color(QPalette::Disabled, QPalette::ButtonText), QColor(Qt::black)) << name;
  }
  EXPECT_EQ(Point({Turtle().x, Turtle().y}), SurfaceCenter(form_->Surface()));
  EXPECT_EQ(Turtle().heading, 0);
  EXPECT_EQ(Turtle().pen_down, true);
  EXPECT_EQ(form_->Surface().GetPenColor(), clBlue);
  const auto [inside, outside] = InkAroundTurtle();
  EXPECT_GT(inside, 20);  // the arrow, and nothing else
  EXPECT_EQ(outside, 0);

  // Focus starts in the command box; Tab follows the panel's order, out of the
  // editor too, and skips the disabled Stop button.
  const char* order[] = {"Edit1", "Memo1", "Button1", "Button6", "Button2", "Button3", "Button5", "Button4", "Edit1"};
  for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
    ASSERT_EQ(QApplication::focusWidget(), Find<QWidget>(order[i]));
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QApplication::sendEvent(QApplication::focusWidget(), &tab);
  }
  EXPECT_EQ(QApplication::focusWidget(), Find<QWidget>("Edit1"));

  // The help window is made at start, hidden; "使い方" shows it, and it ends with the main window.
  auto* help = form_->findChild<HelpWindow*>();
  ASSERT_NE(help, nullptr);
  EXPECT_FALSE(help->isVisible());
  Button("Button5")->click();
  EXPECT_TRUE(help->isVisible());
  EXPECT_TRUE(form_->close());
  EXPECT_FALSE(help->isVisible());
}

TEST_F(MainWindowTest, ExposeKeepsTheDrawingWhileResizeWipesItAndMovesTheControls) {
  Start();
  QWidget* paint_box = Find<QWidget>("PaintBox1");
  const QRect editor = Editor()->geometry();
  const QRect clear_button = Button("Button4")->geometry();
  const int paint_width = paint_box->width();
  EXPECT_EQ(clear_button.y() - editor.bottom() - 1, 5);
  EXPECT_EQ(Button("Button5")->y() - clear_button.y(), 25);

  EnterCommand(U("pd 2"));
  EnterCommand(U("fd 100"));
  paint_box->repaint();  // an expose: the platform asks for the pixels again
  Settle();
  EXPECT_EQ(paint_box->grab().toImage().pixel(Turtle().x, Turtle().y + 50), qRgb(255, 0, 0));

  form_->resize(form_->width() + 100, form_->height() + 100);
  Settle();
  EXPECT_EQ(Editor()->height(), editor.height() + 100);
  EXPECT_EQ(Button("Button4")->y(), clear_button.y() + 100);
  EXPECT_EQ(Button("Button5")->y(), clear_button.y() + 125);
  EXPECT_EQ(paint_box->width(), paint_width + 100);
  EXPECT_EQ(Find<QWidget>("Panel1")->width(), 250);
  EXPECT_EQ(Find<QWidget>("Panel1")->geometry().right(), Find<QWidget>("ClientArea")->width() - 1);
  EXPECT_EQ(form_->Surface().Width(), paint_box->width());
  const Point centre = SurfaceCenter(form_->Surface());
  EXPECT_EQ(Point({Turtle().x, Turtle().y}), centre);
  EXPECT_EQ(Turtle().heading, 0);
  EXPECT_EQ(InkAroundTurtle().second, 0);  // the red line is gone
  EnterCommand(U("fd 50"));
  EXPECT_EQ(form_->Surface().PixelAt(centre.x, centre.y - 10), clBlue);

  EnterCommand(U("pu"));
  form_->resize(form_->width() - 40, form_->height());
  Settle();
  EXPECT_EQ(InkAroundTurtle().second, 0);  // white even with the pen up
  EXPECT_NE(Turtle().pen_down, true);
}

TEST_F(MainWindowTest, CommandBoxRunsItsLineOnEveryEnterAndKeepsTheText) {
  Start();
  const int start_y = Turtle().y;
  EnterCommand(U("まえに　１００"));
  PressEnter();
  EXPECT_EQ(Turtle().y, start_y - 200);
  EXPECT_EQ(Find<QLineEdit>("Edit1")->text(), U("まえに　１００"));

  ModalScript script({ModalScript::Press(QMessageBox::Ok)});
  EnterCommand(U("div var1 0"));
  ASSERT_EQ(script.seen.size(), 1u);
  EXPECT_EQ(script.seen[0].caption, U("Kurovel"));
  EXPECT_EQ(script.seen[0].text, U("0 による浮動小数点数除算."));
  EXPECT_TRUE(script.seen[0].critical);
  EXPECT_EQ(script.seen[0].buttons, QStringList{U("OK")});
  EXPECT_EQ(Find<QLineEdit>("Edit1")->text(), U("div var1 0"));
}

TEST_F(MainWindowTest, RunDrawsAndAnErrorReturnsTheButtonsToIdle) {
  Start();
  Editor()->setText(U("repeat 4\nfd 100\nrt 90\nnext\nrepeat abc\nfd 5\nnext"));
  ModalScript script({ModalScript::Press(QMessageBox::Ok)});
  Button("Button6")->click();
  ASSERT_EQ(script.seen.size(), 1u);
  EXPECT_EQ(script.seen[0].text, U("'abc' は整数ではありません."));
  EXPECT_EQ(Turtle().heading, 360);  // the square ran before the error
  EXPECT_TRUE(Button("Button6")->isEnabled());
  EXPECT_FALSE(Button("Button7")->isEnabled());
  EXPECT_FALSE(form_->Runner().Running());
}

TEST_F(MainWindowTest, StopOrAGrantedCloseEndsARunningProgramAtTheNextLine) {
  Start({ProgramFile("spin.kv", "repeat 100000000\r\nfd 1\r\nrt 1\r\nnext")});  // loaded: close asks nothing
  // Stop once the turtle has turned, however long a busy machine takes to get there.
  QTimer stopper;
  QObject::connect(&stopper, &QTimer::timeout, [&] {
    if (Turtle().heading == 0) return;
    stopper.stop();
    EXPECT_FALSE(Button("Button6")->isEnabled());
    EXPECT_TRUE(Button("Button7")->isEnabled());
    Button("Button7")->click();
  });
  stopper.start(5);
  Button("Button6")->click();  // returns once the run has stopped
  EXPECT_FALSE(form_->Runner().RunEnabled());
  EXPECT_TRUE(Button("Button6")->isEnabled());
  EXPECT_FALSE(Button("Button7")->isEnabled());
  EXPECT_GT(Turtle().heading, 0);

  // Run again: a close granted meanwhile stops the run and takes effect once it unwinds.
  bool closed_at_once = true;
  QTimer::singleShot(50, [&] { closed_at_once = form_->close(); });
  Button("Button6")->click();
  EXPECT_FALSE(closed_at_once);  // the run was still on the stack
  EXPECT_FALSE(form_->Runner().RunEnabled());
  EXPECT_FALSE(form_->isVisible());
}

TEST_F(MainWindowTest, DropLoadsOneProgramFileAndAsksBeforeDiscardingChanges) {
  Start();
  const QString program = ProgramFile("a.KV", "fd 10\r\nrt 90");
  Drop({program});
  EXPECT_EQ(Editor()->text(), U("fd 10\nrt 90"));
  EXPECT_EQ(form_->windowTitle(), U("Kurovel Ver1.60 Taverin ") + program);
  EXPECT_EQ(form_->CurrentFileName(), program);

  Drop({ProgramFile("notes.txt", "bk 5")});  // ignored
  EXPECT_EQ(Editor()->text(), U("fd 10\nrt 90"));
  {
    ModalScript script({ModalScript::Press(QMessageBox::Ok)});
    Drop({program, Path("b.kv")});
    ASSERT_EQ(script.seen.size(), 1u);
    EXPECT_EQ(script.seen[0].caption, U("Kurovel"));
    EXPECT_EQ(script.seen[0].text, U("ドロップするファイルは1つにしてください。"));
  }
  Type(U("pu\n"));
  const QString other = ProgramFile("b.kv", "lt 45");
  {
    ModalScript script({ModalScript::Press(QMessageBox::Cancel)});
    Drop({other});
    ASSERT_EQ(script.seen.size(), 1u);
    EXPECT_EQ(script.seen[0].text, U("プログラムが変更されています。よろしいですか？"));
    EXPECT_EQ(Editor()->text(), U("pu\nfd 10\nrt 90"));
    EXPECT_TRUE(form_->EditorModified());
    EXPECT_EQ(form_->CurrentFileName(), program);
  }
  ModalScript script({ModalScript::Press(QMessageBox::Ok)});
  Drop({other});
  EXPECT_EQ(Editor()->text(), U("lt 45"));
  EXPECT_FALSE(form_->EditorModified());
  EXPECT_EQ(form_->CurrentFileName(), other);
}

// The editor and the command box would paste a file's URL in as text; a file
// dragged onto them follows the same rules as anywhere else in the window.
TEST_F(MainWindowTest, FilesDroppedOnTheTextBoxesFollowTheDropRules) {
  const QString program = ProgramFile("a.kv", "fd 10\r\nrt 90");
  const QString notes = ProgramFile("notes.txt", "bk 5");
  const QString kNotice = U("ドロップするファイルは1つにしてください。");
  const QString kQuestion = U("プログラムが変更されています。よろしいですか？");
  struct Case {
    const char* label;
    QString typed;  // into the editor before the drop
    QStringList files;
    std::vector<ModalScript::Step> answers;
    QStringList asked;  // the texts of the boxes shown
    QString editor_after;
    bool opened;
  };
  const Case cases[] = {
      {"one program opens", {}, {program}, {}, {}, U("fd 10\nrt 90"), true},
      {"two files give the notice", {}, {program, notes}, {ModalScript::Press(QMessageBox::Ok)}, {kNotice}, {}, false},
      {"another file is ignored", {}, {notes}, {}, {}, {}, false},
      {"a changed program is kept on Cancel", U("pu"), {program}, {ModalScript::Press(QMessageBox::Cancel)},
       {kQuestion}, U("pu"), false},
      {"a changed program is replaced on OK", U("pu"), {program}, {ModalScript::Press(QMessageBox::Ok)}, {kQuestion},
       U("fd 10\nrt 90"), true},
  };
  const char* const targets[] = {"Memo1", "Edit1"};
  for (const char* target_name : targets) {
    for (const Case& c : cases) {
      const std::string label = std::string(target_name) + ": " + c.label;
      Start();
      Type(c.typed);
      QWidget* target = target_name == std::string("Memo1") ? Editor()->viewport() : Find<QWidget>(target_name);
      ModalScript script(c.answers);
      EXPECT_TRUE(DragAndDrop(target, *Files(c.files))) << label;
      EXPECT_EQ(TextsShown(script), c.asked) << label;
      EXPECT_EQ(Editor()->text(), c.editor_after) << label;
      EXPECT_TRUE(Find<QLineEdit>("Edit1")->text().isEmpty()) << label;
      EXPECT_EQ(form_->CurrentFileName(), c.opened ? program : QString()) << label;
      EXPECT_EQ(form_->EditorModified(), !c.opened && !c.typed.isEmpty()) << label;
    }
  }
}

TEST_F(MainWindowTest, TextDraggedOntoTheTextBoxesIsStillInserted) {
  Start();
  QMimeData text;
  text.setText(U("fd 5"));
  EXPECT_TRUE(DragAndDrop(Editor()->viewport(), text));
  EXPECT_EQ(Editor()->text(), U("fd 5"));
  EXPECT_TRUE(form_->EditorModified());
  EXPECT_TRUE(DragAndDrop(Find<QLineEdit>("Edit1"), text));
  EXPECT_EQ(Find<QLineEdit>("Edit1")->text(), U("fd 5"));
}

// Undo and redo are changes like any other, even when they lead back to the text
// last loaded or saved: closing still asks.
TEST_F(MainWindowTest, UndoOrRedoBackToTheFileTextKeepsTheProgramModified) {
  const auto press = [this](QKeySequence::StandardKey key) {
    const QKeyCombination combination = QKeySequence(key)[0];
    QKeyEvent event(QEvent::KeyPress, combination.key(), combination.keyboardModifiers());
    QApplication::sendEvent(Editor(), &event);
  };
  struct Case {
    const char* label;
    bool save_after_typing;
    std::vector<QKeySequence::StandardKey> keys;
  };
  const Case cases[] = {
      {"undo after load", false, {QKeySequence::Undo}},
      {"undo and redo after load", false, {QKeySequence::Undo, QKeySequence::Redo, QKeySequence::Undo}},
      {"redo after save", true, {QKeySequence::Undo, QKeySequence::Redo}},
  };
  for (const Case& c : cases) {
    const QString program = ProgramFile("square.kv", "fd 100\r\nrt 90");
    Start({program});
    QString file_text = Editor()->text();
    Editor()->SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
    Type(U("\nfd 1"));
    if (c.save_after_typing) {
      Trigger("K2");  // the loaded file's name: no dialog
      file_text = Editor()->text();
    }
    for (QKeySequence::StandardKey key : c.keys) press(key);
    EXPECT_EQ(Editor()->text(), file_text) << c.label;
    EXPECT_TRUE(form_->EditorModified()) << c.label;
    ModalScript script({ModalScript::Press(QMessageBox::Cancel)});
    EXPECT_FALSE(form_->close()) << c.label;
    EXPECT_EQ(TextsShown(script), QStringList{U("プログラムが変更されています。保存しますか？")}) << c.label;
  }
}

// The editor's pop-up menu inserts its words into the program editor at the
// caret, as an edit of the user's.
TEST_F(MainWindowTest, TheInsertionMenuTypesIntoTheProgram) {
  Start();
  Editor()->setFocus();
  std::string typed;
  for (const PopupMenuItem& item : PopupMenuItems()) {
    if (item.kind != MenuItemKind::kInsert || typed.size() > 20) continue;
    Find<QAction>(std::string(item.name).c_str())->trigger();
    typed += item.text;
  }
  EXPECT_EQ(Editor()->Utf8Text(), typed);
  EXPECT_TRUE(form_->EditorModified());
}

TEST_F(MainWindowTest, AComposingInputMethodChangesTheProgramOnlyWhenItCommits) {
  Start();
  const auto compose = [this](const QString& preedit, const QString& commit) {
    QInputMethodEvent event(preedit, {});
    event.setCommitString(commit);
    QApplication::sendEvent(Editor(), &event);
  };
  compose(U("まえ"), {});
  compose({}, {});  // composition cancelled
  EXPECT_TRUE(Editor()->text().isEmpty());
  EXPECT_FALSE(form_->EditorModified());
  compose(U("まえに"), {});
  compose({}, U("まえに"));
  EXPECT_EQ(Editor()->text(), U("まえに"));
  EXPECT_TRUE(form_->EditorModified());
}

TEST_F(MainWindowTest, CommandLineProgramIsSavedBackWithoutADialogAndAFailedWriteOnCloseKeepsTheWindow) {
  const QString program = ProgramFile("square.kv", "repeat 4\r\nfd 100\r\nrt 90\r\nnext\r\n");
  Start({program});
  EXPECT_EQ(Editor()->text(), U("repeat 4\nfd 100\nrt 90\nnext\n"));
  EXPECT_EQ(form_->windowTitle(), U("Kurovel Ver1.60 Taverin"));
  Type(U("cls\n"));
  Trigger("K2");  // no dialog: a modal would block here
  const std::string saved = "cls\r\nrepeat 4\r\nfd 100\r\nrt 90\r\nnext\r\n";
  EXPECT_EQ(test::ReadBytes(program), saved);
  EXPECT_FALSE(form_->EditorModified());

  QFile::setPermissions(program, QFileDevice::ReadOwner);
  Type(U("rt 1\n"));
  ModalScript script({ModalScript::Press(QMessageBox::Yes), ModalScript::Press(QMessageBox::Ok)});
  EXPECT_FALSE(form_->close());
  ASSERT_EQ(script.seen.size(), 2u);
  EXPECT_EQ(script.seen[1].text, U("ファイル ") + program + U(" を作成できません."));
  EXPECT_TRUE(form_->isVisible());
  EXPECT_EQ(test::ReadBytes(program), saved);
}

TEST_F(MainWindowTest, UnreadableCommandLineProgramIsReportedAndStartUpGoesOn) {
  const QString missing = Path("missing.kv");
  ModalScript script({ModalScript::Press(QMessageBox::Ok)});
  form_ = std::make_unique<MainWindow>(QStringList{missing});
  EXPECT_TRUE(script.seen.empty());  // read once the window is up, from its event loop
  while (script.seen.empty()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
  Settle();
  ASSERT_EQ(script.seen.size(), 1u);
  EXPECT_EQ(script.seen[0].text, U("ファイル ") + missing + U(" は開けません."));
  EXPECT_TRUE(form_->CurrentFileName().isEmpty());
  for (int k = 1; k <= 10; ++k) EXPECT_EQ(form_->GetSession().variables.Get(k), 10) << k;
  EXPECT_EQ(Point({Turtle().x, Turtle().y}), Point({200, 200}));  // not yet laid out
  EXPECT_GT(InkAroundTurtle().first, 20);                         // the arrow was drawn there
}

// キャンセル in the progress dialog of a long load leaves the editor, its flag, the
// file name and the caption as they were.
TEST_F(MainWindowTest, CancelledLoadLeavesEverythingAsItWas) {
  std::string big;
  for (int i = 0; i < 400'000; ++i) big += "fd 1\r\nrt 1\r\n";
  const QString program = ProgramFile("big.kv", big);
  Start();
  Type(U("fd 5"));
  const QString title = form_->windowTitle();
  FileProgress::SetShowDelayMs(0);
  const ModalScript::Step cancel_progress = [](QWidget* modal) { static_cast<QProgressDialog*>(modal)->cancel(); };
  ModalScript script({ModalScript::Press(QMessageBox::Ok), ModalScript::Choose(program), cancel_progress});
  Trigger("K1");
  FileProgress::SetShowDelayMs(500);
  ASSERT_EQ(script.seen.size(), 3u);
  EXPECT_EQ(script.seen[2].caption, QCoreApplication::applicationName());
  EXPECT_EQ(Editor()->text(), U("fd 5"));
  EXPECT_TRUE(Editor()->isModified());
  EXPECT_TRUE(form_->CurrentFileName().isEmpty());
  EXPECT_EQ(form_->windowTitle(), title);
  Type(U("\nrt 1"));  // the editor still takes typing
  EXPECT_EQ(Editor()->text(), U("fd 5\nrt 1"));
}

TEST_F(MainWindowTest, OpenAsksFirstAndStartsWithTheCurrentName) {
  Start();
  const QString first = ProgramFile("first.kv", "fd 1");
  const QString second = ProgramFile("second.kv", "fd 2");
  {
    ModalScript script({ModalScript::Choose(first)});
    Button("Button2")->click();
    EXPECT_EQ(script.seen.at(0).name_filters, QStringList({U("Original Files (*.kv)"), U("All Files (*)")}));
    EXPECT_FALSE(script.seen[0].save);
  }
  EXPECT_EQ(form_->windowTitle(), U("Kurovel Ver1.60 Taverin ") + first);
  Type(U("x"));
  {
    ModalScript script({ModalScript::Press(QMessageBox::Cancel)});
    Trigger("K1");
    EXPECT_EQ(script.seen.size(), 1u);
    EXPECT_EQ(script.seen[0].caption, U("警告!"));
    EXPECT_EQ(script.seen[0].buttons, Sorted({U("OK"), U("キャンセル")}));
    EXPECT_TRUE(form_->EditorModified());
  }
  ModalScript script({ModalScript::Press(QMessageBox::Ok), ModalScript::Choose(second)});
  Trigger("K1");
  ASSERT_EQ(script.seen.size(), 2u);
  EXPECT_EQ(script.seen[1].initial_name, U("first.kv"));
  EXPECT_EQ(Editor()->text(), U("fd 2"));
  EXPECT_EQ(form_->CurrentFileName(), second);
}

TEST_F(MainWindowTest, SaveUnderANameAppendsTheExtensionAndIsRememberedAfterNew) {
  Start();
  Type(U("fd 100\nrt 90"));
  {
    ModalScript script({ModalScript::Cancel()});
    Trigger("K2");  // no current name: the save dialog, cancelled
    EXPECT_TRUE(script.seen.at(0).save);
    EXPECT_TRUE(form_->EditorModified());
  }
  {
    ModalScript script({ModalScript::Choose(Path("drawing"))});
    Button("Button3")->click();
    EXPECT_EQ(script.seen.at(0).default_suffix, U("kv"));
  }
  EXPECT_EQ(test::ReadBytes(Path("drawing.kv")), "fd 100\r\nrt 90");
  EXPECT_EQ(form_->CurrentFileName(), Path("drawing.kv"));
  EXPECT_FALSE(form_->EditorModified());

  Trigger("K7");
  EXPECT_TRUE(Editor()->text().isEmpty());
  EXPECT_EQ(form_->windowTitle(), U("Kurovel Ver1.60 Taverin"));
  EXPECT_TRUE(form_->CurrentFileName().isEmpty());
  ModalScript script({ModalScript::Cancel()});
  Trigger("K3");
  EXPECT_EQ(script.seen.at(0).initial_name, U("drawing.kv"));
}

TEST_F(MainWindowTest, CloseQuestionAnswers) {
  struct Case {
    const char* label;
    std::vector<ModalScript::Step> steps;
    bool closes;
    bool written;
  };
  const Case cases[] = {
      {"No closes unsaved", {ModalScript::Press(QMessageBox::No)}, true, false},
      {"Cancel stays", {ModalScript::Press(QMessageBox::Cancel)}, false, false},
      {"the close box counts as Cancel", {ModalScript::CloseBox()}, false, false},
      // Yes with no current name, then the save dialog is cancelled: the program is kept.
      {"Yes then cancelled dialog stays", {ModalScript::Press(QMessageBox::Yes), ModalScript::Cancel()}, false, false},
      {"Yes then saved closes", {ModalScript::Press(QMessageBox::Yes), ModalScript::Choose(Path("kept.kv"))}, true,
       true},
  };
  for (const Case& c : cases) {
    QFile::remove(Path("kept.kv"));
    Start();
    Type(U("fd 1"));
    ModalScript script(c.steps);
    EXPECT_EQ(form_->close(), c.closes) << c.label;
    EXPECT_EQ(form_->isVisible(), !c.closes) << c.label;
    EXPECT_EQ(QFile::exists(Path("kept.kv")), c.written) << c.label;
    EXPECT_EQ(script.seen.at(0).text, U("プログラムが変更されています。保存しますか？")) << c.label;
    EXPECT_EQ(script.seen.at(0).buttons, Sorted({U("はい"), U("いいえ"), U("キャンセル")})) << c.label;
  }
}

TEST_F(MainWindowTest, PictureCommandsSaveTheDrawingAndLayTheBackground) {
  Start();
  EnterCommand(U("fd 40"));
  {
    ModalScript script({ModalScript::Choose(Path("work"))});
    Trigger("N2");
    EXPECT_EQ(script.seen.at(0).default_suffix, U("bmp"));
    EXPECT_EQ(script.seen[0].name_filters.size(), 5);
  }
  const QImage saved(Path("work.bmp"));
  ASSERT_FALSE(saved.isNull());
  EXPECT_EQ(saved.size(), QSize(form_->Surface().Width() - 10, form_->Surface().Height()));
  {
    ModalScript script({ModalScript::Cancel()});
    Trigger("N2");
    EXPECT_EQ(script.seen.at(0).name_filters.size(), 2);  // the filter after the first save
  }
  EnterCommand(U("cls"));
  ModalScript script({ModalScript::Choose(Path("work.bmp"))});
  Trigger("N15");
  EXPECT_EQ(form_->BackgroundFileName(), Path("work.bmp").toStdString());
  EXPECT_EQ(script.seen.at(0).name_filters, QStringList{U("ビットマップ (*.bmp)")});
  form_->resize(form_->size() + QSize(0, 10));  // every repaint lays it again
  Settle();
  const Point centre = SurfaceCenter(form_->Surface());
  // The saved picture is 10 columns narrower and now 10 rows shorter: centred 5 right, 5 down.
  EXPECT_EQ(form_->Surface().PixelAt(centre.x + 5, centre.y - 30), clBlue);
  Trigger("K7");  // new program forgets it
  EXPECT_TRUE(form_->BackgroundFileName().empty());
}

}  // namespace
}  // namespace kurovel

int main(int argc, char** argv) {
  // No display, and no user folders touched.
  QTemporaryDir home;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  for (const char* variable : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR", "HOME"}) {
    qputenv(variable, home.path().toUtf8());
  }
  QFile::setPermissions(home.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);  // each test closes its own window
  kurovel::InstallJapaneseTranslations(app);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
