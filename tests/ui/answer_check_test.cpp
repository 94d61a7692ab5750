// 答え合わせ in the desktop's help window: every pupil-like program of
// tests/exercises run in a window of its own, its exercise's line selected in the
// list, and the verdict beside the list as the checks give it.

#include <gtest/gtest.h>

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextCursor>

#include "engine/limits.h"
#include "files/program_text.h"
#include "main_window_fixture.h"
#include "modal_script.h"
#include "tests/exercises/exercise_corpus.h"

namespace kurovel {
namespace {

using testing::CorpusRow;

class AnswerCheckTest : public testing::MainWindowFixture {
 protected:
  // A window whose drawing area has the size kurovel-run draws on, as in the
  // checks' own tests, with the program in its editor and run.
  void RunInNewWindow(const std::string& program_bytes) {
    Start();
    form_->resize(form_->width() - form_->Surface().Width() + kDefaultSurfaceWidth,
                  form_->height() - form_->Surface().Height() + kDefaultSurfaceHeight);
    Settle();
    ASSERT_EQ(form_->Surface().Width(), kDefaultSurfaceWidth);
    ASSERT_EQ(form_->Surface().Height(), kDefaultSurfaceHeight);
    Editor()->setText(QString::fromStdString(ProgramUtf8FromBytes(program_bytes)));
    // A program that ends in an error, or an unbalanced one, shows its box: OK.
    const testing::ModalScript boxes({});
    Find<QPushButton>("Button6")->click();  // returns once the run has ended
  }
  // Puts the caret on the line of the list that names the exercise, and checks.
  QString CheckAnswer(int exercise_line) const {
    auto* list = Find<QPlainTextEdit>("Form2.Memo3");
    QTextCursor caret(list->document()->findBlockByNumber(exercise_line));
    caret.movePosition(QTextCursor::Right);
    list->setTextCursor(caret);
    Find<QPushButton>("CheckAnswerButton")->click();
    return Find<QLabel>("AnswerVerdict")->text();
  }
};

TEST_F(AnswerCheckTest, EveryPupilProgramGetsItsVerdictBesideTheList) {
  int checked = 0;
  for (const CorpusRow& row : testing::ReadCorpus()) {
    SCOPED_TRACE(row.file);
    RunInNewWindow(testing::ReadCorpusFile(row));
    EXPECT_EQ(CheckAnswer(row.exercise - 1).toStdString(), row.message);
    ++checked;
  }
  EXPECT_GT(checked, 270);
}

TEST_F(AnswerCheckTest, ALineThatNamesNoExerciseAsksForOne) {
  RunInNewWindow("fd 10");
  auto* list = Find<QPlainTextEdit>("Form2.Memo3");
  list->appendPlainText(QStringLiteral("メモ"));
  EXPECT_EQ(CheckAnswer(list->document()->blockCount() - 1).toStdString(),
            "課題の行をクリックしてから、答え合わせをしてね");
}

}  // namespace
}  // namespace kurovel
