// The real window on a real X server (xcb under Xvfb, with a window manager), driven
// in-process with QTest the way a user would: a novel re-encoded to GB18030 is typed into the
// fields, added, started and packed; the book must pass `unzip -t`. Three books typed and
// added with Enter, one edited, the second cancelled while it is packed. Screenshots are saved
// under QF_BUILD_DIR/artifacts: window-<language>*.png of the window, progress-<language>.png
// of the progress window, screen-<language>*.png of the whole screen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QGuiApplication>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "WindowFixture.h"
#include "conversion/ConvertFile.h"
#include "ui/InterfaceLanguage.h"

namespace quireforge::test {
namespace {

namespace fs = std::filesystem;

class EndToEndTest : public WindowFixture {
 protected:
  void SetUp() override {
    ASSERT_EQ(QGuiApplication::platformName(), "xcb");
    OpenWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  }

  void SaveScreenshot(const std::string& suffix) {
    const fs::path folder = fs::path(QF_BUILD_DIR) / "artifacts";
    fs::create_directories(folder);
    const std::string language = window->Language() == InterfaceLanguage::kChinese ? "zh" : "en";
    const fs::path file = folder / ("window-" + language + suffix + ".png");
    QApplication::processEvents();
    ASSERT_TRUE(window->grab().save(QString::fromStdString(file.string())));
  }

  std::string Language() const {
    return window->Language() == InterfaceLanguage::kChinese ? "zh" : "en";
  }
  fs::path Artifact(const std::string& name) const {
    const fs::path folder = fs::path(QF_BUILD_DIR) / "artifacts";
    fs::create_directories(folder);
    return folder / (name + "-" + Language() + ".png");
  }
  void SaveScreen(const std::string& name) {
    std::string output;
    EXPECT_EQ(RunCommand("import -window root " + ShellQuote(Artifact(name).string()), &output), 0)
        << output;
  }
  // Types `path` into the source field key by key and presses Enter there.
  void TypeSourceAndEnter(const fs::path& path) {
    Type("Edit_SourceFile", QString::fromStdString(path.string()));
    QTest::keyClick(Edit("Edit_SourceFile"), Qt::Key_Return);
    QApplication::processEvents();
  }
  fs::path Gb18030Copy(const std::string& novel, const fs::path& folder, const std::string& name) {
    const fs::path copy = folder / name;
    EXPECT_EQ(RunCommand("iconv -f UTF-8 -t GB18030 " +
                         ShellQuote(std::string(QF_CORPUS_DIR) + "/" + novel) + " > " +
                         ShellQuote(copy.string())),
              0);
    return copy;
  }
};

TEST_F(EndToEndTest, ConvertsAGb18030NovelFromTheWindow) {
  const fs::path source = temp / "西游记.txt";
  ASSERT_EQ(RunCommand("iconv -f UTF-8 -t GB18030 " +
                       ShellQuote(std::string(QF_CORPUS_DIR) + "/西游记.txt") + " > " +
                       ShellQuote(source.string())),
            0);
  const fs::path target = temp / "西游记.epub";

  window->activateWindow();
  Type("Edit_SourceFile", QString::fromStdString(source.string()));
  Type("Edit_TargetFile", QString::fromStdString(target.string()));
  Type("Edit_Title", QStringLiteral("西游记"));
  Type("Edit_Author", QStringLiteral("吴承恩"));
  QTest::qWait(50);
  SaveScreenshot("-fields");

  Click(Button("Button_Add"));
  ASSERT_TRUE(dialogs.shown.empty()) << dialogs.shown[0].text.toStdString();
  ASSERT_EQ(RowCount(), 1);
  EXPECT_GE(Cell(0, 2).toInt(), 100);

  ClickRow(0);
  ASSERT_GE(Chapters()->LineCount(), 100);
  EXPECT_TRUE(ChapterLine(0).startsWith(QStringLiteral("第一回"))) << ChapterLine(0).toStdString();

  Click(Button("Button_Start"));
  ASSERT_EQ(dialogs.TextsOf("summary").size(), 1);
  ASSERT_EQ(dialogs.shown.size(), 1u) << dialogs.shown[0].text.toStdString();
  EXPECT_FALSE(Cell(0, 3).isEmpty());
  SaveScreenshot("");
  ASSERT_TRUE(fs::exists(target));
  std::string output;
  EXPECT_EQ(RunCommand("unzip -t " + ShellQuote(target.string()), &output), 0) << output;
  EXPECT_TRUE(window->isEnabled());
  EXPECT_FALSE(waiting->isVisible());
}

// The Book options dialog on a real display, in the interface's language: chosen with the
// keyboard's and mouse's widgets, kept by OK, it makes the novel an EPUB 3 book with one empty
// paragraph for a run of blank lines. The screen is saved as book-options-<language>.png.
TEST_F(EndToEndTest, BookOptionsOnARealDisplay) {
  const fs::path source = Gb18030Copy("西游记.txt", temp.path(), "西游记.txt");
  window->activateWindow();
  Type("Edit_SourceFile", QString::fromStdString(source.string()));  // target, title follow
  bool shown = false;
  QTimer::singleShot(0, [&] {
    auto* dialog = window->findChild<QDialog*>(QStringLiteral("Dialog_BookOptions"));
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
    shown = true;
    dialog->findChild<QCheckBox*>(QStringLiteral("CheckBox_Epub3"))->setChecked(true);
    dialog->findChild<QComboBox*>(QStringLiteral("ComboBox_BlankLines"))->setCurrentIndex(1);
    QTest::qWait(400);  // the heading count follows the choices
    SaveScreen("book-options");
    QTest::keyClick(dialog, Qt::Key_Return);
  });
  Click(Button("Button_BookOptions"));
  ASSERT_TRUE(shown);
  const fs::path target = Edit("Edit_TargetFile")->text().toStdString();
  Click(Button("Button_Add"));
  Click(Button("Button_Start"));
  ASSERT_TRUE(fs::exists(target)) << dialogs.TextsOf("error").join("\n").toStdString();
  std::string output;
  ASSERT_EQ(RunCommand("unzip -p " + ShellQuote(target.string()) + " OEBPS/book.opf", &output), 0);
  EXPECT_NE(output.find("<package version=\"3.0\""), std::string::npos);
  EXPECT_NE(output.find("<dc:language>zh</dc:language>"), std::string::npos);
}

// Two novels, the second picked in the source dialog from a name with a blank; the job list
// walked with the keyboard; a chapter deleted with Delete; the window enlarged. The whole
// screen is then saved with ImageMagick's import as screen-<language>.png.
TEST_F(EndToEndTest, KeyboardWorkOnARealDisplay) {
  const fs::path first = temp / "三国演义.txt";
  const fs::path second = temp / "西游记 上卷.txt";
  fs::copy_file(fs::path(QF_CORPUS_DIR) / "三国演义.txt", first);
  fs::copy_file(fs::path(QF_CORPUS_DIR) / "西游记.txt", second);
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));

