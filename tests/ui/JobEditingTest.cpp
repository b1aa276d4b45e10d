// The fields and the job rows as a user edits them: a typed or pasted source fills target,
// title and author, Enter presses Add, text typed while Add works stays; a pending row's
// target, title and author change through F2, a double click or Edit, Delete removes rows
// after the question, the Chapters column follows chapter edits, and the file dialogs open
// where the user is. Real key and mouse events on real widgets, real jobs in a private TEMP.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QTimer>
#include <filesystem>

#include "WindowFixture.h"
#include "base/Utf.h"
#include "conversion/ConvertFile.h"

namespace quireforge::test {
namespace {

namespace fs = std::filesystem;

class JobEditingTest : public WindowFixture {
 protected:
  QString Path(const fs::path& path) { return QString::fromStdString(path.string()); }
  void DoubleClickRow(int row) {
    const QRect rect = JobList()->visualRect(JobList()->model()->index(row, 0));
    QTest::mouseDClick(JobList()->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
    QApplication::processEvents();
  }
};

TEST_F(JobEditingTest, ATypedOrPastedSourceFillsTheOtherFields) {
  // Typed key by key: the author derived on the way follows the name; the title and the
  // target are those of the whole path.
  const fs::path novel = WriteNovel("斗破苍穹 作者：天蚕土豆.txt", 2);
  Type("Edit_SourceFile", Path(novel));
  EXPECT_EQ(Edit("Edit_TargetFile")->text(), Path(temp / "斗破苍穹 作者：天蚕土豆.epub"));
  EXPECT_EQ(Edit("Edit_Title")->text(), "斗破苍穹");
  EXPECT_EQ(Edit("Edit_Author")->text(), "天蚕土豆");

  // Pasted, over an author the user typed: that author stays.
  Type("Edit_Author", "Me");
  QApplication::clipboard()->setText(Path(temp / "《诛仙》作者：萧鼎.txt"));
  Edit("Edit_SourceFile")->selectAll();
  QTest::keyClick(Edit("Edit_SourceFile"), Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(Edit("Edit_TargetFile")->text(), Path(temp / "《诛仙》作者：萧鼎.epub"));
  EXPECT_EQ(Edit("Edit_Title")->text(), "诛仙");
  EXPECT_EQ(Edit("Edit_Author")->text(), "Me");

  // Enter in any field presses Add.
  Type("Edit_SourceFile", Path(novel));
  QTest::keyClick(Edit("Edit_Title"), Qt::Key_Return);
  ASSERT_EQ(RowCount(), 1);
  EXPECT_EQ(Cell(0, 0), "斗破苍穹");
  EXPECT_EQ(window->JobOfRow(0)->TargetPath(), (temp / "斗破苍穹 作者：天蚕土豆.epub").u16string());
  EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(JobEditingTest, TextTypedWhileAddWorksStays) {
  std::string text;
  for (int i = 0; i < 300; ++i) {
    text += "第" + std::to_string(i + 1) + "章\r\n" + std::string(3000, 'x') + "\r\n";
  }
  WriteFile(temp / "long.txt", text);
  Type("Edit_SourceFile", Path(temp / "long.txt"));
  Type("Edit_Title", "Long");
  // The conversion pumps messages between its pages: the user types the next title then.
  QTimer::singleShot(0, window.get(), [this] { Type("Edit_Title", "Next"); });
  QTest::keyClick(Edit("Edit_Author"), Qt::Key_Enter, Qt::KeypadModifier);
  ASSERT_EQ(RowCount(), 1);
  EXPECT_EQ(Cell(0, 0), "Long");
  EXPECT_EQ(Edit("Edit_Title")->text(), "Next");
  EXPECT_TRUE(Edit("Edit_SourceFile")->text().isEmpty());
  EXPECT_TRUE(Edit("Edit_TargetFile")->text().isEmpty());
}

// F2, a double click and the Edit button open the row editor; its answer goes into the row
// and the job. (The book packed under the new names: BookRenamerTest, JobListModelTest.)
TEST_F(JobEditingTest, APendingRowsTargetTitleAndAuthorChange) {
  AddBook(WriteNovel("a.txt", 2), temp / "a.epub", "A", "Old");
  ClickRow(0);
  dialogs.edit_row_answers = {std::nullopt, RowFields{Path(temp / "b.epub"), "B", ""},
                              RowFields{Path(temp / "c.epub"), "Cee & co", "New"}};
  QTest::keyClick(JobList(), Qt::Key_F2);  // Cancel: nothing changes
  EXPECT_EQ(Cell(0, 0), "A");
  DoubleClickRow(0);
  EXPECT_EQ(Cell(0, 0), "B");
  EXPECT_EQ(Cell(0, 1), "");
  Click(Button("Button_Edit"));
  ASSERT_EQ(dialogs.edit_row_initial.size(), 3u);
  EXPECT_EQ(dialogs.edit_row_initial[0].target, Path(temp / "a.epub"));
  EXPECT_EQ(dialogs.edit_row_initial[0].author, "Old");
  EXPECT_EQ(dialogs.edit_row_initial[2].title, "B");
  EXPECT_EQ(Cell(0, 0), "Cee & co");
  EXPECT_EQ(Cell(0, 1), "New");

  EXPECT_EQ(window->JobOfRow(0)->TargetPath(), (temp / "c.epub").u16string());

  Click(Button("Button_Start"));
  ASSERT_EQ(Cell(0, 3), "Done");
  // A finished row is not edited.
  Click(Button("Button_Edit"));
  QTest::keyClick(JobList(), Qt::Key_F2);
  EXPECT_EQ(dialogs.edit_row_initial.size(), 3u);
}

TEST_F(JobEditingTest, ARowEditIsCheckedAsAddChecksTheFields) {
  const fs::path novel = WriteNovel("a.txt", 2);
  const fs::path cover = temp / "cover.png", font = temp / "f.ttf";
  ASSERT_EQ(RunCommand("convert -size 8x8 xc:red " + ShellQuote(cover.string())), 0);
  fs::copy_file("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", font);
  const std::string cover_bytes = ReadFile(cover), font_bytes = ReadFile(font);
  Edit("Edit_Cover")->setText(Path(cover));
  Check("CheckBox_UF")->setChecked(true);
  Edit("Edit_UF")->setText(Path(font));
  AddBook(novel, temp / "a.epub", "A");
  ASSERT_EQ(RowCount(), 1);
  ClickRow(0);
  // Each refused target tells why and opens the editor again with what was typed, as an
  // empty title does; a relative target is taken from the current folder, as Add takes it.
  const struct {
    fs::path target;
    const char* reason;  // empty: accepted
  } edits[] = {
      {cover, "It is the cover picture."},
      {novel, "It is one of the source files."},
      {font, "It is the font file."},
      {temp / "." / "f.ttf", "It is the font file."},
      {"relative.epub", ""},
  };
  for (const auto& [target, reason] : edits) {
    dialogs.shown.clear();
    dialogs.edit_row_initial.clear();
    dialogs.edit_row_answers = {RowFields{Path(temp / "a.epub"), " ", ""},
                                RowFields{Path(target), "A", ""}};
    QTest::keyClick(JobList(), Qt::Key_F2);
    EXPECT_EQ(dialogs.TextsOf("message"),
              QStringList{"Title is empty. Type the title of the book."});
    ASSERT_GE(dialogs.edit_row_initial.size(), 2u);
    EXPECT_EQ(dialogs.edit_row_initial[1].title, " ");
    if (*reason == '\0') {
      EXPECT_TRUE(dialogs.TextsOf("error").isEmpty()) << target;
      EXPECT_EQ(dialogs.edit_row_initial.size(), 2u);
    } else {
      ASSERT_EQ(dialogs.TextsOf("error").size(), 1) << target;
      EXPECT_TRUE(dialogs.TextsOf("error")[0].contains(reason))
          << dialogs.TextsOf("error")[0].toStdString();
      ASSERT_EQ(dialogs.edit_row_initial.size(), 3u) << target;  // asked again, then cancelled
      EXPECT_EQ(dialogs.edit_row_initial[2].target, Path(target));
      EXPECT_EQ(window->JobOfRow(0)->TargetPath(), (temp / "a.epub").u16string());
    }
  }
  EXPECT_EQ(window->JobOfRow(0)->TargetPath(), (fs::current_path() / "relative.epub").u16string());
  // Packing writes the book where the row says, and nothing the book is made from changes.
  dialogs.edit_row_answers = {RowFields{Path(temp / "b.epub"), "A", ""}};
  QTest::keyClick(JobList(), Qt::Key_F2);
  Click(Button("Button_Start"));
  ASSERT_EQ(Cell(0, 3), "Done");
  EXPECT_EQ(RunCommand("unzip -tq " + ShellQuote((temp / "b.epub").string())), 0);
  EXPECT_EQ(ReadFile(cover), cover_bytes);
  EXPECT_EQ(ReadFile(font), font_bytes);
  EXPECT_FALSE(fs::exists(fs::current_path() / "relative.epub"));
}

TEST_F(JobEditingTest, DeleteRemovesTheSelectedRowsAfterTheQuestion) {
  AddBook(WriteNovel("a.txt", 2), temp / "a.epub", "A");
  AddBook(WriteNovel("b.txt", 2), temp / "b.epub", "B");
  ClickRow(1);
  dialogs.yes_no_answers = {false, true};
  QTest::keyClick(JobList(), Qt::Key_Delete);
  EXPECT_EQ(RowCount(), 2);
  QTest::keyClick(JobList(), Qt::Key_Delete);
  ASSERT_EQ(RowCount(), 1);
  EXPECT_EQ(Cell(0, 0), "A");
  EXPECT_EQ(dialogs.TextsOf("question").size(), 2);
}

TEST_F(JobEditingTest, TheChaptersColumnFollowsChapterRemovals) {
  AddBook(WriteNovel("a.txt", 4), temp / "a.epub", "A");
  ClickRow(0);
  QTest::mouseClick(Chapters()->viewport(), Qt::LeftButton, Qt::NoModifier,
                    ChapterLineRect(1).center());
  QTest::keyClick(Chapters(), Qt::Key_Delete);
  EXPECT_EQ(Cell(0, 2), "3");
}

TEST_F(JobEditingTest, TheFileDialogsOpenWhereTheUserIs) {
  fs::create_directory(temp / "books");
  const fs::path novel = temp / "books" / "a.txt";
  WriteFile(novel, "第1章\r\ntext\r\n");
  dialogs.file_answers = {{Path(novel)}, {}, {}};
  Click(Button("Button_Open"));
  EXPECT_EQ(window->LastSourceFolder(), Path(temp / "books"));
  Click(Button("Button_Save"));  // at the target the source gave, folder and name
  Type("Edit_TargetFile", "");
  Click(Button("Button_Open"));  // at the folder of the last source chosen
  ASSERT_EQ(dialogs.file_requests.size(), 3u);
  EXPECT_TRUE(dialogs.file_requests[0].start_path.isEmpty());
  EXPECT_EQ(dialogs.file_requests[1].start_path, Path(temp / "books" / "a.epub"));
  EXPECT_EQ(dialogs.file_requests[2].start_path, Path(temp / "books"));
}

}  // namespace
}  // namespace quireforge::test
