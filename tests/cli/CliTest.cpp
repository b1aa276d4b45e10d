// quireforge-cli as a script meets it: derived names, options, the chapter list, --each,
// the code page, and what it prints on a terminal and off one.
#include <gtest/gtest.h>

#include <filesystem>

#include "BookChecks.h"
#include "TestSupport.h"

namespace quireforge::test {
namespace {

namespace fs = std::filesystem;

std::string TwoChapterText() {
  return "Preface line\r\n  第一章 Prologue\r\nFirst body\r\n第二章 One\r\nSecond body\r\n";
}

TEST(CliTest, TargetAndTitleComeFromTheFirstSourceAndPathsAreAbsolute) {
  TempDir temp;
  WriteFile(temp / "a.txt.txt", TwoChapterText());
  const CliResult result = RunCli({"a.txt.txt"}, temp.path());
  ASSERT_EQ(result.status, 0) << result.err;
  const fs::path book = temp / "a.txt.epub";
  EXPECT_EQ(result.err, "quireforge-cli: " + book.string() + ": written\n");
  EXPECT_EQ(result.out, "");
  const std::string opf = EntryBytes(book, "OEBPS/book.opf");
  EXPECT_NE(opf.find("<dc:title>a</dc:title>"), std::string::npos) << opf;
  EXPECT_NE(opf.find("<dc:creator></dc:creator>"), std::string::npos) << opf;
  EXPECT_EQ(ZipProblems(book), "");
  EXPECT_EQ(RunLeftovers(temp.path()), std::vector<std::string>());
}

TEST(CliTest, ANameWithoutExtensionGetsOneAppended) {
  TempDir temp;
  fs::create_directory(temp / "a.txt.d");
  WriteFile(temp / "a.txt.d/plain", "text\r\n");
  const CliResult result = RunCli({(temp / "a.txt.d/plain").string(), "-q"});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");  // quiet
  EXPECT_TRUE(fs::exists(temp / "a.txt.d/plain.epub"));
}

std::string StyleSheetOf(const TempDir& temp, const std::vector<std::string>& options) {
  WriteFile(temp / "novel.txt", TwoChapterText());
  std::vector<std::string> arguments = options;
  arguments.insert(arguments.end(), {"-q", "-o", "out.epub", "novel.txt"});
  const CliResult result = RunCli(arguments, temp.path());
  EXPECT_EQ(result.status, 0) << result.err;
  return EntryBytes(temp / "out.epub", "OEBPS/css/main.css");
}

TEST(CliTest, TheDefaultsAreTheWindowsDefaults) {
  TempDir temp;
  const std::string css = StyleSheetOf(temp, {});
  EXPECT_NE(css.find("  margin-top: 2pt;\r\n"), std::string::npos) << css;
  EXPECT_NE(css.find("  line-height: 100%;\r\n"), std::string::npos);
  EXPECT_NE(css.find("  font-size: 105%;\r\n}\r\n"), std::string::npos);
  EXPECT_EQ(css.find("font-weight"), std::string::npos);
  // The device-font line only in the classic book, whose style sheet otherwise matches.
  EXPECT_EQ(css.find("res:///"), std::string::npos) << css;
  const std::string classic = StyleSheetOf(temp, {"--classic"});
  EXPECT_NE(classic.find("  src:url(res:///opt/sony/ebook/FONT/tt0003m_.ttf);\r\n"),
            std::string::npos);
  EXPECT_EQ(classic.substr(classic.find("body {")), css.substr(css.find("body {")));
}

TEST(CliTest, TypographicOptionsReachTheStyleSheet) {
  TempDir temp;
  const std::string css = StyleSheetOf(temp, {"--margin", "wide", "--line-height", "wide",
                                              "--font-size", "small", "--bold", "-a", "Author"});
  EXPECT_NE(css.find("  margin-right: 5pt;\r\n"), std::string::npos) << css;
  EXPECT_NE(css.find("  line-height: 120%;\r\n"), std::string::npos);
  EXPECT_NE(css.find("  font-size: 100%;\r\nfont-weight:bold;\r\n}\r\n"), std::string::npos);
  EXPECT_NE(StyleSheetOf(temp, {"--font-size", "large"}).find("  font-size: 110%;"),
            std::string::npos);
}

TEST(CliTest, ListChaptersPrintsEveryEntryAsStoredAndPacksNothing) {
  TempDir temp;
  WriteFile(temp / "novel.txt", TwoChapterText());
  CliResult result = RunCli({"--list-chapters", "novel.txt"}, temp.path());
  ASSERT_EQ(result.status, 0) << result.err;
  // The raw heading line, leading blanks and all.
  EXPECT_EQ(result.out, "ch_2.html=  第一章 Prologue\nch_3.html=第二章 One\n");
  EXPECT_FALSE(fs::exists(temp / "novel.epub"));
  EXPECT_EQ(RunLeftovers(temp.path()), std::vector<std::string>());

  result = RunCli({"--list-chapters", "--no-chapters", "novel.txt"}, temp.path());
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "");

