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
#include <QMimeData>
#include <QMoveEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QGuiApplication>
#include <QScreen>
#include <QShowEvent>
#include <QTextDocument>
#include <QUrl>
#include <algorithm>
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
#include "ui/paint_box.h"
#include "ui/program_document.h"
#include "ui/program_file.h"
#include "ui/start_rules.h"

namespace kurovel {

namespace {

// The drawing area is refreshed at most this often during a run (about 60 a second).
constexpr qint64 kRefreshIntervalMs = 16;

constexpr const char* kWarningDiscard = "プログラムが変更されています。よろしいですか？";
constexpr const char* kWarningSave = "プログラムが変更されています。保存しますか？";
constexpr const char* kWarningCaptionFile = "警告!";
constexpr const char* kDropOneFile = "ドロップするファイルは1つにしてください。";
constexpr std::string_view kProgramFilter = "Original Files|*.kv|All Files|*.*";

QString Utf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

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

// The runner's view of the window: the editor's lines, the two buttons and the
// warning box.
class TForm1::Host final : public RunnerHost {
 public:
  explicit Host(TForm1& form) : form_(form) {}
  std::vector<std::string> EditorLines() const override { return form_.EditorLinesCp932(); }
  void SetButton6Enabled(bool enabled) override { form_.button6_->setEnabled(enabled); }
  void SetButton7Enabled(bool enabled) override { form_.button7_->setEnabled(enabled); }
  void ShowWarning(std::string_view caption, std::string_view text) override {
    ShowMessage(&form_, Utf8(caption), Utf8(text));
  }

