#include "ui/TForm_Main.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTimer>
#include <QTranslator>
#include <QVBoxLayout>
#include <exception>
#include <optional>
#include <stdexcept>
#include <utility>

#include "base/UserInterface.h"
#include "conversion/BookNames.h"
#include "conversion/BookOptionTable.h"
#include "conversion/BookRequest.h"
#include "conversion/CodePageChoice.h"
#include "conversion/ConvertFile.h"
#include "conversion/JobParameters.h"
#include "conversion/SharedStagingRoot.h"
#include "conversion/StagingRoot.h"
#include "conversion/XmlText.h"
#include "ui/BookOptionControls.h"
#include "ui/BookOptionsDialog.h"
#include "ui/ChapterListBox.h"
#include "ui/ChapterListModel.h"
#include "ui/DesignSizes.h"
#include "ui/DialogService.h"
#include "ui/FailureText.h"
#include "ui/FindReplaceDialog.h"
#include "ui/GuardedHandler.h"
#include "ui/InterfaceFonts.h"
#include "ui/JobListModel.h"
#include "ui/JobListView.h"
#include "ui/ProgramValues.h"
#include "ui/SettingsWriter.h"
#include "ui/SourceField.h"
#include "ui/TForm_Waiting.h"

namespace quireforge {

namespace {

QLabel* MakeLabel(const QString& name, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setObjectName(name);
  return label;
}

QPushButton* MakeButton(const QString& name, const QSize& size, QWidget* parent) {
  auto* button = new QPushButton(parent);
  button->setObjectName(name);
  button->setFixedSize(size);
  button->setAutoDefault(false);
  return button;
}

QLineEdit* MakeEdit(const QString& name, QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(name);
  return edit;
}

QComboBox* MakeOptionList(const QString& name, QWidget* parent) {
  auto* list = new QComboBox(parent);
  list->setObjectName(name);
  list->setMinimumWidth(design::kOptionListWidth);
  list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  return list;
}

QCheckBox* MakeCheckBox(const QString& name, int width, QWidget* parent) {
  auto* box = new QCheckBox(parent);
  box->setObjectName(name);
  box->setMinimumWidth(width);
  return box;
}

// A label on the left of a line, right-aligned to what follows it.
void AlignAsLineLabel(QLabel* label, int width) {
  label->setMinimumWidth(width);
  label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

// A field line: its label, the field filling the line, and an optional button at the end.
QHBoxLayout* FieldLine(QLabel* label, QWidget* field, QWidget* button) {
  auto* line = new QHBoxLayout;
  AlignAsLineLabel(label, design::kFieldLabelWidth);
  line->addWidget(label);
  line->addWidget(field, 1);
  if (button != nullptr) line->addWidget(button);
  return line;
}

// A control that is shown and hidden keeps its place on its line, so the line never jumps.
void KeepPlaceWhenHidden(QWidget* control) {
  QSizePolicy policy = control->sizePolicy();
  policy.setRetainSizeWhenHidden(true);
  control->setSizePolicy(policy);
}

// Gives `list` the items `items`; the selected index stays where it is when the number of
// items does not change (the other language's items).
void SetItems(QComboBox* list, const QStringList& items) {
  if (list->count() == items.size()) {
    for (int i = 0; i < list->count(); ++i) list->setItemText(i, items[i]);
    return;
  }
  list->clear();
  list->addItems(items);
}

QString TextOf(const std::exception& failure) { return QString::fromUtf8(failure.what()); }

}  // namespace

TForm_Main::TForm_Main(const ProgramValues& values, DialogService& dialogs, UserInterface& ui,
                       QWidget* parent)
    : QWidget(parent),
      values_(values),
      dialogs_(dialogs),
      ui_(ui),
      archiver_(ui),
      texts_(TextsFor(InterfaceLanguage::kEnglish)) {
  setObjectName(QStringLiteral("Form_Main"));
  setWindowTitle(QString::fromUtf8(kApplicationTitle));
  setFont(DesignFont());

  auto* lines = new QVBoxLayout(this);
  lines->setContentsMargins(design::kWindowMargin, design::kWindowMargin, design::kWindowMargin,
                            design::kWindowMargin);
  lines->setSpacing(design::kLineSpacing);
  BuildSourceFields(lines);
  BuildOptionLine(lines);
  BuildJobArea(lines);
  BuildChapterPanel();
  ConnectHandlers();
  // The texts come with the first showing, in the system's language (FormShow).
  resize(design::kClientArea);

  // FormCreate: dropped files are welcome.
  setAcceptDrops(true);
}

TForm_Main::~TForm_Main() {
  // The rows, and their jobs, go with the job list: nothing may show them or tell of them
  // while the window is taken apart.
  ListView_JobList->disconnect(this);
  chapter_model_->SetJob(nullptr);
  ListView_JobList->setModel(nullptr);
  if (qt_translator_ != nullptr) QCoreApplication::removeTranslator(qt_translator_.get());
}

// Source, target, title and author lines.
void TForm_Main::BuildSourceFields(QVBoxLayout* lines) {
  Label_SourceFile = MakeLabel(QStringLiteral("Label_SourceFile"), this);
  Edit_SourceFile = MakeEdit(QStringLiteral("Edit_SourceFile"), this);
  Button_Open = MakeButton(QStringLiteral("Button_Open"), design::kEllipsisButton, this);
  Label_TargetFile = MakeLabel(QStringLiteral("Label_TargetFile"), this);
  Edit_TargetFile = MakeEdit(QStringLiteral("Edit_TargetFile"), this);
  Button_Save = MakeButton(QStringLiteral("Button_Save"), design::kEllipsisButton, this);
  // The two "..." buttons read the same and keep the design font in both languages.
  for (QPushButton* ellipsis : {Button_Open, Button_Save}) {
    ellipsis->setText(QStringLiteral("..."));
    ellipsis->setFont(DesignFont());
  }
  Label_Title = MakeLabel(QStringLiteral("Label_Title"), this);
  Edit_Title = MakeEdit(QStringLiteral("Edit_Title"), this);
  Label_Author = MakeLabel(QStringLiteral("Label_Author"), this);
  Edit_Author = MakeEdit(QStringLiteral("Edit_Author"), this);

  lines->addLayout(FieldLine(Label_SourceFile, Edit_SourceFile, Button_Open));
  lines->addLayout(FieldLine(Label_TargetFile, Edit_TargetFile, Button_Save));
  lines->addLayout(FieldLine(Label_Title, Edit_Title, nullptr));
  lines->addLayout(FieldLine(Label_Author, Edit_Author, nullptr));
}

// The option line with its four drop-down lists, and the check line under it.
void TForm_Main::BuildOptionLine(QVBoxLayout* lines) {
  Label_OP = MakeLabel(QStringLiteral("Label_OP"), this);
  Label_PM = MakeLabel(QStringLiteral("Label_PM"), this);
  ComboBox_PM = MakeOptionList(QStringLiteral("ComboBox_PM"), this);
  Label_LH = MakeLabel(QStringLiteral("Label_LH"), this);
  ComboBox_LH = MakeOptionList(QStringLiteral("ComboBox_LH"), this);
  Label_FS = MakeLabel(QStringLiteral("Label_FS"), this);
  ComboBox_FS = MakeOptionList(QStringLiteral("ComboBox_FS"), this);
  Label_FW = MakeLabel(QStringLiteral("Label_FW"), this);
  ComboBox_FW = MakeOptionList(QStringLiteral("ComboBox_FW"), this);

  CheckBox_NC = MakeCheckBox(QStringLiteral("CheckBox_NC"), design::kNoChaptersBoxWidth, this);
  CheckBox_PH =
      MakeCheckBox(QStringLiteral("CheckBox_PH"), design::kFileNameChaptersBoxWidth, this);
  CheckBox_UF = MakeCheckBox(QStringLiteral("CheckBox_UF"), design::kFontFileBoxWidth, this);
  Edit_UF = MakeEdit(QStringLiteral("Edit_UF"), this);
  // At the end of the check line, where the option lists leave room.
  Button_BookOptions = new QPushButton(this);
  Button_BookOptions->setObjectName(QStringLiteral("Button_BookOptions"));
  Button_BookOptions->setAutoDefault(false);
  Edit_UF->setReadOnly(true);
  KeepPlaceWhenHidden(CheckBox_PH);
  KeepPlaceWhenHidden(Edit_UF);
  CheckBox_PH->hide();
  Edit_UF->hide();

  auto* option_line = new QHBoxLayout;
  AlignAsLineLabel(Label_OP, design::kOptionLabelWidth);
  option_line->addWidget(Label_OP);
  option_line->addSpacing(design::kAfterOptionLabel);
  for (auto [label, list] : {std::pair<QLabel*, QComboBox*>{Label_PM, ComboBox_PM},
                             {Label_LH, ComboBox_LH},
                             {Label_FS, ComboBox_FS},
                             {Label_FW, ComboBox_FW}}) {
    option_line->addWidget(label);
    option_line->addWidget(list);
    option_line->addSpacing(design::kAfterOptionList);
  }
  option_line->addStretch(1);

  // Every book option the option line does not hold has its control in the dialog.
  Dialog_BookOptions = new BookOptionsDialog(
      [](std::string_view name) { return IsOnOptionLine(FindBookOption(name)); },
      [this] { return Edit_SourceFile->text(); },
      [this] { return std::pair<QString, QString>(Edit_Title->text(), Edit_Author->text()); },
      dialogs_, values_.CodePages(), this);

  auto* check_line = new QHBoxLayout;
  check_line->addSpacing(design::kCheckLineIndent - design::kWindowMargin);
  check_line->addWidget(CheckBox_NC);
  check_line->addWidget(CheckBox_PH);
  check_line->addWidget(CheckBox_UF);
  check_line->addWidget(Edit_UF, 1);
  check_line->addWidget(Button_BookOptions);

  lines->addLayout(option_line);
  lines->addLayout(check_line);
}

// The tool bar, and the list area below it: the job list left of the splitter.
void TForm_Main::BuildJobArea(QVBoxLayout* lines) {
  Button_Add = MakeButton(QStringLiteral("Button_Add"), design::kToolButton, this);
  Button_Edit = MakeButton(QStringLiteral("Button_Edit"), design::kToolButton, this);
  Button_Remove = MakeButton(QStringLiteral("Button_Remove"), design::kToolButton, this);
  Button_Clear = MakeButton(QStringLiteral("Button_Clear"), design::kToolButton, this);
  Button_Start = MakeButton(QStringLiteral("Button_Start"), design::kToolButton, this);
  Button_Edit->setEnabled(false);
  Button_Remove->setEnabled(false);
  Button_Start->setEnabled(false);

  Splitter_Bottom = new QSplitter(Qt::Horizontal, this);
  Splitter_Bottom->setObjectName(QStringLiteral("Splitter_Bottom"));
  Splitter_Bottom->setChildrenCollapsible(false);
  jobs_ = new JobListModel(this);
  start_run_ = new StartRun(*jobs_, archiver_, ui_, this);
  ListView_JobList = new JobListView(Splitter_Bottom);
  ListView_JobList->setObjectName(QStringLiteral("ListView_JobList"));
  ListView_JobList->setModel(jobs_);
  Splitter_Bottom->addWidget(ListView_JobList);

  auto* tool_bar = new QHBoxLayout;
  tool_bar->addStretch(1);
  tool_bar->addWidget(Button_Add);
  tool_bar->addWidget(Button_Edit);
  tool_bar->addWidget(Button_Remove);
  tool_bar->addWidget(Button_Clear);
  tool_bar->addWidget(Button_Start);

  lines->addLayout(tool_bar);
  lines->addWidget(Splitter_Bottom, 1);
}

// The chapter panel right of the splitter: the chapter list box over the model of the shown
// job's chapter list, the Replace, Edit and Remove buttons under it, and the
// find-and-replace dialog.
void TForm_Main::BuildChapterPanel() {
  auto* chapter_panel = new QWidget(Splitter_Bottom);
  chapter_panel->setObjectName(QStringLiteral("Panel_Chapters"));
  chapter_model_ = new ChapterListModel(this);
  ListBox_Files = new ChapterListBox(chapter_panel);
  ListBox_Files->setObjectName(QStringLiteral("ListBox_Files"));
  ListBox_Files->setModel(chapter_model_);
  Button_FReplace = MakeButton(QStringLiteral("Button_FReplace"), design::kToolButton, this);
  Button_FEdit = MakeButton(QStringLiteral("Button_FEdit"), design::kToolButton, this);
  Button_FRemove = MakeButton(QStringLiteral("Button_FRemove"), design::kToolButton, this);
  Button_FReplace->setEnabled(false);
  Button_FEdit->setEnabled(false);
  Button_FRemove->setEnabled(false);
  ReplaceDialog_Head = new FindReplaceDialog(this);

  auto* chapter_buttons = new QHBoxLayout;
  chapter_buttons->setContentsMargins(0, 0, 0, 0);
  chapter_buttons->addWidget(Button_FReplace);
  chapter_buttons->addWidget(Button_FEdit);
  chapter_buttons->addWidget(Button_FRemove);
  chapter_buttons->addStretch(1);
  auto* chapter_layout = new QVBoxLayout(chapter_panel);
  chapter_layout->setContentsMargins(0, 0, 0, 0);
  chapter_layout->addWidget(ListBox_Files, 1);
  chapter_layout->addLayout(chapter_buttons);
  Splitter_Bottom->addWidget(chapter_panel);
  // Both sides share the room a larger window gives; the splitter moves the border.
  Splitter_Bottom->setStretchFactor(0, 1);
  Splitter_Bottom->setStretchFactor(1, 1);
  Splitter_Bottom->setSizes({design::kJobListWidth, design::kChapterListWidth});
}

void TForm_Main::ConnectHandlers() {
  // The handlers that have no window state to restore run guarded from here; the others
  // guard their own work and restore step.
  const auto guarded = [this](void (TForm_Main::*handler)()) {
    return [this, handler] { Guarded([this, handler] { (this->*handler)(); }); };
  };

  connect(Button_Open, &QPushButton::clicked, this, guarded(&TForm_Main::Button_OpenClick));
  connect(Button_Save, &QPushButton::clicked, this, guarded(&TForm_Main::Button_SaveClick));
  // A click on the read-only font field opens the font dialog; a file dropped on any text
  // field is the window's.
  Edit_UF->installEventFilter(this);
  for (QLineEdit* field : {Edit_SourceFile, Edit_TargetFile, Edit_Title, Edit_Author}) {
    field->installEventFilter(this);
    // Enter in a field presses Add.
    connect(field, &QLineEdit::returnPressed, this, [this] {
      if (Button_Add->isEnabled()) Button_Add->click();
    });
  }
  connect(Button_BookOptions, &QPushButton::clicked, this,
          guarded(&TForm_Main::Button_BookOptionsClick));
  // Typing or pasting a source derives the other fields; setText (dialogs, drops) does not
  // come through here.
  // An author the user typed is never replaced by a derived one.
  connect(Edit_Author, &QLineEdit::textEdited, this, [this] { derived_author_.clear(); });
  connect(Edit_SourceFile, &QLineEdit::textEdited, this,
          [this](const QString& text) { Guarded([this, &text] { Edit_SourceFileEdited(text); }); });
  connect(CheckBox_NC, &QCheckBox::clicked, this, guarded(&TForm_Main::CheckBox_NCClick));
  connect(CheckBox_UF, &QCheckBox::clicked, this, guarded(&TForm_Main::CheckBox_UFClick));

  connect(Button_Add, &QPushButton::clicked, this, &TForm_Main::Button_AddClick);
  connect(Button_Edit, &QPushButton::clicked, this, guarded(&TForm_Main::Button_EditClick));
  connect(Button_Remove, &QPushButton::clicked, this, &TForm_Main::Button_RemoveClick);
  connect(ListView_JobList, &JobListView::DeleteRequested, this, &TForm_Main::Button_RemoveClick);
  connect(ListView_JobList, &JobListView::EditRequested, this,
          guarded(&TForm_Main::Button_EditClick));
  connect(Button_Clear, &QPushButton::clicked, this, guarded(&TForm_Main::Button_ClearClick));
  connect(Button_Start, &QPushButton::clicked, this, &TForm_Main::Button_StartClick);
  connect(ListView_JobList, &JobListView::Clicked, this, &TForm_Main::ListView_JobListClick);
  connect(ListView_JobList, &JobListView::SelectionChanged, this,
          &TForm_Main::ListView_JobListChange);

  connect(ListBox_Files, &ChapterListBox::Clicked, this, &TForm_Main::ListBox_FilesClick);
  connect(ListBox_Files, &ChapterListBox::DragOver, this, &TForm_Main::ListBox_FilesDragOver);
  connect(ListBox_Files, &ChapterListBox::DeleteRequested, this, &TForm_Main::Button_FRemoveClick);
  connect(ListBox_Files, &ChapterListBox::EditRequested, this, &TForm_Main::Button_FEditClick);
  connect(Button_FEdit, &QPushButton::clicked, this, &TForm_Main::Button_FEditClick);
  connect(Button_FRemove, &QPushButton::clicked, this, &TForm_Main::Button_FRemoveClick);
  connect(Button_FReplace, &QPushButton::clicked, this, guarded(&TForm_Main::Button_FReplaceClick));
  connect(ReplaceDialog_Head, &FindReplaceDialog::Find, this, &TForm_Main::ReplaceDialog_HeadFind);
  connect(ReplaceDialog_Head, &FindReplaceDialog::Replace, this,
          &TForm_Main::ReplaceDialog_HeadReplace);
  connect(ReplaceDialog_Head, &FindReplaceDialog::ReplaceAll, this,
          &TForm_Main::ReplaceDialog_HeadReplaceAll);
}

void TForm_Main::RetranslateUi(const InterfaceTexts& texts) {
  texts_ = texts;
  const InterfaceTexts& t = texts_;
  Label_SourceFile->setText(t.label_source_file);
  Label_TargetFile->setText(t.label_target_file);
  Label_Title->setText(t.label_title);
  Label_Author->setText(t.label_author);
  Label_OP->setText(t.label_option);
  Label_PM->setText(t.label_page_margin);
  Label_LH->setText(t.label_line_height);
  Label_FS->setText(t.label_font_size);
  Label_FW->setText(t.label_font_weight);
  SetItems(ComboBox_PM, t.margin_items);
  SetItems(ComboBox_LH, t.line_height_items);
  SetItems(ComboBox_FS, t.font_size_items);
  SetItems(ComboBox_FW, t.font_weight_items);
  CheckBox_NC->setText(t.check_no_chapters);
  CheckBox_PH->setText(t.check_file_name_chapters);
  CheckBox_UF->setText(t.check_font_file);
  Button_BookOptions->setText(t.button_book_options);
  Dialog_BookOptions->ApplyTexts(t);
  Button_Add->setText(t.button_add);
  Button_Edit->setText(t.button_edit);
  Button_Remove->setText(t.button_remove);
  Button_Clear->setText(t.button_clear);
  Button_Start->setText(t.button_start);
  jobs_->SetTexts(t);
  Button_FReplace->setText(t.button_chapter_replace);
  Button_FEdit->setText(t.button_chapter_edit);
  Button_FRemove->setText(t.button_chapter_remove);
  ReplaceDialog_Head->ApplyTexts(t);
  if (waiting_ != nullptr) waiting_->SetPanelText(t.waiting_panel);
  // The messages, the done mark and the font dialog's texts are read from texts_ when used.
}

void TForm_Main::AttachProgressWindow(TForm_Waiting* waiting) {
  waiting_ = waiting;
  if (waiting_ == nullptr) return;
  waiting_->SetPanelText(texts_.waiting_panel);
  connect(waiting_, &TForm_Waiting::CancelRequested, this, &TForm_Main::CancelStart);
}

void TForm_Main::ShowCentred() {
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
  }
  show();
}

TConvertFile* TForm_Main::JobOfRow(int row) const {
  return row >= 0 && row < jobs_->RowCount() ? &jobs_->Job(row) : nullptr;
}

// ---- Start-up and shutdown ----

void TForm_Main::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!shown_before_) {
    shown_before_ = true;
    FormShow();
  }
}

