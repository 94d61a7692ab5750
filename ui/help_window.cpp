// The help window: builds the four tabs from layout tables and the texts in help_texts.

#include "ui/help_window.h"

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTabBar>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextOption>
#include <QVBoxLayout>
#include <QWindow>

#include <span>
#include <string_view>
#include <utility>

#include "controllers/help_texts.h"

namespace kurovel {
namespace {

// A proportional Japanese Gothic font at the designed pixel heights.
constexpr char kFontFamily[] = "IPAPGothic";
constexpr int kFontPixels = 12;
constexpr QPoint kDesignedPlace(616, 307);
constexpr QSize kOuterSize(461, 348);  // frame included

constexpr HelpLabel kVersionLabels[] = {
    {"Form2.Label1", {24, 16, 204, 21}, 21, kProductTitle},
    {"Form2.Label2", {256, 18, 53, 19}, 19, kVersionLabel},
    {"Form2.Label5", {344, 24, 83, 13}, 13, kEditionDate},
    {"Form2.Label3", {8, 48, 355, 15}, 15, kAimLine1},
    {"Form2.Label4", {8, 72, 326, 15}, 15, kAimLine2},
};
constexpr QRect kVersionNoteGeometry(8, 96, 409, 153);
constexpr QRect kCloseButtonGeometry(200, 256, 65, 25);
// 答え合わせ (kCheckAnswerCaption) beside the exercise list, and the verdict under it.
constexpr QRect kCheckAnswerGeometry(352, 32, 96, 25);
constexpr QRect kVerdictGeometry(352, 64, 96, 193);
constexpr char kExerciseTabName[] = "Form2.TabSheet3";
// The selected exercise's line in the list.
const QColor kSelectedExerciseColor(200, 225, 255);
// A passed check in green, anything else in the text colour.
const QColor kPassedColor(0, 120, 0);

const HelpTextPage kTextPages[] = {
    {"Form2.TabSheet2", kCommandListTabCaption, "Form2.Memo2", CommandListLines, QRect()},
    {"Form2.TabSheet3", kExerciseTabCaption, "Form2.Memo3", ExerciseLines, QRect(80, 32, 265, 225)},
    {"Form2.TabSheet4", kSampleProgramTabCaption, "Form2.Memo4", SampleProgramLines, QRect(24, 8, 393, 265)},
};

QString JoinLines(std::span<const std::string_view> lines) {
  QString text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text += QLatin1Char('\n');
    text += QString::fromUtf8(lines[i].data(), static_cast<qsizetype>(lines[i].size()));
  }
  return text;
}

// A text box on the button-face background that breaks long lines at its
// width, anywhere when a line has no break opportunity.
QPlainTextEdit* MakeMemo(QWidget* page, const char* name, std::span<const std::string_view> lines,
                         bool read_only) {
  auto* memo = new QPlainTextEdit(page);
  memo->setObjectName(QString::fromLatin1(name));
  memo->setPlainText(JoinLines(lines));
  memo->setReadOnly(read_only);
  memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  memo->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  QPalette palette = memo->palette();
  palette.setColor(QPalette::Base, palette.color(QPalette::Window));
  memo->setPalette(palette);
  return memo;
}

}  // namespace

std::span<const HelpLabel> HelpVersionLabels() { return kVersionLabels; }
std::span<const HelpTextPage> HelpTextPages() { return kTextPages; }

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("Form2"));
  setWindowTitle(QString::fromLatin1(kHelpCaption));
  QFont font(QString::fromLatin1(kFontFamily));
  font.setPixelSize(kFontPixels);
  setFont(font);
  // Only the main window's closing ends the program, even while help is open.
  setAttribute(Qt::WA_QuitOnClose, false);
  move(kDesignedPlace);
  resize(kOuterSize);

  tabs_ = new QTabWidget(this);
  tabs_->setObjectName(QStringLiteral("Form2.PageControl1"));
  // Tabs as narrow as the designed ones, so that all four captions fit the width.
  tabs_->tabBar()->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 3px 5px; }"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(tabs_);

  auto* version_page = new QWidget;
  version_page->setObjectName(QStringLiteral("Form2.TabSheet1"));
  BuildVersionPage(version_page);
  tabs_->addTab(version_page, QString::fromUtf8(kVersionTabCaption));

  for (const HelpTextPage& text_page : kTextPages) {
    auto* page = new QWidget;
    page->setObjectName(QString::fromLatin1(text_page.tab_name));
    QPlainTextEdit* memo = MakeMemo(page, text_page.memo_name, text_page.lines(), false);
    if (text_page.geometry.isNull()) {
      memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
      auto* fill = new QVBoxLayout(page);
      fill->setContentsMargins(0, 0, 0, 0);
      fill->addWidget(memo);
    } else {
      memo->setGeometry(text_page.geometry);
    }
    tabs_->addTab(page, QString::fromUtf8(text_page.caption));
    if (std::string_view(text_page.tab_name) == kExerciseTabName) BuildAnswerCheck(page, memo);
  }
  tabs_->setCurrentIndex(0);
}