 private:
  TForm1& form_;
};

TForm1::TForm1(const QStringList& arguments, QWidget* parent)
    : QMainWindow(parent), host_(std::make_unique<Host>(*this)) {
  setObjectName(QStringLiteral("Form1"));
  BuildControls();
  BuildMenu();
  SetTabOrder();
  session_.executor.SetPendingEventsHook([this] { ProcessPendingEvents(); });
  refresh_clock_.start();
  help_ = new HelpWindow(this);
  // Client area 823 x 446 below the menu bar, centred on the desktop.
  resize(823, 446 + menuBar()->sizeHint().height());
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect placed = geometry();
    placed.moveCenter(screen->availableGeometry().center());
    move(placed.topLeft());
  }
  setWindowTitle(CaptionFor(QString()));
  FormCreate(arguments);
}

TForm1::~TForm1() {
  // The hook points at this window; a session outliving it must not call back.
  session_.executor.SetPendingEventsHook({});
}

void TForm1::BuildControls() {
  QFont system_font = font();  // "System": the platform's UI font at 13 pixels
  system_font.setPixelSize(13);
  setFont(system_font);

  central_ = new QWidget(this);
  central_->setObjectName(QStringLiteral("ClientArea"));
  setCentralWidget(central_);

  paint_box1_ = new PaintBox(surface_, central_);
  paint_box1_->setObjectName(QStringLiteral("PaintBox1"));
  paint_box1_->setAccessibleName(QStringLiteral("描画エリア"));
  paint_box1_->setGeometry(0, 0, 361, 446);

  struct HiddenList {
    QPlainTextEdit* TForm1::*member;
    const char* name;
    QRect geometry;
  };
  static const HiddenList kHiddenLists[] = {
      {&TForm1::memo2_, "Memo2", QRect(16, 104, 105, 257)},  // the run's trace
      {&TForm1::memo3_, "Memo3", QRect(352, 64, 201, 321)},  // the normalised program
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

  panel1_ = new QFrame(central_);
  panel1_->setObjectName(QStringLiteral("Panel1"));
  panel1_->setFrameStyle(QFrame::Panel | QFrame::Raised);
  panel1_->setGeometry(573, 0, kPanelWidth, 446);
  panel1_->raise();  // covers the part of the drawing area that reaches under it

  struct LabelSpec {
    QLabel* TForm1::*member;
    const char* name;
    const char* text;
    QRect geometry;
  };
  static const LabelSpec kLabels[] = {
      {&TForm1::label1_, "Label1", "１行コマンド", QRect(8, 8, 84, 13)},
      {&TForm1::label2_, "Label2", "プログラム", QRect(8, 56, 70, 13)},
  };
  for (const LabelSpec& entry : kLabels) {
    auto* label = new QLabel(QString::fromUtf8(entry.text), panel1_);
    label->setObjectName(QString::fromUtf8(entry.name));
    label->setGeometry(entry.geometry);
    label->setFont(GothicFont(13));
    MakeTextBlack(label);
    this->*entry.member = label;
  }

  edit1_ = new QLineEdit(panel1_);
  edit1_->setObjectName(QStringLiteral("Edit1"));
  edit1_->setGeometry(8, 24, 233, 24);
  edit1_->setFont(GothicFont(16));
  MakeTextBlack(edit1_);
  edit1_->installEventFilter(this);  // Edit1KeyDown

  memo1_ = new QPlainTextEdit(panel1_);
  memo1_->setObjectName(QStringLiteral("Memo1"));
  memo1_->setAccessibleName(QStringLiteral("プログラム"));
  memo1_->setGeometry(8, 80, 153, 217);
  memo1_->setFont(GothicFont(16));
  MakeTextBlack(memo1_);
  memo1_->setLineWrapMode(QPlainTextEdit::NoWrap);
  memo1_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  memo1_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  memo1_->setTabChangesFocus(true);  // Tab moves on instead of typing a tab
  new InsertionMenu(memo1_, [this](const std::string& message) { ShowErrorBox(this, message); });

  label1_->setBuddy(edit1_);
  label2_->setBuddy(memo1_);

  struct ButtonSpec {
    QPushButton* TForm1::*member;
    const char* name;
    const char* text;
    QRect geometry;
    void (TForm1::*handler)();
  };
  static const ButtonSpec kButtons[] = {
      {&TForm1::button6_, "Button6", "実行", QRect(88, 52, 81, 25), &TForm1::Button6Click},
      {&TForm1::button7_, "Button7", "中断", QRect(184, 52, 49, 25), &TForm1::Button7Click},
      {&TForm1::button4_, "Button4", "画面消去", QRect(5, 304, 70, 25), &TForm1::Button4Click},
      {&TForm1::button2_, "Button2", "呼出", QRect(91, 304, 54, 25), &TForm1::Button2Click},
      {&TForm1::button1_, "Button1", "終了", QRect(176, 304, 57, 50), &TForm1::Button1Click},
      {&TForm1::button5_, "Button5", "使い方", QRect(5, 336, 70, 25), &TForm1::Button5Click},
      {&TForm1::button3_, "Button3", "保存", QRect(91, 336, 54, 25), &TForm1::Button3Click},
  };
  for (const ButtonSpec& entry : kButtons) {
    auto* button = new QPushButton(QString::fromUtf8(entry.text), panel1_);
    button->setObjectName(QString::fromUtf8(entry.name));
    button->setGeometry(entry.geometry);
    button->setFont(GothicFont(13));
    button->setAutoDefault(false);  // Enter in the command box belongs to the box
    MakeTextBlack(button);
    connect(button, &QPushButton::clicked, this, entry.handler);
    this->*entry.member = button;
  }
  button7_->setEnabled(false);

  setAcceptDrops(true);
}

void TForm1::BuildMenu() {
  struct MenuSpec {
    const char* name;
    const char* caption;  // nullptr: a separator line
    void (TForm1::*handler)();
  };
  static const MenuSpec kFileMenu[] = {
      {"K1", "開く", &TForm1::Button2Click},
      {"K7", "新規作成", &TForm1::K7Click},
      {"K2", "上書き保存", &TForm1::K2Click},
      {"K3", "名前を付けて保存", &TForm1::Button3Click},
      {"N2", "名前を付けて作品を保存", &TForm1::N2Click},
      {"N15", "背景を読み込む", &TForm1::N15Click},
      {"N1", nullptr, nullptr},
      {"quit1", "終了", &TForm1::quit1Click},
  };
  static const MenuSpec kHelpMenu[] = {
      {"K5", "使い方など", &TForm1::K5Click},
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

void TForm1::SetTabOrder() {
  // Panel1 comes first in the window; inside it Edit1, Memo1, Button1, Button6,
  // Button2, Button3, Button5, Button4, Button7.
  const QWidget* order[] = {edit1_, memo1_, button1_, button6_, button2_, button3_, button5_, button4_, button7_};
  for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
    QWidget::setTabOrder(const_cast<QWidget*>(order[i]), const_cast<QWidget*>(order[i + 1]));
  }
  paint_box1_->setFocusPolicy(Qt::NoFocus);
  edit1_->setFocus();
}

void TForm1::FormCreate(const QStringList& arguments) {
  // The turtle's start values and RunEnabled = 1 come with the session and the runner.
  if (const std::optional<QString> program = CommandLineProgram(arguments)) {
    // A file that cannot be read is reported; the rest of the start-up still
    // runs, so the variables and the arrow are as after any other start.
    Guarded([&] { OpenIntoEditor(*program); });
  }
  session_.variables.SetAll(10);
  session_.turtle.DrawArrow();
}

void TForm1::FormShow() { setWindowTitle(CaptionFor(QString())); }

void TForm1::FormPaint() {
  surface_.SetPenColor(clWhite);
  surface_.Rectangle(0, 0, central_->width(), central_->height());
  surface_.SetPenColor(clBlue);
  Button4Click();
  paint_box1_->update();
}

void TForm1::FormResize() {
  const QRect outer = frameGeometry();
  laid_out_for_ = outer.size();
  const FormLayout layout = ComputeFormLayout(outer.width(), outer.height());
  const int client_width = central_->width();
  const int client_height = central_->height();
  paint_box1_->setGeometry(0, 0, layout.paint_box_width, client_height);
  panel1_->setGeometry(client_width - kPanelWidth, 0, kPanelWidth, client_height);
  memo1_->resize(layout.editor_width, layout.editor_height);
  struct RowButton {
    QPushButton* button;
    int top;
  };
  for (const RowButton& row : {RowButton{button4_, layout.first_row_top}, RowButton{button2_, layout.first_row_top},
                               RowButton{button1_, layout.first_row_top}, RowButton{button5_, layout.second_row_top},
                               RowButton{button3_, layout.second_row_top}}) {
    row.button->move(row.button->x(), row.top);
  }
  surface_.Resize(layout.paint_box_width, client_height);
  // The turtle goes to the new centre; the repaint that follows draws the arrow there.
  const Point centre = SurfaceCenter(surface_);
  session_.turtle.State().X = centre.x;
  session_.turtle.State().Y = centre.y;
  SchedulePaint();
}

void TForm1::Edit1KeyDown(const QKeyEvent& key) {
  if (key.key() != Qt::Key_Return && key.key() != Qt::Key_Enter) return;
  const std::string line = NormalizeLine(ToCp932(edit1_->text()));
  Guarded([&] { session_.executor.ExecuteLine(line); });
}

void TForm1::WMDropFiles(const QStringList& paths) {
  Guarded([&] {
    if (paths.size() >= 2) {
      ShowNotice(this, QString::fromUtf8(kDropOneFile));
      return;
    }
    if (paths.size() == 1 && IsProgramFileName(paths.front())) {
      // Unlike the Part's original drop, unsaved changes are not thrown away unasked.
      if (!ConfirmDiscard()) return;
      OpenIntoEditor(paths.front());
      ShowFileCaption(paths.front());
    }
    raise();
    activateWindow();
  });
}

void TForm1::Button1Click() { close(); }
void TForm1::quit1Click() { close(); }

void TForm1::Button2Click() {
  Guarded([this] {
    if (!ConfirmDiscard()) return;
    const QString path = RunFileDialog(this, {false, QtNameFilters(kProgramFilter), QStringLiteral("kv"),
                                              current_file_name_});
    if (path.isEmpty()) return;
    OpenIntoEditor(path);
    ShowFileCaption(path);
  });
}

void TForm1::K2Click() {
  Guarded([this] { SaveToCurrentOrAsk(); });
}

void TForm1::Button3Click() {
  Guarded([this] { SaveThroughDialog(); });
}

void TForm1::K7Click() {
  Guarded([this] {
    if (!ConfirmDiscard()) return;
    EditorContent editor;
    NewProgram(editor, current_file_name_);
    setWindowTitle(CaptionFor(current_file_name_));
    memo1_->clear();  // emptying the editor clears its modified flag
    SetContent(editor);
    pictures_.BackgroundFileName.clear();
    session_.turtle.ClearScreen();
  });
}

void TForm1::Button4Click() {
  Guarded([this] { kurovel::Button4Click(session_.turtle, pictures_); });
}

void TForm1::N15Click() {
  Guarded([this] {
    const QString path = RunFileDialog(
        this, {false, QtNameFilters(kOpenPictureFilter), QString(), Utf8(pictures_.BackgroundFileName)});
    if (path.isEmpty()) return;
    kurovel::N15Click(session_.turtle, pictures_, path.toStdString());
  });
}

void TForm1::N2Click() {
  Guarded([this] {
    const Picture snapshot = TakeDrawingSnapshot(surface_);  // before the dialog covers anything
    const QString path = RunFileDialog(this, {true, QtNameFilters(SavePictureFilter(pictures_)),
                                              Utf8(kSavePictureDefaultExtension), last_picture_name_});
    if (path.isEmpty()) return;
    last_picture_name_ = path;
    kurovel::N2Click(snapshot, pictures_, path.toStdString());
  });
}

void TForm1::Button5Click() { help_->ShowHelp(); }
void TForm1::K5Click() { help_->ShowHelp(); }

void TForm1::Button6Click() {
  Guarded([this] { runner_.RunProgram(*host_); });
}

void TForm1::Button7Click() { runner_.Button7Click(*host_); }

bool TForm1::FormCloseQuery() {
  if (!EditorModified()) return true;
  switch (AskYesNoCancel(this, QString::fromUtf8(kWarningCaptionFile), QString::fromUtf8(kWarningSave))) {
    case Answer::Yes:
      // Only a program that was really written lets the window close: a cancelled
      // save dialog or a failed write keeps it open with the program.
      try {
        return SaveToCurrentOrAsk();
      } catch (const std::exception& error) {
        ShowErrorBox(this, error.what());
        return false;
      }
    case Answer::No:
      return true;
    case Answer::Cancel:
      break;
  }
  return false;
}

void TForm1::ProcessPendingEvents() {
  if (refresh_clock_.hasExpired(kRefreshIntervalMs)) {
    paint_box1_->FlushDirty();  // delivered by the event processing below
    refresh_clock_.restart();
  }
  QCoreApplication::processEvents();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (watched == edit1_ && event->type() == QEvent::KeyPress) {
    Edit1KeyDown(*static_cast<QKeyEvent*>(event));  // the key is not consumed
  } else if (event->type() == QEvent::Show && (watched == memo2_ || watched == memo3_)) {
    // The hidden lists show the trace and the normalised program whenever someone makes them visible.
    const std::vector<std::string>& lines = watched == memo2_ ? session_.trace : runner_.NormalizedProgram();
    QStringList text;
    for (const std::string& line : lines) text << Utf8(Cp932ToUtf8(line));
    static_cast<QPlainTextEdit*>(watched)->setPlainText(text.join(QLatin1Char('\n')));
  }
  return QMainWindow::eventFilter(watched, event);
}

void TForm1::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  FormResize();
}

void TForm1::moveEvent(QMoveEvent* event) {
  QMainWindow::moveEvent(event);
  // The window manager adds its frame after the first layout; the rules count it.
  if (frameGeometry().size() != laid_out_for_) FormResize();
}

void TForm1::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (shown_once_ || event->spontaneous()) return;
  shown_once_ = true;
  FormShow();
  SchedulePaint();
}

void TForm1::closeEvent(QCloseEvent* event) {
  if (!close_granted_) {
    if (!FormCloseQuery()) {
      event->ignore();
      return;
    }
    close_granted_ = true;
  }
  if (handler_depth_ > 0) {
    // Granted while a handler runs (a program, a command-box line): the run stops
    // as Stop stops it, and the window closes once the handler has returned.
    if (runner_.Running()) Button7Click();
    event->ignore();
    return;
  }
  help_->hide();
  event->accept();
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  const bool local_files =
      !urls.isEmpty() && std::all_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); });
  if (local_files) event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
  QStringList paths;
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile()) paths << url.toLocalFile();
  }
  event->acceptProposedAction();
  WMDropFiles(paths);
}