void TForm_Main::FormShow() {
  ApplyLanguage();
  // The option table's defaults, then the choices of the last run.
  ShowOptionControls(this, BookOptions{});
  LoadSettings();
  try {
    staging_root_ = std::make_unique<SharedStagingRoot>(values_.StagingRoot());
  } catch (const StagingRootError& e) {
    staging_problem_ = TextOf(e);
  }

  // Problems with the surroundings are told once, when the window is on screen.
  QStringList problems;
  if (!values_.CodePageProblem().isEmpty()) problems.append(values_.CodePageProblem());
  if (!staging_problem_.isEmpty()) problems.append(staging_problem_);
  if (!values_.SettingsFile().isEmpty()) {
    const QString settings_problem = SettingsWriteProblem(values_.SettingsFile());
    if (!settings_problem.isEmpty()) {
      settings_problem_told_ = true;
      problems.append(texts_.settings_not_saved + QLatin1Char('\n') + settings_problem);
    }
  }
  if (!problems.isEmpty()) {
    QMetaObject::invokeMethod(
        this, [this, problems] { ShowFailure(problems.join(QLatin1Char('\n'))); },
        Qt::QueuedConnection);
  }
}

// The language is decided once, at the first showing: Qt's own standard buttons follow it,
// the window takes the language's font, and every text is set.
void TForm_Main::ApplyLanguage() {
  language_ = DecideInterfaceLanguage(QLocale::system());
  if (language_ == InterfaceLanguage::kChinese) {
    qt_translator_ = std::make_unique<QTranslator>();
    if (qt_translator_->load(QStringLiteral("qtbase_zh_CN"),
                             QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
      QCoreApplication::installTranslator(qt_translator_.get());
    } else {
      qt_translator_.reset();
    }
  }
  setFont(WindowFont(language_));
  RetranslateUi(TextsFor(language_));
}

void TForm_Main::closeEvent(QCloseEvent* event) {
  if (!FormCloseQuery()) {
    event->ignore();
    return;
  }
  FormClose();
  QWidget::closeEvent(event);
}

bool TForm_Main::FormCloseQuery() {
  // Closing now would pull the staging root from under a job being built: the user is told
  // to wait.
  if (adding_) {
    dialogs_.ShowMessage(texts_.close_adding_message);
    return false;
  }
  // During Start the window asks, then cancels the run and closes once it has stopped.
  if (!idle_) {
    if (close_after_start_) return false;
    if (!dialogs_.AskYesNo(texts_.question_caption, texts_.close_running_text,
                           DialogService::DefaultAnswer::kNo)) {
      return false;
    }
    close_after_start_ = true;
    CancelStart();
    return false;
  }
  // The user agreed to lose the rows when closing during Start; otherwise rows not converted
  // yet are asked about.
  if (!close_after_start_ && jobs_->HasPending() &&
      !dialogs_.AskYesNo(texts_.question_caption, texts_.close_pending_text,
                         DialogService::DefaultAnswer::kNo)) {
    return false;
  }
  ClearJobList();
  return true;
}

void TForm_Main::FormClose() {
  SaveSettings();
  if (ReplaceDialog_Head != nullptr) ReplaceDialog_Head->hide();
  // Other windows may stage their jobs in the same root: only this window's job folders go,
  // and the root when no other window holds it. A refused root (a link, another user's
  // folder) is not ours to delete.
  if (staging_root_ != nullptr) staging_root_->Close(jobs_->StagingFolders());
}

// ---- Jobs ----

void TForm_Main::Guarded(const std::function<void()>& work, const std::function<void()>& restore) {
  if (const std::optional<QString> failure = RunGuarded(work, restore)) ShowFailure(*failure);
}

void TForm_Main::ShowFailure(const QString& text) { dialogs_.ShowError(FailureText(texts_, text)); }

void TForm_Main::Button_AddClick() {
  // Disabling Add hands the keyboard focus on to the next control (Clear, or Remove), where
  // one more key press would act on the job list; it goes back once Add is enabled again.
  QPointer<QWidget> had_focus = focusWidget();
  Button_Add->setEnabled(false);
  adding_ = true;
  Button_Start->setEnabled(false);
  Guarded([this] { AddJob(); },
          [this, had_focus] {
            adding_ = false;
            CheckStatus();
            Button_Add->setEnabled(true);
            if (had_focus != nullptr && had_focus->isEnabled() && had_focus->isVisible()) {
              had_focus->setFocus(Qt::OtherFocusReason);
            }
          });
}

void TForm_Main::AddJob() {
  const QString source = Edit_SourceFile->text();
  const QString target = Edit_TargetFile->text();
  const QString title = Edit_Title->text();
  const QString author = Edit_Author->text();
  // Add that cannot go on says why, naming the field.
  if (source.isEmpty()) {
    dialogs_.ShowMessage(texts_.add_no_source);
    return;
  }
  if (target.isEmpty()) {
    dialogs_.ShowMessage(texts_.add_no_target);
    return;
  }
  if (IsEmptyAsXmlText(title.toStdU16String())) {
    dialogs_.ShowMessage(texts_.add_no_title);
    return;
  }
  if (!staging_problem_.isEmpty()) throw std::runtime_error(staging_problem_.toStdString());

  const QString checked_target = CheckedTarget(target, source, ChosenOptions());
  std::unique_ptr<TConvertFile> job = BuildJob(source, checked_target, title, author);
  QStringList notes;
  for (const std::string& note : job->Notes()) notes.append(QString::fromStdString(note));
  jobs_->Append(std::move(job), source);
  // What the user should know about the book (a cover that could not be drawn), once.
  if (!notes.isEmpty()) dialogs_.ShowMessage(notes.join(QLatin1Char('\n')));

  // The conversion let the window work meanwhile: a field the user changed keeps what was
  // typed; the others are emptied for the next book.
  const bool same_source = Edit_SourceFile->text() == source;
  for (auto [field, added] : {std::pair<QLineEdit*, QString>{Edit_SourceFile, source},
                              {Edit_TargetFile, target},
                              {Edit_Title, title},
                              {Edit_Author, author}}) {
    if (field->text() == added) field->clear();
  }
  if (same_source) CheckBox_PH->setChecked(false);
}

QString TForm_Main::CheckedTarget(const QString& target, const QString& source_text,
                                  const BookOptions& options) const {
  std::vector<std::u16string> sources;
  for (const QString& path : ParseSourceField(source_text))
    sources.push_back(path.toStdU16String());
  return QString::fromStdU16String(CheckedTargetPath(target.toStdU16String(), sources, options));
}

std::unique_ptr<TConvertFile> TForm_Main::BuildJob(const QString& source, const QString& target,
                                                   const QString& title, const QString& author) {
  BookRequest request;
  for (const QString& path : ParseSourceField(source)) {
    request.sources.push_back(path.toStdU16String());
  }
  request.target = target.toStdU16String();
  request.title = title.toStdU16String();
  request.author = author.toStdU16String();
  request.options = ChosenOptions();
  const JobParameters book = PlanBook(request, values_.CodePages());
  last_source_folder_ = QFileInfo(QString::fromStdU16String(book.sources.front())).absolutePath();
  last_target_folder_ = QFileInfo(QString::fromStdU16String(book.target_path)).absolutePath();
  return MakeJob(book, JobSurroundings{values_.StagingRoot(), &ui_, &values_.CodePages()});
}

void TForm_Main::Button_EditClick() {
  const int row = ListView_JobList->SelectedRow();
  if (row < 0) return;
  if (!jobs_->IsPending(row)) {
    dialogs_.ShowMessage(texts_.row_finished_message);
    return;
  }
  const TConvertFile& job = jobs_->Job(row);
  RowFields fields{QString::fromStdU16String(job.TargetPath()),
                   QString::fromStdU16String(job.Title()), QString::fromStdU16String(job.Author())};
  const QStringList labels = {texts_.label_target_file, texts_.label_title, texts_.label_author};
  // The same checks as Add; a refused edit opens the dialog again with what was typed.
  for (;;) {
    if (!dialogs_.EditRow(texts_.edit_row_caption, labels, &fields)) return;
    if (fields.target.isEmpty()) {
      dialogs_.ShowMessage(texts_.add_no_target);
    } else if (IsEmptyAsXmlText(fields.title.toStdU16String())) {
      dialogs_.ShowMessage(texts_.add_no_title);
    } else {
      try {
        fields.target = CheckedTarget(fields.target, jobs_->SourceText(row), job.Options());
        break;
      } catch (const BookNameError& refused) {
        ShowFailure(TextOf(refused));
      }
    }
  }
  jobs_->Rename(row, fields.target, fields.title, fields.author);
}

void TForm_Main::Button_RemoveClick() {
  Guarded(
      [this] {
        if (ListView_JobList->SelectedRow() < 0) return;
        if (!ConfirmLosingRows(true)) return;
        // The chapter list box lets go of the shown job before its row (and so the job) goes;
        // no selection change shows another job meanwhile.
        EmptyChapterList();
        const QSignalBlocker quiet(ListView_JobList);
        jobs_->RemoveRows(ListView_JobList->SelectedRows());
      },
      [this] { CheckStatus(); });
}

void TForm_Main::Button_ClearClick() {
  if (!ConfirmLosingRows(false)) return;
  ClearJobList();
}

bool TForm_Main::ConfirmLosingRows(bool selected_only) {
  if (selected_only) {
    if (!jobs_->HasPending(ListView_JobList->SelectedRows())) return true;
    return dialogs_.AskYesNo(texts_.question_caption, texts_.remove_question_text,
                             DialogService::DefaultAnswer::kNo);
  }
  if (!jobs_->HasPending()) return true;
  return dialogs_.AskYesNo(texts_.clear_question_caption, texts_.clear_question_text,
                           DialogService::DefaultAnswer::kNo);
}

void TForm_Main::ClearJobList() {
  Guarded(
      [this] {
        EmptyChapterList();
        const QSignalBlocker quiet(ListView_JobList);
        jobs_->Clear();
      },
      [this] { CheckStatus(); });
}

void TForm_Main::ListView_JobListClick() {
  Guarded(
      [this] {
        EmptyChapterList();
        if (const int row = ListView_JobList->SelectedRow(); row >= 0) {
          FillChapterList(&jobs_->Job(row));
        }
      },
      [this] { CheckStatus(); });
}

// Whatever changed the selection (arrow keys, Home, End, Space, a mouse press), the chapter
// list shows the selected row's job, so that the editor never edits another book.
void TForm_Main::ListView_JobListChange() {
  Guarded(
      [this] {
        const int row = ListView_JobList->SelectedRow();
        TConvertFile* job = row < 0 ? nullptr : &jobs_->Job(row);
        if (job == chapter_model_->Job()) return;
        EmptyChapterList();
        if (job != nullptr) FillChapterList(job);
      },
      [this] { CheckStatus(); });
}

void TForm_Main::CheckStatus() {
  setEnabled(idle_);
  const bool has_rows = jobs_->RowCount() > 0;
  // Start also waits while Add is building a job: both would drive the progress window.
  Button_Start->setEnabled(has_rows && !adding_);
  Button_Clear->setEnabled(has_rows);
  const int selected = ListView_JobList->SelectedRow();
  Button_Remove->setEnabled(selected >= 0);
  Button_Edit->setEnabled(selected >= 0 && jobs_->IsPending(selected));
  // A finished book's chapters are shown, not edited.
  const bool editable = !ChaptersReadOnly();
  const bool line_selected = ListBox_Files->SelectedLine() >= 0;
  Button_FEdit->setEnabled(editable && line_selected);
  Button_FRemove->setEnabled(editable && line_selected);
  Button_FReplace->setEnabled(editable && ListBox_Files->LineCount() > 0);
}

int TForm_Main::ShownRow() const {
  return chapter_model_->Job() == nullptr ? -1 : jobs_->RowOf(chapter_model_->Job());
}

bool TForm_Main::ChaptersReadOnly() const {
  const int row = ShownRow();
  return row >= 0 && !jobs_->IsPending(row);
}

// ---- Option check boxes ----

void TForm_Main::CheckBox_NCClick() {
  const bool no_chapters = CheckBox_NC->isChecked();
  CheckBox_PH->setChecked(!no_chapters);
  CheckBox_PH->setEnabled(!no_chapters);
}

void TForm_Main::CheckBox_UFClick() {
  if (CheckBox_UF->isChecked()) {
    if (dialogs_.AskYesNo(texts_.font_warning_caption, texts_.font_warning_text,
                          DialogService::DefaultAnswer::kYes)) {
      Edit_UF->show();
      return;
    }
    CheckBox_UF->setChecked(false);
  }
  Edit_UF->hide();
  Edit_UF->clear();
}

}  // namespace quireforge
