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

#include "engine/arrow.h"
#include "engine/color.h"
#include "language/cp932.h"
#include "language/errors.h"
#include "language/normalizer.h"
#include "ui/dialogs.h"
#include "ui/form_layout.h"
#include "ui/help_window.h"
#include "ui/insertion_menu.h"
#include "ui/drawing_area.h"
#include "ui/editor_fill.h"
#include "ui/file_drop.h"
#include "ui/file_progress.h"
#include "files/program_document.h"
#include "files/program_file.h"
#include "ui/program_modified.h"
#include "ui/start_rules.h"
#include "controllers/window_rules.h"
#include "controllers/window_texts.h"

namespace kurovel {

namespace {

// The drawing area is refreshed at most this often during a run (about 60 a second).
constexpr qint64 kRefreshIntervalMs = 16;

// The trace view's last line when the trace was too long to keep whole.
constexpr const char* kTraceOmitted = "（以下 %1 行は省略しました）";
constexpr std::string_view kProgramFilter = "Original Files|*.kv|All Files|*.*";

QString Utf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QString CaptionFor(const QString& current_file_name) { return Utf8(WindowCaption(current_file_name.toStdString())); }

// The editor and the command box hold Unicode; the language works on CP932. A
// character CP932 cannot hold becomes "?", as the platform's own conversion does.
std::string ToCp932(const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  std::string_view rest(utf8.constData(), static_cast<std::size_t>(utf8.size()));
  std::string out;
  while (!rest.empty()) {
    const Cp932Encoding part = Utf8ToCp932(rest);
    out += part.bytes;
    if (part.Ok()) break;
    out += '?';
    std::size_t skip = part.bad_offset + 1;  // past the lead byte and its continuation bytes
    while (skip < rest.size() && (static_cast<unsigned char>(rest[skip]) & 0xC0) == 0x80) ++skip;
    rest.remove_prefix(skip);
  }
  return out;
}

// "ＭＳ ゴシック" is not on this platform; IPAGothic is the fixed-pitch Japanese font.
QFont GothicFont(int pixel_size) {
  QFont font(QStringLiteral("IPAGothic"));
  font.setStyleHint(QFont::TypeWriter);
  font.setPixelSize(pixel_size);
  return font;
}

void MakeTextBlack(QWidget* widget) {
  QPalette palette = widget->palette();
  for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text}) {
    palette.setColor(role, Qt::black);
  }
  widget->setPalette(palette);
}

}  // namespace

// The runner's view of the window: the editor's lines, the Run and Stop buttons
// and the warning box.
class MainWindow::RunnerView final : public RunnerHost {
 public:
  explicit RunnerView(MainWindow& form) : form_(form) {}
  const LineBuffer& ProgramLines() override {
    lines_ = form_.EditorLinesCp932();
    return lines_;
  }
  void SetRunEnabled(bool enabled) override { form_.run_button_->setEnabled(enabled); }
  void SetStopEnabled(bool enabled) override { form_.stop_button_->setEnabled(enabled); }
  void ShowWarning(std::string_view caption, std::string_view text) override {
    ShowMessage(&form_, Utf8(caption), Utf8(text));
  }

 private:
  MainWindow& form_;
  LineBuffer lines_;  // the editor's lines of the latest run
};

MainWindow::MainWindow(const QStringList& arguments, QWidget* parent)
    : QMainWindow(parent), runner_view_(std::make_unique<RunnerView>(*this)) {
  setObjectName(QStringLiteral("Form1"));
  BuildControls();
  BuildMenu();
  BuildSpeedMenu();
  SetTabOrder();
  session_.executor.SetPendingEventsHook([this] { ProcessPendingEvents(); });
  session_.runner.SetLineHook([this](std::int32_t line) { RunLineReached(line); });
  refresh_clock_.start();
  help_window_ = new HelpWindow(this);
  // Client area 823 x 446 below the menu bar, centred on the desktop.
  resize(823, 446 + menuBar()->sizeHint().height());
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect placed = geometry();
    placed.moveCenter(screen->availableGeometry().center());
    move(placed.topLeft());
  }
  setWindowTitle(CaptionFor(QString()));
  StartUp(arguments);
}

MainWindow::~MainWindow() {
  // The hooks point at this window; a session outliving it must not call back.
  session_.executor.SetPendingEventsHook({});
  session_.runner.SetLineHook({});
}

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

  editor_ = new QPlainTextEdit(panel_);
  editor_->setObjectName(QStringLiteral("Memo1"));
  editor_->setAccessibleName(QStringLiteral("プログラム"));
  editor_->setGeometry(8, 80, 153, 217);
  editor_->setFont(GothicFont(16));
  MakeTextBlack(editor_);
  editor_->setLineWrapMode(QPlainTextEdit::NoWrap);
  editor_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  editor_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  editor_->setTabChangesFocus(true);  // Tab moves on instead of typing a tab
  new InsertionMenu(editor_, [this](const std::string& message) { ShowErrorBox(this, message); });
  editor_modified_ = new ProgramModifiedFlag(editor_);

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

