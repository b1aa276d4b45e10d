#include "ui/QtDialogService.h"

#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/LocalPaths.h"

namespace quireforge {

namespace {

QString Title() { return QString::fromUtf8(kApplicationTitle); }

}  // namespace

QString QtNameFilter(const QString& filter) {
  const QStringList parts = filter.split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = parts[i + 1];
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    filters.append(parts[i] + QStringLiteral(" (") + patterns + QLatin1Char(')'));
  }
  return filters.join(QStringLiteral(";;"));
}

void QtDialogService::ShowMessage(const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, Title(), text, QMessageBox::Ok, parent_);
  box.exec();
}

void QtDialogService::ShowError(const QString& text) {
  QMessageBox box(QMessageBox::Critical, Title(), text, QMessageBox::Ok, parent_);
  box.exec();
}

void QtDialogService::ShowArchiveMessage(ArchiveMessageKind kind, const QString& text) {
  // Without a parent the dialog is centred on the screen.
  QMessageBox box(
      kind == ArchiveMessageKind::kError ? QMessageBox::Critical : QMessageBox::Information,
      Title(), text);
  QPushButton* ok = box.addButton(QStringLiteral("&OK"), QMessageBox::AcceptRole);
  box.setDefaultButton(ok);
  box.setEscapeButton(ok);
  box.exec();
}

bool QtDialogService::AskYesNo(const QString& caption, const QString& text,
                               DefaultAnswer default_answer) {
  QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No,
                  parent_);
  box.setDefaultButton(default_answer == DefaultAnswer::kYes ? QMessageBox::Yes : QMessageBox::No);
  box.setEscapeButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

QString QtDialogService::InputBox(const QString& caption, const QString& prompt,
                                  const QString& text, int max_length) {
  QDialog dialog;  // no parent: centred on the screen
  dialog.setWindowTitle(caption);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(new QLabel(prompt, &dialog));
  auto* field = new QLineEdit(&dialog);
  // The limit stops typing beyond it, but a longer title is shown and given back whole:
  // it may be edited within its own length.
  field->setMaxLength(std::max<int>(max_length, text.size()));
  field->setText(text);
  field->selectAll();
  field->setMinimumWidth(300);
  layout->addWidget(field);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  layout->addWidget(buttons);
  return dialog.exec() == QDialog::Accepted ? field->text() : text;
}

QStringList QtDialogService::RunFileDialog(const FileDialogRequest& request) {
  QFileDialog dialog(parent_);
  dialog.setObjectName(request.name);
  if (!request.title.isEmpty()) dialog.setWindowTitle(request.title);
  dialog.setNameFilter(QtNameFilter(request.filter));
  dialog.setDefaultSuffix(request.default_suffix);
  switch (request.mode) {
    case FileDialogRequest::Mode::kOpenOne:
      dialog.setAcceptMode(QFileDialog::AcceptOpen);
      dialog.setFileMode(QFileDialog::ExistingFile);
      break;
    case FileDialogRequest::Mode::kOpenMany:
      dialog.setAcceptMode(QFileDialog::AcceptOpen);
      dialog.setFileMode(QFileDialog::ExistingFiles);
      break;
    case FileDialogRequest::Mode::kSave:
      // Qt's save dialog asks before overwriting an existing file.
      dialog.setAcceptMode(QFileDialog::AcceptSave);
      dialog.setFileMode(QFileDialog::AnyFile);
      break;
  }
  if (!request.start_path.isEmpty()) {
    const QFileInfo start(request.start_path);
    if (start.isDir()) {
      dialog.setDirectory(start.absoluteFilePath());
    } else {
      dialog.setDirectory(start.absolutePath());
      dialog.selectFile(start.fileName());
    }
  }
  if (dialog.exec() != QDialog::Accepted) return {};
  // A name that is no UTF-8 keeps its bytes in the URL a desktop's own dialog gives; Qt's
  // dialog lists it with U+FFFD, and the file is found again from that.
  QStringList files;
  for (const QUrl& url : dialog.selectedUrls()) {
    files.append(url.isLocalFile() ? RecoveredPath(PathFromUrl(url)) : url.toString());
  }
  return files;
}

bool QtDialogService::EditRow(const QString& caption, const QStringList& labels,
                              RowFields* fields) {
  QDialog dialog(parent_);
  dialog.setObjectName(QStringLiteral("Dialog_EditRow"));
  dialog.setWindowTitle(caption);
  auto* form = new QFormLayout(&dialog);
  QLineEdit* edits[3];
  QString* values[3] = {&fields->target, &fields->title, &fields->author};
  for (int i = 0; i < 3; ++i) {
    edits[i] = new QLineEdit(*values[i], &dialog);
    edits[i]->setMinimumWidth(420);
    form->addRow(labels.value(i), edits[i]);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  form->addRow(buttons);
  if (dialog.exec() != QDialog::Accepted) return false;
  for (int i = 0; i < 3; ++i) *values[i] = edits[i]->text();
  return true;
}

bool QtDialogService::ShowSummary(const QString& caption, const QString& text,
                                  const QString& open_folder) {
  QMessageBox box(QMessageBox::Information, caption, text, QMessageBox::Ok, parent_);
  box.setObjectName(QStringLiteral("MessageBox_Summary"));
  QPushButton* open = nullptr;
  if (!open_folder.isEmpty()) open = box.addButton(open_folder, QMessageBox::ActionRole);
  box.setDefaultButton(QMessageBox::Ok);
  box.exec();
  return open != nullptr && box.clickedButton() == open;
}

void QtDialogService::OpenFolder(const QString& folder) {
  QDesktopServices::openUrl(UrlFromPath(folder));
}

}  // namespace quireforge