  WriteFile(temp / "Vol.1.TXT", "  first line  \r\n");
  WriteFile(temp / "b.txt.txt", "\r\nsecond\r\n");
  result = RunCli({"--list-chapters", "Vol.1.TXT", "b.txt.txt"}, temp.path());
  EXPECT_EQ(result.out, "ch_1.html=first line\nch_2.html=second\n");
  result =
      RunCli({"--list-chapters", "--filename-chapters", "Vol.1.TXT", "b.txt.txt"}, temp.path());
  EXPECT_EQ(result.out, "ch_1.html=Vol.1\nch_2.html=b\n");
  EXPECT_EQ(RunLeftovers(temp.path()), std::vector<std::string>());
}

TEST(CliTest, EachMakesABookBesideEverySourceSeveralAtOnce) {
  TempDir temp;
  fs::create_directories(temp / "one");
  fs::create_directories(temp / "two");
  WriteFile(temp / "one/a.txt", TwoChapterText());
  WriteFile(temp / "one/b.txt", "plain\r\n");
  WriteFile(temp / "two/c.text", NovelText(100000));
  const CliResult result =
      RunCli({"--each", "-j", "2", "-a", "-dash author", "one/a.txt", "one/b.txt", "two/c.text"},
             temp.path());
  ASSERT_EQ(result.status, 0) << result.err;
  for (const char* book : {"one/a.epub", "one/b.epub", "two/c.epub"}) {
    EXPECT_EQ(ZipProblems(temp / book), "") << book;
    EXPECT_NE(result.err.find("quireforge-cli: " + (temp / book).string() + ": written\n"),
              std::string::npos)
        << result.err;
    EXPECT_NE(EntryBytes(temp / book, "OEBPS/book.opf").find("<dc:creator>-dash author<"),
              std::string::npos);
  }
  EXPECT_NE(EntryBytes(temp / "two/c.epub", "OEBPS/book.opf").find("<dc:title>c</dc:title>"),
            std::string::npos);
  EXPECT_EQ(RunLeftovers(temp.path()), std::vector<std::string>());
}

TEST(CliTest, EachReportsEveryFailedSourceAndGoesOnWithTheOthers) {
  TempDir temp;
  WriteFile(temp / "good.txt", "text\r\n");
  WriteFile(temp / "empty.txt", "");
  WriteFile(temp / "twin.md", "text\r\n");
  WriteFile(temp / "twin.txt", "text\r\n");
  WriteFile(temp / "self.epub", "text\r\n");
  const CliResult result =
      RunCli({"--each", "good.txt", "missing.txt", "empty.txt", "twin.txt", "twin.md", "self.epub"},
             temp.path());
  EXPECT_EQ(result.status, 1);
  const std::string dir = temp.path().string();
  for (const std::string& expected :
       {"quireforge-cli: " + dir + "/good.epub: written\n",
        "quireforge-cli: " + dir + "/twin.epub: written\n",
        "quireforge-cli: Cannot open file \"" + dir + "/missing.txt\". No such file or directory\n",
        "quireforge-cli: Source file \"" + dir + "/empty.txt\" holds no text.\n",
        "quireforge-cli: Cannot create file \"" + dir + "/twin.epub\". It is also the book of \"" +
            dir + "/twin.txt\".\n",
        "quireforge-cli: Cannot create file \"" + dir +
            "/self.epub\". It is one of the source files.\n"}) {
    EXPECT_NE(result.err.find(expected), std::string::npos) << expected << "\n" << result.err;
  }
  EXPECT_FALSE(fs::exists(temp / "missing.epub"));
  EXPECT_FALSE(fs::exists(temp / "empty.epub"));
  EXPECT_EQ(ReadFile(temp / "self.epub"), "text\r\n");
  EXPECT_EQ(RunLeftovers(temp.path()), std::vector<std::string>());
}

TEST(CliTest, UsageErrorsExitWithStatusTwoAndTouchNothing) {
  TempDir temp;
  WriteFile(temp / "a.txt", "text\r\n");
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"--bogus", "a.txt"},
      {"--margin", "huge", "a.txt"},
      {"--font-size", "Large", "a.txt"},
      {"-j", "0", "--each", "a.txt"},
      {"--each", "-o", "x.epub", "a.txt"},
      {"--each", "-t", "T", "a.txt"},
      {"--each", "--list-chapters", "a.txt"},
      {"-t", "", "a.txt"},
  };
  for (const auto& arguments : cases) {
    const CliResult result = RunCli(arguments, temp.path());
    EXPECT_EQ(result.status, 2) << ::testing::PrintToString(arguments) << result.err;
    EXPECT_FALSE(result.err.empty());
    EXPECT_FALSE(fs::exists(temp / "a.epub"));
  }
  EXPECT_EQ(RunLeftovers(temp.path()), std::vector<std::string>());
}

