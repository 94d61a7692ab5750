#include "ui/dialogs.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QGridLayout>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>
#include <string>

#include "language/errors.h"
#include "ui/picture_preview.h"

namespace kurovel {

namespace {

// The button texts are set explicitly so that the boxes read the same with or
// without the toolkit's translation installed.
struct ButtonText {
  QMessageBox::StandardButton button;
  const char* text;
};
constexpr ButtonText kButtonTexts[] = {
    {QMessageBox::Ok, "OK"},
    {QMessageBox::Cancel, "キャンセル"},
    {QMessageBox::Yes, "はい"},
    {QMessageBox::No, "いいえ"},
};

void SetJapaneseButtons(QMessageBox& box) {
  for (const ButtonText& entry : kButtonTexts) {
    if (QAbstractButton* button = box.button(entry.button)) button->setText(QString::fromUtf8(entry.text));
  }
}

QMessageBox::StandardButton RunBox(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                                   const QString& text, QMessageBox::StandardButtons buttons,
                                   QMessageBox::StandardButton escape) {
  QMessageBox box(icon, caption, text, buttons, parent);
  box.setTextFormat(Qt::PlainText);  // paths and messages are shown as they are
  box.setEscapeButton(escape);
  SetJapaneseButtons(box);
  box.exec();
  // The close box and Esc end in the escape button.
  return box.standardButton(box.clickedButton());
}

// Puts the preview pane beside the folder and file lists, which the toolkit's own
// dialog lays out in row 1 of its grid, and shows whatever becomes current.
void AddPicturePreview(QFileDialog& dialog, const QString& initial_file) {
  auto* preview = new PicturePreview(&dialog);  // owned by the dialog
  if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) grid->addWidget(preview, 1, 3);
  // Wider by the pane, so that the file list keeps the room it has without one.
  dialog.resize(dialog.width() + preview->sizeHint().width() + dialog.layout()->spacing(), dialog.height());
  QObject::connect(&dialog, &QFileDialog::currentChanged, preview, &PicturePreview::ShowFile);
  preview->ShowFile(initial_file);
}

}  // namespace

bool InstallJapaneseTranslations(QCoreApplication& app) {
  auto* translator = new QTranslator(&app);  // owned by the application
  if (!translator->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  return QCoreApplication::installTranslator(translator);
}

void ShowErrorBox(QWidget* parent, const QString& text) {
  RunBox(parent, QMessageBox::Critical, QString::fromUtf8(kApplicationTitle), text, QMessageBox::Ok, QMessageBox::Ok);
}

bool AskOkCancel(QWidget* parent, const QString& caption, const QString& text) {
  return RunBox(parent, QMessageBox::NoIcon, caption, text, QMessageBox::Ok | QMessageBox::Cancel,
                QMessageBox::Cancel) == QMessageBox::Ok;
}

Answer AskYesNoCancel(QWidget* parent, const QString& caption, const QString& text) {
  switch (RunBox(parent, QMessageBox::NoIcon, caption, text,
                 QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Cancel)) {
    case QMessageBox::Yes:
      return Answer::kYes;
    case QMessageBox::No:
      return Answer::kNo;
    default:
      return Answer::kCancel;
  }
}

void ShowMessage(QWidget* parent, const QString& caption, const QString& text) {
  RunBox(parent, QMessageBox::NoIcon, caption, text, QMessageBox::Ok, QMessageBox::Ok);
}

void ShowNotice(QWidget* parent, const QString& text) {
  ShowMessage(parent, QString::fromUtf8(kApplicationTitle), text);
}

QStringList QtNameFilters(std::string_view filter) {
  const QStringList parts =
      QString::fromUtf8(filter.data(), static_cast<qsizetype>(filter.size())).split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString& pattern : patterns) {
      if (pattern == QLatin1String("*.*")) pattern = QStringLiteral("*");
    }
    const QString wanted = QLatin1Char('(') + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    QString text = parts[i];
    // A text that already ends with its own patterns keeps them, written the toolkit's way.
    const QString written = QLatin1Char('(') + parts[i + 1] + QLatin1Char(')');
    if (text.endsWith(written)) text.chop(written.size());
    filters << (text.endsWith(QLatin1Char(' ')) ? text + wanted : text + QLatin1Char(' ') + wanted);
  }
  return filters;
}

QString RunFileDialog(QWidget* parent, const FileDialogRequest& request) {
  QFileDialog dialog(parent);
  // The toolkit's own dialog: the same on every desktop, and tests can drive it.
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  // Neither dialog insists that the named file exists; reading it reports that.
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilters(request.name_filters);
  if (!request.name_filters.isEmpty()) dialog.selectNameFilter(request.name_filters.front());
  dialog.setDefaultSuffix(request.default_suffix);
  if (!request.initial_file.isEmpty()) dialog.selectFile(request.initial_file);
  dialog.setLabelText(QFileDialog::Accept, QString::fromUtf8(request.save ? "保存" : "開く"));
  dialog.setLabelText(QFileDialog::Reject, QString::fromUtf8("キャンセル"));
  if (request.picture_preview) AddPicturePreview(dialog, request.initial_file);
  if (dialog.exec() != QDialog::Accepted) return {};
  return dialog.selectedFiles().value(0);
}

}  // namespace kurovel