void MainWindow::StartUp(const QStringList& arguments) {
  if (const std::optional<QString> program = CommandLineProgram(arguments)) {
    // Read once the window is up, so a big file shows its progress there. A file
    // that cannot be read is reported; the session starts as after any other start.
    QMetaObject::invokeMethod(
        this, [this, path = *program] { Guarded([&] { OpenIntoEditor(path); }); }, Qt::QueuedConnection);
  }
  session_.Start();
}

void MainWindow::ShowTitle() { setWindowTitle(CaptionFor(QString())); }

void MainWindow::RepaintDrawing() {
  session_.Repaint(central_->width(), central_->height());
  Guarded([this] { LayRememberedBackground(session_.turtle, pictures_); });
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
  session_.turtle.Recentre();
  SchedulePaint();
}

void MainWindow::CommandBoxKeyDown(const QKeyEvent& key) {
  if (key.key() != Qt::Key_Return && key.key() != Qt::Key_Enter) return;
  const std::string line = NormalizeLine(ToCp932(command_box_->text()));
  event_budget_.DeliverAtNextCall();
  Guarded([&] { session_.executor.ExecuteLine(line); });
}

void MainWindow::DropFiles(const QStringList& paths) {
  Guarded([&] {
    std::vector<std::string> names;
    for (const QString& path : paths) names.push_back(path.toStdString());
    const DropRequest request = DropRequestFor(names);
    if (request == DropRequest::kOneFileOnly) {
      ShowNotice(this, QString::fromUtf8(kDropOneFile));
      return;
    }
    if (request == DropRequest::kOpenProgram) {
      // Unsaved changes are never thrown away unasked, as with 開く.
      if (!ConfirmDiscard()) return;
      OpenIntoEditor(paths.front());
      ShowFileCaption(paths.front());
    }
    raise();
    activateWindow();
  });
}

void MainWindow::Quit() { close(); }

void MainWindow::OpenProgram() {
  Guarded([this] {
    if (!ConfirmDiscard()) return;
    const QString path = RunFileDialog(this, {false, QtNameFilters(kProgramFilter), QStringLiteral("kv"),
                                              current_file_name_});
    if (path.isEmpty()) return;
    OpenIntoEditor(path);
    ShowFileCaption(path);
  });
}

void MainWindow::SaveProgram() {
  Guarded([this] { SaveToCurrentOrAsk(); });
}

void MainWindow::SaveProgramAs() {
  Guarded([this] { SaveThroughDialog(); });
}

void MainWindow::NewProgram() {
  Guarded([this] {
    if (!ConfirmDiscard()) return;
    EditorContent editor;
    EmptyEditor(editor, current_file_name_);
    setWindowTitle(CaptionFor(current_file_name_));
    editor_->clear();  // also ends the undo history
    SetContent(editor);
    pictures_.background_file_name.clear();
    session_.turtle.ClearScreen();
  });
}

void MainWindow::ClearScreen() {
  Guarded([this] { kurovel::ClearWithBackground(session_.turtle, pictures_); });
}

void MainWindow::LoadBackground() {
  Guarded([this] {
    const QString path = RunFileDialog(
        this, {false, QtNameFilters(kOpenPictureFilter), QString(), Utf8(pictures_.background_file_name), true});
    if (path.isEmpty()) return;
    kurovel::UseBackground(session_.turtle, pictures_, path.toStdString());
  });
}

void MainWindow::SavePicture() {
  Guarded([this] {
    const Picture snapshot = TakeDrawingSnapshot(surface_);  // before the dialog covers anything
    const QString path = RunFileDialog(this, {true, QtNameFilters(SavePictureFilter(pictures_)),
                                              Utf8(kSavePictureDefaultExtension), last_picture_name_, true});
    if (path.isEmpty()) return;
    last_picture_name_ = path;
    kurovel::SaveDrawing(snapshot, pictures_, path.toStdString());
  });
}

void MainWindow::ShowHelp() { help_window_->ShowHelp(); }

void MainWindow::RunProgram() {
  // One line at a time: while the run waits before a line, 実行 runs that line.
  if (waiting_for_step_) {
    GrantStep();
    return;
  }
  std::optional<std::int32_t> failed_line;
  Guarded([&] {
    const RunPacing pacing(*this);
    try {
      session_.runner.RunProgram(*runner_view_);
    } catch (const KurovelError&) {
      failed_line = running_line_;
      throw;
    }
  });
  // After the error box: the line that failed, for the pupil to look at.
  if (failed_line) ShowLine(*failed_line);
}

void MainWindow::StopProgram() {
  session_.runner.StopProgram(*runner_view_);
  EndWait();
}

bool MainWindow::MayClose() {
  if (!EditorModified()) return true;
  switch (AskYesNoCancel(this, QString::fromUtf8(kWarningCaptionFile), QString::fromUtf8(kWarningSave))) {
    case Answer::kYes:
      // Only a program that was really written lets the window close: a cancelled
      // save dialog or a failed write keeps it open with the program.
      try {
        return SaveToCurrentOrAsk();
      } catch (const OperationCancelled&) {
        return false;
      } catch (const std::exception& error) {
        ShowErrorBox(this, ErrorMessageOf(error));
        return false;
      }
    case Answer::kNo:
      return true;
    case Answer::kCancel:
      break;
  }
  return false;
}

