// The main window as a user meets it: fields, Add, the job list, Remove, Clear, Start, the
// option check boxes, closing, and failures shown in message boxes. Real jobs are built
// from real files in a private TEMP folder; books are packed by the real zip engine.
#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <optional>

#include "WindowFixture.h"
#include "conversion/ConvertFile.h"
#include "ui/BookOptionControls.h"
#include "ui/QtDialogService.h"
#include "ui/TForm_Main.h"

namespace quireforge::test {
namespace {

namespace fs = std::filesystem;

class MainWindowTest : public WindowFixture {
 protected:
  fs::path StagingRoot() const { return temp.path() / "QuireforgeTmp"; }
  // Where a control sits in the window's client area.
  QRect Place(const char* name) {
    QWidget* control = Find<QWidget>(name);
    return QRect(control->mapTo(window.get(), QPoint(0, 0)), control->size());
  }
};

TEST_F(MainWindowTest, OpensWithTheInitialStatesAndDefaultOptions) {
  EXPECT_EQ(window->windowTitle(), "Quireforge");
  EXPECT_TRUE(Button("Button_Add")->isEnabled());
  EXPECT_FALSE(Button("Button_Remove")->isEnabled());
  EXPECT_TRUE(Button("Button_Clear")->isEnabled());  // CheckStatus has not run yet
  EXPECT_FALSE(Button("Button_Start")->isEnabled());
  EXPECT_FALSE(Button("Button_FReplace")->isEnabled());
  EXPECT_FALSE(Button("Button_FEdit")->isEnabled());
  EXPECT_FALSE(Button("Button_FRemove")->isEnabled());
  EXPECT_FALSE(Check("CheckBox_PH")->isVisible());
  EXPECT_TRUE(Check("CheckBox_PH")->isEnabled());
  EXPECT_FALSE(Edit("Edit_UF")->isVisible());
  EXPECT_TRUE(Edit("Edit_UF")->isReadOnly());
  EXPECT_EQ(Find<QComboBox>("ComboBox_PM")->currentIndex(), 0);
  EXPECT_EQ(Find<QComboBox>("ComboBox_LH")->currentIndex(), 0);
  EXPECT_EQ(Find<QComboBox>("ComboBox_FS")->currentIndex(), 1);
  EXPECT_EQ(Find<QComboBox>("ComboBox_FW")->currentIndex(), 0);
  EXPECT_EQ(Find<QComboBox>("ComboBox_FS")->count(), 3);
  // The first choices are the book defaults that the command line and the job use too.
  BookOptions chosen;
  ReadOptionControls(*window, &chosen);
  EXPECT_EQ(chosen, BookOptions{});
  EXPECT_TRUE(fs::is_directory(StagingRoot()));
  EXPECT_EQ(fs::status(StagingRoot()).permissions() & fs::perms::all, fs::perms::owner_all);
  EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(MainWindowTest, OpensWithItsDesignSizesAndItsControlsInOrder) {
  EXPECT_EQ(window->size(), QSize(767, 484));
  const int margin = 5;
  const int right = 767 - margin;  // the first column right of the inner margin
  const int bottom = 484 - margin;
  for (const char* label :
       {"Label_SourceFile", "Label_TargetFile", "Label_Title", "Label_Author", "Label_OP"}) {
    EXPECT_EQ(Place(label).x(), margin) << label;
    EXPECT_EQ(Place(label).width(), 80) << label;
    EXPECT_TRUE(Find<QLabel>(label)->alignment() & Qt::AlignRight) << label;
  }
  EXPECT_EQ(Place("Label_SourceFile").y(), margin);
  for (const char* ellipsis : {"Button_Open", "Button_Save"}) {
    EXPECT_EQ(Place(ellipsis).size(), QSize(24, 21)) << ellipsis;
    EXPECT_EQ(Place(ellipsis).x() + Place(ellipsis).width(), right) << ellipsis;
  }
  EXPECT_EQ(Place("Edit_Title").x() + Place("Edit_Title").width(), right);
  for (const char* list : {"ComboBox_PM", "ComboBox_LH", "ComboBox_FS", "ComboBox_FW"}) {
    EXPECT_GE(Place(list).width(), 60) << list;
  }
  EXPECT_EQ(Place("CheckBox_NC").x(), 92);
  EXPECT_GE(Place("CheckBox_NC").width(), 160);
  EXPECT_GE(Place("CheckBox_PH").width(), 144);
  EXPECT_GE(Place("CheckBox_UF").width(), 93);
  // The tool bar at the right end, in its order.
  int left = 0;
  for (const char* button :
       {"Button_Add", "Button_Edit", "Button_Remove", "Button_Clear", "Button_Start"}) {
    EXPECT_EQ(Place(button).size(), QSize(54, 25)) << button;
    EXPECT_GT(Place(button).x(), left) << button;
    left = Place(button).x();
  }
  EXPECT_EQ(Place("Button_Start").x() + 54, right);
  // The list area fills the rest: the job list, then the chapter panel 218 pixels wide.
  EXPECT_EQ(Place("ListView_JobList").x(), margin);
  EXPECT_EQ(Place("ListView_JobList").y() + Place("ListView_JobList").height(), bottom);
  EXPECT_EQ(Place("Panel_Chapters").width(), 218);
  EXPECT_EQ(Place("ListBox_Files").width(), 218);
  EXPECT_EQ(Place("Panel_Chapters").x() + 218, right);
  EXPECT_EQ(Place("Panel_Chapters").y() + Place("Panel_Chapters").height(), bottom);
  left = 0;
  for (const char* button : {"Button_FReplace", "Button_FEdit", "Button_FRemove"}) {
    EXPECT_EQ(Place(button).size(), QSize(54, 25)) << button;
    EXPECT_EQ(Place(button).y() + 25, bottom) << button;
    EXPECT_GT(Place(button).x(), left) << button;
    left = Place(button).x();
  }

  // The keyboard visits the controls in the order of the window's lines.
  QStringList order;
  QWidget* control = window.get();
  for (int steps = 0; steps < 100; ++steps) {
    control = control->nextInFocusChain();
    if (control == window.get()) break;
    if (!control->objectName().isEmpty() && (control->focusPolicy() & Qt::TabFocus)) {
      order.append(control->objectName());
    }
  }
  EXPECT_EQ(order,
            (QStringList{"Edit_SourceFile",  "Button_Open",   "Edit_TargetFile",    "Button_Save",
                         "Edit_Title",       "Edit_Author",   "ComboBox_PM",        "ComboBox_LH",
                         "ComboBox_FS",      "ComboBox_FW",   "CheckBox_NC",        "CheckBox_PH",
                         "CheckBox_UF",      "Edit_UF",       "Button_BookOptions", "Button_Add",
                         "Button_Edit",      "Button_Remove", "Button_Clear",       "Button_Start",
                         "ListView_JobList", "ListBox_Files", "Button_FReplace",    "Button_FEdit",
                         "Button_FRemove"}));
}

// The program's own dialogs: a failed handler first restores the window, then shows the
// failure's text in an error box captioned "Quireforge".
TEST_F(MainWindowTest, AFailedHandlerRestoresTheWindowBeforeItShowsTheFailure) {
  QtDialogService real_dialogs;
  QtUserInterface real_ui(real_dialogs);
  TForm_Main real_window(*values, real_dialogs, real_ui);
  TForm_Waiting real_waiting(&real_window);
  real_ui.AttachProgressWindow(&real_waiting);
  real_window.AttachProgressWindow(&real_waiting);
  real_dialogs.SetParentWindow(&real_window);
  real_window.ShowCentred();
  QApplication::processEvents();
  auto edit = [&](const char* name) { return real_window.findChild<QLineEdit*>(name); };
  auto button = [&](const char* name) { return real_window.findChild<QPushButton*>(name); };

  // Each box is looked at while it is open, and closed with Escape. The handlers pump
  // messages before they fail, so the box is waited for.
  QStringList seen;
  QTimer watch;
  watch.setInterval(5);
  std::function<void()> check_window;
  QMessageBox::Icon expected_icon = QMessageBox::Critical;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    watch.stop();
    EXPECT_EQ(box->icon(), expected_icon);
    seen.append(box->text());
    check_window();
    QTest::keyClick(box, Qt::Key_Escape);
  });
  auto look_at_the_box = [&](const std::function<void()>& check) {
    check_window = check;
    watch.start();
  };

