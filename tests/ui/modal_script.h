#pragma once
// Answers the modal boxes and file dialogs that a handler opens, in the order
// they appear, and records what each one showed.

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <vector>

namespace kurovel::testing {

struct SeenModal {
  QString caption;
  QString text;              // message boxes
  QStringList buttons;       // message boxes: the button texts, sorted
  bool critical = false;     // the error icon
  QStringList name_filters;  // file dialogs
  QString initial_name;      // file dialogs: the text of the file-name box
  QString initial_dir;       // file dialogs: the folder shown
  QString default_suffix;
  bool save = false;
};

class ModalScript {
 public:
  using Step = std::function<void(QWidget*)>;

  explicit ModalScript(std::vector<Step> steps) : steps_(std::move(steps)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
    timer_.start(5);
  }
  ~ModalScript() { timer_.stop(); }

  std::vector<SeenModal> seen;
  bool Finished() const { return next_ == steps_.size(); }

  static Step Press(QMessageBox::StandardButton button) {
    return [button](QWidget* modal) { static_cast<QMessageBox*>(modal)->button(button)->click(); };
  }
  // The box's close box: counts as its escape button.
  static Step CloseBox() {
    return [](QWidget* modal) { modal->close(); };
  }
  static Step Choose(const QString& path) {
    return [path](QWidget* modal) {
      auto* dialog = static_cast<QFileDialog*>(modal);
      // Typed into the file-name box, as a user does (selectFile leaves a focused box alone).
      dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(path);
      QMetaObject::invokeMethod(dialog, "accept");  // as the dialog's own Open/Save button does
    };
  }
  static Step Cancel() {
    return [](QWidget* modal) { static_cast<QDialog*>(modal)->reject(); };
  }

 private:
  void Tick() {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || modal == handled_) return;
    handled_ = modal;
    seen.push_back(Describe(modal));
    // An unexpected box is dismissed, so a failing test ends instead of hanging.
    Step step = next_ < steps_.size() ? steps_[next_++] : Cancel();
    // Queued: a step may open another modal, which this timer must still see.
    QMetaObject::invokeMethod(
        modal, [modal = QPointer<QWidget>(modal), step] { if (modal) step(modal); }, Qt::QueuedConnection);
  }

  static SeenModal Describe(QWidget* modal) {
    SeenModal info;
    info.caption = modal->windowTitle();
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      info.text = box->text();
      info.critical = box->icon() == QMessageBox::Critical;
      for (QAbstractButton* button : box->buttons()) info.buttons << button->text();
      info.buttons.sort();  // the box's own order depends on the platform's button layout
    } else if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
      info.name_filters = dialog->nameFilters();
      if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) info.initial_name = name->text();
      info.initial_dir = dialog->directory().absolutePath();
      info.default_suffix = dialog->defaultSuffix();
      info.save = dialog->acceptMode() == QFileDialog::AcceptSave;
    }
    return info;
  }

  std::vector<Step> steps_;
  std::size_t next_ = 0;
  QPointer<QWidget> handled_;
  QTimer timer_;
};

}  // namespace kurovel::testing
