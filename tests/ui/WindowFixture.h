// The main window as the program builds it, in a private TEMP folder, with scripted
// dialogs: program values, the Qt user interface, TForm_Main and TForm_Waiting, shown.
// Helpers find controls by their names and write source files.
#ifndef QUIREFORGE_TESTS_UI_WINDOWFIXTURE_H_
#define QUIREFORGE_TESTS_UI_WINDOWFIXTURE_H_

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <memory>
#include <string>

#include "QtTestPrinters.h"
#include "ScriptedDialogService.h"
#include "TestSupport.h"
#include "ui/ChapterListBox.h"
#include "ui/ChapterListModel.h"
#include "ui/JobListView.h"
#include "ui/ProgramValues.h"
#include "ui/QtUserInterface.h"
#include "ui/TForm_Main.h"
#include "ui/TForm_Waiting.h"

namespace quireforge::test {

class WindowFixture : public ::testing::Test {
 protected:
  void SetUp() override { OpenWindow(); }
  void TearDown() override { CloseWindow(); }

  // The window's settings live in this test's own folder, so that a choice one test makes
  // never reaches the next; reopening the window in the same test reads them back.
  void OpenWindow() {
    setenv("XDG_CONFIG_HOME", (temp / "config").c_str(), 1);
    values = std::make_unique<ProgramValues>();
    ui = std::make_unique<QtUserInterface>(dialogs);
    window = std::make_unique<TForm_Main>(*values, dialogs, *ui);
    waiting = std::make_unique<TForm_Waiting>(window.get());
    ui->AttachProgressWindow(waiting.get());
    window->AttachProgressWindow(waiting.get());
    window->ShowCentred();
    QApplication::processEvents();
  }

  void CloseWindow() {
    // Closing with rows not converted asks first: the test is over, the rows may go.
    dialogs.yes_no_answers = {true};
    if (window != nullptr && window->isVisible()) window->close();
    waiting.reset();
    window.reset();
    ui.reset();
    values.reset();
  }

  template <typename T>
  T* Find(const char* name) const {
    T* widget = window->findChild<T*>(QString::fromUtf8(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  QLineEdit* Edit(const char* name) const { return Find<QLineEdit>(name); }
  QPushButton* Button(const char* name) const { return Find<QPushButton>(name); }
  QCheckBox* Check(const char* name) const { return Find<QCheckBox>(name); }
  JobListView* JobList() const { return Find<JobListView>("ListView_JobList"); }
  // The job list as the view shows it: its rows, a cell's text and its tooltip.
  int RowCount() const { return JobList()->model()->rowCount(); }
  QString Cell(int row, int column) const {
    return JobList()->model()->index(row, column).data().toString();
  }
  QString Tip(int row, int column) const {
    return JobList()->model()->index(row, column).data(Qt::ToolTipRole).toString();
  }
  ChapterListBox* Chapters() const { return Find<ChapterListBox>("ListBox_Files"); }
  // The model the chapter list box shows: the shown job's chapter list.
  ChapterListModel* ChapterModel() const {
    return qobject_cast<ChapterListModel*>(Chapters()->model());
  }
  // Line `line` of the chapter list box as the box gets it from its model, and its place.
  QString ChapterLine(int line) const {
    return Chapters()->model()->index(line, 0).data().toString();
  }
  QRect ChapterLineRect(int line) const {
    return Chapters()->visualRect(Chapters()->model()->index(line, 0));
  }

  void Click(QWidget* widget) {
    QTest::mouseClick(widget, Qt::LeftButton);
    QApplication::processEvents();
  }
  void Type(const char* edit, const QString& text) {
    QLineEdit* field = Edit(edit);
    field->clear();
    // QTest spells ASCII keys only; other characters arrive as key events with their text.
    for (QChar c : text) {
      if (c.unicode() < 128) {
        QTest::keyClick(field, c.toLatin1());
      } else {
        QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
      }
    }
  }
  // Clicks job row `row` (Ctrl adds it to the selection).
  void ClickRow(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    JobListView* list = JobList();
    const QRect rect = list->visualRect(list->model()->index(row, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, rect.center());
    QApplication::processEvents();
  }

  // Writes a UTF-8 novel with `chapters` headed chapters into the temporary folder.
  std::filesystem::path WriteNovel(const std::string& name, int chapters) {
    std::string text;
    for (int i = 1; i <= chapters; ++i) {
      text += "第" + std::to_string(i) + "章 标题" + std::to_string(i) + "\r\n";
      text += "正文内容，段落" + std::to_string(i) + "。\r\n";
    }
    const std::filesystem::path path = temp / name;
    WriteFile(path, text);
    return path;
  }

  // Fills the fields and presses Add.
  void AddBook(const std::filesystem::path& source, const std::filesystem::path& target,
               const QString& title, const QString& author = QString()) {
    Type("Edit_SourceFile", QString::fromStdString(source.string()));
    Type("Edit_TargetFile", QString::fromStdString(target.string()));
    Type("Edit_Title", title);
    Type("Edit_Author", author);
    Click(Button("Button_Add"));
  }

  TempDir temp;
  ScriptedDialogService dialogs;
  std::unique_ptr<ProgramValues> values;
  std::unique_ptr<QtUserInterface> ui;
  std::unique_ptr<TForm_Main> window;
  std::unique_ptr<TForm_Waiting> waiting;
};

}  // namespace quireforge::test

#endif  // QUIREFORGE_TESTS_UI_WINDOWFIXTURE_H_
