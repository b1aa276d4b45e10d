// TForm_Main is the main window: the source, target, title and author fields, the four
// option lists and the option check boxes, the job list (a view of the job list model, which
// owns the jobs and their states), the chapter list editor of the selected job, and the Add,
// Edit, Remove, Clear and Start commands (Start through the StartRun controller). The window
// holds no job state of its own: it shows and edits the model. No exception leaves a handler: each
// restores the window and shows the failure's text. Nothing the user made is lost without a
// question: Remove, Delete, Clear and closing ask while a row is not converted, closing during
// Start asks and cancels, and text typed during an Add stays. Start names each book in the progress
// window, may be cancelled, marks every row Done, Failed or Cancelled and ends with a summary. The
// Book options dialog holds the book options beyond the option line, the window remembers every
// choice between runs, and each row names the options its book was made with. The chapter list box
// shows the selected job's own chapter list through a model; every chapter edit goes through that
// model. Owned by main; window thread only. Its handlers live in TForm_Main.cpp (construction,
// texts, jobs and window), TForm_MainStart.cpp (Start, its progress, Cancel and summary),
// TForm_MainChapters.cpp (chapter editor), TForm_MainFiles.cpp (file dialogs, drops, typed sources)
// and TForm_MainOptions.cpp (book options and settings).
#ifndef QUIREFORGE_UI_TFORM_MAIN_H_
#define QUIREFORGE_UI_TFORM_MAIN_H_

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "archive/Archiver.h"
#include "conversion/BookOptions.h"
#include "ui/InterfaceLanguage.h"
#include "ui/StartRun.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSplitter;
class QTranslator;
class QVBoxLayout;

namespace quireforge {

class BookOptionsDialog;
class ChapterListBox;
class ChapterListModel;
class DialogService;
class FindReplaceDialog;
class JobListModel;
class JobListView;
class ProgramValues;
class SharedStagingRoot;
class StartRun;
class TConvertFile;
class TForm_Waiting;
class UserInterface;

class TForm_Main : public QWidget {
  Q_OBJECT

 public:
  // `values`, `dialogs` and `ui` must outlive the window; `ui` drives the progress window.
  TForm_Main(const ProgramValues& values, DialogService& dialogs, UserInterface& ui,
             QWidget* parent = nullptr);
  ~TForm_Main() override;

  TForm_Main(const TForm_Main&) = delete;
  TForm_Main& operator=(const TForm_Main&) = delete;

  // The progress window, created after this one; its panel text follows the language.
  void AttachProgressWindow(TForm_Waiting* waiting);
  // Shows the window centred on the screen (the first showing applies the language, selects
  // the default options and creates the staging root).
  void ShowCentred();
  // Files named on the program's command line, as a desktop's "Open with" passes them: they
  // fill the source, target and title fields as a drop of the same files does.
  void OpenFiles(const QStringList& paths);

  // Sets every caption, option item and message text of the window, its progress window and
  // its find-and-replace dialog to `texts`, for either language; the option lists keep their
  // selected indexes and done rows show the new done mark. The first showing calls it with
  // the system's language (until then the controls are blank); the font is chosen there too.
  void RetranslateUi(const InterfaceTexts& texts);

  TArchiver& Archiver() { return archiver_; }
  // The Start command (how many books it packs at once, whether it runs).
  StartRun& StartRunner() { return *start_run_; }
  // The folder the source dialog opens at: the folder of the last source chosen there.
  QString LastSourceFolder() const { return last_source_folder_; }
  InterfaceLanguage Language() const { return language_; }
  bool IsIdle() const { return idle_; }
  bool IsAdding() const { return adding_; }
  // The job list the window shows, and the job of row `row` (null outside the list).
  const JobListModel& Jobs() const { return *jobs_; }
  TConvertFile* JobOfRow(int row) const;

 public slots:
  void Button_AddClick();
  // Changes the target, title and author of the selected pending row.
  void Button_EditClick();
  void Button_RemoveClick();
  void Button_ClearClick();
  void Button_StartClick();
  void ListView_JobListClick();
  // The selected row changed (keyboard or mouse): shows its job's chapters.
  void ListView_JobListChange();
  void Button_BookOptionsClick();
  void CheckBox_NCClick();
  void CheckBox_UFClick();
  void CheckStatus();
  // Stops a Start run: the book being packed ends as cancelled, leaving nothing behind, and
  // no further row is started.
  void CancelStart();

