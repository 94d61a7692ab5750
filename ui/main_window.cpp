#include "ui/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFont>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMoveEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QGuiApplication>
#include <QScreen>
#include <QShowEvent>
#include <exception>
#include <optional>
#include <span>

#include "controllers/editor_text.h"
#include "controllers/exercise_check.h"
#include "controllers/window_rules.h"
#include "language/errors.h"
#include "ui/dialogs.h"
#include "ui/drawing_area.h"
#include "ui/editor_changes.h"
#include "ui/file_drop.h"
#include "ui/file_progress.h"
#include "ui/form_layout.h"
#include "ui/help_window.h"
#include "ui/insertion_menu.h"
#include "ui/program_editor.h"

namespace kurovel {

namespace {

// A running program gives the window its turn once this much run time has passed.
constexpr auto kTurnInterval = std::chrono::milliseconds(2);

QString Utf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// "ＭＳ ゴシック" is not on this platform; IPAGothic is the fixed-pitch Japanese font.
QFont GothicFont(int pixel_size) {
  QFont font(QStringLiteral("IPAGothic"));
  font.setStyleHint(QFont::TypeWriter);
  font.setPixelSize(pixel_size);
  return font;
}

// Black while the control can be used; a disabled one keeps the style's grey, so
// that 中断 at rest and 実行 during a run look as unusable as they are.
void MakeTextBlack(QWidget* widget) {
  QPalette palette = widget->palette();
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text}) {
      palette.setColor(group, role, Qt::black);
    }
  }
  widget->setPalette(palette);
}

}  // namespace

MainWindow::MainWindow(const QStringList& arguments, QWidget* parent)
    : QMainWindow(parent), window_(surface_, *this, kTurnInterval) {
  setObjectName(QStringLiteral("Form1"));
  BuildControls();
  BuildMenu();
  BuildSpeedMenu();
  SetTabOrder();
  refresh_clock_.start();
  help_window_ = new HelpWindow(this);
  help_window_->SetAnswerCheck(
      [this](std::string_view line) { return CheckSelectedExercise(line, window_.session.turtle); });
  // Client area 823 x 446 below the menu bar, centred on the desktop.
  resize(823, 446 + menuBar()->sizeHint().height());
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect placed = geometry();
    placed.moveCenter(screen->availableGeometry().center());
    move(placed.topLeft());
  }
  setWindowTitle(Utf8(window_.document.Caption()));
  window_.session.Start();
  // The program named on the command line is read once the window is up, so a big
  // file shows its progress there. One that cannot be read is reported; the
  // session starts as after any other start.
  std::vector<std::string> program_arguments;
  for (const QString& argument : arguments) program_arguments.push_back(argument.toStdString());
  QMetaObject::invokeMethod(
      this, [this, program_arguments] { RunFlow(window_.document.OpenAtStart(program_arguments)); },
      Qt::QueuedConnection);
}

MainWindow::~MainWindow() = default;

