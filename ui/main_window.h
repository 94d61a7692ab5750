#pragma once
// The main window: the drawing area on the left, the panel with the
// command box, the program editor and the buttons on the right, the menu bar, and
// the handlers that tie them to the turtle, the language and the files.

#include <QElapsedTimer>
#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/deferred_not_xor_surface.h"
#include "engine/limits.h"
#include "engine/raster_surface.h"
#include "language/event_budget.h"
#include "language/line_buffer.h"
#include "language/run_speed.h"
#include "language/runner.h"
#include "language/session.h"
#include "files/pictures.h"
#include "files/program_document.h"

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
class HelpWindow;
class ProgramModifiedFlag;

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  // arguments: the command line without the program name.
  explicit MainWindow(const QStringList& arguments, QWidget* parent = nullptr);
  ~MainWindow() override;

  Session& GetSession() { return session_; }
  RasterSurface& Surface() { return surface_.Flushed(); }  // every line drawn so far
  const ProgramRunner& Runner() const { return session_.runner; }
  const QString& CurrentFileName() const { return current_file_name_; }
  const std::string& BackgroundFileName() const { return pictures_.background_file_name; }
  bool EditorModified() const;  // the program's modified flag

  // Handlers of the window's events, buttons and menu items (the tables in
  // main_window.cpp tie each control's object name to its handler).
  void ShowTitle();        // first show
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
  bool MayClose();         // the close question; true lets the window close

  // The pending-events hook of the line executor, called before every command:
  // delivers the waiting events on a time budget and paces slow runs.
  void ProcessPendingEvents();

  RunSpeed Speed() const { return speed_; }
  void SetSpeed(RunSpeed speed);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  class RunnerView;
  // Marks the handler that runs a program, for as long as it runs: only its own
  // lines and commands are paced, never a command-box line typed meanwhile.
  class RunPacing {
   public:
    explicit RunPacing(MainWindow& window) : window_(window), outer_depth_(window.BeginRunPacing()) {}
    ~RunPacing() { window_.EndRunPacing(outer_depth_); }
    RunPacing(const RunPacing&) = delete;
    RunPacing& operator=(const RunPacing&) = delete;

   private:
    MainWindow& window_;
    int outer_depth_;
  };

  // Pacing of runs (main_window_pacing.cpp): event delivery on a time budget, the
  // speed menu, the running line highlighted, one line at a time, the failed line.
  void BuildSpeedMenu();
  int BeginRunPacing();  // returns the outer run's handler depth
  void EndRunPacing(int outer_depth);
  void DeliverEvents();
  void RunLineReached(std::int32_t line);  // the runner's line hook
  void PaceCommand();
  void WaitFor(int milliseconds);          // the window stays responsive meanwhile
  void WaitForStep();
  void GrantStep();
  void EndWait();
  void HighlightLine(std::optional<std::int32_t> line);
  void ShowLine(std::int32_t line);

  void StartUp(const QStringList& arguments);
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
  bool SaveToCurrentOrAsk();    // SaveProgram; false when nothing was written
  bool SaveThroughDialog();     // SaveProgramAs; false when nothing was written
  // Open, drop, command line: the file into the editor and its name as the current
  // one; a KurovelError changes neither.
  void OpenIntoEditor(const QString& path);
  void SaveEditorTo(const QString& path);  // the flag is cleared, path becomes current
  EditorContent Content() const;
  // progress hears how far a long text has got into the editor and may cancel it.
  void SetContent(const EditorContent& editor, const ProgressHook& progress = {});
  void ShowFileCaption(const QString& path);
  LineBuffer EditorLinesCp932() const;

  RasterSurface raster_{kDefaultSurfaceWidth, kDefaultSurfaceHeight};  // read only through surface_.Flushed()
  DeferredNotXorSurface surface_{raster_};
  Session session_{surface_};
  std::unique_ptr<RunnerView> runner_view_;
  PictureState pictures_;

  QString current_file_name_;
  SourceLines source_;  // the lines of the file last read or written
  QString save_dialog_name_;    // the name last chosen in the program save dialog
  QString last_picture_name_;   // the name last chosen in the picture save dialog

  int handler_depth_ = 0;       // handlers running, nested ones included
  EventBudget event_budget_{std::chrono::milliseconds(2)};
  RunSpeed speed_ = RunSpeed::kFastest;
  int run_handler_depth_ = 0;   // the handler depth of the running program; 0: none
  std::int32_t running_line_ = 0;
  int commands_in_line_ = 0;    // commands of the running line so far
  QEventLoop* wait_loop_ = nullptr;  // the pause in progress, if any
  bool waiting_for_step_ = false;
  bool step_granted_ = false;
  bool close_granted_ = false;  // the close question said yes during a handler
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
  QPlainTextEdit* editor_ = nullptr;
  ProgramModifiedFlag* editor_modified_ = nullptr;  // the editor's child
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
