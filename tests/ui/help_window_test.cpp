#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>

#include <map>
#include <span>
#include <string>
#include <vector>

#include "language/cp932.h"
#include "ui/help_window.h"

namespace kurovel {
namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

// The three editable texts as the user first sees them, one literal per line.
const char* const kCommandList[] = {
    "前に動かす　",
    "　FD、前、まえ、まえに、前に、まえへ、前へ、前進　",
    "　命令と進む量の間にスペースをいれてくださ。",
    "　例：　まえに　１００",
    "",
    "後ろに動かす",
    "　BK、後、後ろ、うしろへ、後ろへ、うしろに、後ろに、うしろ、後退",
    "",
    "右に回転させる",
    "　RT、右へ、みぎへ、右に、みぎに、みぎ、右",
    "",
    "左に回転させる",
    "　LT、左へ、ひだりへ、左に、ひだりに、ひだり、左",
    "",
    "軌跡の色を変える",
    "　PD、ペンを下げる、ぺんを下げる、ぺんをさげる、さげる、下げる",
    "　　数値と色は　１：青　２　・・・",
    "",
    "軌跡を残さない",
    "　PU、ペンを上げる、ぺんを上げる、ぺんをあげる、上げる、あげる",
    "",
    "繰り返しをさせる",
    "　REPEAT、繰り返し、くりかえし、繰り返せ、くりかえせ",
    "　　命令と繰り返す数の間にスペースを入れてください。",
    "",
    "繰り返しの最後",
    "　NEXT、次へ、つぎへ、次、つぎ、ここまで、これまで、おわり、終わり",
    "",
    "描いたものを消す",
    "　CLS、消す、けす、最初、さいしょ",
    "",
    "矢印をもとの位置に戻す",
    "　RP、元の位置、もとのいち",
    "",
    "矢印の向きをもとに戻す",
    "　RDI、元の向き、もとのむき",
    "",
    "矢印を表示させたり消したり",
    "　SHO、矢印、やじるし",
    "",
    "位置を変更する",
    "　位置、いち、移動、pos ",
    "　　例： 位置　２００ １００",
    "　　中央から右に２００　上に１００の場所に移動します",
    "",
    "変数の初期値設定",
    "　変数１～変数９、var1～var9　スペースの後に初期値を設定",
    "",
    "変数を増やす",
    "　ふやす、inc　",
    "　例：　ふやす　変数１　１０　",
    "　　　変数１を１０増やします",
    "",
    "変数を減らす",
    "　へらす、dec　",
    "　例：　へらす　変数２　５",
    "　　　変数１を１０減らします",
    "",
    "変数を掛ける",
    "　掛ける、かける、mlt  ",
    "　例：　かける　変数１　２",
    "　　　変数１を２倍します",
    "",
    "変数を割る",
    "　割る、わる、div  ",
    "　例：　割る　変数１　１．５",
    "　　　変数１を１．５で割ります",
};

const char* const kExercises[] = {
    "課題１　　正方形を描く",
    "課題２　　正三角形を描く",
    "課題３　　長方形を描く",
    "課題４　　正５角形を描く",
    "課題５　　正６角形を描く",
    "課題６　　星形を描く",
    "課題７　　☆の形を描く　",
    "課題８　　円を描く",
    "課題９　　時計の目盛りを描く",
};

const char* const kSamplePrograms[] = {
    "繰り返しのサンプル",
    "",
    "くりかえし　３６",
    "　　まえに　１００",
    "　　みぎに　１９０",
    "ここまで",
    "",
    "",
    "変数のサンプル",
    "",
    "変数１　200",
    "くりかえし　70",
    "　　前へ　変数１",
    "　　右へ　９０",
    "へらす　変数１ 3",
    "ここまで",
};

struct Box {
  const char* memo;
  std::span<const char* const> lines;
  std::map<int, int> ascii_blanks;          // line -> count of ASCII blanks, others none
  std::vector<int> ending_fullwidth_blank;  // lines that end with U+3000
};

const Box kBoxes[] = {
    {"Memo2", kCommandList, {{42, 1}, {43, 2}, {60, 2}, {65, 2}}, {1, 2, 50, 51, 55}},
    {"Memo3", kExercises, {}, {7}},
    {"Memo4", kSamplePrograms, {{15, 1}}, {}},
};

QStringList Lines(const HelpWindow& help, const char* memo) {
  return help.findChild<QPlainTextEdit*>(memo)->toPlainText().split('\n');
}

TEST(HelpWindowTest, TextsLineByLine) {
  ASSERT_EQ(std::size(kCommandList), 67u);
  ASSERT_EQ(std::size(kExercises), 9u);
  ASSERT_EQ(std::size(kSamplePrograms), 16u);
  HelpWindow help;
  for (const Box& box : kBoxes) {
    SCOPED_TRACE(box.memo);
    const QStringList lines = Lines(help, box.memo);
    ASSERT_EQ(lines.size(), static_cast<qsizetype>(box.lines.size()));
    std::map<int, int> ascii_blanks;
    std::vector<int> ending_fullwidth_blank;
    for (int i = 0; i < lines.size(); ++i) {
      EXPECT_EQ(lines[i].toStdString(), box.lines[i]) << "line " << i + 1;
      EXPECT_TRUE(Utf8ToCp932(lines[i].toStdString()).Ok()) << "line " << i + 1;
      if (const auto n = lines[i].count(' ')) ascii_blanks[i + 1] = static_cast<int>(n);
      if (lines[i].endsWith(QChar(0x3000))) ending_fullwidth_blank.push_back(i + 1);
    }
    EXPECT_EQ(ascii_blanks, box.ascii_blanks);
    EXPECT_EQ(ending_fullwidth_blank, box.ending_fullwidth_blank);
    EXPECT_FALSE(help.findChild<QPlainTextEdit*>(box.memo)->isReadOnly());
  }
}

TEST(HelpWindowTest, VersionPage) {
  HelpWindow help;
  EXPECT_EQ(help.windowTitle(), "QX_Help Taverin");
  EXPECT_EQ(help.font().pixelSize(), 12);
  const struct {
    const char* name;
    const char* text;
    int pixels;
  } labels[] = {
      {"Label1", "超単純Kurovel", 21},
      {"Label2", "Ver1.6", 19},
      {"Label5", "2018/10/19版", 13},
      {"Label3", "このプログラムは、画面に表示された矢印を動かしながら", 15},
      {"Label4", "プログラムの基本を学ぶことを狙いとして作りました。", 15},
  };
  for (const auto& l : labels) {
    const auto* label = help.findChild<QLabel*>(l.name);
    ASSERT_NE(label, nullptr) << l.name;
    EXPECT_EQ(label->text(), U(l.text));
    EXPECT_EQ(label->font().pixelSize(), l.pixels) << l.name;
  }
  const auto* tabs = help.findChild<QTabWidget*>("PageControl1");
  const char* const captions[] = {"バージョン情報", "命令一覧（めいれいいちらん）", "サンプル課題",
                                  "サンプルプログラム"};
  ASSERT_EQ(tabs->count(), 4);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(tabs->tabText(i), U(captions[i]));

  // Eleven lines, four paragraphs, an author and an address that are nobody's.
  const auto* note = help.findChild<QPlainTextEdit*>("Memo1");
  EXPECT_TRUE(note->isReadOnly());
  const QStringList lines = note->toPlainText().split('\n');
  ASSERT_EQ(lines.size(), 11);
  for (int i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i].isEmpty(), i == 1 || i == 4 || i == 7) << i;
  EXPECT_TRUE(lines[0].contains("C++") && lines[0].contains("Qt 6"));
  EXPECT_TRUE(lines[10].contains("@example.org"));
  EXPECT_EQ(help.findChild<QPushButton*>("Button1")->text(), U("とじる"));
}