void MainWindow::ProcessPendingEvents() {
  if (event_budget_.Due()) DeliverEvents();
  PaceCommand();
}

void MainWindow::DeliverEvents() {
  if (refresh_clock_.hasExpired(kRefreshIntervalMs)) {
    drawing_area_->FlushDirty();  // delivered by the event processing below
    refresh_clock_.restart();
  }
  QCoreApplication::processEvents();
  event_budget_.Delivered();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == command_box_ && event->type() == QEvent::KeyPress) {
    CommandBoxKeyDown(*static_cast<QKeyEvent*>(event));  // the key is not consumed
  } else if (event->type() == QEvent::Show && (watched == trace_view_ || watched == normalized_view_)) {
    // The hidden lists show the trace and the normalised program whenever someone makes them visible.
    const bool trace = watched == trace_view_;
    const LineBuffer& lines = trace ? session_.trace.Lines() : session_.runner.NormalizedProgram();
    QStringList text;
    for (const std::string_view line : lines) text << Utf8(Cp932ToUtf8(line));
    if (trace && session_.trace.Omitted() > 0) text << QString::fromUtf8(kTraceOmitted).arg(session_.trace.Omitted());
    static_cast<QPlainTextEdit*>(watched)->setPlainText(text.join(QLatin1Char('\n')));
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
  ShowTitle();
  SchedulePaint();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (!close_granted_) {
    if (!MayClose()) {
      event->ignore();
      return;
    }
    close_granted_ = true;
  }
  if (handler_depth_ > 0) {
    // Granted while a handler runs (a program, a command-box line): the run stops
    // as Stop stops it, and the window closes once the handler has returned.
    if (session_.runner.Running()) StopProgram();
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
  } catch (const OperationCancelled&) {
    // キャンセル in a progress dialog: the operation left everything as it was.
  } catch (const std::exception& error) {
    FlushDrawing();  // the error box shows over what was drawn up to the error
    ShowErrorBox(this, ErrorMessageOf(error));
  }
  --handler_depth_;
  FlushDrawing();
  if (handler_depth_ == 0 && close_granted_) close();
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

bool MainWindow::ConfirmDiscard() {
  return !EditorModified() ||
         AskOkCancel(this, QString::fromUtf8(kWarningCaptionFile), QString::fromUtf8(kWarningDiscard));
}

bool MainWindow::SaveToCurrentOrAsk() {
  if (current_file_name_.isEmpty()) return SaveThroughDialog();
  SaveEditorTo(current_file_name_);
  return true;
}

bool MainWindow::SaveThroughDialog() {
  if (!current_file_name_.isEmpty()) save_dialog_name_ = current_file_name_;
  const QString path =
      RunFileDialog(this, {true, QtNameFilters(kProgramFilter), QStringLiteral("kv"), save_dialog_name_});
  if (path.isEmpty()) return false;
  save_dialog_name_ = path;
  SaveEditorTo(path);
  ShowFileCaption(path);
  return true;
}

void MainWindow::OpenIntoEditor(const QString& path) {
  // The name becomes current only once the text is in the editor: a cancel or a
  // failure on the way changes nothing.
  FileProgress progress(this, kLoadingProgramText);
  EditorContent editor = Content();
  QString file_name = current_file_name_;
  const TextEncoding encoding = LoadIntoEditor(path, editor, file_name, progress.Hook());
  SetContent(editor, progress.Hook());
  current_file_name_ = file_name;
  if (const std::string notice = ReadEncodingNotice(encoding); !notice.empty()) ShowNotice(this, QString::fromStdString(notice));
}

void MainWindow::SaveEditorTo(const QString& path) {
  FileProgress progress(this, kSavingProgramText);
  EditorContent editor = Content();
  SaveFromEditor(path, editor, current_file_name_, progress.Hook());
  SetContent(editor);
}

EditorContent MainWindow::Content() const { return {editor_->toPlainText(), EditorModified(), source_}; }

void MainWindow::SetContent(const EditorContent& editor, const ProgressHook& progress) {
  // Setting the same text again would only lose the caret and the undo history.
  if (editor.text != editor_->toPlainText()) FillEditor(*editor_, editor.text, progress);
  editor_modified_->Set(editor.modified);
  source_ = editor.source;
}

void MainWindow::ShowFileCaption(const QString& path) { setWindowTitle(CaptionFor(path)); }

bool MainWindow::EditorModified() const { return editor_modified_->IsSet(); }

LineBuffer MainWindow::EditorLinesCp932() const {
  const QString text = editor_->toPlainText();
  LineBuffer lines;
  if (text.isEmpty()) return lines;
  QStringList parts = text.split(QLatin1Char('\n'));
  // A final line break ends the last line; it does not start another one.
  if (text.endsWith(QLatin1Char('\n'))) parts.removeLast();
  for (const QString& part : parts) lines.push_back(ToCp932(part));
  return lines;
}

}  // namespace kurovel