void MainWindow::BuildControls() {
  QFont system_font = font();  // "System": the platform's UI font at 13 pixels
  system_font.setPixelSize(13);
  setFont(system_font);

  central_ = new QWidget(this);
  central_->setObjectName(QStringLiteral("ClientArea"));
  setCentralWidget(central_);

  drawing_area_ = new DrawingArea(surface_, central_);
  drawing_area_->setObjectName(QStringLiteral("PaintBox1"));
  drawing_area_->setAccessibleName(QStringLiteral("描画エリア"));
  drawing_area_->setGeometry(0, 0, kDefaultSurfaceWidth, kDefaultSurfaceHeight);

  struct HiddenList {
    QPlainTextEdit* MainWindow::*member;
    const char* name;
    QRect geometry;
  };
  static const HiddenList kHiddenLists[] = {
      {&MainWindow::trace_view_, "Memo2", QRect(16, 104, 105, 257)},  // the run's trace
      {&MainWindow::normalized_view_, "Memo3", QRect(352, 64, 201, 321)},  // the normalised program
  };
  for (const HiddenList& list : kHiddenLists) {
    auto* memo = new QPlainTextEdit(QString::fromUtf8(list.name), central_);
    memo->setObjectName(QString::fromUtf8(list.name));
    memo->setGeometry(list.geometry);
    memo->setReadOnly(true);
    memo->hide();
    memo->installEventFilter(this);  // filled when shown
    this->*list.member = memo;
  }

  panel_ = new QFrame(central_);
  panel_->setObjectName(QStringLiteral("Panel1"));
  panel_->setFrameStyle(QFrame::Panel | QFrame::Raised);
  panel_->setGeometry(573, 0, kPanelWidth, 446);
  panel_->raise();  // covers the part of the drawing area that reaches under it

  struct LabelSpec {
    QLabel* MainWindow::*member;
    const char* name;
    const char* text;
    QRect geometry;
  };
  static const LabelSpec kLabels[] = {
      {&MainWindow::command_label_, "Label1", "１行コマンド", QRect(8, 8, 84, 13)},
      {&MainWindow::program_label_, "Label2", "プログラム", QRect(8, 56, 70, 13)},
  };
  for (const LabelSpec& entry : kLabels) {
    auto* label = new QLabel(QString::fromUtf8(entry.text), panel_);
    label->setObjectName(QString::fromUtf8(entry.name));
    label->setGeometry(entry.geometry);
    label->setFont(GothicFont(13));
    MakeTextBlack(label);
    this->*entry.member = label;
  }

  command_box_ = new QLineEdit(panel_);
  command_box_->setObjectName(QStringLiteral("Edit1"));
  command_box_->setGeometry(8, 24, 233, 24);
  command_box_->setFont(GothicFont(16));
  MakeTextBlack(command_box_);
  command_box_->installEventFilter(this);  // CommandBoxKeyDown

  editor_ = new ProgramEditor(panel_);
  editor_->setObjectName(QStringLiteral("Memo1"));
  editor_->setAccessibleName(QStringLiteral("プログラム"));
  editor_->setGeometry(8, 80, 153, 217);
  editor_->SetTextFont(GothicFont(16));
  new InsertionMenu(editor_, [this](const std::string& message) { ShowBox(MessageKind::kError, {}, ErrorBoxText(message)); });
  editor_changes_ = new EditorChangeWatcher(
      editor_, [this] { return window_.document.Modified(); }, [this] { window_.document.EditorChanged(); });

  // Files dropped on the text boxes follow the window's drop rules, never pasted as text.
  auto* file_drops = new FileDropRouter(this, [this](const QStringList& paths) { DropFiles(paths); });
  file_drops->Watch(command_box_);
  file_drops->Watch(editor_->viewport());

  command_label_->setBuddy(command_box_);
  program_label_->setBuddy(editor_);

  struct ButtonSpec {
    QPushButton* MainWindow::*member;
    const char* name;
    const char* text;
    QRect geometry;
    void (MainWindow::*handler)();
  };
  static const ButtonSpec kButtons[] = {
      {&MainWindow::run_button_, "Button6", "実行", QRect(88, 52, 81, 25), &MainWindow::RunProgram},
      {&MainWindow::stop_button_, "Button7", "中断", QRect(184, 52, 49, 25), &MainWindow::StopProgram},
      {&MainWindow::clear_button_, "Button4", "画面消去", QRect(5, 304, 70, 25), &MainWindow::ClearScreen},
      {&MainWindow::open_button_, "Button2", "呼出", QRect(91, 304, 54, 25), &MainWindow::OpenProgram},
      {&MainWindow::quit_button_, "Button1", "終了", QRect(176, 304, 57, 50), &MainWindow::Quit},
      {&MainWindow::help_button_, "Button5", "使い方", QRect(5, 336, 70, 25), &MainWindow::ShowHelp},
      {&MainWindow::save_button_, "Button3", "保存", QRect(91, 336, 54, 25), &MainWindow::SaveProgramAs},
  };
  for (const ButtonSpec& entry : kButtons) {
    auto* button = new QPushButton(QString::fromUtf8(entry.text), panel_);
    button->setObjectName(QString::fromUtf8(entry.name));
    button->setGeometry(entry.geometry);
    button->setFont(GothicFont(13));
    button->setAutoDefault(false);  // Enter in the command box belongs to the box
    MakeTextBlack(button);
    connect(button, &QPushButton::clicked, this, entry.handler);
    this->*entry.member = button;
  }
  stop_button_->setEnabled(false);

  setAcceptDrops(true);
}

