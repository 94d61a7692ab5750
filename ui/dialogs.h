#pragma once
// The main window's modal boxes and file dialogs, with Japanese buttons whatever
// the system's locale. Every box is modal and returns only when answered;
// closing a question box counts as Cancel.

#include <QString>
#include <QStringList>
#include <string_view>

#include "controllers/requests.h"
#include "controllers/window_texts.h"

class QCoreApplication;
class QWidget;

namespace kurovel {

// Loads the toolkit's own Japanese texts (standard buttons, file dialogs, the
// overwrite question); true when the translation was found.
bool InstallJapaneseTranslations(QCoreApplication& app);

// Caption "Kurovel", error icon, one OK button; text as the error box shows it
// (ErrorBoxText).
void ShowErrorBox(QWidget* parent, const QString& text);

// No icon; true only for OK.
bool AskOkCancel(QWidget* parent, const QString& caption, const QString& text);

// No icon; kYes, kNo or kCancel; closing the box gives kCancel.
Answer AskYesNoCancel(QWidget* parent, const QString& caption, const QString& text);

// No icon, one OK button.
void ShowMessage(QWidget* parent, const QString& caption, const QString& text);
// The notice's caption is the application title.
void ShowNotice(QWidget* parent, const QString& text);

// A filter written as "text|patterns|text|patterns" (patterns separated by ";")
// in the toolkit's form "text (patterns)"; "*.*" matches every name.
QStringList QtNameFilters(std::string_view filter);

struct FileDialogRequest {
  bool save = false;          // a save dialog asks before it accepts an existing file
  QStringList name_filters;   // the first one is selected when the dialog opens
  QString default_suffix;     // appended to a name typed without an extension
  QString initial_file;       // shown in the file-name box (empty: none)
  bool picture_preview = false;  // a pane beside the lists previews the selected bitmap
};

// The toolkit's own (non-native) dialog; the chosen path, or empty when cancelled.
QString RunFileDialog(QWidget* parent, const FileDialogRequest& request);

}  // namespace kurovel
