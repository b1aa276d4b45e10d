// The real window on a real X server (xcb under Xvfb), driven in-process with QTest the way
// a user would: a novel re-encoded to GB18030 is typed into the fields, added, started and
// packed; the book must pass `unzip -t`. Screenshots of the window are saved under
// QF_BUILD_DIR/artifacts as window-<language>.png.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QTest>
#include <filesystem>

#include "WindowFixture.h"
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
  ASSERT_GE(Chapters()->count(), 100);
  EXPECT_TRUE(Chapters()->item(0)->text().startsWith(QStringLiteral("第一回")))
      << Chapters()->item(0)->text().toStdString();

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

}  // namespace
}  // namespace quireforge::test
