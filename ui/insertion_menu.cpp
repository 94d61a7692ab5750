// PopupMenu1 built from its item table; insertion goes through the clipboard so
// that the clipboard holds the word afterwards, as the user expects from a paste.

#include "ui/insertion_menu.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QPlainTextEdit>

#include <array>
#include <stdexcept>

#include "language/errors.h"

namespace kurovel {
namespace {

using enum MenuItemKind;

constexpr std::array<PopupMenuItem, 28> kItems = {{
    {"N3", "前へ", kInsert, false, "前へ\u3000"},
    {"N4", "後ろへ", kInsert, false, "後ろへ\u3000"},
    {"N5", "右へ", kInsert, false, "右へ\u3000"},
    {"N6", "左へ", kInsert, false, "左へ\u3000"},
    {"N7", "ペンをあげる", kInsert, false, "ペンをあげる\u3000"},
    {"N8", "ぺんをさげる", kInsert, false, "ぺんをさげる"},
    {"N9", "くりかえし", kInsert, false, "くりかえし\u3000"},
    {"N10", "ここまで", kInsert, false, "ここまで"},
    {"N11", "けす", kInsert, false, "けす"},
    {"N12", "もとのむき", kInsert, false, "もとのむき"},
    {"N13", "もとのいち", kInsert, false, "もとのいち"},
    {"N29", "いどう", kInsert, false, "いどう\u3000"},
    {"N14", "やじるし", kInsert, false, "やじるし"},
    {"N16", "変数", kSubMenu, false, {}},
    {"N25", "ふやす", kInsert, true, "ふやす\u3000"},
    {"N26", "へらす", kInsert, true, "へらす\u3000"},
    {"N27", "かける", kInsert, true, "かける\u3000"},
    {"N28", "わる", kInsert, true, "わる\u3000"},
    {"N17", "変数１", kInsert, true, "変数１"},
    {"N18", "変数２", kInsert, true, "変数２"},
    {"N19", "変数３", kInsert, true, "変数３"},
    {"N20", "変数４", kInsert, true, "変数４"},
    {"N21", "変数５", kInsert, true, "変数５"},
    {"N22", "変数６", kInsert, true, "変数６"},
    {"N23", "変数７", kInsert, true, "変数７"},
    {"N24", "変数８", kInsert, true, "変数８"},
    {"copy1", "コピー", kCopy, false, {}},
    {"Paste1", "貼り付け", kPaste, false, {}},
}};

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

std::span<const PopupMenuItem> PopupMenuItems() { return kItems; }

InsertionMenu::InsertionMenu(QPlainTextEdit* editor, ErrorHandler on_error)
    : QObject(editor),
      editor_(editor),
      on_error_(std::move(on_error)),
      write_clipboard_(PutOnSystemClipboard) {
  if (editor_ == nullptr || !on_error_) {
    throw std::invalid_argument("InsertionMenu needs an editor and an error handler");
  }
  menu_ = new QMenu(editor_);
  menu_->setObjectName(QStringLiteral("PopupMenu1"));
  QMenu* variables = nullptr;
  for (const PopupMenuItem& item : kItems) {
    QMenu* target = item.in_variables ? variables : menu_;
    if (target == nullptr) throw std::logic_error("variables item listed before its sub-menu");
    const QString name = FromUtf8(item.name);
    const QString caption = FromUtf8(item.caption);
    switch (item.kind) {
      case kSubMenu:
        variables = target->addMenu(caption);
        variables->setObjectName(name);
        variables->menuAction()->setObjectName(name);
        break;
      case kInsert:
        target->addAction(caption, this, [this, text = item.text] { InsertItemClick(text); })
            ->setObjectName(name);
        break;
      case kCopy:
        target->addAction(caption, this, &InsertionMenu::copy1Click)->setObjectName(name);
        break;
      case kPaste:
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
  editor_->paste();
}

void InsertionMenu::copy1Click() { editor_->copy(); }

void InsertionMenu::Paste1Click() { editor_->paste(); }

// Errors must not escape into the event loop: they go to the owner's error box.
void InsertionMenu::InsertItemClick(std::string_view text) {
  try {
    InsertText(FromUtf8(text));
  } catch (const KurovelError& error) {
    on_error_(error.what());
  }
}

}  // namespace kurovel
