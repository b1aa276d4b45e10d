// The command line's options for how a book reads on today's readers: headings, a first-line
// indent and EPUB 3. Through the real program on real files, alone, together and with --each;
// a wrong value is a usage error that leaves no file behind and an older book intact.
#include <gtest/gtest.h>

#include <filesystem>

#include "BookChecks.h"
#include "TestSupport.h"

namespace quireforge::test {
namespace {

namespace fs = std::filesystem;

bool Holds(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

constexpr const char* kNovel =
    "《卷书》\r\n　　序文\r\n第一卷 潜龙\r\n  第一章 甲 \r\n　　正文一\r\n第二章 乙\r\n正文二\r\n";

std::string Page(const fs::path& book, int number) {
  return EntryBytes(book, "OEBPS/ch_" + std::to_string(number) + ".html");
}

TEST(CliHeadingStyleTest, TitleMakesHeadingsAndKeepsTheChapterList) {
  TempDir temp;
  WriteFile(temp / "novel.txt", kNovel);
  const CliResult result =
      RunCli({"-q", "--volumes", "--heading-style", "title", "novel.txt"}, temp.path());
  ASSERT_EQ(result.status, 0) << result.err;
  const fs::path book = temp / "novel.epub";
  EXPECT_TRUE(Holds(Page(book, 2), "<body>\r\n<h1>第一卷 潜龙</h1>\r\n</body>")) << Page(book, 2);
  EXPECT_TRUE(Holds(Page(book, 3), "<body>\r\n<h2>第一章 甲</h2>\r\n<p>　　正文一</p>\r\n"));
  // The table of contents keeps the lines as they stand.
  EXPECT_TRUE(Holds(EntryBytes(book, "OEBPS/toc.ncx"), "<text>  第一章 甲 </text>"));
  const CliResult title =
      RunCli({"--list-chapters", "--volumes", "--heading-style=title", "novel.txt"}, temp.path());
  const CliResult plain =
      RunCli({"--list-chapters", "--volumes", "--heading-style=plain", "novel.txt"}, temp.path());
  EXPECT_EQ(title.out, plain.out);
  EXPECT_EQ(title.out, "ch_2.html=第一卷 潜龙\n  ch_3.html=  第一章 甲 \n  ch_4.html=第二章 乙\n");
}

TEST(CliEpub3Test, AnEpub3BookWithVolumesACoverHeadingsAndIndent) {
  TempDir temp;
  WriteFile(temp / "novel.txt", kNovel);
  ASSERT_EQ(RunCommand("convert -size 30x40 xc:pink " + ShellQuote((temp / "c.png").string())), 0);
  const CliResult result = RunCli({"-q", "--epub3", "--volumes", "--cover", "c.png",
                                   "--heading-style", "title", "--indent", "2", "novel.txt"},
                                  temp.path());
  ASSERT_EQ(result.status, 0) << result.err;
  const fs::path book = temp / "novel.epub";
  EXPECT_EQ(EntryNames(book),
            (std::vector<std::string>{"mimetype", "META-INF/", "META-INF/container.xml", "OEBPS/",
                                      "OEBPS/book.opf", "OEBPS/ch_1.xhtml", "OEBPS/ch_2.xhtml",
                                      "OEBPS/ch_3.xhtml", "OEBPS/ch_4.xhtml", "OEBPS/cover.png",
                                      "OEBPS/cover.xhtml", "OEBPS/css/", "OEBPS/css/main.css",
                                      "OEBPS/nav.xhtml", "OEBPS/toc.ncx"}));
  EXPECT_EQ(ZipProblems(book), "");
  const std::string opf = EntryBytes(book, "OEBPS/book.opf");
  EXPECT_TRUE(Holds(opf, "<package version=\"3.0\" ")) << opf;
  EXPECT_TRUE(Holds(opf, "properties=\"cover-image\"/>"));
  const std::string page = EntryBytes(book, "OEBPS/ch_3.xhtml");
  EXPECT_TRUE(Holds(page, "<!DOCTYPE html>\r\n")) << page;
  EXPECT_TRUE(Holds(page, "<h2>第一章 甲</h2>\r\n<p>正文一</p>\r\n"));
  EXPECT_TRUE(Holds(EntryBytes(book, "OEBPS/nav.xhtml"),
                    "<li><a href=\"ch_2.xhtml\">第一卷 潜龙</a>\r\n<ol>\r\n"
                    "<li><a href=\"ch_3.xhtml\">  第一章 甲 </a></li>\r\n"));
  // The chapter list names the pages as the EPUB 3 book calls them.
  const CliResult list = RunCli({"--list-chapters", "--epub3", "novel.txt"}, temp.path());
  EXPECT_EQ(list.out,
            "ch_2.xhtml=第一卷 潜龙\n  ch_3.xhtml=  第一章 甲 \n  ch_4.xhtml=第二章 乙\n");
}

TEST(CliEpub3Test, EveryBookOfEachIsEpub3AndSeveralSourcesWork) {
  TempDir temp;
  WriteFile(temp / "a.txt", kNovel);
  WriteFile(temp / "b.txt", "text b\r\n");
  CliResult result = RunCli({"--each", "-q", "--epub3", "a.txt", "b.txt"}, temp.path());
  ASSERT_EQ(result.status, 0) << result.err;
  for (const char* book : {"a.epub", "b.epub"}) {
    EXPECT_TRUE(Holds(EntryBytes(temp / book, "OEBPS/book.opf"), "<package version=\"3.0\" "))
        << book;
    EXPECT_TRUE(Holds(EntryBytes(temp / book, "OEBPS/nav.xhtml"), "<nav epub:type=\"toc\""));
  }
  // One book of two sources, each source a chapter.
  result = RunCli({"-q", "--epub3", "-o", "both.epub", "a.txt", "b.txt"}, temp.path());
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(Holds(EntryBytes(temp / "both.epub", "OEBPS/nav.xhtml"),
                    "<li><a href=\"ch_1.xhtml\">《卷书》</a></li>\r\n"
                    "<li><a href=\"ch_2.xhtml\">text b</a></li>\r\n"));
  EXPECT_EQ(RunLeftovers(temp.path()), std::vector<std::string>());
}

// Runs `arguments` where an older book.epub stands; expects status 2, no new file, the older
// book untouched and no staging folder left; returns what was printed on stderr.
std::string UsageErrorOf(const TempDir& temp, const std::vector<std::string>& arguments) {
  WriteFile(temp / "book.epub", "an older book");
  const std::vector<std::string> before = EverythingBelow(temp.path());
  const CliResult result = RunCli(arguments, temp.path());
  EXPECT_EQ(result.status, 2) << ::testing::PrintToString(arguments) << result.err;
  EXPECT_EQ(ReadFile(temp / "book.epub"), "an older book");
  EXPECT_EQ(EverythingBelow(temp.path()), before) << "a file was left behind";
  EXPECT_EQ(result.out, "");
  return result.err;
}

TEST(CliBookFormatTest, AWrongValueIsAUsageError) {
  TempDir temp;
  WriteFile(temp / "novel.txt", kNovel);
  EXPECT_EQ(UsageErrorOf(temp, {"--heading-style", "bold", "-o", "book.epub", "novel.txt"}),
            "--heading-style: \"bold\" is not one of plain, title\n"
            "Run with --help for more information.\n");
  EXPECT_EQ(UsageErrorOf(temp, {"--indent", "5", "-o", "book.epub", "novel.txt"}),
            "--indent: a whole number from 0 to 4 is expected, not \"5\"\nRun with --help for "
            "more information.\n");
  for (const char* indent : {"-1", "two", "1.5", ""}) {
    EXPECT_TRUE(
        Holds(UsageErrorOf(temp, {"--indent", indent, "-o", "book.epub", "novel.txt"}), "--indent"))
        << indent;
  }
}

TEST(CliBookFormatTest, BlankLinesAreKeptJoinedOrLeftOut) {
  TempDir temp;
  // Runs of empty and of blank-only lines (blanks, ideographic spaces) between paragraphs.
  WriteFile(temp / "novel.txt", "第一章 甲\r\n一\r\n\r\n\r\n二\r\n \u3000\r\n\r\n三\r\n\r\n");
  for (const auto& [word, expected] : std::vector<std::pair<std::string, std::string>>{
           {"single",
            "<p>一</p>\r\n<p></p>\r\n<p>二</p>\r\n<p> \u3000</p>\r\n<p>三</p>\r\n<p></p>"},
           {"none", "<p>一</p>\r\n<p>二</p>\r\n<p>三</p>\r\n</body>"},
           {"keep", "<p>一</p>\r\n<p></p>\r\n<p></p>\r\n<p>二</p>\r\n<p> \u3000</p>\r\n<p></p>"}}) {
    const CliResult result =
        RunCli({"-q", "--blank-lines", word, "-o", "book.epub", "novel.txt"}, temp.path());
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(Holds(Page(temp / "book.epub", 1), expected))
        << word << Page(temp / "book.epub", 1);
  }
  EXPECT_TRUE(Holds(UsageErrorOf(temp, {"--blank-lines", "two", "-o", "book.epub", "novel.txt"}),
                    "\"two\" is not one of keep, single, none"));
}

TEST(CliBookFormatTest, EveryBookOfEachGetsTheOptions) {
  TempDir temp;
  WriteFile(temp / "a.txt", kNovel);
  WriteFile(temp / "b.txt", "　　Foreword\r\n第一章 x\r\ntext\r\n");
  const CliResult result = RunCli({"--each", "-q", "--chapter-rule", "classic", "--heading-style",
                                   "title", "--indent", "1", "a.txt", "b.txt"},
                                  temp.path());
  ASSERT_EQ(result.status, 0) << result.err;
  for (const char* book : {"a.epub", "b.epub"}) {
    EXPECT_TRUE(Holds(EntryBytes(temp / book, "OEBPS/css/main.css"), "  text-indent: 1em;\r\n"))
        << book;
    // With the classic rule and without --volumes, 第一卷 is a chapter heading like 第一章.
    EXPECT_TRUE(Holds(Page(temp / book, 2), "<body>\r\n<h2>第一")) << book;
  }
  EXPECT_TRUE(Holds(Page(temp / "b.epub", 1), "<p>Foreword</p>"));
  EXPECT_EQ(RunLeftovers(temp.path()), std::vector<std::string>());
}

TEST(CliBookFormatTest, HelpNamesTheOptions) {
  const CliResult result = RunCli({"--help"});
  EXPECT_EQ(result.status, 0);
  for (const char* option : {"--heading-style plain|title", "--indent 0|1|2|3|4", "--epub3",
                             "--epub3 --heading-style title --indent 2 novel.txt"}) {
    EXPECT_TRUE(Holds(result.out, option)) << option << "\n" << result.out;
  }
}

}  // namespace
}  // namespace quireforge::test