void MainWindow::BuildMenu() {
  struct MenuSpec {
    const char* name;
    const char* caption;  // nullptr: a separator line
    void (MainWindow::*handler)();
  };
  static const MenuSpec kFileMenu[] = {
      {"K1", "開く", &MainWindow::OpenProgram},
      {"K7", "新規作成", &MainWindow::NewProgram},
      {"K2", "上書き保存", &MainWindow::SaveProgram},
      {"K3", "名前を付けて保存", &MainWindow::SaveProgramAs},
      {"N2", "名前を付けて作品を保存", &MainWindow::SavePicture},
      {"N15", "背景を読み込む", &MainWindow::LoadBackground},
      {"N1", nullptr, nullptr},
      {"quit1", "終了", &MainWindow::Quit},
  };
  static const MenuSpec kHelpMenu[] = {
      {"K5", "使い方など", &MainWindow::ShowHelp},
  };
  struct SubMenuSpec {
    const char* name;
    const char* caption;
    std::span<const MenuSpec> items;
  };
  static const SubMenuSpec kMainMenu[] = {
      {"file1", "ファイル", kFileMenu},
      {"K4", "ヘルプ", kHelpMenu},
  };
  QMenuBar* bar = menuBar();
  bar->setObjectName(QStringLiteral("MainMenu1"));
  for (const SubMenuSpec& sub : kMainMenu) {
    QMenu* menu = bar->addMenu(QString::fromUtf8(sub.caption));
    menu->setObjectName(QString::fromUtf8(sub.name));
    menu->menuAction()->setObjectName(QString::fromUtf8(sub.name));
    for (const MenuSpec& item : sub.items) {
      QAction* action = item.caption ? menu->addAction(QString::fromUtf8(item.caption)) : menu->addSeparator();
      action->setObjectName(QString::fromUtf8(item.name));
      if (item.handler) connect(action, &QAction::triggered, this, item.handler);
    }
  }
}

void MainWindow::SetTabOrder() {
  // The panel comes first in the window; inside it the command box, the editor,
  // then 終了, 実行, 呼出, 保存, 使い方, 画面消去 and 中断.
  const QWidget* order[] = {command_box_, editor_, quit_button_, run_button_, open_button_, save_button_, help_button_, clear_button_, stop_button_};
  for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
    QWidget::setTabOrder(const_cast<QWidget*>(order[i]), const_cast<QWidget*>(order[i + 1]));
  }
  drawing_area_->setFocusPolicy(Qt::NoFocus);
  command_box_->setFocus();
}

void MainWindow::RepaintDrawing() {
  ShowFailure(Attempt([this] { window_.picture.Repaint(central_->width(), central_->height()); }));
  drawing_area_->update();
}

void MainWindow::LayOut() {
  const QRect outer = frameGeometry();
  laid_out_for_ = outer.size();
  const FormLayout layout = ComputeFormLayout(outer.width(), outer.height());
  const int client_width = central_->width();
  const int client_height = central_->height();
  drawing_area_->setGeometry(0, 0, layout.drawing_area_width, client_height);
  panel_->setGeometry(client_width - kPanelWidth, 0, kPanelWidth, client_height);
  editor_->resize(layout.editor_width, layout.editor_height);
  struct RowButton {
    QPushButton* button;
    int top;
  };
  for (const RowButton& row : {RowButton{clear_button_, layout.first_row_top}, RowButton{open_button_, layout.first_row_top},
                               RowButton{quit_button_, layout.first_row_top}, RowButton{help_button_, layout.second_row_top},
                               RowButton{save_button_, layout.second_row_top}}) {
    row.button->move(row.button->x(), row.top);
  }
  surface_.Flushed().Resize(layout.drawing_area_width, client_height);
  // The turtle goes to the new centre; the repaint that follows draws the arrow there.
  window_.session.turtle.Recentre();
  SchedulePaint();
}

void MainWindow::CommandBoxKeyDown(const QKeyEvent& key) {
  if (key.key() != Qt::Key_Return && key.key() != Qt::Key_Enter) return;
  const std::string line = command_box_->text().toStdString();
  Guarded([&] { window_.run.CommandLine(line); });
}

void MainWindow::DropFiles(const QStringList& paths) {
  std::vector<std::string> names;
  for (const QString& path : paths) names.push_back(path.toStdString());
  RunFlow(window_.document.Drop(std::move(names)));
}

