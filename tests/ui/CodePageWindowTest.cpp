// The window on an English desktop (LC_ALL=en_US.UTF-8) with no code page named: a GB18030
// novel added by the user gets the chapters of its UTF-8 original, with no new control and
// no message. QUIREFORGE_CODEPAGE still names the code page, "auto" detects, and an unusable
// name is told once at start and leaves detection in use.
#include <gtest/gtest.h>

#include <filesystem>

#include "CodePageSamples.h"
#include "WindowFixture.h"

namespace quireforge::test {
namespace {

namespace fs = std::filesystem;

// A window opened with QUIREFORGE_CODEPAGE set to `named` (unset when null).
class CodePageWindowTest : public WindowFixture {
 protected:
  void SetUp() override {}
  void Open(const char* named) {
    environment_.Set("QUIREFORGE_CODEPAGE", named);
    OpenWindow();
    QApplication::processEvents();
  }
  // Adds `bytes` as a book and returns its row's chapter count, or -1 without a row.
  int AddAndCount(const std::string& name, const std::string& bytes) {
    const fs::path source = temp / name;
    WriteFile(source, bytes);
    const int rows = RowCount();
    AddBook(source, temp / (name + ".epub"), QString::fromStdString(name));
    if (RowCount() != rows + 1) return -1;
    return Cell(rows, 2).toInt();
  }
  // The chapter titles the chapter list shows for row `row`.
  QStringList ChapterTitles(int row) {
    ClickRow(row);
    QStringList titles;
    for (int i = 0; i < Chapters()->LineCount(); ++i) titles.append(ChapterLine(i));
    return titles;
  }

  ScopedEnvironment environment_;
};

TEST_F(CodePageWindowTest, AGb18030NovelGetsTheChaptersOfItsUtf8Original) {
  ASSERT_STREQ(getenv("LC_ALL"), "en_US.UTF-8");
  Open(nullptr);
  const int original = AddAndCount("utf8.txt", Gb18030Novel().text);
  EXPECT_GE(original, 100);  // 第一回 to 第一百回, and a few lines the rule also takes
  EXPECT_EQ(AddAndCount("西游记.txt", Gb18030Novel().bytes), original);
  EXPECT_EQ(ChapterTitles(1), ChapterTitles(0));
  EXPECT_TRUE(ChapterTitles(1).value(0).startsWith(QStringLiteral("第一回 灵根育孕源流出")));
  EXPECT_TRUE(dialogs.shown.empty());

  // Every source of a book in its own code page.
  WriteFile(temp / "gb.txt", Gb18030Piece().bytes);
  WriteFile(temp / "big5.txt", Big5Text().bytes);
  Type("Edit_SourceFile",
       QString::fromStdString((temp / "gb.txt").string() + "," + (temp / "big5.txt").string()));
  Type("Edit_TargetFile", QString::fromStdString((temp / "two.epub").string()));
  Type("Edit_Title", QStringLiteral("Two"));
  Click(Button("Button_Add"));
  ASSERT_EQ(RowCount(), 3);
  const QStringList titles = ChapterTitles(2);
  ASSERT_EQ(titles.size(), 2);
  EXPECT_TRUE(titles[0].startsWith(QStringLiteral("第一回 灵根育孕源流出")));
  EXPECT_TRUE(titles[1].startsWith(QStringLiteral("《西"))) << titles[1].toStdString();
}

TEST_F(CodePageWindowTest, ANamedCodePageWins) {
  Open("windows-1252");
  EXPECT_TRUE(dialogs.shown.empty());
  EXPECT_EQ(AddAndCount("西游记.txt", Gb18030Novel().bytes), 0);  // mojibake, as named
}

TEST_F(CodePageWindowTest, AutoDetects) {
  Open("auto");
  EXPECT_TRUE(dialogs.shown.empty());
  const int original = AddAndCount("utf8.txt", Gb18030Novel().text);
  EXPECT_GE(original, 100);
  EXPECT_EQ(AddAndCount("西游记.txt", Gb18030Novel().bytes), original);
}

TEST_F(CodePageWindowTest, AnUnusableNameIsToldOnceAndDetectionServes) {
  Open("no-such-code-page");
  const QStringList errors = dialogs.TextsOf("error");
  ASSERT_EQ(errors.size(), 1);
  EXPECT_EQ(errors[0], QStringLiteral("Unknown code page \"no-such-code-page\"."));
  const int original = AddAndCount("utf8.txt", Gb18030Novel().text);
  EXPECT_GE(original, 100);
  EXPECT_EQ(AddAndCount("西游记.txt", Gb18030Novel().bytes), original);
  EXPECT_EQ(dialogs.TextsOf("error").size(), 1);
}

}  // namespace
}  // namespace quireforge::test