  // Add: the button is enabled again and the job is no longer being built.
  const fs::path absent = temp / "absent.txt";
  edit("Edit_SourceFile")->setText(QString::fromStdString(absent.string()));
  edit("Edit_TargetFile")->setText(QString::fromStdString((temp / "absent.epub").string()));
  edit("Edit_Title")->setText("Absent");
  look_at_the_box([&] {
    EXPECT_TRUE(button("Button_Add")->isEnabled());
    EXPECT_FALSE(real_window.IsAdding());
  });
  QTest::mouseClick(button("Button_Add"), Qt::LeftButton);
  watch.stop();
  ASSERT_EQ(seen.size(), 1);
  EXPECT_TRUE(seen[0].startsWith("Cannot open file \"" + QString::fromStdString(absent.string())))
      << seen[0].toStdString();

  // Start: a book that fails is told in the summary, shown once the progress window is
  // closed and the window takes input again.
  expected_icon = QMessageBox::Information;
  edit("Edit_SourceFile")->setText(QString::fromStdString(WriteNovel("a.txt", 2).string()));
  edit("Edit_TargetFile")->setText(QString::fromStdString((temp / "a.epub").string()));
  edit("Edit_Title")->setText("A");
  QTest::mouseClick(button("Button_Add"), Qt::LeftButton);
  ASSERT_NE(real_window.JobOfRow(0), nullptr);
  const fs::path oebps = fs::path(real_window.JobOfRow(0)->StagingPath()) / "OEBPS";
  ASSERT_EQ(RunCommand("chattr +i " + ShellQuote(oebps.string())), 0);
  look_at_the_box([&] {
    EXPECT_FALSE(real_waiting.isVisible());
    EXPECT_TRUE(real_window.isEnabled());
    EXPECT_TRUE(real_window.IsIdle());
  });
  QTest::mouseClick(button("Button_Start"), Qt::LeftButton);
  watch.stop();
  RunCommand("chattr -i " + ShellQuote(oebps.string()));
  ASSERT_EQ(seen.size(), 2);
  EXPECT_TRUE(seen[1].contains("toc.ncx")) << seen[1].toStdString();
  // Closing asks about the failed book: Escape answers No, and the window stays.
  expected_icon = QMessageBox::Question;
  look_at_the_box([] {});
  EXPECT_FALSE(real_window.close());
  watch.stop();
  ASSERT_EQ(seen.size(), 3);
  EXPECT_EQ(seen[2], "Some files are not converted yet! Close the window and lose them?");
}

TEST_F(MainWindowTest, AddWithAnEmptyFieldSaysWhichFieldAndKeepsTheOthers) {
  const fs::path novel = WriteNovel("novel.txt", 3);
  AddBook(novel, temp / "novel.epub", "");
  EXPECT_EQ(RowCount(), 0);
  EXPECT_EQ(Edit("Edit_SourceFile")->text().toStdString(), novel.string());
  AddBook("", temp / "novel.epub", "Novel");
  EXPECT_EQ(Edit("Edit_Title")->text(), "Novel");
  AddBook(novel, "", "Novel");
  EXPECT_EQ(RowCount(), 0);
  EXPECT_EQ(dialogs.TextsOf("message"),
            QStringList({"Title is empty. Type the title of the book.",
                         "Source File is empty. Choose a text file with \"...\" or type its path.",
                         "Target File is empty. Choose where to save the book with \"...\" or "
                         "type its path."}));
  EXPECT_TRUE(Button("Button_Add")->isEnabled());
  // Add ran CheckStatus: with no rows, Clear is off now.
  EXPECT_FALSE(Button("Button_Clear")->isEnabled());
}

TEST_F(MainWindowTest, AddBuildsARowWithTheChapterCountAndEmptiesTheFields) {
  Find<QComboBox>("ComboBox_FS")->setCurrentIndex(0);
  Check("CheckBox_PH")->setChecked(true);
  AddBook(WriteNovel("novel.txt", 4), temp / "novel.epub", "Novel", "Author A");
  ASSERT_EQ(RowCount(), 1);
  EXPECT_EQ(Cell(0, 0), "Novel");
  EXPECT_EQ(Cell(0, 1), "Author A");
  EXPECT_EQ(Cell(0, 2), "4");
  EXPECT_EQ(Cell(0, 3), "");
  EXPECT_EQ(window->JobOfRow(0)->TargetPath(), (temp / "novel.epub").u16string());
  for (const char* field : {"Edit_SourceFile", "Edit_TargetFile", "Edit_Title", "Edit_Author"}) {
    EXPECT_TRUE(Edit(field)->text().isEmpty()) << field;
  }
  EXPECT_FALSE(Check("CheckBox_PH")->isChecked());
  EXPECT_EQ(Find<QComboBox>("ComboBox_FS")->currentIndex(), 0);
  EXPECT_TRUE(Button("Button_Start")->isEnabled());
  EXPECT_TRUE(Button("Button_Clear")->isEnabled());
  EXPECT_FALSE(Button("Button_Remove")->isEnabled());
}

TEST_F(MainWindowTest, DontConvertCharpterGivesNoChaptersAndCouplesTheFileNameBox) {
  QCheckBox* nc = Check("CheckBox_NC");
  QCheckBox* ph = Check("CheckBox_PH");
  Click(nc);
  EXPECT_TRUE(nc->isChecked());
  EXPECT_FALSE(ph->isChecked());
  EXPECT_FALSE(ph->isEnabled());
  AddBook(WriteNovel("novel.txt", 4), temp / "novel.epub", "Novel");
  ASSERT_EQ(RowCount(), 1);
  EXPECT_EQ(Cell(0, 2), "0");
  Click(nc);
  EXPECT_FALSE(nc->isChecked());
  EXPECT_TRUE(ph->isChecked());
  EXPECT_TRUE(ph->isEnabled());
}

TEST_F(MainWindowTest, RemoveDeletesEverySelectedRowAndClearDeletesTheRest) {
  for (int i = 0; i < 4; ++i) {
    AddBook(WriteNovel("n" + std::to_string(i) + ".txt", i + 1),
            temp / ("n" + std::to_string(i) + ".epub"), QString("Book %1").arg(i));
  }
  ASSERT_EQ(RowCount(), 4);
  ClickRow(3);
  EXPECT_EQ(Chapters()->LineCount(), 4);  // the job list click shows that job's chapters
  ClickRow(0, Qt::ControlModifier);
  ClickRow(2, Qt::ControlModifier);
  EXPECT_TRUE(Button("Button_Remove")->isEnabled());
  // The rows are not converted: Remove asks (No keeps them), then Yes.
  dialogs.yes_no_answers = {false, true, true};
  Click(Button("Button_Remove"));
  EXPECT_EQ(RowCount(), 4);
  Click(Button("Button_Remove"));
  EXPECT_EQ(dialogs.TextsOf("question").last(),
            "Some selected files are not converted yet! Remove them anyway?");
  ASSERT_EQ(RowCount(), 1);
  EXPECT_EQ(Cell(0, 0), "Book 1");
  EXPECT_EQ(Chapters()->LineCount(), 0);
  EXPECT_FALSE(Button("Button_Remove")->isEnabled());

  Click(Button("Button_Clear"));
  EXPECT_EQ(RowCount(), 0);
  EXPECT_FALSE(Button("Button_Clear")->isEnabled());
  EXPECT_FALSE(Button("Button_Start")->isEnabled());
}

TEST_F(MainWindowTest, AfterAddTheKeyboardFocusStaysWhereItWas) {
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  AddBook(WriteNovel("a.txt", 2), temp / "a.epub", "A");
  Type("Edit_SourceFile", QString::fromStdString(WriteNovel("b.txt", 3).string()));
  Type("Edit_TargetFile", QString::fromStdString((temp / "b.epub").string()));
  Type("Edit_Title", "B");
  // Add pressed from the keyboard: Space on the focused button. (The window's focus widget
  // is where keys go whenever the window is active.)
  QPushButton* add = Button("Button_Add");
  add->setFocus(Qt::TabFocusReason);
  QTest::keyClick(add, Qt::Key_Space);
  QApplication::processEvents();
  ASSERT_EQ(RowCount(), 2);
  EXPECT_EQ(window->focusWidget(), add);
  // A second Space repeats Add, which says the source is missing; both jobs stay.
  QTest::keyClick(window->focusWidget(), Qt::Key_Space);
  QApplication::processEvents();
  EXPECT_EQ(RowCount(), 2);
  EXPECT_EQ(dialogs.TextsOf("message").size(), 1);
  EXPECT_EQ(window->focusWidget(), add);

  // Focus in a text field stays there too, also when Add fails.
  Type("Edit_SourceFile", QString::fromStdString((temp / "absent.txt").string()));
  Type("Edit_TargetFile", QString::fromStdString((temp / "absent.epub").string()));
  Type("Edit_Title", "Absent");
  Edit("Edit_Title")->setFocus(Qt::TabFocusReason);
  window->Button_AddClick();
  EXPECT_EQ(window->focusWidget(), Edit("Edit_Title"));
  EXPECT_EQ(dialogs.TextsOf("error").size(), 1);
}

TEST_F(MainWindowTest, ClearAsksWheneverAPendingRowWouldGo) {
  AddBook(WriteNovel("a.txt", 2), temp / "a.epub", "A");
  // One row is asked about too; No keeps it.
  Click(Button("Button_Clear"));
  EXPECT_EQ(RowCount(), 1);
  ASSERT_EQ(dialogs.TextsOf("question").size(), 1);
  EXPECT_EQ(dialogs.question_defaults.back(), DialogService::DefaultAnswer::kNo);
  dialogs.shown.clear();

  AddBook(WriteNovel("b.txt", 2), temp / "b.epub", "B");
  dialogs.yes_no_answers = {false, true};
  Click(Button("Button_Clear"));  // No: every row stays
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].kind, "question");
  EXPECT_EQ(dialogs.shown[0].caption, "Warning");
  EXPECT_EQ(dialogs.shown[0].text, "Some files are not converted yet! Clear the file list anyway?");
  EXPECT_EQ(RowCount(), 2);
  EXPECT_TRUE(Button("Button_Clear")->isEnabled());
  ClickRow(1);
  EXPECT_EQ(Chapters()->LineCount(), 2);
  Click(Button("Button_Clear"));  // Yes
  EXPECT_EQ(dialogs.shown.size(), 2u);
  EXPECT_EQ(RowCount(), 0);
  EXPECT_EQ(Chapters()->LineCount(), 0);

  // Every row done: nothing is lost, nothing is asked.
  AddBook(WriteNovel("a.txt", 2), temp / "a.epub", "A");
  AddBook(WriteNovel("b.txt", 2), temp / "b.epub", "B");
  Click(Button("Button_Start"));
  ASSERT_EQ(Cell(1, 3), "Done");
  Click(Button("Button_Clear"));
  EXPECT_EQ(RowCount(), 0);
  EXPECT_EQ(dialogs.TextsOf("question").size(), 2);
}