void HelpWindow::BuildVersionPage(QWidget* page) {
  for (const HelpLabel& layout : kVersionLabels) {
    auto* label = new QLabel(QString::fromUtf8(layout.text), page);
    label->setObjectName(QString::fromLatin1(layout.name));
    QFont label_font = font();
    label_font.setPixelSize(layout.font_pixels);
    label->setFont(label_font);
    label->setGeometry(layout.geometry);
    // The designed widths fit the designed font; grow with the text like an
    // auto-sized label so that a wider substitute font is not cut off.
    label->adjustSize();
  }
  QPlainTextEdit* note = MakeMemo(page, "Form2.Memo1", VersionNoteLines(), true);
  note->setGeometry(kVersionNoteGeometry);

  auto* close_button = new QPushButton(QString::fromUtf8(kHelpCloseCaption), page);
  close_button->setObjectName(QStringLiteral("Form2.Button1"));
  close_button->setGeometry(kCloseButtonGeometry);
  connect(close_button, &QPushButton::clicked, this, &HelpWindow::CloseHelp);
}

void HelpWindow::BuildAnswerCheck(QWidget* page, QPlainTextEdit* exercises) {
  exercises_ = exercises;
  connect(exercises_, &QPlainTextEdit::cursorPositionChanged, this, &HelpWindow::MarkSelectedExercise);
  auto* check = new QPushButton(QString::fromUtf8(kCheckAnswerCaption), page);
  check->setObjectName(QStringLiteral("CheckAnswerButton"));
  check->setGeometry(kCheckAnswerGeometry);
  connect(check, &QPushButton::clicked, this, &HelpWindow::CheckAnswer);
  verdict_ = new QLabel(page);
  verdict_->setObjectName(QStringLiteral("AnswerVerdict"));
  verdict_->setGeometry(kVerdictGeometry);
  verdict_->setWordWrap(true);
  verdict_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  verdict_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  verdict_->setAccessibleName(QString::fromUtf8(kCheckAnswerCaption));
}

void HelpWindow::MarkSelectedExercise() {
  QTextEdit::ExtraSelection line;
  line.format.setBackground(kSelectedExerciseColor);
  line.format.setProperty(QTextFormat::FullWidthSelection, true);
  line.cursor = exercises_->textCursor();
  line.cursor.clearSelection();
  exercises_->setExtraSelections({line});
}

void HelpWindow::CheckAnswer() {
  if (!answer_check_ || exercises_ == nullptr) return;
  const std::string line = exercises_->textCursor().block().text().toStdString();
  const ExerciseVerdict verdict = answer_check_(line);
  QPalette palette = verdict_->palette();
  palette.setColor(QPalette::WindowText, verdict.passed ? kPassedColor : exercises_->palette().color(QPalette::Text));
  verdict_->setPalette(palette);
  verdict_->setText(QString::fromStdString(verdict.message));
}

void HelpWindow::ShowHelp() {
  setWindowState(windowState() & ~Qt::WindowMinimized);
  show();
  raise();
  activateWindow();
}

void HelpWindow::CloseHelp() { hide(); }

// The designed size includes the frame, which the window system reports only
// once the window exists; the close box needs nothing here, since closing a
// window that is not deleted on close only hides it.
void HelpWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (std::exchange(shown_before_, true)) return;
  if (const QWindow* window = windowHandle()) resize(kOuterSize.shrunkBy(window->frameMargins()));
}

}  // namespace kurovel