TEST(HelpWindowTest, ModelessShowHideKeepsTabAndText) {
  int last_window_closed = 0;
  QObject::connect(qApp, &QGuiApplication::lastWindowClosed, [&] { ++last_window_closed; });
  QPointer<HelpWindow> help = new HelpWindow;
  auto* tabs = help->findChild<QTabWidget*>("PageControl1");
  auto* exercises = help->findChild<QPlainTextEdit*>("Memo3");

  help->ShowHelp();
  help->ShowHelp();
  ASSERT_TRUE(help->isVisible());
  EXPECT_FALSE(help->isModal());
  EXPECT_EQ(tabs->currentIndex(), 0);
  EXPECT_EQ(help->frameGeometry().size(), QSize(461, 348));
  int windows = 0;
  for (QWidget* w : QApplication::topLevelWidgets()) windows += qobject_cast<HelpWindow*>(w) != nullptr;
  EXPECT_EQ(windows, 1);

  tabs->setCurrentIndex(2);
  exercises->appendPlainText("mine");
  help->findChild<QPushButton*>("Button1")->click();
  EXPECT_FALSE(help->isVisible());
  help->ShowHelp();
  EXPECT_TRUE(help->isVisible());
  EXPECT_EQ(tabs->currentIndex(), 2);
  EXPECT_TRUE(exercises->toPlainText().endsWith("\nmine"));

  // The close box hides the window; it neither dies nor ends the program.
  help->close();
  QApplication::processEvents();
  ASSERT_FALSE(help.isNull());
  EXPECT_FALSE(help->isVisible());
  EXPECT_EQ(last_window_closed, 0);
  delete help;
}

}  // namespace
}  // namespace kurovel