TEST_F(MainWindowTest, ClosingWithPendingRowsAsksWithNoAsTheDefault) {
  AddBook(WriteNovel("a.txt", 2), temp / "a.epub", "A");
  AddBook(WriteNovel("b.txt", 2), temp / "b.epub", "B");
  dialogs.yes_no_answers = {false};
  EXPECT_FALSE(window->close());
  EXPECT_EQ(RowCount(), 2);
  ASSERT_EQ(dialogs.TextsOf("question"),
            QStringList{"Some files are not converted yet! Close the window and lose them?"});
  EXPECT_EQ(dialogs.question_defaults.back(), DialogService::DefaultAnswer::kNo);
  dialogs.yes_no_answers = {true};
  EXPECT_TRUE(window->close());
  EXPECT_EQ(RowCount(), 0);
}

TEST_F(MainWindowTest, StartOnAnEmptyListShowsTheEmptyListMessage) {
  window->Button_StartClick();
  EXPECT_EQ(dialogs.TextsOf("message"), QStringList{"File list is empty! Please add file(s)."});
  EXPECT_TRUE(window->isEnabled());
}

// Each run disables the window, shows the progress window, and ends with the window idle
// again and its summary, and nothing else. (What the run does to the rows: JobListModelTest.)
TEST_F(MainWindowTest, EachStartEndsIdleWithItsSummary) {
  AddBook(WriteNovel("a.txt", 2), temp / "a.epub", "A");
  bool enabled_during_start = true;
  bool waiting_shown = false;
  QTimer::singleShot(0, window.get(), [&] {
    enabled_during_start = window->isEnabled();
    waiting_shown = waiting->isVisible();
  });
  Click(Button("Button_Start"));
  EXPECT_FALSE(enabled_during_start);
  EXPECT_TRUE(waiting_shown);
  EXPECT_EQ(Cell(0, 3), "Done");
  Click(Button("Button_Start"));  // nothing pending
  EXPECT_TRUE(window->isEnabled());
  EXPECT_TRUE(window->IsIdle());
  EXPECT_FALSE(waiting->isVisible());
  EXPECT_EQ(dialogs.TextsOf("summary"),
            QStringList({"Written (1):\n    " + QString::fromStdString((temp / "a.epub").string()),
                         "No book was written."}));
  EXPECT_EQ(dialogs.shown.size(), 2u);
}

