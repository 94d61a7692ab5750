#include "ui/file_progress.h"

#include <QCoreApplication>
#include <QProgressDialog>

namespace kurovel {

namespace {

// About half a second: shorter operations never show a dialog.
constexpr int kDefaultShowDelayMs = 500;
// The window handles its events at most this often while the operation runs.
constexpr qint64 kEventIntervalMs = 30;
// The dialog's bar counts in these steps.
constexpr int kBarSteps = 1000;

int show_delay_ms = kDefaultShowDelayMs;

}  // namespace

FileProgress::FileProgress(QWidget* parent, const QString& label) : parent_(parent), label_(label) {
  started_.start();
  since_events_.start();
}

FileProgress::~FileProgress() = default;

void FileProgress::SetShowDelayMs(int delay_ms) { show_delay_ms = delay_ms; }

ProgressHook FileProgress::Hook() {
  return [this](std::int64_t done, std::int64_t total) { Report(done, total); };
}

void FileProgress::Report(std::int64_t done, std::int64_t total) {
  if (!dialog_) {
    if (!started_.hasExpired(show_delay_ms)) return;
    dialog_ = std::make_unique<QProgressDialog>(label_, QStringLiteral("キャンセル"), 0, kBarSteps, parent_);
    dialog_->setObjectName(QStringLiteral("FileProgress"));
    dialog_->setWindowTitle(QCoreApplication::applicationName());
    dialog_->setWindowModality(Qt::ApplicationModal);  // no other handler starts meanwhile
    dialog_->setMinimumDuration(0);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    dialog_->show();
  } else if (!since_events_.hasExpired(kEventIntervalMs)) {
    return;
  }
  dialog_->setValue(total > 0 ? static_cast<int>(done * kBarSteps / total) : 0);
  QCoreApplication::processEvents();
  since_events_.restart();
  if (dialog_->wasCanceled()) throw OperationCancelled();
}

}  // namespace kurovel
