#pragma once
// The main window: the drawing area on the left, the panel with the
// command box, the program editor and the buttons on the right, the menu bar, and
// the handlers that tie them to the turtle, the language and the files.

#include <QElapsedTimer>
#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "controllers/program_window.h"
#include "engine/deferred_not_xor_surface.h"
#include "engine/limits.h"
#include "engine/raster_surface.h"
#include "controllers/run_speed.h"

class QAction;
class QEventLoop;
class QFrame;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;

namespace kurovel {

class DrawingArea;
class EditorChangeWatcher;
class ProgramEditor;
class FileProgress;
class HelpWindow;

// Shows the program window's controllers in Qt widgets: every event goes to
// window_ (ProgramWindow), and every request that comes back is answered here at
// once (main_window_requests.cpp), as the run's view is (main_window_run_view.cpp).
class MainWindow : public QMainWindow, private RunView {
  Q_OBJECT

 public:
  // arguments: the command line without the program name.
  explicit MainWindow(const QStringList& arguments, QWidget* parent = nullptr);
  ~MainWindow() override;

  Session& GetSession() { return window_.session; }
  RasterSurface& Surface() { return surface_.Flushed(); }  // every line drawn so far
  const ProgramRunner& Runner() const { return window_.session.runner; }
  QString CurrentFileName() const;
  const std::string& BackgroundFileName() const { return window_.pictures.background_file_name; }
  bool EditorModified() const { return window_.document.Modified(); }
  RunSpeed Speed() const { return window_.run.Speed(); }
  void SetSpeed(RunSpeed speed) { window_.run.SetSpeed(speed); }

  // Handlers of the window's events, buttons and menu items (the tables in
  // main_window.cpp tie each control's object name to its handler).
  void RepaintDrawing();   // every repaint: white, turtle centred, background
  void LayOut();           // every resize
  void CommandBoxKeyDown(const QKeyEvent& key);
  void DropFiles(const QStringList& paths);
  void Quit();             // 終了
  void OpenProgram();      // 呼出 / 開く
  void SaveProgram();      // 上書き保存
  void SaveProgramAs();    // 保存 / 名前を付けて保存
  void NewProgram();       // 新規作成
  void ClearScreen();      // 画面消去
  void LoadBackground();   // 背景を読み込む
  void SavePicture();      // 名前を付けて作品を保存
  void ShowHelp();         // 使い方 / 使い方など
  void RunProgram();       // 実行
  void StopProgram();      // 中断
  void PressStepKey();     // F8

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void BuildControls();
  void BuildMenu();
  void BuildSpeedMenu();
  void SetTabOrder();

  // Runs one handler: what it drew is shown, an error that escapes it goes to the
  // error box, and a close granted meanwhile takes effect once the outermost
  // handler has returned.
  template <typename Handler>
  void Guarded(Handler&& handler);
  // Runs a flow of the controllers to its end, answering each of its requests.
  void RunFlow(Flow<> flow);
  // The error box of a handler that is no flow, if it failed.
  void ShowFailure(const Request& failure);
  void FlushDrawing();
  void SchedulePaint();
  void RunScheduledPaint();

  // The requests of the flows (main_window_requests.cpp).
  Reply Perform(const Request& request);
  Reply ReadFile(const Request& request);
  Reply SetEditorText(const std::string& text);
  QString ChooseFile(const Request& request);
  void ShowBox(MessageKind kind, std::string_view caption, std::string_view text);

  // The run's view (main_window_run_view.cpp).
  std::string EditorText() override;
  void ShowRunButtons(bool run_enabled, bool stop_enabled) override;
  void GiveTurn() override;
  void Pause(int milliseconds) override;
  void WaitUntilWoken() override;
  void Wake() override;
  void LightLine(std::optional<std::int32_t> line) override;
  void SelectLine(std::int32_t line) override;
  void ShowMessage(MessageKind kind, std::string_view caption, std::string_view text) override;
  void ShowSpeed(RunSpeed speed) override;
  void RunEventLoop(int milliseconds);  // 0: until Wake()

  RasterSurface raster_{kDefaultSurfaceWidth, kDefaultSurfaceHeight};  // read only through surface_.Flushed()
  DeferredNotXorSurface surface_{raster_};
  ProgramWindow window_;

  std::unique_ptr<FileProgress> progress_;  // of the long file operation in progress
  int handler_depth_ = 0;       // handlers running, nested ones included
  QEventLoop* wait_loop_ = nullptr;  // the pause or wait in progress, if any
  bool close_granted_ = false;  // the close question said yes
  bool paint_scheduled_ = false;
  bool shown_once_ = false;
  QSize laid_out_for_;  // the outer size the layout was last computed from
  QElapsedTimer refresh_clock_;

  // Controls; owned by the window through Qt's parent tree. Their object names
  // are the layout's names, set in the tables of main_window.cpp (labels, buttons,
  // hidden lists, menu items) and, for the controls outside a table, here:
  //   central_ "ClientArea", drawing_area_ "PaintBox1", panel_ "Panel1",
  //   command_box_ "Edit1", editor_ "Memo1", the menu bar "MainMenu1".
  QWidget* central_ = nullptr;
  DrawingArea* drawing_area_ = nullptr;
  QFrame* panel_ = nullptr;
  ProgramEditor* editor_ = nullptr;
  EditorChangeWatcher* editor_changes_ = nullptr;  // the editor's child
  QPlainTextEdit* trace_view_ = nullptr;
  QPlainTextEdit* normalized_view_ = nullptr;
  QLineEdit* command_box_ = nullptr;
  QLabel* command_label_ = nullptr;
  QLabel* program_label_ = nullptr;
  QPushButton* quit_button_ = nullptr;
  QPushButton* open_button_ = nullptr;
  QPushButton* save_button_ = nullptr;
  QPushButton* clear_button_ = nullptr;
  QPushButton* help_button_ = nullptr;
  QPushButton* run_button_ = nullptr;
  QPushButton* stop_button_ = nullptr;
  HelpWindow* help_window_ = nullptr;
};

}  // namespace kurovel