// The summary offers "Open folder" when a book was written; it opens each folder once.
TEST_F(MainWindowTest, TheSummaryOpensTheFoldersOfTheWrittenBooks) {
  fs::create_directory(temp / "other");
  AddBook(WriteNovel("a.txt", 2), temp / "a.epub", "A");
  AddBook(WriteNovel("b.txt", 2), temp / "b.epub", "B");
  AddBook(WriteNovel("c.txt", 2), temp / "other" / "c.epub", "C");
  dialogs.press_open_folder = true;
  Click(Button("Button_Start"));
  EXPECT_EQ(dialogs.summary_open_folder_offered, std::vector<bool>{true});
  EXPECT_EQ(dialogs.opened_folders,
            QStringList({QString::fromStdString(temp.path().string()),
                         QString::fromStdString((temp / "other").string())}));
}

// A failed book shows in its row's tooltip and in the summary, not in a dialog of the
// archive component's own; the window is idle again, Start still enabled.
TEST_F(MainWindowTest, AFailedBookIsToldInTheSummaryAndTheRowsTooltip) {
  AddBook(WriteNovel("a.txt", 2), temp / "missing" / "a.epub", "A");
  Click(Button("Button_Start"));
  EXPECT_EQ(Cell(0, 3), "Failed");
  const QString reason = Tip(0, 0);
  EXPECT_TRUE(reason.contains("must exist")) << reason.toStdString();
  EXPECT_TRUE(dialogs.TextsOf("archive-error").isEmpty());
  EXPECT_TRUE(dialogs.TextsOf("error").isEmpty());
  EXPECT_EQ(
      dialogs.TextsOf("summary"),
      QStringList("No book was written.\n\nFailed (1):\n    " +
                  QString::fromStdString((temp / "missing" / "a.epub").string()) + ": " + reason));
  EXPECT_TRUE(window->isEnabled());
  EXPECT_TRUE(window->IsIdle());
  EXPECT_FALSE(waiting->isVisible());
  EXPECT_TRUE(Button("Button_Start")->isEnabled());
}

