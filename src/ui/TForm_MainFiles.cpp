// Source, target and font selection of TForm_Main: the three file dialogs, files dropped
// from the desktop and a source typed or pasted into its field. Every way of picking a source
// derives the target path and the title, and the author when the file name names one and the
// Author field is still empty (or holds the author derived before). The source dialog opens
// at the last folder chosen in it, the Save dialog at the current target.
#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <exception>

#include "base/AsciiText.h"
#include "conversion/BookNames.h"
#include "conversion/BookRequest.h"
#include "ui/DialogService.h"
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
  request.filter = QStringLiteral("Text File|*.txt");
  request.default_suffix = QStringLiteral("txt");
  request.start_path = last_source_folder_;
  const QStringList files = dialogs_.RunFileDialog(request);
  if (files.isEmpty()) return;

  const QString first = files.first();
  last_source_folder_ = QFileInfo(first).absolutePath();
  if (files.size() == 1) {
    // Quoted when it holds a comma, a blank or a quote, so that Add reads one source back.
    Edit_SourceFile->setText(QuoteSourcePath(first, false));
    CheckBox_PH->hide();
  } else {
    Edit_SourceFile->setText(JoinSourcePaths(files));
    CheckBox_PH->show();
  }
  Edit_TargetFile->setText(TargetFor(first, u".epub"));
  FillNamesFrom(first, false);
}

void TForm_Main::FillNamesFrom(const QString& path, bool typed) {
  // The names the command line would give the book: the file name's (one that is no UTF-8
  // read as the core reads it, so that the title is text), or the text's first lines' where
  // the name names no author.
  BookOptions options;
  try {
    options = ChosenOptions();
  } catch (const std::exception&) {
    // A field holds what no option takes: Add says so; the names follow the defaults.
  }
  const TitleAndAuthor names = BookNamesOf(path.toStdU16String(), values_.CodePages(), options);
  Edit_Title->setText(QString::fromStdU16String(names.title));
  // Only into an empty Author field. While a path is being typed, the author taken from
  // the name typed so far is still the window's own and follows the name.
  const QString author = QString::fromStdU16String(names.author);
  const bool ours = Edit_Author->text().isEmpty() ||
                    (typed && !derived_author_.isEmpty() && Edit_Author->text() == derived_author_);
  if (!typed) derived_author_.clear();
  if (ours && (typed || !author.isEmpty())) {
    Edit_Author->setText(author);
    if (typed) derived_author_ = author;
  }
}

void TForm_Main::Edit_SourceFileEdited(const QString& text) {
  const QStringList sources = ParseSourceField(text);
  if (sources.isEmpty() || sources.first().isEmpty()) return;
  // As the source dialog does: the first source names target and title, and several
  // sources offer file names as chapter names.
  CheckBox_PH->setVisible(sources.size() > 1);
  Edit_TargetFile->setText(TargetFor(sources.first(), u".epub"));
  FillNamesFrom(sources.first(), true);
}

void TForm_Main::Button_SaveClick() {
  FileDialogRequest request;
  request.name = QStringLiteral("SaveDialog_Target");
  request.mode = FileDialogRequest::Mode::kSave;
  request.filter = QStringLiteral("ePub File|*.epub");
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
  request.default_suffix = QStringLiteral("TTF");
  const QStringList files = dialogs_.RunFileDialog(request);
  if (!files.isEmpty()) Edit_UF->setText(files.first());
}

void TForm_Main::DropFiles(const QStringList& paths) {
  if (paths.isEmpty()) return;
  QString source;
  if (paths.size() == 1) {
    source = QuoteSourcePath(paths.first(), false);
    CheckBox_PH->hide();
  } else {
    // Only text files join the list, each in quotes; the last file names target and title
    // whatever its kind.
    for (const QString& path : paths) {
      if (AsciiLowered(ExtensionOf(path.toStdU16String())) != u".txt") continue;
      if (!source.isEmpty()) source += QLatin1Char(',');
      source += QuoteSourcePath(path, true);
    }
    CheckBox_PH->show();
  }
  Edit_SourceFile->setText(source);
  Edit_TargetFile->setText(TargetFor(paths.last(), u".EPUB"));
  FillNamesFrom(paths.last(), false);
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
