#pragma once
// The progress dialog of a program load or save that takes long: it appears only
// once the operation has run for a while, and its キャンセル ends the operation
// by making the next report throw OperationCancelled.

#include <QElapsedTimer>
#include <QString>
#include <cstdint>
#include <memory>

#include "files/file_progress_hook.h"

class QProgressDialog;
class QWidget;

namespace kurovel {

class FileProgress {
 public:
  FileProgress(QWidget* parent, const QString& label);
  ~FileProgress();
  FileProgress(const FileProgress&) = delete;
  FileProgress& operator=(const FileProgress&) = delete;

  // Shows the dialog once the operation has taken long enough, lets the window
  // handle its events, and throws OperationCancelled once キャンセル was pressed.
  void Report(std::int64_t done, std::int64_t total);
  ProgressHook Hook();

  // How long an operation runs before the dialog appears; tests lower it.
  static void SetShowDelayMs(int delay_ms);

 private:
  QWidget* parent_;
  QString label_;
  QElapsedTimer started_;
  QElapsedTimer since_events_;
  std::unique_ptr<QProgressDialog> dialog_;
};

}  // namespace kurovel