TEST_F(MainWindowTest, AddFailuresAreShownAndKeepTheFields) {
  // A missing source file.
  AddBook(temp / "absent.txt", temp / "absent.epub", "Absent");
  // A folder as source.
  fs::create_directory(temp / "folder.txt");
  AddBook(temp / "folder.txt", temp / "folder.epub", "Folder");
  // The target is the source itself.
  const fs::path novel = WriteNovel("novel.txt", 2);
  AddBook(novel, novel, "Novel");
  EXPECT_EQ(RowCount(), 0);
  const QStringList errors = dialogs.TextsOf("error");
  ASSERT_EQ(errors.size(), 3);
  EXPECT_TRUE(errors[0].startsWith("Cannot open file \"" +
                                   QString::fromStdString((temp / "absent.txt").string())));
  EXPECT_TRUE(errors[1].contains("folder.txt"));
  EXPECT_EQ(errors[2], "Cannot create file \"" + QString::fromStdString(novel.string()) +
                           "\". It is one of the source files.");
  EXPECT_EQ(Edit("Edit_SourceFile")->text().toStdString(), novel.string());
  EXPECT_EQ(Edit("Edit_Title")->text(), "Novel");
  EXPECT_TRUE(Button("Button_Add")->isEnabled());
  EXPECT_FALSE(window->IsAdding());
}

TEST_F(MainWindowTest, AddRefusesATargetThatNamesTheFont) {
  const fs::path novel = WriteNovel("novel.txt", 2);
  const fs::path font = temp / "f.ttf";
  WriteFile(font, "font bytes");
  dialogs.yes_no_answers = {true};
  Click(Check("CheckBox_UF"));
  Edit("Edit_UF")->setText(QString::fromStdString(font.string()));
  AddBook(novel, font, "Novel");
  EXPECT_EQ(RowCount(), 0);
  EXPECT_EQ(dialogs.TextsOf("error"),
            QStringList{"Cannot create file \"" + QString::fromStdString(font.string()) +
                        "\". It is the font file."});
  EXPECT_EQ(ReadFile(font), "font bytes");
  EXPECT_EQ(Edit("Edit_SourceFile")->text().toStdString(), novel.string());
  EXPECT_TRUE(Button("Button_Add")->isEnabled());
}

// A font is a font by its header, whatever its name: a remembered choice naming another file
// is refused at Add, naming it, and a font replaced by another file before Start fails that
// book, not the others.
TEST_F(MainWindowTest, OnlyAFontIsEmbeddedAsTheFont) {
  const fs::path novel = WriteNovel("novel.txt", 2);
  const fs::path passwd = temp / "passwd", font = temp / "f.ttf";
  WriteFile(passwd, "root:x:0:0:root:/root:/bin/bash\n");
  fs::copy_file("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", font);
  const QString refused = "Cannot use font file \"" + QString::fromStdString(passwd.string()) +
                          "\". It is not a TrueType or OpenType font.";
  CloseWindow();
  fs::create_directories(temp / "config" / "quireforge");
  WriteFile(temp / "config" / "quireforge" / "quireforge.conf",
            "[book]\nfont=" + passwd.string() + "\n");
  OpenWindow();
  ASSERT_TRUE(Check("CheckBox_UF")->isChecked());
  ASSERT_EQ(Edit("Edit_UF")->text().toStdString(), passwd.string());
  AddBook(novel, temp / "a.epub", "A");
  EXPECT_EQ(dialogs.TextsOf("error"), QStringList{refused});
  EXPECT_EQ(RowCount(), 0);

  Edit("Edit_UF")->setText(QString::fromStdString(font.string()));
  AddBook(novel, temp / "a.epub", "A");
  AddBook(novel, temp / "b.epub", "B");
  ASSERT_EQ(RowCount(), 2);
  Click(Button("Button_Start"));
  EXPECT_EQ(Cell(0, 3), "Done");
  EXPECT_EQ(RunCommand("unzip -p " + ShellQuote((temp / "a.epub").string()) +
                       " OEBPS/font.ttf | cmp -s - " + ShellQuote(font.string())),
            0);
  // A row not packed yet finds the font replaced.
  AddBook(novel, temp / "c.epub", "C");
  fs::copy_file(passwd, font, fs::copy_options::overwrite_existing);
  Click(Button("Button_Start"));
  EXPECT_EQ(Cell(2, 3), "Failed");
  EXPECT_TRUE(Tip(2, 0).contains("It is not a TrueType or OpenType"));
  EXPECT_FALSE(fs::exists(temp / "c.epub"));
}

TEST_F(MainWindowTest, AddWithATitleThatIsEmptyOnceWrittenSaysSo) {
  const fs::path novel = WriteNovel("novel.txt", 2);
  for (const QString& title :
       {QStringLiteral(" "), QStringLiteral("\t\x01 "), QString(QChar(0xFFFE)) + QChar(0xFFFF)}) {
    Type("Edit_SourceFile", QString::fromStdString(novel.string()));
    Type("Edit_TargetFile", QString::fromStdString((temp / "novel.epub").string()));
    Edit("Edit_Title")->setText(title);
    Click(Button("Button_Add"));
    EXPECT_EQ(RowCount(), 0);
    EXPECT_EQ(Edit("Edit_Title")->text(), title);
  }
  EXPECT_EQ(dialogs.TextsOf("message"),
            QStringList(3, "Title is empty. Type the title of the book."));
  EXPECT_TRUE(Button("Button_Add")->isEnabled());
}

