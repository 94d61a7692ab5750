#include "ui/file_drop.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>
#include <algorithm>
#include <utility>

namespace kurovel {

namespace {

bool IsFileDragEvent(const QEvent& event) {
  switch (event.type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
      return CarriesFiles(*static_cast<const QDropEvent&>(event).mimeData());
    default:
      return false;
  }
}

}  // namespace

bool CarriesFiles(const QMimeData& data) {
  const QList<QUrl> urls = data.urls();
  return std::any_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); });
}

void AnswerFileDrag(QDropEvent& event) {
  const QList<QUrl> urls = event.mimeData()->urls();
  const bool only_local_files =
      !urls.isEmpty() && std::all_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); });
  if (only_local_files) {
    event.acceptProposedAction();
  } else {
    event.ignore();
  }
}

QStringList TakeDroppedFiles(QDropEvent& event) {
  QStringList paths;
  for (const QUrl& url : event.mimeData()->urls()) {
    if (url.isLocalFile()) paths << url.toLocalFile();
  }
  event.acceptProposedAction();
  return paths;
}

FileDropRouter::FileDropRouter(QObject* parent, DropHandler on_drop) : QObject(parent), on_drop_(std::move(on_drop)) {}

void FileDropRouter::Watch(QWidget* target) { target->installEventFilter(this); }

bool FileDropRouter::eventFilter(QObject* watched, QEvent* event) {
  if (!IsFileDragEvent(*event)) return QObject::eventFilter(watched, event);
  auto& drag = *static_cast<QDropEvent*>(event);
  if (event->type() == QEvent::Drop) {
    on_drop_(TakeDroppedFiles(drag));
  } else {
    AnswerFileDrag(drag);
  }
  return true;  // the box never sees it, so it pastes nothing
}

}  // namespace kurovel
