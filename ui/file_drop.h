#pragma once
// File drags in the main window. A drag that carries files asks for a file to be
// opened, wherever in the window it lands; the text boxes would otherwise paste
// the files' URLs in as text, so they hand such drags to the window's drop rules.
// Drags of text keep their ordinary text editing.

#include <QObject>
#include <QStringList>
#include <functional>

class QDropEvent;
class QMimeData;
class QWidget;

namespace kurovel {

// At least one of the URLs names a local file.
bool CarriesFiles(const QMimeData& data);

// Drag enter and drag move: the window takes a drag only when every URL is a
// local file.
void AnswerFileDrag(QDropEvent& event);

// Drop: accepts it and returns the local files it carries.
QStringList TakeDroppedFiles(QDropEvent& event);

// Watches text boxes and routes every drag that carries files to on_drop,
// with the window's acceptance rule; all other events go on to the box.
class FileDropRouter : public QObject {
 public:
  using DropHandler = std::function<void(const QStringList& paths)>;

  FileDropRouter(QObject* parent, DropHandler on_drop);

  // A QPlainTextEdit takes drags on its viewport(), a QLineEdit on itself.
  void Watch(QWidget* target);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  DropHandler on_drop_;
};

}  // namespace kurovel