TEST_F(MainWindowTest, FontCheckBoxAsksFirst) {
  QCheckBox* uf = Check("CheckBox_UF");
  dialogs.yes_no_answers = {false};
  Click(uf);
  EXPECT_FALSE(uf->isChecked());
  EXPECT_FALSE(Edit("Edit_UF")->isVisible());
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].kind, "question");
  EXPECT_EQ(dialogs.shown[0].caption, "Warning");
  EXPECT_EQ(dialogs.shown[0].text,
            "Big font file may cause invalid ePub file! Continue to use a font file?");

  dialogs.yes_no_answers = {true};
  Click(uf);
  EXPECT_TRUE(uf->isChecked());
  EXPECT_TRUE(Edit("Edit_UF")->isVisible());
  Edit("Edit_UF")->setText("/fonts/a.ttf");
  Click(uf);  // unchecking asks nothing, hides and empties the field
  EXPECT_EQ(dialogs.shown.size(), 2u);
  EXPECT_FALSE(Edit("Edit_UF")->isVisible());
  EXPECT_TRUE(Edit("Edit_UF")->text().isEmpty());
}

// The archive component pumps messages while it packs; a close arriving then asks (No by
// default). No lets the run go on; Yes cancels it and closes the window once it has stopped.
TEST_F(MainWindowTest, ClosingDuringStartAsksThenCancelsAndCloses) {
  AddBook(WriteNovel("a.txt", 2), temp / "a.epub", "A");
  bool closed_during_start = true;
  bool enabled_during_start = true;
  QTimer::singleShot(0, window.get(), [&] {
    enabled_during_start = window->isEnabled();
    closed_during_start = window->close();
  });
  Click(Button("Button_Start"));  // No: the run goes on
  QApplication::processEvents();
  EXPECT_FALSE(enabled_during_start);
  EXPECT_FALSE(closed_during_start);
  EXPECT_EQ(
      dialogs.TextsOf("question"),
      QStringList{"Books are being converted. Cancel the current book and close the window?"});
  EXPECT_EQ(dialogs.question_defaults.back(), DialogService::DefaultAnswer::kNo);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(Cell(0, 3), "Done");

  AddBook(WriteNovel("b.txt", 2), temp / "b.epub", "B");
  dialogs.yes_no_answers = {true};
  QTimer::singleShot(0, window.get(), [&] { window->close(); });
  Click(Button("Button_Start"));  // Yes: cancelled, then closed without a second question
  QApplication::processEvents();
  EXPECT_FALSE(window->isVisible());
  EXPECT_FALSE(fs::exists(temp / "b.epub"));
  EXPECT_FALSE(fs::exists(StagingRoot()));
  EXPECT_EQ(dialogs.TextsOf("question").size(), 2);
  EXPECT_EQ(dialogs.TextsOf("summary").size(), 1);  // the first run's only
}

TEST_F(MainWindowTest, ClosingDuringAddIsRefusedWithAWord) {
  // A single long source pumps messages between its pages.
  std::string text;
  for (int i = 0; i < 400; ++i) {
    text += "第" + std::to_string(i + 1) + "章\r\n" + std::string(3000, 'x') + "\r\n";
  }
  WriteFile(temp / "long.txt", text);
  AddBook(WriteNovel("short.txt", 2), temp / "short.epub", "Short");
  Type("Edit_SourceFile", QString::fromStdString((temp / "long.txt").string()));
  Type("Edit_TargetFile", QString::fromStdString((temp / "long.epub").string()));
  Type("Edit_Title", "Long");
  bool closed_during_add = true;
  bool add_enabled_during_add = true;
  bool start_enabled_during_add = true;
  QTimer::singleShot(0, window.get(), [&] {
    add_enabled_during_add = Button("Button_Add")->isEnabled();
    start_enabled_during_add = Button("Button_Start")->isEnabled();
    closed_during_add = window->close();
  });
  Click(Button("Button_Add"));
  EXPECT_FALSE(closed_during_add);
  EXPECT_EQ(dialogs.TextsOf("message"),
            QStringList{"A book is being added. The window can be closed when it is done."});
  EXPECT_FALSE(add_enabled_during_add);
  EXPECT_FALSE(start_enabled_during_add);
  ASSERT_EQ(RowCount(), 2);
  EXPECT_EQ(Cell(1, 2), "400");
  EXPECT_TRUE(Button("Button_Start")->isEnabled());
  EXPECT_TRUE(window->isVisible());
}

TEST_F(MainWindowTest, ClosingDeletesTheStagingRootWithOldContentButNotLinkedFolders) {
  AddBook(WriteNovel("a.txt", 2), temp / "a.epub", "A");
  fs::create_directories(StagingRoot() / "old" / "deep");
  WriteFile(StagingRoot() / "old" / "deep" / "left.txt", "left");
  fs::create_directory(temp / "keep");
  WriteFile(temp / "keep" / "precious.txt", "keep me");
  fs::create_directory_symlink(temp / "keep", StagingRoot() / "link");
  dialogs.yes_no_answers = {true};  // the row not converted may go
  EXPECT_TRUE(window->close());
  EXPECT_FALSE(fs::exists(StagingRoot()));
  EXPECT_EQ(ReadFile(temp / "keep" / "precious.txt"), "keep me");
}

