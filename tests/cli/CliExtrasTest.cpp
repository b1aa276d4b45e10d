// The command line's options for what readers of web novels expect: title and author from
// the file name, an own chapter rule, volumes, a cover and a language. Each through the real
// program, on real files, alone and with --each; failures leave no file behind and an older
// book intact.
#include <gtest/gtest.h>

#include <filesystem>

#include "BookChecks.h"
#include "TestSupport.h"

namespace quireforge::test {
namespace {

namespace fs = std::filesystem;

std::string OpfOf(const fs::path& book) { return EntryBytes(book, "OEBPS/book.opf"); }
std::string NcxOf(const fs::path& book) { return EntryBytes(book, "OEBPS/toc.ncx"); }

bool Holds(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// A small novel in volumes: a prologue chapter, two volumes with chapters, an empty volume.
std::string VolumeNovel() {
  return "《卷书》\r\n楔子 开端\r\n序文\r\n第一卷 潜龙\r\n第一章 甲\r\n正文一\r\n第二章 乙\r\n"
         "正文二\r\n　　第二卷　空卷\r\n卷三 飞龙\r\n第三章 丙\r\n正文三\r\n";
}

// --- Title and author from the file name --------------------------------------------------

TEST(CliNamesTest, TitleAndAuthorComeFromTheFileNameAndOptionsWinEachOnItsOwn) {
  TempDir temp;
  const std::string name = "《希灵帝国》（校对版全本）作者：远瞳.txt";
  WriteFile(temp / name, "第一章 开端\r\n正文\r\n");
  const fs::path book = temp / "《希灵帝国》（校对版全本）作者：远瞳.epub";
  const auto run = [&](std::vector<std::string> options) {
    options.insert(options.end(), {"-q", name});
    const CliResult result = RunCli(options, temp.path());
    EXPECT_EQ(result.status, 0) << result.err;
    return OpfOf(book) + NcxOf(book);
  };
  std::string written = run({});
  EXPECT_TRUE(Holds(written, "<dc:title>希灵帝国</dc:title>")) << written;
  EXPECT_TRUE(Holds(written, "<dc:creator>远瞳</dc:creator>"));
  EXPECT_TRUE(Holds(written, "<docAuthor><text>远瞳</text></docAuthor>"));
  written = run({"-t", "Own title"});
  EXPECT_TRUE(Holds(written, "<dc:title>Own title</dc:title>"));
  EXPECT_TRUE(Holds(written, "<dc:creator>远瞳</dc:creator>"));
  written = run({"-a", "Own author"});
  EXPECT_TRUE(Holds(written, "<dc:title>希灵帝国</dc:title>"));
  EXPECT_TRUE(Holds(written, "<dc:creator>Own author</dc:creator>"));
  written = run({"-a", ""});  // an author given empty on purpose
  EXPECT_TRUE(Holds(written, "<dc:creator></dc:creator>"));
  EXPECT_EQ(RunLeftovers(temp.path()), std::vector<std::string>());
}

TEST(CliNamesTest, EveryBookOfEachTakesTheNamesOfItsOwnFile) {
  TempDir temp;
  const std::vector<std::string> names = {"《缔造苹果神话》作者_杰弗里_扬.txt",
                                          "斗破苍穹 作者：天蚕土豆.txt", "李敖《北京法源寺》.txt"};
  for (const std::string& name : names) WriteFile(temp / name, "text\r\n");
  std::vector<std::string> arguments = {"--each", "-q"};
  arguments.insert(arguments.end(), names.begin(), names.end());
  const CliResult result = RunCli(arguments, temp.path());
  ASSERT_EQ(result.status, 0) << result.err;
  const std::string opf[] = {OpfOf(temp / "《缔造苹果神话》作者_杰弗里_扬.epub"),
                             OpfOf(temp / "斗破苍穹 作者：天蚕土豆.epub"),
                             OpfOf(temp / "李敖《北京法源寺》.epub")};
  EXPECT_TRUE(Holds(opf[0], "<dc:title>缔造苹果神话</dc:title>")) << opf[0];
  EXPECT_TRUE(Holds(opf[0], "<dc:creator>杰弗里_扬</dc:creator>"));
  EXPECT_TRUE(Holds(opf[1], "<dc:title>斗破苍穹</dc:title>"));
  EXPECT_TRUE(Holds(opf[1], "<dc:creator>天蚕土豆</dc:creator>"));
  EXPECT_TRUE(Holds(opf[2], "<dc:title>李敖《北京法源寺》</dc:title>"));
  EXPECT_TRUE(Holds(opf[2], "<dc:creator></dc:creator>"));
  // With -a every book has that author, also an empty one.
  ASSERT_EQ(RunCli({"--each", "-q", "-a", "某", names[1]}, temp.path()).status, 0);
  EXPECT_TRUE(Holds(OpfOf(temp / "斗破苍穹 作者：天蚕土豆.epub"), "<dc:creator>某</dc:creator>"));
  ASSERT_EQ(RunCli({"--each", "-q", "-a", "", names[1]}, temp.path()).status, 0);
  EXPECT_TRUE(Holds(OpfOf(temp / "斗破苍穹 作者：天蚕土豆.epub"), "<dc:creator></dc:creator>"));
}

// --- An own chapter rule ------------------------------------------------------------------

constexpr const char* kEnglishNovel =
    "Title page\r\nChapter 1\r\nIt begins.\r\n第一章 not a heading here\r\n1.\r\nChapter 2 The "
    "End\r\n"
    "Over.\r\n";

TEST(CliChapterPatternTest, AnOwnExpressionReplacesTheChapterHeadRule) {
  TempDir temp;
  WriteFile(temp / "novel.txt", kEnglishNovel);
  CliResult result =
      RunCli({"--list-chapters", "--chapter-pattern", "^Chapter [0-9]+|^[0-9]+\\.$", "novel.txt"},
             temp.path());
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "ch_2.html=Chapter 1\nch_3.html=1.\nch_4.html=Chapter 2 The End\n");
  // The classic rule knows none of these but the Chinese line; the heading finder reads the
  // English headings and leaves the lone Chinese line in the middle as text.
  result = RunCli({"--list-chapters", "--chapter-rule", "classic", "novel.txt"}, temp.path());
  EXPECT_EQ(result.out, "ch_2.html=第一章 not a heading here\n");
  result = RunCli({"--list-chapters", "novel.txt"}, temp.path());
  EXPECT_EQ(result.out, "ch_2.html=Chapter 1\nch_3.html=Chapter 2 The End\n");
  // Written books follow it too, one page per heading.
  result = RunCli({"-q", "--chapter-pattern=Chapter", "novel.txt"}, temp.path());
  ASSERT_EQ(result.status, 0) << result.err;
  const std::string ncx = NcxOf(temp / "novel.epub");
  EXPECT_TRUE(Holds(ncx, "<text>Chapter 1</text>")) << ncx;
  EXPECT_TRUE(Holds(ncx, "<text>Chapter 2 The End</text>"));
  EXPECT_FALSE(Holds(ncx, "第一章"));
}

TEST(CliChapterPatternTest, WorksForEveryBookOfEach) {
  TempDir temp;
  WriteFile(temp / "a.txt", kEnglishNovel);
  WriteFile(temp / "b.txt", "Intro\r\nChapter 7\r\ntext\r\n");
  const CliResult result =
      RunCli({"--each", "-q", "--chapter-pattern", "^Chapter", "a.txt", "b.txt"}, temp.path());
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(Holds(NcxOf(temp / "a.epub"), "<text>Chapter 2 The End</text>"));
  EXPECT_TRUE(Holds(NcxOf(temp / "b.epub"), "<text>Chapter 7</text>"));
}

// An own expression that finds no heading is named in the warning; the code page only when
// it was the locale's fallback.
TEST(CliChapterPatternTest, AnExpressionThatFindsNothingIsWarnedOf) {
  TempDir temp;
  WriteFile(temp / "novel.txt", kEnglishNovel);
  const CliResult result =
      RunCli({"--list-chapters", "--chapter-pattern", "^Part [0-9]+", "novel.txt"}, temp.path());
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err,
            "quireforge-cli: " + temp.path().string() +
                "/novel.txt: no line matches --chapter-pattern; check the expression.\n");
}

// Runs `arguments` where an older book.epub stands; expects `status`, no new file, the older
// book untouched and no staging folder left.
CliResult RunAgainstOlderBook(const TempDir& temp, const std::vector<std::string>& arguments,
                              int status) {
  WriteFile(temp / "book.epub", "an older book");
  const std::vector<std::string> before = EverythingBelow(temp.path());
  const CliResult result = RunCli(arguments, temp.path());
  EXPECT_EQ(result.status, status) << ::testing::PrintToString(arguments) << result.err;
  EXPECT_EQ(ReadFile(temp / "book.epub"), "an older book");
  EXPECT_EQ(EverythingBelow(temp.path()), before) << "a file was left behind";
  EXPECT_EQ(result.out, "");
  return result;
}

TEST(CliChapterPatternTest, ABadExpressionIsAUsageErrorSayingWhatIsWrongWhere) {
  TempDir temp;
  WriteFile(temp / "novel.txt", kEnglishNovel);
  CliResult result =
      RunAgainstOlderBook(temp, {"--chapter-pattern", "(ab", "-o", "book.epub", "novel.txt"}, 2);
  EXPECT_EQ(result.err,
            "--chapter-pattern: \"(ab\" is not a valid expression: a group opened with \"(\" is "
            "not closed (at its end)\nRun with --help for more information.\n");
  result = RunAgainstOlderBook(temp, {"--each", "--chapter-pattern", "a**", "novel.txt"}, 2);
  EXPECT_EQ(
      result.err.rfind("--chapter-pattern: \"a**\" is not a valid expression: a repetition", 0), 0u)
      << result.err;
  result = RunAgainstOlderBook(temp, {"--chapter-pattern", "", "-o", "book.epub", "novel.txt"}, 2);
  EXPECT_TRUE(Holds(result.err, "--chapter-pattern: an expression is expected")) << result.err;
  result =
      RunAgainstOlderBook(temp, {"--volume-pattern", "[z-a]", "-o", "book.epub", "novel.txt"}, 2);
  EXPECT_EQ(result.err.rfind("--volume-pattern: \"[z-a]\" is not a valid expression: a range", 0),
            0u)
      << result.err;
}

TEST(CliChapterPatternTest, AnExpressionNoLineCouldBeSearchedWithIsAUsageError) {
  TempDir temp;
  WriteFile(temp / "novel.txt", kEnglishNovel);
  // Eleven counted loops inside one another: valid, but more than a search may hold, which
  // is known before any line is read.
  std::string nested = std::string(11, '(') + "a";
  for (int i = 0; i < 11; ++i) nested += "){1,2}";
  for (const char* option : {"--chapter-pattern", "--volume-pattern"}) {
    const CliResult result =
        RunAgainstOlderBook(temp, {option, nested, "-o", "book.epub", "novel.txt"}, 2);
    EXPECT_EQ(result.err, std::string(option) + ": \"" + nested +
                              "\" is not a valid expression: counted repetitions (\"{n,m}\") are "
                              "nested more than ten deep\nRun with --help for more information.\n");
  }
}

// --- Volumes ------------------------------------------------------------------------------

TEST(CliVolumesTest, ListChaptersIndentsTheChaptersOfAVolume) {
  TempDir temp;
  WriteFile(temp / "novel.txt", VolumeNovel());
  CliResult result = RunCli(
      {"--list-chapters", "--chapter-rule", "classic", "--volumes", "novel.txt"}, temp.path());
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out,
            "ch_2.html=第一卷 潜龙\n"
            "  ch_3.html=第一章 甲\n"
            "  ch_4.html=第二章 乙\n"
            "ch_5.html=　　第二卷　空卷\n"
            "ch_6.html=卷三 飞龙\n"
            "  ch_7.html=第三章 丙\n");
  // Without --volumes the classic rule's volume lines are chapters or text, as before.
  result = RunCli({"--list-chapters", "--chapter-rule=classic", "novel.txt"}, temp.path());
  EXPECT_EQ(result.out,
            "ch_2.html=第一卷 潜龙\nch_3.html=第一章 甲\nch_4.html=第二章 乙\n"
            "ch_5.html=　　第二卷　空卷\nch_6.html=第三章 丙\n");
  // The heading finder sees the two nested series by itself, and the opening 楔子; --no-volumes
  // makes its volume lines chapters.
  const std::string outline =
      "ch_2.html=楔子 开端\nch_3.html=第一卷 潜龙\n  ch_4.html=第一章 甲\n  ch_5.html=第二章 乙\n"
      "ch_6.html=　　第二卷　空卷\nch_7.html=卷三 飞龙\n  ch_8.html=第三章 丙\n";
  EXPECT_EQ(RunCli({"--list-chapters", "novel.txt"}, temp.path()).out, outline);
  EXPECT_EQ(RunCli({"--list-chapters", "--volumes", "novel.txt"}, temp.path()).out, outline);
  EXPECT_EQ(RunCli({"--list-chapters", "--no-volumes", "novel.txt"}, temp.path()).out,
            "ch_2.html=楔子 开端\nch_3.html=第一卷 潜龙\nch_4.html=第一章 甲\nch_5.html=第二章 乙\n"
            "ch_6.html=　　第二卷　空卷\nch_7.html=卷三 飞龙\nch_8.html=第三章 丙\n");
  // An own volume rule, and an own chapter rule beside it.
  WriteFile(temp / "english.txt",
            "Foreword\r\nBook 1\r\nChapter 1\r\nx\r\n  Book 2  \r\nChapter 2\r\n");
  result = RunCli({"--list-chapters", "--volume-pattern", "^Book [0-9]+$", "--chapter-pattern",
                   "^Chapter", "english.txt"},
                  temp.path());
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(
      result.out,
      "ch_2.html=Book 1\n  ch_3.html=Chapter 1\nch_4.html=  Book 2  \n  ch_5.html=Chapter 2\n");
  // Volumes without chapters.
  result = RunCli({"--list-chapters", "--volumes", "--no-chapters", "novel.txt"}, temp.path());
  EXPECT_EQ(result.out, "ch_2.html=第一卷 潜龙\nch_3.html=　　第二卷　空卷\nch_4.html=卷三 飞龙\n");
}