template <typename Handler>
void TForm1::Guarded(Handler&& handler) {
  ++handler_depth_;
  try {
    handler();
  } catch (const std::exception& error) {
    FlushDrawing();  // the error box shows over what was drawn up to the error
    ShowErrorBox(this, error.what());
  }
  --handler_depth_;
  FlushDrawing();
  if (handler_depth_ == 0 && close_granted_) close();
}

void TForm1::FlushDrawing() { paint_box1_->FlushDirty(); }

void TForm1::SchedulePaint() {
  if (paint_scheduled_) return;
  paint_scheduled_ = true;
  // After the events that caused it, like the platform's own paint message.
  QMetaObject::invokeMethod(this, &TForm1::RunScheduledPaint, Qt::QueuedConnection);
}

void TForm1::RunScheduledPaint() {
  paint_scheduled_ = false;
  Guarded([this] { FormPaint(); });
}

bool TForm1::ConfirmDiscard() {
  return !EditorModified() ||
         AskOkCancel(this, QString::fromUtf8(kWarningCaptionFile), QString::fromUtf8(kWarningDiscard));
}

bool TForm1::SaveToCurrentOrAsk() {
  if (current_file_name_.isEmpty()) return SaveThroughDialog();
  SaveEditorTo(current_file_name_);
  return true;
}