void MainWindow::Quit() { close(); }

void MainWindow::OpenProgram() { RunFlow(window_.document.Open()); }

void MainWindow::SaveProgram() { RunFlow(window_.document.Save()); }

void MainWindow::SaveProgramAs() { RunFlow(window_.document.SaveAs()); }

void MainWindow::NewProgram() { RunFlow(window_.document.New()); }

void MainWindow::ClearScreen() {
  Guarded([this] { ShowFailure(Attempt([this] { window_.picture.ClearScreen(); })); });
}

void MainWindow::LoadBackground() { RunFlow(window_.picture.LoadBackground()); }

void MainWindow::SavePicture() { RunFlow(window_.picture.SavePicture()); }

void MainWindow::ShowHelp() { help_window_->ShowHelp(); }

void MainWindow::RunProgram() {
  Guarded([this] { window_.run.Run(); });
}

void MainWindow::StopProgram() { window_.run.Stop(); }

void MainWindow::PressStepKey() {
  Guarded([this] { window_.run.StepKey(); });
}

QString MainWindow::CurrentFileName() const { return Utf8(window_.document.FileName()); }

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == command_box_ && event->type() == QEvent::KeyPress) {
    CommandBoxKeyDown(*static_cast<QKeyEvent*>(event));  // the key is not consumed
  } else if (event->type() == QEvent::Show && (watched == trace_view_ || watched == normalized_view_)) {
    // The hidden lists show the trace and the normalised program whenever someone makes them visible.
    const Session& session = window_.session;
    const bool trace = watched == trace_view_;
    const std::string text = trace ? ListTextUtf8(session.trace.Lines(), session.trace.Omitted())
                                   : ListTextUtf8(session.runner.NormalizedProgram());
    static_cast<QPlainTextEdit*>(watched)->setPlainText(Utf8(text));
  }
  return QMainWindow::eventFilter(watched, event);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  LayOut();
}

void MainWindow::moveEvent(QMoveEvent* event) {
  QMainWindow::moveEvent(event);
  // The window manager adds its frame after the first layout; the rules count it.
  if (frameGeometry().size() != laid_out_for_) LayOut();
}

void MainWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (shown_once_ || event->spontaneous()) return;
  shown_once_ = true;
  setWindowTitle(Utf8(WindowCaption({})));
  SchedulePaint();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // The close question; a granted close has stopped the running program.
  if (!close_granted_) RunFlow(window_.document.Close());
  if (!close_granted_ || handler_depth_ > 0) {
    // Granted while a handler runs (a program, a command-box line): the window
    // closes once that handler has returned (Guarded).
    event->ignore();
    return;
  }
  help_window_->hide();
  event->accept();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) { AnswerFileDrag(*event); }

void MainWindow::dropEvent(QDropEvent* event) { DropFiles(TakeDroppedFiles(*event)); }

template <typename Handler>
void MainWindow::Guarded(Handler&& handler) {
  ++handler_depth_;
  try {
    handler();
  } catch (const std::exception& error) {
    ShowBox(MessageKind::kError, {}, ErrorBoxText(ErrorMessageOf(error)));
  }
  --handler_depth_;
  FlushDrawing();
  if (handler_depth_ == 0 && close_granted_) close();
}

void MainWindow::RunFlow(Flow<> flow) {
  // While a flow waits for an answer (a box, a dialog, a long load), a new one is
  // dropped, as the controllers drop it.
  if (window_.flows.Busy()) return;
  Guarded([&] {
    for (Request request = window_.flows.Start(std::move(flow)); request;) {
      request = window_.flows.Answer(Perform(request));
    }
    progress_.reset();
    editor_changes_->Rebase();
  });
}

void MainWindow::ShowFailure(const Request& failure) {
  if (failure) Perform(failure);
}

void MainWindow::FlushDrawing() { drawing_area_->FlushDirty(); }

void MainWindow::SchedulePaint() {
  if (paint_scheduled_) return;
  paint_scheduled_ = true;
  // After the events that caused it, like the platform's own paint message.
  QMetaObject::invokeMethod(this, &MainWindow::RunScheduledPaint, Qt::QueuedConnection);
}

void MainWindow::RunScheduledPaint() {
  paint_scheduled_ = false;
  Guarded([this] { RepaintDrawing(); });
}

}  // namespace kurovel