TEST_F(MainWindowTest, TheProgressWindowIsFramelessAndCentredOverTheMainWindow) {
  window->resize(767, 484);
  ui->ShowProgress();
  QApplication::processEvents();
  EXPECT_TRUE(waiting->isVisible());
  EXPECT_TRUE(waiting->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(waiting->size(), QSize(367, 192));
  EXPECT_LE(
      (waiting->frameGeometry().center() - window->frameGeometry().center()).manhattanLength(), 2);
  EXPECT_EQ(waiting->PanelText(), "Processing, please waiting...");
  QProgressBar* bar = waiting->findChild<QProgressBar*>("ProgressBar_Waiting");
  ASSERT_NE(bar, nullptr);
  EXPECT_FALSE(bar->isVisible());
  ui->ShowProgressBar();
  ui->SetProgressMaximum(40);
  ui->SetProgressPosition(10);
  EXPECT_TRUE(bar->isVisible());
  EXPECT_EQ(bar->maximum(), 40);
  EXPECT_EQ(bar->value(), 10);
  ui->HideProgressBar();
  ui->CloseProgress();
  EXPECT_FALSE(waiting->isVisible());
}

TEST_F(MainWindowTest, TheWaitCursorIsShownAndRestored) {
  ui->SetWaitCursor(true);
  ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
  ui->SetWaitCursor(true);
  ui->SetWaitCursor(false);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  ui->SetWaitCursor(false);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

// Another window of the same user, in the same TEMP, as a second program would open it.
struct OtherWindow {
  OtherWindow() : ui(dialogs), window(values, dialogs, ui), waiting(&window) {
    ui.AttachProgressWindow(&waiting);
    window.AttachProgressWindow(&waiting);
    window.ShowCentred();
    QApplication::processEvents();
  }
  void AddBook(const fs::path& source, const fs::path& target, const QString& title) {
    window.findChild<QLineEdit*>("Edit_SourceFile")->setText(QString::fromStdString(source));
    window.findChild<QLineEdit*>("Edit_TargetFile")->setText(QString::fromStdString(target));
    window.findChild<QLineEdit*>("Edit_Title")->setText(title);
    QTest::mouseClick(window.findChild<QPushButton*>("Button_Add"), Qt::LeftButton);
  }

  ScriptedDialogService dialogs;
  ProgramValues values;
  QtUserInterface ui;
  TForm_Main window;
  TForm_Waiting waiting;
};

TEST_F(MainWindowTest, ClosingOneOfTwoWindowsLeavesTheOtherWindowsJobs) {
  OtherWindow other;
  AddBook(WriteNovel("a.txt", 2), temp / "a.epub", "A");
  other.AddBook(WriteNovel("b.txt", 3), temp / "b.epub", "B");
  ASSERT_EQ(RowCount(), 1);
  ASSERT_NE(other.window.JobOfRow(0), nullptr);
  const fs::path mine = window->JobOfRow(0)->StagingPath();
  const fs::path theirs = other.window.JobOfRow(0)->StagingPath();
  ASSERT_EQ(mine.parent_path(), theirs.parent_path());

  dialogs.yes_no_answers = {true};
  EXPECT_TRUE(window->close());
  EXPECT_FALSE(fs::exists(mine));
  EXPECT_TRUE(fs::exists(theirs / "OEBPS" / "book.opf"));

  // The other window still makes its book, and cleans up after itself.
  QTest::mouseClick(other.window.findChild<QPushButton*>("Button_Start"), Qt::LeftButton);
  EXPECT_EQ(other.dialogs.TextsOf("summary").size(), 1);
  EXPECT_EQ(other.dialogs.shown.size(), 1u);
  EXPECT_EQ(RunCommand("unzip -tq " + ShellQuote((temp / "b.epub").string())), 0);
  EXPECT_TRUE(fs::exists(StagingRoot()));
  EXPECT_TRUE(other.window.close());
  EXPECT_FALSE(fs::exists(StagingRoot()));
}

TEST_F(MainWindowTest, JobsARemovedRowLeftBehindGoWhenTheWindowCloses) {
  OtherWindow other;  // keeps the root alive: only this window's folders may go
  AddBook(WriteNovel("a.txt", 2), temp / "a.epub", "A");
  const fs::path staged = window->JobOfRow(0)->StagingPath();
  ClickRow(0);
  dialogs.yes_no_answers = {true};
  Click(Button("Button_Remove"));
  ASSERT_TRUE(fs::exists(staged / "mimetype"));  // never packed
  EXPECT_TRUE(window->close());
  EXPECT_FALSE(fs::exists(staged));
  EXPECT_TRUE(fs::is_directory(StagingRoot()));
}

// Neither TEMP nor TMPDIR: the staging root is in the user's own runtime folder.
class RuntimeDirStagingRootTest : public WindowFixture {
 protected:
  void SetUp() override {
    runtime_dir_ = temp / "run";
    fs::create_directory(runtime_dir_);
    fs::permissions(runtime_dir_, fs::perms::owner_all);
    unsetenv("TEMP");
    unsetenv("TMPDIR");
    const char* old = getenv("XDG_RUNTIME_DIR");
    if (old != nullptr) old_runtime_dir_ = old;
    setenv("XDG_RUNTIME_DIR", runtime_dir_.c_str(), 1);
    OpenWindow();
  }
  void TearDown() override {
    CloseWindow();
    if (old_runtime_dir_.has_value()) {
      setenv("XDG_RUNTIME_DIR", old_runtime_dir_->c_str(), 1);
    } else {
      unsetenv("XDG_RUNTIME_DIR");
    }
  }

  fs::path runtime_dir_;
  std::optional<std::string> old_runtime_dir_;
};

TEST_F(RuntimeDirStagingRootTest, HoldsTheJobsAndGoesAtClose) {
  EXPECT_EQ(values->StagingRoot(), (runtime_dir_ / "QuireforgeTmp").u16string());
  EXPECT_TRUE(fs::is_directory(runtime_dir_ / "QuireforgeTmp"));
  AddBook(WriteNovel("a.txt", 2), temp / "a.epub", "A");
  ASSERT_EQ(RowCount(), 1);
  EXPECT_EQ(fs::path(window->JobOfRow(0)->StagingPath()).parent_path(),
            runtime_dir_ / "QuireforgeTmp");
  Click(Button("Button_Start"));
  EXPECT_EQ(RunCommand("unzip -tq " + ShellQuote((temp / "a.epub").string())), 0);
  EXPECT_TRUE(window->close());
  EXPECT_FALSE(fs::exists(runtime_dir_ / "QuireforgeTmp"));
}

class RefusedStagingRootTest : public WindowFixture {
 protected:
  void SetUp() override {
    fs::create_directory(temp / "elsewhere");
    fs::create_directory_symlink(temp / "elsewhere", temp / "QuireforgeTmp");
    OpenWindow();
    QApplication::processEvents();
  }
};

TEST_F(RefusedStagingRootTest, IsToldOnceAndEveryAddFailsWithTheSameMessage) {
  const QStringList at_start = dialogs.TextsOf("error");
  ASSERT_EQ(at_start.size(), 1);
  EXPECT_TRUE(at_start[0].contains("symbolic link"));
  AddBook(WriteNovel("a.txt", 2), temp / "a.epub", "A");
  AddBook(WriteNovel("a.txt", 2), temp / "a.epub", "A");
  EXPECT_EQ(dialogs.TextsOf("error"), (QStringList{at_start[0], at_start[0], at_start[0]}));
  EXPECT_EQ(RowCount(), 0);
  EXPECT_TRUE(fs::is_empty(temp / "elsewhere"));
  // Closing leaves a staging root it refused alone.
  EXPECT_TRUE(window->close());
  EXPECT_TRUE(fs::is_symlink(temp / "QuireforgeTmp"));
  EXPECT_TRUE(fs::is_directory(temp / "elsewhere"));
}

}  // namespace
}  // namespace quireforge::test