TEST(CliTest, AnUnusableCodePageIsAUsageError) {
  // Where the name came from, and what is expected instead.
  const std::string kCodePageExpected =
      " An ASCII-compatible code page such as GB18030, Big5 or windows-1252, UTF-16LE, UTF-16BE "
      "or auto is expected.\nRun with --help for more information.\n";
  TempDir temp;
  WriteFile(temp / "a.txt", "text\r\n");
  CliResult result = RunCli({"--codepage", "no-such-page", "a.txt"}, temp.path());
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.err, "--codepage: Unknown code page \"no-such-page\"." + kCodePageExpected);
  result = RunCli({"--codepage", "UTF-32LE", "a.txt"}, temp.path());
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(result.err.find("not ASCII-compatible"), std::string::npos) << result.err;
  result = RunCli({"a.txt"}, temp.path(), "QUIREFORGE_CODEPAGE=bogus");
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.err, "QUIREFORGE_CODEPAGE: Unknown code page \"bogus\"." + kCodePageExpected);
  EXPECT_FALSE(fs::exists(temp / "a.epub"));
}

TEST(CliTest, SourcesWithoutMarkThatAreNotUtf8UseTheChosenCodePage) {
  TempDir temp;
  // "Глава" in windows-1251.
  WriteFile(temp / "ru.txt", "\xC3\xEB\xE0\xE2\xE0\r\n");
  ASSERT_EQ(RunCli({"-q", "--list-chapters", "ru.txt", "--no-chapters"}, temp.path()).status, 0);
  ASSERT_EQ(
      RunCli({"-q", "-o", "a.epub", "ru.txt"}, temp.path(), "QUIREFORGE_CODEPAGE=windows-1251")
          .status,
      0);
  EXPECT_NE(EntryBytes(temp / "a.epub", "OEBPS/ch_1.html").find("<p>Глава</p>"), std::string::npos);
  ASSERT_EQ(RunCli({"-q", "-o", "b.epub", "--codepage", "windows-1251", "ru.txt"}, temp.path(),
                   "QUIREFORGE_CODEPAGE=windows-1252")
                .status,
            0);
  EXPECT_NE(EntryBytes(temp / "b.epub", "OEBPS/ch_1.html").find("<p>Глава</p>"), std::string::npos);
}

TEST(CliTest, VersionAndHelpGoToStandardOutput) {
  CliResult result = RunCli({"--version"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out.rfind("quireforge-cli ", 0), 0u) << result.out;
  result = RunCli({"--help"});
  EXPECT_EQ(result.status, 0);
  for (const char* option :
       {"--output", "--title", "--author", "--margin", "--line-height", "--font-size", "--bold",
        "--no-chapters", "--filename-chapters", "--font", "--codepage", "--list-chapters", "--each",
        "--jobs", "--quiet", "--version"}) {
    EXPECT_NE(result.out.find(option), std::string::npos) << option;
  }
}

TEST(CliTest, OnATerminalAProgressBarShowsConvertingAndPacking) {
  TempDir temp;
  WriteFile(temp / "novel.txt", NovelText(2000000));
  const fs::path typescript = temp / "typescript";
  // script gives the program a terminal on stdout and stderr and records what it shows; it
  // hands its command to a shell of its own, so the program's path is quoted once more.
  const std::string program = ShellQuote(std::string(QF_BUILD_DIR) + "/quireforge-cli");
  const std::string command = "cd " + ShellQuote(temp.path().string()) + " && script -qec " +
                              ShellQuote(program + " novel.txt") + " " +
                              ShellQuote(typescript.string());
  ASSERT_EQ(RunCommand(command), 0);
  const std::string shown = ReadFile(typescript);
  EXPECT_NE(shown.find("novel.epub converting ["), std::string::npos) << shown;
  EXPECT_NE(shown.find("#"), std::string::npos);
  EXPECT_NE(shown.find("novel.epub packing    ["), std::string::npos) << shown;
  EXPECT_NE(shown.find("\r\x1B[K"), std::string::npos);
  EXPECT_NE(shown.find("novel.epub: written"), std::string::npos);
  EXPECT_EQ(ZipProblems(temp / "novel.epub"), "");
}

}  // namespace
}  // namespace quireforge::test
