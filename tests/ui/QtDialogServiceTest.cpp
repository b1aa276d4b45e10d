// The Qt dialogs behind DialogService, opened for real and answered with keys the way a
// user would: the archive component's dialog, the chapter input box, the question box, the
// Start summary and the job row editor.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "QtTestPrinters.h"
#include "ui/QtDialogService.h"

namespace quireforge::test {
namespace {

// Runs `answer` on the modal dialog once it is open.
void WhenModalOpens(const std::function<void(QWidget*)>& answer) {
  QTimer::singleShot(0, [answer] {
    QWidget* modal = QApplication::activeModalWidget();
    ASSERT_NE(modal, nullptr);
    answer(modal);
  });
}

TEST(QtDialogServiceTest, ArchiveDialogHasOneOkButtonThatIsDefaultAndAnswersEscape) {
  QtDialogService dialogs;
  for (auto kind : {DialogService::ArchiveMessageKind::kError,
                    DialogService::ArchiveMessageKind::kInformation}) {
    bool checked = false;
    WhenModalOpens([&](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      ASSERT_NE(box, nullptr);
      EXPECT_EQ(box->windowTitle(), "Quireforge");
      EXPECT_EQ(box->text(), "Disk full");
      EXPECT_EQ(box->icon(), kind == DialogService::ArchiveMessageKind::kError
                                 ? QMessageBox::Critical
                                 : QMessageBox::Information);
      ASSERT_EQ(box->buttons().size(), 1);
      EXPECT_EQ(box->buttons()[0]->text(), "&OK");
      EXPECT_EQ(box->defaultButton(), box->buttons()[0]);
      EXPECT_EQ(box->escapeButton(), box->buttons()[0]);
      checked = true;
      QTest::keyClick(box, Qt::Key_Escape);
    });
    dialogs.ShowArchiveMessage(kind, "Disk full");
    EXPECT_TRUE(checked);
  }
}

TEST(QtDialogServiceTest, InputBoxReturnsTheTypedTitleOnOkAndTheOldOneOnCancel) {
  QtDialogService dialogs;
  WhenModalOpens([](QWidget* modal) {
    EXPECT_EQ(modal->windowTitle(), "Edit Charpter Name");
    auto* field = modal->findChild<QLineEdit*>();
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->maxLength(), 255);
    EXPECT_EQ(field->selectedText(), "old title");
    QTest::keyClicks(field, "new title");
    QTest::keyClick(field, Qt::Key_Return);
  });
  EXPECT_EQ(dialogs.InputBox("Edit Charpter Name", "Prompt", "old title", 255), "new title");

  WhenModalOpens([](QWidget* modal) {
    QTest::keyClicks(modal->findChild<QLineEdit*>(), "discarded");
    QTest::keyClick(modal, Qt::Key_Escape);
  });
  EXPECT_EQ(dialogs.InputBox("Edit Charpter Name", "Prompt", "old title", 255), "old title");
}

TEST(QtDialogServiceTest, InputBoxNeverCutsALongerTitleAndStopsTypingBeyondTheLimit) {
  QtDialogService dialogs;
  const QString long_title = QString(265, QChar(u'长'));
  // OK with nothing changed gives the title back whole.
  WhenModalOpens([](QWidget* modal) {
    EXPECT_EQ(modal->findChild<QLineEdit*>()->text().size(), 265);
    QTest::keyClick(modal->findChild<QLineEdit*>(), Qt::Key_Return);
  });
  EXPECT_EQ(dialogs.InputBox("Edit Charpter Name", "Prompt", long_title, 255), long_title);

  // It may be edited within its length, but not grow.
  WhenModalOpens([](QWidget* modal) {
    auto* field = modal->findChild<QLineEdit*>();
    QTest::keyClick(field, Qt::Key_End);
    QTest::keyClicks(field, "xy");
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, "z");
    QTest::keyClick(field, Qt::Key_Return);
  });
  EXPECT_EQ(dialogs.InputBox("Edit Charpter Name", "Prompt", long_title, 255),
            long_title.left(264) + "z");