  Type("Edit_SourceFile", QString::fromStdString(first.string()));
  Type("Edit_TargetFile", QString::fromStdString((temp / "三国演义.epub").string()));
  Type("Edit_Title", QStringLiteral("三国演义"));
  Type("Edit_Author", QStringLiteral("罗贯中"));
  QPushButton* add = Button("Button_Add");
  add->setFocus(Qt::TabFocusReason);
  QTest::keyClick(add, Qt::Key_Space);
  ASSERT_EQ(RowCount(), 1);
  EXPECT_EQ(window->focusWidget(), add);

  dialogs.file_answers.push_back({QString::fromStdString(second.string())});
  Click(Button("Button_Open"));
  EXPECT_EQ(Edit("Edit_SourceFile")->text(), "\"" + QString::fromStdString(second.string()) + "\"");
  Type("Edit_Author", QStringLiteral("吴承恩"));
  Click(add);
  ASSERT_EQ(RowCount(), 2) << dialogs.TextsOf("error").join("\n").toStdString();

  JobList()->setFocus(Qt::TabFocusReason);
  QTest::keyClick(JobList(), Qt::Key_Down);
  QTest::keyClick(JobList(), Qt::Key_Down);
  ASSERT_GE(Chapters()->LineCount(), 100);
  EXPECT_TRUE(ChapterLine(0).startsWith(QStringLiteral("第一回 灵根育孕源流出")));
  const int chapters = Chapters()->LineCount();
  QTest::mouseClick(Chapters()->viewport(), Qt::LeftButton, Qt::NoModifier,
                    ChapterLineRect(0).center());
  QTest::keyClick(Chapters(), Qt::Key_Delete);
  EXPECT_EQ(Chapters()->LineCount(), chapters - 1);
  EXPECT_EQ(window->JobOfRow(1)->ChapterCount(), chapters - 1);

  window->setGeometry(40, 40, 1100, 720);
  QTest::qWait(200);
  const fs::path folder = fs::path(QF_BUILD_DIR) / "artifacts";
  fs::create_directories(folder);
  const std::string language = window->Language() == InterfaceLanguage::kChinese ? "zh" : "en";
  const fs::path screen = folder / ("screen-" + language + ".png");
  std::string output;
  EXPECT_EQ(RunCommand("import -window root " + ShellQuote(screen.string()), &output), 0) << output;
  EXPECT_TRUE(fs::exists(screen));
  ASSERT_EQ(dialogs.shown.size(), 1u);  // the source dialog, nothing else
  EXPECT_EQ(dialogs.shown[0].kind, "file");
}