  void Button_OpenClick();
  void Button_SaveClick();
  void Edit_UFClick();
  // Fills the source, target and title fields (and an empty Author field) from dropped local
  // files, in drop order.
  void DropFiles(const QStringList& paths);

  void ListBox_FilesClick();
  void Button_FEditClick();
  void Button_FRemoveClick();
  // Moves the dragged entry from line `from` to line `to` (the list box tracks the drag).
  void ListBox_FilesDragOver(int from, int to);
  void Button_FReplaceClick();
  void ReplaceDialog_HeadFind();
  void ReplaceDialog_HeadReplace();
  void ReplaceDialog_HeadReplaceAll();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Construction, part by part, top to bottom; each Build* adds its lines to `lines`.
  void BuildSourceFields(QVBoxLayout* lines);
  void BuildOptionLine(QVBoxLayout* lines);
  void BuildJobArea(QVBoxLayout* lines);
  void BuildChapterPanel();
  void ConnectHandlers();

  void FormShow();
  bool FormCloseQuery();
  void FormClose();
  void ApplyLanguage();
  // A drag or drop of local files arriving at a text field, handled as the window's own;
  // returns false for other events, which the field keeps.
  bool TakeFileDrop(QEvent* event);
  // Title (and Author, when that field is empty) from the file name of `path`; `typed` when
  // the path is being typed into the source field.
  void FillNamesFrom(const QString& path, bool typed);
  void AddJob();
  // The options the next Add gives its job: the option line's and the Book options dialog's.
  BookOptions ChosenOptions() const;
  // The user's choices, kept between runs in the settings file (none when it is unnamed).
  void LoadSettings();
  void SaveSettings();
  // Tells the user, the first time only, that the choices cannot be kept (`failure` says
  // why); nothing when `failure` is empty.
  void TellSettingsProblem(const QString& failure);
  // `target` made absolute and checked for a book of the sources in `source_text` with
  // `options`: never one of its sources, its font or its cover picture. The one check of a
  // target, for Add and for a row's Edit alike; raises BookNameError naming the target.
  QString CheckedTarget(const QString& target, const QString& source_text,
                        const BookOptions& options) const;
  // The job the fields and option controls describe, built now (the conversion runs here).
  // Raises the refusals of the core (a target among the sources or naming the font) and the
  // conversion's failures.
  std::unique_ptr<TConvertFile> BuildJob(const QString& source, const QString& target,
                                         const QString& title, const QString& author);
  // The source field changed by typing or pasting: target, title and author follow it.
  void Edit_SourceFileEdited(const QString& text);
  // Asks before losing rows not converted yet (all rows, or the selected ones); true when
  // nothing pending would go or the user said Yes.
  bool ConfirmLosingRows(bool selected_only);
  // The row whose chapters the chapter list shows, or -1.
  int ShownRow() const;
  // Whether the shown chapter list belongs to a finished book (and so cannot change).
  bool ChaptersReadOnly() const;
  // Deletes every row (and so every job), empties the chapter list, then CheckStatus.
  void ClearJobList();
  // The Start run's summary, with Open folder for the folders of the books written.
  void ShowSummary(const StartResults& results);
  void ShowFailure(const QString& text);
  // Runs a handler's `work`, then its `restore` step whatever the work did; a failure of
  // either is shown afterwards in a message box captioned with the application title.
  void Guarded(const std::function<void()>& work, const std::function<void()>& restore = {});

  // Chapter editor.
  void EmptyChapterList();
  void FillChapterList(TConvertFile* job);
  // The chapter search with the dialog's find text and mode; `replaced` marks the lines
  // whole-entry mode must pass over.
  int SearchChapter(const std::vector<bool>& replaced) const;
  // Selects the next entry holding the find text and returns its line; with none, tells the
  // user so and returns -1.
  int FindAndSelectChapter();
  void ReplaceInLine(int line);

  const ProgramValues& values_;
  DialogService& dialogs_;
  UserInterface& ui_;
  TArchiver archiver_;
  QPointer<TForm_Waiting> waiting_;
  std::unique_ptr<QTranslator> qt_translator_;

