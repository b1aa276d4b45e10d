// Source, target and font selection of TForm_Main: the three file dialogs, files dropped
// from the desktop and a source typed or pasted into its field. Every way of picking a source
// derives the target path, the title and the author from it. Several files make one book
// each (the fields then name none), or one book of all when the user asks for it. The source
// dialog opens at the last folder chosen in it, the Save dialog at the current target.
#include <unistd.h>

#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QUrl>
#include <exception>

#include "base/AsciiText.h"
#include "conversion/BookNames.h"
#include "conversion/BookRequest.h"
#include "conversion/ConvertFile.h"
#include "ui/DialogService.h"
#include "ui/JobListModel.h"
#include "ui/LocalPaths.h"
#include "ui/ProgramValues.h"
#include "ui/SourceField.h"
#include "ui/TForm_Main.h"

namespace quireforge {

namespace {

QString TargetFor(const QString& path, std::u16string_view extension) {
  return QString::fromStdU16String(DerivedTargetPath(path.toStdU16String(), extension));
}

// The local files among dropped URLs, in drop order.
QStringList LocalFiles(const QMimeData* data) {
  QStringList paths;
  if (data == nullptr || !data->hasUrls()) return paths;
  for (const QUrl& url : data->urls()) {
    // From the URL's bytes: a name that is no UTF-8 still names its file.
    if (url.isLocalFile()) paths.append(PathFromUrl(url));
  }
  return paths;
}

}  // namespace

void TForm_Main::Button_OpenClick() {
  FileDialogRequest request;
  request.name = QStringLiteral("FileOpenDialog_Source");
  request.mode = FileDialogRequest::Mode::kOpenMany;
  request.filter = texts_.source_dialog_filter;
  request.default_suffix = QStringLiteral("txt");
  request.start_path = last_source_folder_;
  const QStringList files = dialogs_.RunFileDialog(request);
  if (files.isEmpty()) return;
  last_source_folder_ = QFileInfo(files.first()).absolutePath();
  SetSources(files, files.first());
}

void TForm_Main::SetSources(const QStringList& paths, const QString& name_path) {
  // Quoted when it holds a comma, a blank or a quote, so that Add reads one source back.
  Edit_SourceFile->setText(paths.size() == 1 ? QuoteSourcePath(paths.first(), false)
                                             : JoinSourcePaths(paths));
  joined_name_path_ = name_path;
  ShowSourceChoice(paths.size());
  FillFieldsFrom(name_path);
}

bool TForm_Main::MakesBookPerFile() const {
  return ParseSourceField(Edit_SourceFile->text()).size() > 1 && !CheckBox_OneBook->isChecked();
}

void TForm_Main::ShowSourceChoice(qsizetype source_count) {
  const bool several = source_count > 1;
  CheckBox_OneBook->setVisible(several);
  // File names as chapter names only mean something in one book of several files.
  CheckBox_PH->setVisible(several && CheckBox_OneBook->isChecked());
  // One book per file: each book takes its target and names from its own file.
  const bool per_file = several && !CheckBox_OneBook->isChecked();
  for (QLineEdit* field : {Edit_TargetFile, Edit_Title, Edit_Author}) {
    field->setEnabled(!per_file);
    field->setPlaceholderText(per_file ? texts_.names_from_each_file : QString());
  }
  Button_Save->setEnabled(!per_file);
}

void TForm_Main::CheckBox_OneBookClick() {
  ShowSourceChoice(ParseSourceField(Edit_SourceFile->text()).size());
  FillFieldsFrom(joined_name_path_);
}

void TForm_Main::FillFieldsFrom(const QString& path) {
  if (MakesBookPerFile() || path.isEmpty()) {
    // The fields name no book of their own.
    for (QLineEdit* field : {Edit_TargetFile, Edit_Title, Edit_Author}) field->clear();
    return;
  }
  Edit_TargetFile->setText(TargetFor(path, u".epub"));
  // The names belong to their file: a new source replaces both, so that no author of the
  // previous book is left behind. What the user types stays until the source changes.
  const TitleAndAuthor names = NamesOf(path);
  Edit_Title->setText(QString::fromStdU16String(names.title));
  Edit_Author->setText(QString::fromStdU16String(names.author));
}

TitleAndAuthor TForm_Main::NamesOf(const QString& path) const {
  // The names the command line would give the book: the file name's (one that is no UTF-8
  // read as the core reads it, so that the title is text), or the text's first lines' where
  // the name names no author.
  BookOptions options;
  try {
    options = ChosenOptions();
  } catch (const std::exception&) {
    // A field holds what no option takes: Add says so; the names follow the defaults.
  }
  return BookNamesOf(path.toStdU16String(), values_.CodePages(), options);
}

void TForm_Main::Edit_SourceFileEdited(const QString& text) {
  const QStringList sources = ParseSourceField(text);
  ShowSourceChoice(sources.size());
  if (sources.isEmpty() || sources.first().isEmpty()) return;
  // As the source dialog does: the first source names a book of all files.
  joined_name_path_ = sources.first();
  FillFieldsFrom(sources.first());
}

void TForm_Main::AddBookPerFile(const QStringList& sources) {
  QStringList failures;
  QStringList notes;
  for (const QString& source : sources) {
    try {
      const QString target = TargetFor(source, u".epub");
      const TitleAndAuthor names = NamesOf(source);
      const QString text = QuoteSourcePath(source, false);
      std::unique_ptr<TConvertFile> job =
          BuildJob(text, CheckedTarget(target, text, ChosenOptions()),
                   QString::fromStdU16String(names.title), QString::fromStdU16String(names.author));
      if (job == nullptr) continue;
      for (const std::string& note : job->Notes()) notes.append(QString::fromStdString(note));
      jobs_->Append(std::move(job), text);
    } catch (const std::exception& e) {
      failures.append(QString::fromUtf8(e.what()));
    }
  }
  if (failures.size() < sources.size()) ForgetCoverPicture();
  if (!notes.isEmpty()) dialogs_.ShowMessage(notes.join(QLatin1Char('\n')));
  // The books that could be made are in the list; the others are named with their reasons.
  if (!failures.isEmpty()) ShowFailure(failures.join(QLatin1Char('\n')));
}

bool TForm_Main::AcceptsTarget(const QString& target) {
  const QFileInfo file(target);
  const QString folder = file.absolutePath();
  QString refusal;
  if (file.isDir()) {
    refusal = texts_.target_is_folder.arg(target);
  } else if (!QFileInfo(folder).isDir()) {
    refusal = texts_.target_folder_missing.arg(folder);
  } else if (access(QFile::encodeName(folder).constData(), W_OK | X_OK) != 0) {
    refusal = texts_.target_folder_read_only.arg(folder);
  } else {
    for (int row = 0; row < jobs_->RowCount(); ++row) {
      const QFileInfo other(QString::fromStdU16String(jobs_->Job(row).TargetPath()));
      if (jobs_->IsPending(row) && other.absoluteFilePath() == file.absoluteFilePath()) {
        refusal = texts_.target_in_other_row.arg(target);
      }
    }
  }
  if (!refusal.isEmpty()) {
    dialogs_.ShowMessage(refusal);
    return false;
  }
  return !file.exists() ||
         dialogs_.AskYesNo(texts_.question_caption, texts_.target_exists_question.arg(target),
                           DialogService::DefaultAnswer::kNo);
}

void TForm_Main::Button_SaveClick() {
  FileDialogRequest request;
  request.name = QStringLiteral("SaveDialog_Target");
  request.mode = FileDialogRequest::Mode::kSave;
  request.filter = texts_.target_dialog_filter;
  request.default_suffix = QStringLiteral("epub");
  // At the current target, folder and name; without one, where the last book went, else
  // where the sources were.
  request.start_path = !Edit_TargetFile->text().isEmpty() ? Edit_TargetFile->text()
                       : !last_target_folder_.isEmpty()   ? last_target_folder_
                                                          : last_source_folder_;
  const QStringList files = dialogs_.RunFileDialog(request);
  if (!files.isEmpty()) Edit_TargetFile->setText(files.first());
}

void TForm_Main::Edit_UFClick() {
  FileDialogRequest request;
  request.name = QStringLiteral("OpenDialog_Font");
  request.mode = FileDialogRequest::Mode::kOpenOne;
  request.title = texts_.font_dialog_title;
  request.filter = texts_.font_dialog_filter;
  const QStringList files = dialogs_.RunFileDialog(request);
  if (!files.isEmpty()) Edit_UF->setText(files.first());
}

void TForm_Main::DropFiles(const QStringList& paths) {
  if (paths.isEmpty()) return;
  if (paths.size() == 1) {
    // Any single item becomes the source.
    SetSources(paths, paths.first());
    return;
  }
  // Of several items only the text files are books; the last one names a book of all.
  QStringList texts;
  for (const QString& path : paths) {
    if (AsciiLowered(ExtensionOf(path.toStdU16String())) == u".txt") texts.append(path);
  }
  if (texts.isEmpty()) texts = paths;  // none is a text file: Add says what each is
  SetSources(texts, texts.last());
}

void TForm_Main::OpenFiles(const QStringList& paths) {
  Guarded([&] { DropFiles(paths); });
}

void TForm_Main::dragEnterEvent(QDragEnterEvent* event) {
  if (!LocalFiles(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TForm_Main::dropEvent(QDropEvent* event) {
  const QStringList paths = LocalFiles(event->mimeData());
  if (paths.isEmpty()) return;
  event->acceptProposedAction();
  Guarded([&] { DropFiles(paths); });
}

// The text fields would take a file drop as the text of its URL ("file:///..."); a drop
// that carries local files goes to the window wherever it lands. Text alone still goes
// into the field.
bool TForm_Main::TakeFileDrop(QEvent* event) {
  switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      auto* drag = static_cast<QDragMoveEvent*>(event);
      if (LocalFiles(drag->mimeData()).isEmpty()) return false;
      drag->acceptProposedAction();
      return true;
    }
    case QEvent::Drop: {
      auto* drop = static_cast<QDropEvent*>(event);
      if (LocalFiles(drop->mimeData()).isEmpty()) return false;
      dropEvent(drop);
      return true;
    }
    default:
      return false;
  }
}

bool TForm_Main::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Edit_UF && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    Guarded([this] { Edit_UFClick(); });
    return true;
  }
  if (watched == Edit_SourceFile || watched == Edit_TargetFile || watched == Edit_Title ||
      watched == Edit_Author) {
    if (TakeFileDrop(event)) return true;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace quireforge