TEST(CliVolumesTest, SeveralSourcesAreRefusedButEachWorks) {
  TempDir temp;
  WriteFile(temp / "a.txt", VolumeNovel());
  WriteFile(temp / "b.txt", "第一卷 唯一\r\n第一章 章\r\n");
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"--volumes", "-o", "book.epub", "a.txt", "b.txt"},
        {"--volume-pattern", "x", "-o", "book.epub", "a.txt", "b.txt"},
        {"--chapter-pattern", "x", "-o", "book.epub", "a.txt", "b.txt"}}) {
    const CliResult result = RunAgainstOlderBook(temp, arguments, 2);
    EXPECT_TRUE(Holds(result.err, "with several sources each source is one chapter")) << result.err;
  }
  fs::remove(temp / "book.epub");
  const CliResult result = RunCli({"--each", "-q", "--volumes", "a.txt", "b.txt"}, temp.path());
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(Holds(NcxOf(temp / "b.epub"),
                    "<text>第一卷 唯一</text></navLabel>\r\n"
                    "<content src=\"ch_1.html#\"/>\r\n<navPoint"));
  // An own volume rule reaches every book too.
  ASSERT_EQ(
      RunCli({"--each", "-q", "--volume-pattern", "唯一$", "a.txt", "b.txt"}, temp.path()).status,
      0);
  EXPECT_FALSE(Holds(NcxOf(temp / "a.epub"), "<meta name=\"dtb:depth\" content=\"2\"/>"));
  EXPECT_TRUE(Holds(NcxOf(temp / "b.epub"), "<meta name=\"dtb:depth\" content=\"2\"/>"));
}