bool TForm1::SaveThroughDialog() {
  if (!current_file_name_.isEmpty()) save_dialog_name_ = current_file_name_;
  const QString path =
      RunFileDialog(this, {true, QtNameFilters(kProgramFilter), QStringLiteral("kv"), save_dialog_name_});
  if (path.isEmpty()) return false;
  save_dialog_name_ = path;
  SaveEditorTo(path);
  ShowFileCaption(path);
  return true;
}

void TForm1::OpenIntoEditor(const QString& path) {
  EditorContent editor = Content();
  OpenProgram(path, editor, current_file_name_);
  SetContent(editor);
}

void TForm1::SaveEditorTo(const QString& path) {
  EditorContent editor = Content();
  SaveProgram(path, editor, current_file_name_);
  SetContent(editor);
}

EditorContent TForm1::Content() const { return {memo1_->toPlainText(), EditorModified(), source_}; }

void TForm1::SetContent(const EditorContent& editor) {
  // Setting the same text again would only lose the caret and the undo history.
  if (editor.text != memo1_->toPlainText()) memo1_->setPlainText(editor.text);
  memo1_->document()->setModified(editor.modified);
  source_ = editor.source;
}

void TForm1::ShowFileCaption(const QString& path) { setWindowTitle(CaptionFor(path)); }

bool TForm1::EditorModified() const { return memo1_->document()->isModified(); }

std::vector<std::string> TForm1::EditorLinesCp932() const {
  const QString text = memo1_->toPlainText();
  std::vector<std::string> lines;
  if (text.isEmpty()) return lines;
  QStringList parts = text.split(QLatin1Char('\n'));
  // A final line break ends the last line; it does not start another one.
  if (text.endsWith(QLatin1Char('\n'))) parts.removeLast();
  lines.reserve(static_cast<std::size_t>(parts.size()));
  for (const QString& part : parts) lines.push_back(ToCp932(part));
  return lines;
}

}  // namespace kurovel
