// The one seam through which the window asks the user anything modal: message boxes,
// question boxes, the input box, the file dialogs, the job row editor and the summary of a
// Start run, and the desktop's file manager. The program uses QtDialogService;
// tests answer with a scripted one. Calls come from the window thread only.
#ifndef QUIREFORGE_UI_DIALOGSERVICE_H_
#define QUIREFORGE_UI_DIALOGSERVICE_H_

#include <QString>
#include <QStringList>

class QWidget;

namespace quireforge {

// The application title: the main window's caption and the caption of every message box.
inline constexpr char kApplicationTitle[] = "Quireforge";

// One file dialog as the window asks for it.
struct FileDialogRequest {
  enum class Mode { kOpenOne, kOpenMany, kSave };
  QString name;  // the dialog's control name, e.g. "FileOpenDialog_Source"
  Mode mode = Mode::kOpenOne;
  QString title;           // empty: the platform's own title
  QString filter;          // "description|pattern", e.g. "Text File|*.txt"
  QString default_suffix;  // without the dot, e.g. "epub"
  // Where the dialog opens: a folder, or a file whose folder it shows with its name filled
  // in; empty: the platform's choice.
  QString start_path;
};

// The fields of a job row that may change before Start.
struct RowFields {
  QString target, title, author;
};

class DialogService {
 public:
  enum class ArchiveMessageKind { kError, kInformation };

  DialogService() = default;
  DialogService(const DialogService&) = delete;
  DialogService& operator=(const DialogService&) = delete;
  virtual ~DialogService() = default;

  // A message box captioned with the application title and one OK button.
  virtual void ShowMessage(const QString& text) = 0;
  // A failure's own text: as ShowMessage, with the error icon.
  virtual void ShowError(const QString& text) = 0;
  // The archive component's dialog: error or information icon, one "&OK" button that is the
  // default and answers Esc, centred on the screen.
  virtual void ShowArchiveMessage(ArchiveMessageKind kind, const QString& text) = 0;
  // A question box with a question icon and the buttons Yes and No; true for Yes. The
  // default button (Enter) is the one `default_answer` names; Esc answers No.
  enum class DefaultAnswer { kYes, kNo };
  virtual bool AskYesNo(const QString& caption, const QString& text,
                        DefaultAnswer default_answer) = 0;
  // An input box centred on the screen holding `text` all selected. Typing stops at
  // `max_length` characters, or at the length of `text` when that is longer (a longer text
  // is never cut). Returns the field's text on OK and `text` unchanged on Cancel.
  virtual QString InputBox(const QString& caption, const QString& prompt, const QString& text,
                           int max_length) = 0;
  // The chosen paths in the dialog's order; empty when the user cancelled.
  virtual QStringList RunFileDialog(const FileDialogRequest& request) = 0;
  // A dialog with a field each for the target, title and author of a job row, labelled with
  // `labels` in that order and filled from `fields`. On OK writes the fields back and returns
  // true; on Cancel leaves `fields` as they were and returns false.
  virtual bool EditRow(const QString& caption, const QStringList& labels, RowFields* fields) = 0;
  // The summary of a Start run: an information box with OK and, when `open_folder` is not
  // empty, a button of that caption; true when that button was pressed.
  virtual bool ShowSummary(const QString& caption, const QString& text,
                           const QString& open_folder) = 0;
  // Shows `folder` in the desktop's file manager; returns at once, false when no program
  // could be started to show it.
  virtual bool OpenFolder(const QString& folder) = 0;
};

// "Text File|*.txt" as Qt writes a name filter: "Text File (*.txt)". Several pairs are
// joined with ";;" and several patterns of one pair (";"-separated) with blanks.
QString QtNameFilter(const QString& filter);

}  // namespace quireforge

#endif  // QUIREFORGE_UI_DIALOGSERVICE_H_