// --- Cover --------------------------------------------------------------------------------

fs::path Picture(const TempDir& temp, const std::string& name, const std::string& spec) {
  const fs::path path = temp / name;
  EXPECT_EQ(RunCommand("convert " + spec + " " + ShellQuote(path.string())), 0);
  return path;
}

TEST(CliCoverTest, ABadCoverFailsTheBookAndLeavesTheOlderOneIntact) {
  TempDir temp;
  WriteFile(temp / "novel.txt", VolumeNovel());
  WriteFile(temp / "notes.jpg", "plain text\r\n");
  fs::create_directory(temp / "folder.png");
  const std::string dir = temp.path().string();
  const struct {
    std::string cover, message;
  } cases[] = {
      {"missing.jpg", "Cannot open file \"" + dir + "/missing.jpg\". No such file or directory"},
      {"notes.jpg",
       "Cannot use cover image \"" + dir + "/notes.jpg\". It is neither a JPEG nor a PNG picture."},
      {"folder.png", "Cannot open file \"" + dir + "/folder.png\". Is a directory"},
  };
  for (const auto& c : cases) {
    const CliResult result =
        RunAgainstOlderBook(temp, {"-q", "--cover", c.cover, "-o", "book.epub", "novel.txt"}, 1);
    EXPECT_EQ(result.err, "quireforge-cli: " + c.message + "\n");
  }
  // The picture may not become the book.
  const CliResult result =
      RunAgainstOlderBook(temp, {"-q", "--cover", "book.epub", "-o", "book.epub", "novel.txt"}, 1);
  EXPECT_EQ(result.err, "quireforge-cli: Cannot create file \"" + dir +
                            "/book.epub\". It is the cover picture.\n");
}