  InterfaceLanguage language_ = InterfaceLanguage::kEnglish;
  // The texts RetranslateUi set last; the messages are taken from here when shown.
  InterfaceTexts texts_;
  bool idle_ = true;
  bool adding_ = false;
  bool shown_before_ = false;
  // The user was told that the settings file cannot be written.
  bool settings_problem_told_ = false;
  // The window closes once Start has stopped.
  bool close_after_start_ = false;
  // The folder sources were last taken from (the source dialog opens there).
  QString last_source_folder_;
  // The author the window derived from a file name last: still the window's to replace
  // while the Author field holds it.
  QString derived_author_;
  // This window's hold on the staging root; null when the root was refused.
  std::unique_ptr<SharedStagingRoot> staging_root_;
  QString staging_problem_;
  // The folder of the last book added, where the Save dialog opens without a target.
  QString last_target_folder_;
  // The jobs, their states and reasons; the Start command over them.
  JobListModel* jobs_ = nullptr;
  StartRun* start_run_ = nullptr;
  // What the chapter list box shows: the chapter list of one job (its Job()), or none.
  ChapterListModel* chapter_model_ = nullptr;

  // The controls keep the names this window has always had, kind and role joined by "_" (the
  // object names, which tests and the settings find them by). Where the role is not plain:
  //   Label_OP             "Option", the caption of the option line
  //   ComboBox_PM          page margin (normal, wide)
  //   ComboBox_LH          line height (normal, wide)
  //   ComboBox_FS          font size (large, middle, small)
  //   ComboBox_FW          font weight (normal, bold)
  //   CheckBox_NC          "no chapters": the book's chapters are not recognised
  //   CheckBox_PH          with several sources, each chapter titled by its file name (path
  //                        heading); shown only while the source field holds several files
  //   CheckBox_UF          use a font file: shows Edit_UF, the font file's path (read only; a
  //                        click opens the font dialog)
  //   Button_Open          the "..." of the source line (the source dialog)
  //   Button_Save          the "..." of the target line (the save dialog)
  //   ListView_JobList     the job list: one row per book, a view of the job list model
  //   Splitter_Bottom      the border between the job list and the chapter panel
  //   ListBox_Files        the chapter list of the shown book, one line per chapter title
  //                        (files: the page files the chapters begin in)
  //   Button_FReplace, Button_FEdit, Button_FRemove
  //                        Replace, Edit and Remove under the chapter list
  //   ReplaceDialog_Head   find and replace in the chapter titles (heads)
  QLabel* Label_SourceFile;
  QLineEdit* Edit_SourceFile;
  QPushButton* Button_Open;
  QLabel* Label_TargetFile;
  QLineEdit* Edit_TargetFile;
  QPushButton* Button_Save;
  QLabel* Label_Title;
  QLineEdit* Edit_Title;
  QLabel* Label_Author;
  QLineEdit* Edit_Author;
  QLabel* Label_OP;
  QLabel* Label_PM;
  QComboBox* ComboBox_PM;
  QLabel* Label_LH;
  QComboBox* ComboBox_LH;
  QLabel* Label_FS;
  QComboBox* ComboBox_FS;
  QLabel* Label_FW;
  QComboBox* ComboBox_FW;
  QCheckBox* CheckBox_NC;
  QCheckBox* CheckBox_PH;
  QCheckBox* CheckBox_UF;
  QLineEdit* Edit_UF;
  QPushButton* Button_BookOptions;
  BookOptionsDialog* Dialog_BookOptions;
  QPushButton* Button_Add;
  QPushButton* Button_Edit;
  QPushButton* Button_Remove;
  QPushButton* Button_Clear;
  QPushButton* Button_Start;
  JobListView* ListView_JobList;
  QSplitter* Splitter_Bottom;
  ChapterListBox* ListBox_Files;
  QPushButton* Button_FReplace;
  QPushButton* Button_FEdit;
  QPushButton* Button_FRemove;
  FindReplaceDialog* ReplaceDialog_Head;
};

}  // namespace quireforge

#endif  // QUIREFORGE_UI_TFORM_MAIN_H_