// Three GB18030 novels typed into the source field, each added with Enter (target, title and
// author follow the typed path); the first row edited with F2; Start, and the second book
// cancelled with the progress window's Cancel button while it is packed. The rows, the
// summary and the files on disk must say the same: the first written, the second's older
// book untouched with no temporary file left, the third not started.
TEST_F(EndToEndTest, ThreeTypedBooksTheSecondCancelled) {
  const InterfaceTexts& texts = TextsFor(window->Language());
  const fs::path folder = temp / "书库";
  fs::create_directory(folder);
  const fs::path first = Gb18030Copy("西游记.txt", folder, "西游记 作者：吴承恩.txt");
  const fs::path second = Gb18030Copy("三国演义.txt", folder, "三国演义.txt");
  const fs::path third = Gb18030Copy("西游记.txt", folder, "《西游记》下卷.txt");
  WriteFile(folder / "三国演义.epub", "older book");
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));

  Type("Edit_SourceFile", QString::fromStdString(first.string()));
  EXPECT_EQ(Edit("Edit_TargetFile")->text(),
            QString::fromStdString((folder / "西游记 作者：吴承恩.epub").string()));
  EXPECT_EQ(Edit("Edit_Title")->text(), QStringLiteral("西游记"));
  EXPECT_EQ(Edit("Edit_Author")->text(), QStringLiteral("吴承恩"));
  QTest::keyClick(Edit("Edit_SourceFile"), Qt::Key_Return);
  TypeSourceAndEnter(second);
  TypeSourceAndEnter(third);
  ASSERT_TRUE(dialogs.shown.empty()) << dialogs.shown[0].text.toStdString();
  ASSERT_EQ(RowCount(), 3);
  EXPECT_EQ(Cell(2, 0), QStringLiteral("西游记"));

  // The first row gets its own target and title.
  const fs::path first_target = folder / "西游记（上）.epub";
  ClickRow(0);
  dialogs.edit_row_answers = {RowFields{QString::fromStdString(first_target.string()),
                                        QStringLiteral("西游记（上）"), QStringLiteral("吴承恩")}};
  QTest::keyClick(JobList(), Qt::Key_F2);
  EXPECT_EQ(Cell(0, 0), QStringLiteral("西游记（上）"));
  SaveScreenshot("-rows");

  // The progress window shot while the first book is packed; Cancel, pressed with the mouse on
  // it as soon as the second book is packed (one book at a time, so that the first is surely
  // done by then, and the packing goes on while the screen is shot).
  window->StartRunner().SetBooksAtOnce(1);
  const QString first_line = texts.waiting_book.arg(1).arg(3).arg(QStringLiteral("西游记（上）"));
  const QString second_line = texts.waiting_book.arg(2).arg(3).arg(QStringLiteral("三国演义"));
  bool shot = false;
  bool cancelled = false;
  QTimer watch;
  watch.setInterval(1);
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (!shot && waiting->BookText() == first_line) {
      shot = true;
      ASSERT_TRUE(waiting->grab().save(QString::fromStdString(Artifact("progress").string())));
      SaveScreen("screen-progress");
    }
    if (cancelled || waiting->BookText() != second_line) return;
    cancelled = true;
    QTest::mouseClick(waiting->findChild<QPushButton*>("Button_Cancel"), Qt::LeftButton);
  });
  watch.start();
  Click(Button("Button_Start"));
  watch.stop();
  EXPECT_TRUE(shot);
  ASSERT_TRUE(cancelled);

  EXPECT_EQ(Cell(0, 3), texts.done_mark);
  EXPECT_EQ(Cell(1, 3), texts.cancelled_mark);
  EXPECT_EQ(Cell(2, 3), "");
  ASSERT_EQ(dialogs.TextsOf("summary").size(), 1);
  EXPECT_EQ(dialogs.TextsOf("summary")[0],
            texts.summary_written.arg(1) + "\n    " +
                QString::fromStdString(first_target.string()) + "\n\n" +
                texts.summary_cancelled.arg(1) + "\n    " +
                QString::fromStdString((folder / "三国演义.epub").string()) + "\n\n" +
                texts.summary_not_started.arg(1) + "\n    " +
                QString::fromStdString((folder / "《西游记》下卷.epub").string()));
  std::string output;
  EXPECT_EQ(RunCommand("unzip -t " + ShellQuote(first_target.string()), &output), 0) << output;
  EXPECT_EQ(RunCommand("unzip -p " + ShellQuote(first_target.string()) + " OEBPS/toc.ncx", &output),
            0);
  EXPECT_NE(output.find("西游记（上）"), std::string::npos);
  EXPECT_EQ(ReadFile(folder / "三国演义.epub"), "older book");
  EXPECT_FALSE(fs::exists(folder / "《西游记》下卷.epub"));
  for (const auto& entry : fs::directory_iterator(folder)) {
    EXPECT_FALSE(entry.path().filename().string().starts_with(".")) << entry.path();
  }
  EXPECT_TRUE(window->isEnabled());
  EXPECT_FALSE(waiting->isVisible());
  SaveScreenshot("-cancelled");
  SaveScreen("screen-cancelled");
}

}  // namespace
}  // namespace quireforge::test
