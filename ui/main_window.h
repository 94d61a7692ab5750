#pragma once
// TForm1, the main window: the drawing area on the left, the panel with the
// command box, the program editor and the buttons on the right, the menu bar, and
// the handlers that tie them to the turtle, the language and the files.

#include <QElapsedTimer>
#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/raster_surface.h"
#include "language/runner.h"
#include "language/session.h"
#include "ui/pictures.h"
#include "ui/program_document.h"

class QAction;
class QFrame;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;

namespace kurovel {

class PaintBox;
class HelpWindow;

class TForm1 : public QMainWindow {
  Q_OBJECT

 public:
  // arguments: the command line without the program name.
  explicit TForm1(const QStringList& arguments, QWidget* parent = nullptr);
  ~TForm1() override;

  Session& GetSession() { return session_; }
  RasterSurface& Surface() { return surface_; }
  const ProgramRunner& Runner() const { return runner_; }
  const QString& CurrentFileName() const { return current_file_name_; }
  const std::string& BackgroundFileName() const { return pictures_.BackgroundFileName; }

  // Handlers, named after the control and the event.
  void FormShow();
  void FormPaint();
  void FormResize();
  void Edit1KeyDown(const QKeyEvent& key);
  void WMDropFiles(const QStringList& paths);
  void CloseHelp();  // 終了
  void quit1Click();
  void Button2Click();  // 呼出 / 開く
  void K2Click();       // 上書き保存
  void Button3Click();  // 保存 / 名前を付けて保存
  void K7Click();       // 新規作成
  void Button4Click();  // 画面消去
  void N15Click();      // 背景を読み込む
  void N2Click();       // 名前を付けて作品を保存
  void Button5Click();  // 使い方
  void K5Click();
  void Button6Click();  // 実行
  void Button7Click();  // 中断
  bool FormCloseQuery();

  // The pending-events hook of the line executor: delivers every waiting event
  // and lets the drawing area show what was drawn, at most at the display rate.
  void ProcessPendingEvents();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  class Host;

  void FormCreate(const QStringList& arguments);
  void BuildControls();
  void BuildMenu();
  void SetTabOrder();

  // Runs one handler: an error it does not handle is shown in the error box, and
  // what it drew is shown; a close granted meanwhile takes effect once the
  // outermost handler has returned.
  template <typename Handler>
  void Guarded(Handler&& handler);
  void FlushDrawing();
  void SchedulePaint();
  void RunScheduledPaint();

  bool ConfirmDiscard();        // the OK/Cancel question when the editor is modified
  bool SaveToCurrentOrAsk();    // K2Click; false when nothing was written
  bool SaveThroughDialog();     // Button3Click; false when nothing was written
  // Open, drop, command line: the file into the editor and its name as the current
  // one; a KurovelError changes neither.
  void OpenIntoEditor(const QString& path);
  void SaveEditorTo(const QString& path);  // the flag is cleared, path becomes current
  EditorContent Content() const;
  void SetContent(const EditorContent& editor);
  void ShowFileCaption(const QString& path);
  bool EditorModified() const;
  std::vector<std::string> EditorLinesCp932() const;

  RasterSurface surface_{361, 446};
  Session session_{surface_};
  ProgramRunner runner_{session_.executor, session_.variables, session_.trace};
  std::unique_ptr<Host> host_;
  PictureState pictures_;

  QString current_file_name_;
  SourceLines source_;  // the lines of the file last read or written
  QString save_dialog_name_;    // the name last chosen in the program save dialog
  QString last_picture_name_;   // the name last chosen in the picture save dialog

  int handler_depth_ = 0;       // handlers running, nested ones included
  bool close_granted_ = false;  // the close question said yes during a handler
  bool paint_scheduled_ = false;
  bool shown_once_ = false;
  QSize laid_out_for_;  // the outer size the layout was last computed from
  QElapsedTimer refresh_clock_;

  // Controls; owned by the window through Qt's parent tree.
  QWidget* central_ = nullptr;
  PaintBox* paint_box1_ = nullptr;
  QFrame* panel1_ = nullptr;
  QPlainTextEdit* memo1_ = nullptr;
  QPlainTextEdit* memo2_ = nullptr;
  QPlainTextEdit* memo3_ = nullptr;
  QLineEdit* edit1_ = nullptr;
  QLabel* label1_ = nullptr;
  QLabel* label2_ = nullptr;
  QPushButton* button1_ = nullptr;
  QPushButton* button2_ = nullptr;
  QPushButton* button3_ = nullptr;
  QPushButton* button4_ = nullptr;
  QPushButton* button5_ = nullptr;
  QPushButton* button6_ = nullptr;
  QPushButton* button7_ = nullptr;
  HelpWindow* help_ = nullptr;
};

}  // namespace kurovel
