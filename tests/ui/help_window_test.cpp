#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "language/cp932.h"
#include "controllers/help_texts.h"
#include "ui/help_window.h"

namespace kurovel {
namespace {

constexpr std::string_view kFullWidthBlank = "\u3000";

// Line counts and lines ending with a full-width blank, stated apart from the
// text tables so that a line lost from a table, or a blank trimmed off, shows.
const struct {
  const char* memo;
  std::size_t lines;
  int ending_fullwidth_blank;
} kBoxCounts[] = {
    {"Form2.Memo1", 11, 0},
    {"Form2.Memo2", 67, 5},
    {"Form2.Memo3", 9, 1},
    {"Form2.Memo4", 16, 0},
};

struct Box {
  std::string memo;
  std::span<const std::string_view> lines;
  bool read_only;
};

// The read-only version note, then one editable box for each text page.
std::vector<Box> BoxesOfTheWindow() {
  std::vector<Box> boxes = {{"Form2.Memo1", VersionNoteLines(), true}};
  for (const HelpTextPage& page : HelpTextPages()) boxes.push_back({page.memo_name, page.lines(), false});
  return boxes;
}

std::string Joined(std::span<const std::string_view> lines) {
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text += '\n';
    text += lines[i];
  }
  return text;
}

TEST(HelpWindowTest, EachBoxStartsWithItsTableLineForLine) {
  HelpWindow help;
  const std::vector<Box> boxes = BoxesOfTheWindow();
  ASSERT_EQ(boxes.size(), std::size(kBoxCounts));
  for (std::size_t b = 0; b < boxes.size(); ++b) {
    const Box& box = boxes[b];
    SCOPED_TRACE(box.memo);
    ASSERT_EQ(box.memo, kBoxCounts[b].memo);
    EXPECT_EQ(box.lines.size(), kBoxCounts[b].lines);

    const auto* memo = help.findChild<QPlainTextEdit*>(QString::fromStdString(box.memo));
    ASSERT_NE(memo, nullptr);
    // Full-width and ASCII blanks, leading and trailing, come through untouched.
    EXPECT_EQ(memo->toPlainText().toStdString(), Joined(box.lines));
    EXPECT_EQ(memo->isReadOnly(), box.read_only);

    int ending_fullwidth_blank = 0;
    for (std::size_t i = 0; i < box.lines.size(); ++i) {
      const std::string_view line = box.lines[i];
      ending_fullwidth_blank += line.ends_with(kFullWidthBlank);
      // Indentation is full-width, as a beginner types it in the editor.
      EXPECT_FALSE(line.starts_with(' ')) << "line " << i + 1;
      // Whatever the user copies from help can be saved in a program file.
      EXPECT_TRUE(Utf8ToCp932(std::string(line)).Ok()) << "line " << i + 1;
    }
    EXPECT_EQ(ending_fullwidth_blank, kBoxCounts[b].ending_fullwidth_blank);
  }
}

TEST(HelpWindowTest, TabsFollowThePageTable) {
  HelpWindow help;
  const auto* tabs = help.findChild<QTabWidget*>("Form2.PageControl1");
  ASSERT_NE(tabs, nullptr);
  const std::span<const HelpTextPage> pages = HelpTextPages();
  ASSERT_EQ(tabs->count(), 1 + static_cast<int>(pages.size()));

  const QWidget* version_page = tabs->widget(0);
  EXPECT_EQ(version_page->objectName(), "Form2.TabSheet1");
  EXPECT_NE(version_page->findChild<QPlainTextEdit*>("Form2.Memo1"), nullptr);
  EXPECT_NE(version_page->findChild<QPushButton*>("Form2.Button1"), nullptr);

  for (std::size_t i = 0; i < pages.size(); ++i) {
    SCOPED_TRACE(pages[i].tab_name);
    const int index = 1 + static_cast<int>(i);
    EXPECT_EQ(tabs->widget(index)->objectName(), pages[i].tab_name);
    EXPECT_EQ(tabs->tabText(index), QString::fromUtf8(pages[i].caption));
    EXPECT_NE(tabs->widget(index)->findChild<QPlainTextEdit*>(pages[i].memo_name), nullptr);
  }
}

TEST(HelpWindowTest, VersionLabelsStayAtTheirPlaceAndShowTheWholeText) {
  HelpWindow help;
  help.ShowHelp();
  const auto* version_page = help.findChild<QWidget*>("Form2.TabSheet1");
  ASSERT_EQ(HelpVersionLabels().size(), 5u);
  for (const HelpLabel& layout : HelpVersionLabels()) {
    SCOPED_TRACE(layout.name);
    const auto* label = version_page->findChild<QLabel*>(layout.name);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), QString::fromUtf8(layout.text));
    EXPECT_EQ(label->font().pixelSize(), layout.font_pixels);
    EXPECT_EQ(label->pos(), layout.geometry.topLeft());
    EXPECT_GE(label->width(), label->sizeHint().width());
  }
}

TEST(HelpWindowTest, ModelessShowHideKeepsTabAndText) {
  int last_window_closed = 0;
  QObject::connect(qApp, &QGuiApplication::lastWindowClosed, [&] { ++last_window_closed; });
  QPointer<HelpWindow> help = new HelpWindow;
  auto* tabs = help->findChild<QTabWidget*>("Form2.PageControl1");
  auto* exercises = help->findChild<QPlainTextEdit*>("Form2.Memo3");

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
  help->findChild<QPushButton*>("Form2.Button1")->click();
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
