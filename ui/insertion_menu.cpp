// PopupMenu1 built from its item table; insertion goes through the clipboard so
// that the clipboard holds the word afterwards, as the user expects from a paste.

#include "ui/insertion_menu.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QAbstractScrollArea>

#include <stdexcept>

#include "language/errors.h"

namespace kurovel {
namespace {

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Setting the text replaces every format the clipboard held. Reading it back
// tells whether the clipboard really took it (another program may hold it).
bool PutOnSystemClipboard(const QString& text) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (clipboard == nullptr) return false;
  clipboard->setText(text, QClipboard::Clipboard);
  return clipboard->text(QClipboard::Clipboard) == text;
}

}  // namespace

InsertionMenu::InsertionMenu(QAbstractScrollArea* editor, ErrorHandler on_error)
    : QObject(editor),
      editor_(editor),
      on_error_(std::move(on_error)),
      write_clipboard_(PutOnSystemClipboard) {
  if (editor_ == nullptr || !on_error_ || editor_->metaObject()->indexOfSlot("paste()") < 0 ||
      editor_->metaObject()->indexOfSlot("copy()") < 0) {
    throw std::invalid_argument("InsertionMenu needs a text editor and an error handler");
  }
  menu_ = new QMenu(editor_);
  menu_->setObjectName(QStringLiteral("PopupMenu1"));
  QMenu* variables = nullptr;
  for (const PopupMenuItem& item : PopupMenuItems()) {
    QMenu* target = item.in_variables ? variables : menu_;
    if (target == nullptr) throw std::logic_error("variables item listed before its sub-menu");
    const QString name = FromUtf8(item.name);
    const QString caption = FromUtf8(item.caption);
    switch (item.kind) {
      case MenuItemKind::kSubMenu:
        variables = target->addMenu(caption);
        variables->setObjectName(name);
        variables->menuAction()->setObjectName(name);
        break;
      case MenuItemKind::kInsert:
        target->addAction(caption, this, [this, text = item.text] { InsertItemClick(text); })
            ->setObjectName(name);
        break;
      case MenuItemKind::kCopy:
        target->addAction(caption, this, &InsertionMenu::copy1Click)->setObjectName(name);
        break;
      case MenuItemKind::kPaste:
        target->addAction(caption, this, &InsertionMenu::Paste1Click)->setObjectName(name);
        break;
    }
  }

  // Custom context-menu positions of a scroll area are in viewport coordinates.
  editor_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(editor_, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    menu_->popup(editor_->viewport()->mapToGlobal(pos));
  });
}

void InsertionMenu::InsertText(const QString& text) {
  if (!write_clipboard_(text)) throw KurovelError(std::string(kClipboardUnavailable));
  // paste() inserts the clipboard's text as one undoable edit in place of the
  // selection, leaves the caret after it and marks the document modified.
  Paste1Click();
}

void InsertionMenu::copy1Click() { QMetaObject::invokeMethod(editor_, "copy"); }

void InsertionMenu::Paste1Click() { QMetaObject::invokeMethod(editor_, "paste"); }

// Errors must not escape into the event loop: they go to the owner's error box.
void InsertionMenu::InsertItemClick(std::string_view text) {
  try {
    InsertText(FromUtf8(text));
  } catch (const KurovelError& error) {
    on_error_(error.what());
  }
}

}  // namespace kurovel