namespace quireforge::test {
namespace {

// The settings file is written whole, beside itself, and renamed into place: a link at its
// name is replaced, never followed. Where it cannot be written the window says so, once.
class SettingsFileTest : public WindowFixture {
 protected:
  fs::path Folder() const { return temp / "config" / "quireforge"; }
  fs::path File() const { return Folder() / "quireforge.conf"; }
  // Reopens the window on the folder as `prepare` leaves it, picks the wide margin and closes.
  void RunWithWideMargin(const std::function<void()>& prepare) {
    CloseWindow();
    fs::remove_all(Folder());
    fs::create_directories(Folder());
    prepare();
    dialogs.shown.clear();
    OpenWindow();
    QApplication::processEvents();
    Find<QComboBox>("ComboBox_PM")->setCurrentIndex(1);
    CloseWindow();
  }
};

TEST_F(SettingsFileTest, ALinkAtItsNameIsReplacedNeverFollowed) {
  const struct {
    const char* label;
    fs::path link_to;  // where the link points
    bool exists;       // whether that file exists
  } links[] = {{"a link to another file", temp / "precious.txt", true},
               {"a dangling link", temp / "nowhere.conf", false},
               {"a link into a missing folder", temp / "missing" / "x.conf", false}};
  for (const auto& [label, link_to, exists] : links) {
    if (exists) WriteFile(link_to, "precious");
    RunWithWideMargin([&] { fs::create_symlink(link_to, File()); });
    EXPECT_TRUE(dialogs.TextsOf("error").isEmpty()) << label;
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(File()))) << label;
    EXPECT_NE(ReadFile(File()).find("margin=wide"), std::string::npos) << label;
    if (exists) {
      EXPECT_EQ(ReadFile(link_to), "precious") << label;
    } else {
      EXPECT_FALSE(fs::exists(fs::symlink_status(link_to))) << label;
    }
    // Nothing else is left beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(Folder()), fs::directory_iterator()), 1)
        << label;
  }
  // And the choice comes back.
  OpenWindow();
  EXPECT_EQ(Find<QComboBox>("ComboBox_PM")->currentIndex(), 1);
}

TEST_F(SettingsFileTest, ChoicesThatCannotBeKeptAreToldOnce) {
  const struct {
    const char* label;
    std::function<void()> prepare;
    const char* reason;
  } cases[] = {
      {"a folder at its name", [&] { fs::create_directory(File()); }, "Is a directory"},
      {"a file in place of its folder",
       [&] {
         fs::remove(Folder());
         WriteFile(Folder(), "not a folder");
       },
       "Not a directory"},
      {"an unwritable folder",
       [&] {
         WriteFile(File(), "[book]\nmargin=normal\n");
         ASSERT_EQ(RunCommand("chattr +i " + ShellQuote(Folder().string())), 0);
       },
       "Operation not permitted"},
  };
  for (const auto& [label, prepare, reason] : cases) {
    RunWithWideMargin(prepare);
    RunCommand("chattr -i " + ShellQuote(Folder().string()));
    // Said at start-up, with the file and the reason, and not again when the window closes.
    const QStringList errors = dialogs.TextsOf("error");
    ASSERT_EQ(errors.size(), 1) << label;
    EXPECT_TRUE(
        errors[0].startsWith("Your choices cannot be kept for the next run.\n"
                             "Cannot save settings file \"" +
                             QString::fromStdString(File().string()) + "\". "))
        << errors[0].toStdString();
    EXPECT_TRUE(errors[0].contains(reason)) << errors[0].toStdString();
    EXPECT_EQ(std::distance(fs::directory_iterator(temp / "config"), fs::directory_iterator()), 1)
        << label;
  }
  EXPECT_EQ(ReadFile(File()), "[book]\nmargin=normal\n");
}

class UnusableCodePageTest : public WindowFixture {
 protected:
  void SetUp() override {
    setenv("QUIREFORGE_CODEPAGE", "no-such-code-page", 1);
    OpenWindow();
    QApplication::processEvents();
  }
  void TearDown() override {
    CloseWindow();
    unsetenv("QUIREFORGE_CODEPAGE");
  }
};

TEST_F(UnusableCodePageTest, IsToldOnceAtStartAndTheLocalesCodePageIsUsed) {
  const QStringList errors = dialogs.TextsOf("error");
  ASSERT_EQ(errors.size(), 1);
  EXPECT_TRUE(errors[0].contains("no-such-code-page")) << errors[0].toStdString();
  AddBook(WriteNovel("a.txt", 3), temp / "a.epub", "A");
  EXPECT_EQ(dialogs.TextsOf("error").size(), 1);
  ASSERT_EQ(RowCount(), 1);
  EXPECT_EQ(Cell(0, 2), "3");
}

}  // namespace
}  // namespace quireforge::test