  // A shorter title stops growing at the limit.
  WhenModalOpens([](QWidget* modal) {
    auto* field = modal->findChild<QLineEdit*>();
    QTest::keyClick(field, Qt::Key_End);
    QTest::keyClicks(field, QString(20, QLatin1Char('x')));
    QTest::keyClick(field, Qt::Key_Return);
  });
  EXPECT_EQ(dialogs.InputBox("Edit Charpter Name", "Prompt", QString(250, QLatin1Char('a')), 255),
            QString(250, QLatin1Char('a')) + QString(5, QLatin1Char('x')));
}

TEST(QtDialogServiceTest, QuestionBoxAnswersYesAndNo) {
  QtDialogService dialogs;
  WhenModalOpens([](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->icon(), QMessageBox::Question);
    EXPECT_EQ(box->windowTitle(), "Warning");
    box->button(QMessageBox::Yes)->click();
  });
  EXPECT_TRUE(dialogs.AskYesNo("Warning", "Continue?", DialogService::DefaultAnswer::kNo));
  WhenModalOpens(
      [](QWidget* modal) { qobject_cast<QMessageBox*>(modal)->button(QMessageBox::No)->click(); });
  EXPECT_FALSE(dialogs.AskYesNo("Warning", "Continue?", DialogService::DefaultAnswer::kYes));
}

// Enter takes the default answer the caller chose: "No" for questions that lose work.
TEST(QtDialogServiceTest, EnterInAQuestionBoxGivesTheDefaultAnswer) {
  QtDialogService dialogs;
  for (const auto answer :
       {DialogService::DefaultAnswer::kYes, DialogService::DefaultAnswer::kNo}) {
    WhenModalOpens([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Return); });
    EXPECT_EQ(dialogs.AskYesNo("Warning", "Close?", answer),
              answer == DialogService::DefaultAnswer::kYes);
  }
}

// The summary's "Open folder" button answers true, its OK (Enter) false.
TEST(QtDialogServiceTest, TheSummaryTellsWhetherOpenFolderWasPressed) {
  QtDialogService dialogs;
  WhenModalOpens([](QWidget* modal) {
    for (QPushButton* button : modal->findChildren<QPushButton*>()) {
      if (button->text() == "Open folder") button->click();
    }
  });
  EXPECT_TRUE(dialogs.ShowSummary("Conversion finished", "Written (1):", "Open folder"));
  WhenModalOpens([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Return); });
  EXPECT_FALSE(dialogs.ShowSummary("Conversion finished", "Written (1):", "Open folder"));
  // Esc closes it too, as OK does; the test closes a summary Esc left open with OK.
  bool open_after_escape = true;
  WhenModalOpens([&](QWidget* modal) {
    QTest::keyClick(modal, Qt::Key_Escape);
    open_after_escape = modal->isVisible();
    if (open_after_escape) qobject_cast<QMessageBox*>(modal)->button(QMessageBox::Ok)->click();
  });
  EXPECT_FALSE(dialogs.ShowSummary("Conversion finished", "Written (1):", "Open folder"));
  EXPECT_FALSE(open_after_escape);
}

// The row editor gives back what was typed on OK and leaves the fields alone on Esc.
TEST(QtDialogServiceTest, TheRowEditorGivesBackTheTypedFields) {
  QtDialogService dialogs;
  RowFields fields{"/books/a.epub", "A", "Someone"};
  WhenModalOpens([](QWidget* modal) {
    const QList<QLineEdit*> edits = modal->findChildren<QLineEdit*>();
    ASSERT_EQ(edits.size(), 3);
    edits[1]->selectAll();
    QTest::keyClicks(edits[1], "B");
    QTest::keyClick(edits[1], Qt::Key_Return);
  });
  EXPECT_TRUE(dialogs.EditRow("Edit Book", {"Target File", "Title", "Author"}, &fields));
  EXPECT_EQ(fields.title, "B");
  EXPECT_EQ(fields.target, "/books/a.epub");
  WhenModalOpens([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
  fields.title = "C";
  EXPECT_FALSE(dialogs.EditRow("Edit Book", {"Target File", "Title", "Author"}, &fields));
  EXPECT_EQ(fields.title, "C");
}

}  // namespace
}  // namespace quireforge::test