TEST(CliCoverTest, EveryBookOfEachGetsTheCoverOrFails) {
  TempDir temp;
  WriteFile(temp / "a.txt", "text a\r\n");
  WriteFile(temp / "b.txt", "text b\r\n");
  Picture(temp, "cover.png", "-size 30x40 xc:pink");
  CliResult result =
      RunCli({"--each", "-q", "--cover", "cover.png", "a.txt", "b.txt"}, temp.path());
  ASSERT_EQ(result.status, 0) << result.err;
  for (const char* book : {"a.epub", "b.epub"}) {
    EXPECT_EQ(EntryBytes(temp / book, "OEBPS/cover.png"), ReadFile(temp / "cover.png")) << book;
  }
  WriteFile(temp / "a.epub", "older a");
  result = RunCli({"--each", "-q", "--cover", "a.txt", "a.txt", "b.txt"}, temp.path());
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(ReadFile(temp / "a.epub"), "older a");
  EXPECT_TRUE(Holds(result.err, "It is neither a JPEG nor a PNG picture.")) << result.err;
  EXPECT_EQ(RunLeftovers(temp.path()), std::vector<std::string>());
}

// --- Language -----------------------------------------------------------------------------

TEST(CliLanguageTest, ATagOrAutoSetsTheLanguageOfBothFiles) {
  TempDir temp;
  WriteFile(temp / "zh.txt", NovelText(20000));
  WriteFile(temp / "ja.txt", "吾輩は猫である。名前はまだ無い。\r\n");
  WriteFile(temp / "ko.txt", "대한민국의 수도는 서울이다.\r\n");
  WriteFile(temp / "en.txt", "It was the best of times.\r\n");
  ASSERT_EQ(RunCli({"-q", "--language", "zh-Hant", "-o", "tag.epub", "en.txt"}, temp.path()).status,
            0);
  EXPECT_TRUE(Holds(OpfOf(temp / "tag.epub"), "<dc:language>zh-Hant</dc:language>"));
  EXPECT_TRUE(Holds(NcxOf(temp / "tag.epub"), "<ncx version=\"2005-1\" xml:lang=\"zh-Hant\" "));
  const CliResult result = RunCli(
      {"--each", "-q", "--language", "auto", "zh.txt", "ja.txt", "ko.txt", "en.txt"}, temp.path());
  ASSERT_EQ(result.status, 0) << result.err;
  for (const char* language : {"zh", "ja", "ko", "en"}) {
    const fs::path book = temp / (std::string(language) + ".epub");
    EXPECT_TRUE(Holds(OpfOf(book), std::string("<dc:language>") + language + "</dc:language>"))
        << language;
    const std::string ncx_language = std::string(language) == "en" ? "en-US" : language;
    EXPECT_TRUE(Holds(NcxOf(book), "xml:lang=\"" + ncx_language + "\"")) << language;
  }
  // By default the language follows the text; English, found or named, keeps its classic
  // form: en in the package, en-US in the navigation file.
  ASSERT_EQ(RunCli({"-q", "-o", "default.epub", "zh.txt"}, temp.path()).status, 0);
  EXPECT_TRUE(Holds(OpfOf(temp / "default.epub"), "<dc:language>zh</dc:language>"));
  ASSERT_EQ(RunCli({"-q", "-o", "english.epub", "--language", "en", "zh.txt"}, temp.path()).status,
            0);
  EXPECT_TRUE(Holds(OpfOf(temp / "english.epub"), "<dc:language>en</dc:language>"));
  EXPECT_TRUE(Holds(NcxOf(temp / "english.epub"), "xml:lang=\"en-US\""));
}

TEST(CliLanguageTest, AMalformedTagIsAUsageError) {
  TempDir temp;
  WriteFile(temp / "novel.txt", "text\r\n");
  for (const char* tag : {"zh_CN", "", "en-", "中文", "e"}) {
    const CliResult result =
        RunAgainstOlderBook(temp, {"--language", tag, "-o", "book.epub", "novel.txt"}, 2);
    EXPECT_EQ(result.err, std::string("--language: \"") + tag +
                              "\" is not a well-formed BCP 47 language tag\n"
                              "Run with --help for more information.\n");
  }
}

TEST(CliExtrasHelpTest, HelpNamesEveryNewOption) {
  const CliResult result = RunCli({"--help"});
  EXPECT_EQ(result.status, 0);
  for (const char* option :
       {"--chapter-pattern", "--volumes", "--volume-pattern", "--cover", "--language"}) {
    EXPECT_TRUE(Holds(result.out, option)) << option;
  }
  // --no-chapters and an own chapter rule exclude each other.
  TempDir temp;
  WriteFile(temp / "novel.txt", "text\r\n");
  RunAgainstOlderBook(temp, {"--no-chapters", "--chapter-pattern", "x", "novel.txt"}, 2);
}

}  // namespace
}  // namespace quireforge::test
