// The real window on a real X server (xcb under Xvfb), driven in-process with QTest the way
// a user would: a novel re-encoded to GB18030 is typed into the fields, added, started and
// packed; the book must pass `unzip -t`. Screenshots of the window are saved under
// QF_BUILD_DIR/artifacts as window-<language>.png, and one of the whole screen after keyboard
// work as screen-<language>.png.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QTest>
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
  ASSERT_EQ(JobList()->topLevelItemCount(), 1);
  EXPECT_GE(JobList()->topLevelItem(0)->text(2).toInt(), 100);

  ClickRow(0);
  ASSERT_GE(Chapters()->LineCount(), 100);
  EXPECT_TRUE(ChapterLine(0).startsWith(QStringLiteral("第一回"))) << ChapterLine(0).toStdString();

  Click(Button("Button_Start"));
  ASSERT_TRUE(dialogs.shown.empty()) << dialogs.shown[0].text.toStdString();
  EXPECT_FALSE(JobList()->topLevelItem(0)->text(3).isEmpty());
  SaveScreenshot("");
  ASSERT_TRUE(fs::exists(target));
  std::string output;
  EXPECT_EQ(RunCommand("unzip -t " + ShellQuote(target.string()), &output), 0) << output;
  EXPECT_TRUE(window->isEnabled());
  EXPECT_FALSE(waiting->isVisible());
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
  ASSERT_EQ(JobList()->topLevelItemCount(), 1);
  EXPECT_EQ(window->focusWidget(), add);

  dialogs.file_answers.push_back({QString::fromStdString(second.string())});
  Click(Button("Button_Open"));
  EXPECT_EQ(Edit("Edit_SourceFile")->text(), "\"" + QString::fromStdString(second.string()) + "\"");
  Type("Edit_Author", QStringLiteral("吴承恩"));
  Click(add);
  ASSERT_EQ(JobList()->topLevelItemCount(), 2) << dialogs.TextsOf("error").join("\n").toStdString();

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

}  // namespace
}  // namespace quireforge::test
