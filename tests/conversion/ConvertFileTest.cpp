// A conversion job as the window builds it: real sources in a private folder, a real
// staging root, then the staged tree read back byte for byte.
#include <gtest/gtest.h>
#include <sys/mount.h>

#include <regex>

#include "ConversionTestSupport.h"
#include "conversion/ConvertFile.h"
#include "conversion/FileErrors.h"

namespace quireforge::test {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

std::vector<std::string> ChaptersOf(const TConvertFile& job) {
  std::vector<std::string> chapters;
  for (const auto& entry : job.Chapters()) chapters.push_back(U8(entry));
  return chapters;
}

const Strings kContainer = {
    "<?xml version=\"1.0\" encoding=\"utf-8\" ?>",
    "<container xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\" version=\"1.0\">",
    "<rootfiles>",
    "<rootfile full-path=\"OEBPS/book.opf\" media-type=\"application/oebps-package+xml\"/>",
    "</rootfiles>",
    "</container>",
};

Strings StyleSheet(const std::string& src, int margin, int line_height, int font_size,
                   const std::string& weight) {
  const std::string m = std::to_string(margin);
  Strings lines = {
      "@font-face {",
      "  font-family: \"mainfont\";",
      src,
      "}",
      "body {",
      "  margin-top: " + m + "pt;",
      "  margin-bottom: " + m + "pt;",
      "  margin-left: " + m + "pt;",
      "  margin-right: " + m + "pt;",
      "  text-align: Justify;",
      "  line-height: " + std::to_string(line_height) + "%;",
      "  font-family: \"mainfont\";",
      "  font-size: " + std::to_string(font_size) + "%;",
  };
  if (!weight.empty()) lines.push_back(weight);
  for (const char* line :
       {"}", "p {", "  page-break-before: avoid;", "  page-break-after: avoid;",
        "  margin-top: 0.5em;", "  margin-bottom: 0pt;", "  margin-left: 0pt;",
        "  margin-right: 0pt;", "  text-indent: 0em;", "  text-align: Justify;", "}"}) {
    lines.push_back(line);
  }
  return lines;
}

// --- The fixed documents --------------------------------------------------------------

TEST(ConvertFileTest, FixedDocumentsByteForByte) {
  JobBench bench;
  JobParameters parameters = bench.Parameters({bench.Source("a.txt", "text\r\n")});
  parameters.options.margin = 2;
  parameters.options.line_height = 100;
  parameters.options.font_size = 110;
  auto job = bench.Build(parameters);
  EXPECT_EQ(Staged(*job, "mimetype"), "application/epub+zip");
  EXPECT_EQ(Staged(*job, "META-INF/container.xml"), CrLfLines(kContainer, false));
  EXPECT_EQ(
      Staged(*job, "OEBPS/css/main.css"),
      CrLfLines(StyleSheet("  src:url(res:///opt/sony/ebook/FONT/tt0003m_.ttf);", 2, 100, 110, ""),
                false));
  EXPECT_EQ(Staged(*job, "OEBPS/book.opf"),
            PackageBytes("Book", "Author", U8(job->Identifier()), 1));
}

TEST(ConvertFileTest, WeightLineFontAndEscapedMetadata) {
  JobBench bench;
  JobParameters parameters = bench.Parameters({bench.Source("a.txt", "text")});
  parameters.options.margin = 5;
  parameters.options.line_height = 120;
  parameters.options.font_size = 100;
  parameters.options.bold = true;
  parameters.options.font = u"/fonts/any.ttf";
  parameters.title = u"Tom & Jerry <1>\x01";
  parameters.author = u"A<B>";
  auto job = bench.Build(parameters);
  EXPECT_EQ(Staged(*job, "OEBPS/css/main.css"),
            CrLfLines(StyleSheet("  src:url(\"../font.ttf\");", 5, 120, 100, "font-weight:bold;"),
                      false));
  // Title and author are escaped; the font's item follows the ncx item.
  std::string expected =
      PackageBytes("Tom &amp; Jerry &lt;1&gt;", "A&lt;B&gt;", U8(job->Identifier()), 1);
  const std::string ncx =
      "<item id=\"ncx\"  href=\"toc.ncx\" media-type=\"application/x-dtbncx+xml\"/>\r\n";
  expected.insert(
      expected.find(ncx) + ncx.size(),
      "<item id=\"font\" href=\"font.ttf\" media-type=\"application/x-font-ttf\"/>\r\n");
  EXPECT_EQ(Staged(*job, "OEBPS/book.opf"), expected);
  EXPECT_EQ(XmlProblems(StagingDir(*job) / "OEBPS/book.opf"), "");
  // The font itself is copied only when the book is finished.
  EXPECT_FALSE(fs::exists(StagingDir(*job) / "OEBPS/font.ttf"));
}

// --- One source ------------------------------------------------------------------------

TEST(ConvertFileTest, SingleSourceSplitsAtHeadingsWithExactProgress) {
  JobBench bench;
  const std::string text =
      "\r\n  \r\n\t\r\n"  // leading blank lines go
      "Preface & <intro>\r\n"
      "第一回 Start\r\n"
      "\r\n"
      "  indented\r\n"
      "\xE3\x80\x80第二回 Next\r\n"
      "body two";
  auto job = bench.Build(bench.Parameters({bench.Source("novel.txt", text)}));
  const fs::path dir = StagingDir(*job);

  EXPECT_EQ(FilesBelow(dir),
            (Strings{"META-INF/container.xml", "OEBPS/book.opf", "OEBPS/ch_1.html",
                     "OEBPS/ch_2.html", "OEBPS/ch_3.html", "OEBPS/css/main.css", "mimetype"}));
  EXPECT_EQ(Staged(*job, "OEBPS/ch_1.html"), PageBytes(1, {"<p>Preface &amp; &lt;intro&gt;</p>"}));
  EXPECT_EQ(Staged(*job, "OEBPS/ch_2.html"),
            PageBytes(2, {"<p>第一回 Start</p>", "<p></p>", "<p>  indented</p>"}));
  EXPECT_EQ(Staged(*job, "OEBPS/ch_3.html"),
            PageBytes(3, {"<p>\xE3\x80\x80第二回 Next</p>", "<p>body two</p>"}));
  EXPECT_EQ(Staged(*job, "OEBPS/book.opf"),
            PackageBytes("Book", "Author", U8(job->Identifier()), 3));
  // Titles are the raw lines, leading blanks included.
  EXPECT_EQ(ChaptersOf(*job),
            (Strings{"ch_2.html=第一回 Start", "ch_3.html=\xE3\x80\x80第二回 Next"}));
  EXPECT_EQ(job->ChapterCount(), 2);
  EXPECT_EQ(job->PageCounter(), 3);
  // Six lines after the leading blanks; splits at the lines with index 1 and 4.
  EXPECT_EQ(bench.ui.calls,
            (Strings{"ShowProgress", "ShowProgressBar", "SetProgressMaximum 5", "ProcessMessages",
                     "SetProgressPosition 1", "ProcessMessages", "SetProgressPosition 4",
                     "ProcessMessages", "HideProgressBar", "CloseProgress"}));
}

TEST(ConvertFileTest, AHeadingFirstOpensPageOneInsteadOfLeavingItEmpty) {
  JobBench bench;
  auto job = bench.Build(
      bench.Parameters({bench.Source("a.txt", "第一回 A\nbody\n第二回 B\n第三回 C\nx")}));
  EXPECT_EQ(FilesBelow(StagingDir(*job) / "OEBPS"),
            (Strings{"book.opf", "ch_1.html", "ch_2.html", "ch_3.html", "css/main.css"}));
  EXPECT_EQ(Staged(*job, "OEBPS/ch_1.html"), PageBytes(1, {"<p>第一回 A</p>", "<p>body</p>"}));
  // Two headings in a row: the first one's page holds only its own paragraph.
  EXPECT_EQ(Staged(*job, "OEBPS/ch_2.html"), PageBytes(2, {"<p>第二回 B</p>"}));
  EXPECT_EQ(Staged(*job, "OEBPS/ch_3.html"), PageBytes(3, {"<p>第三回 C</p>", "<p>x</p>"}));
  EXPECT_EQ(ChaptersOf(*job),
            (Strings{"ch_1.html=第一回 A", "ch_2.html=第二回 B", "ch_3.html=第三回 C"}));
  EXPECT_EQ(bench.ui.CallsStartingWith("SetProgressPosition"),
            (Strings{"SetProgressPosition 0", "SetProgressPosition 2", "SetProgressPosition 3"}));
}

TEST(ConvertFileTest, WithoutDetectionHeadingsAreParagraphsAndTheFileNameFlagIsIgnored) {
  JobBench bench;
  JobParameters parameters = bench.Parameters({bench.Source("a.txt", "pre\n第一回 A\nbody")});
  parameters.options.chapters = false;
  parameters.options.file_name_chapters = true;
  auto job = bench.Build(parameters);
  EXPECT_EQ(Staged(*job, "OEBPS/ch_1.html"),
            PageBytes(1, {"<p>pre</p>", "<p>第一回 A</p>", "<p>body</p>"}));
  EXPECT_EQ(job->ChapterCount(), 0);
  EXPECT_EQ(bench.ui.CallsStartingWith("SetProgressPosition"), Strings{});

  JobBench named;
  JobParameters with_detection = named.Parameters({named.Source("Vol.1.txt", "pre\n第一回 A")});
  with_detection.options.file_name_chapters = true;
  EXPECT_EQ(ChaptersOf(*named.Build(with_detection)), Strings{"ch_2.html=第一回 A"});
}

// --- The page budget -------------------------------------------------------------------

// The pages of a job whose source is `lines` (ASCII), as lists of paragraph lengths.
std::vector<std::vector<size_t>> PageShapes(const std::vector<std::string>& lines) {
  JobBench bench;
  std::string text;
  for (const auto& line : lines) text += line + "\n";
  JobParameters parameters = bench.Parameters({bench.Source("a.txt", text)});
  parameters.options.chapters = false;
  auto job = bench.Build(parameters);
  std::vector<std::vector<size_t>> shapes;
  for (int n = 1; fs::exists(StagingDir(*job) / ("OEBPS/ch_" + std::to_string(n) + ".html")); ++n) {
    const std::string page = Staged(*job, "OEBPS/ch_" + std::to_string(n) + ".html");
    std::vector<size_t> shape;
    for (size_t p = page.find("<p>"); p != std::string::npos; p = page.find("<p>", p + 1)) {
      shape.push_back(page.find("</p>", p) - p - 3);
    }
    shapes.push_back(shape);
  }
  EXPECT_EQ(static_cast<int>(shapes.size()), job->PageCounter());
  return shapes;
}

TEST(ConvertFileTest, BudgetSplitsOnlyWhenStrictlyAboveTheThreshold) {
  // Paragraph lines of 30000 and 31199 code units: 60001 + 62399 = 122400 exactly.
  EXPECT_EQ(PageShapes({std::string(29993, 'a'), std::string(31192, 'b'), "x", "y"}),
            (std::vector<std::vector<size_t>>{{29993, 31192}, {1, 1}}));
  // One unit more and the second line opens the next page.
  EXPECT_EQ(PageShapes({std::string(29993, 'a'), std::string(31193, 'b'), "x"}),
            (std::vector<std::vector<size_t>>{{29993}, {31193, 1}}));
}

TEST(ConvertFileTest, TheLineOpeningAPageIsNotCounted) {
  // 80001 + 60001 splits; the opener (30000) is not counted, so 122001 + 17 stay, + 401 splits.
  EXPECT_EQ(PageShapes({std::string(39993, 'a'), std::string(29993, 'b'), std::string(60993, 'c'),
                        "x", std::string(193, 'd')}),
            (std::vector<std::vector<size_t>>{{39993}, {29993, 60993, 1}, {193}}));
}

TEST(ConvertFileTest, AnOversizedLineOpensAPageWithoutLeavingAnEmptyOne) {
  // A paragraph line of 61200 units exceeds the budget on its own.
  EXPECT_EQ(PageShapes({std::string(61193, 'a'), "x"}),
            (std::vector<std::vector<size_t>>{{61193, 1}}));
  EXPECT_EQ(PageShapes({"pre", std::string(61193, 'a'), std::string(61193, 'b'), "x"}),
            (std::vector<std::vector<size_t>>{{3}, {61193}, {61193, 1}}));
}

TEST(ConvertFileTest, BudgetCountsTheParagraphAsWritten) {
  // 30597 "<" are 30604 units as read but 122395 as written: the line opens page 2.
  const auto escaped = PageShapes({"pre", std::string(30597, '<')});
  ASSERT_EQ(escaped.size(), 2u);
  EXPECT_EQ(escaped[1], std::vector<size_t>{30597 * 4});
  // Dropped control characters do not count: 17 + 122381 stays on page 1.
  EXPECT_EQ(PageShapes({"x", std::string(61183, 'a') + std::string(10, '\x01')}),
            (std::vector<std::vector<size_t>>{{1, 61183}}));
}

// --- Several sources -------------------------------------------------------------------

TEST(ConvertFileTest, MultiSourceTreeByteForByte) {
  JobBench bench;
  auto job = bench.Build(bench.Parameters(
      {bench.Source("one.txt", "\r\n  Title One  \r\nline 1\r\n第二回 no split here\r\n"),
       bench.Source("two.txt", "\xEF\xBB\xBFTitle Two\r\nline 2")}));
  EXPECT_EQ(FilesBelow(StagingDir(*job)),
            (Strings{"META-INF/container.xml", "OEBPS/book.opf", "OEBPS/ch_1.html",
                     "OEBPS/ch_2.html", "OEBPS/css/main.css", "mimetype"}));
  EXPECT_EQ(Staged(*job, "OEBPS/ch_1.html"),
            PageBytes(1, {"<p>  Title One  </p>", "<p>line 1</p>", "<p>第二回 no split here</p>"}));
  EXPECT_EQ(Staged(*job, "OEBPS/ch_2.html"), PageBytes(2, {"<p>Title Two</p>", "<p>line 2</p>"}));
  EXPECT_EQ(Staged(*job, "OEBPS/book.opf"),
            PackageBytes("Book", "Author", U8(job->Identifier()), 2));
  // The first line, trimmed, titles each source; no heading test, no progress window.
  EXPECT_EQ(ChaptersOf(*job), (Strings{"ch_1.html=Title One", "ch_2.html=Title Two"}));
  EXPECT_EQ(job->PageCounter(), 3);
  EXPECT_EQ(bench.ui.calls, Strings{});
}

TEST(ConvertFileTest, MultiSourceTitlesFromFileNames) {
  JobBench bench;
  fs::create_directory(bench.dir() / "books.v2");
  JobParameters parameters =
      bench.Parameters({bench.Source("Vol.1.TXT", "x"), bench.Source("a.txt.txt", "x"),
                        bench.Source("a.TXT.txt", "x"), bench.Source("books.v2/noext", "x"),
                        bench.Source("第一章.txt", "x")});
  parameters.options.file_name_chapters = true;
  auto job = bench.Build(parameters);
  EXPECT_EQ(ChaptersOf(*job), (Strings{"ch_1.html=Vol.1", "ch_2.html=a", "ch_3.html=a.TXT",
                                       "ch_4.html=noext", "ch_5.html=第一章"}));

  JobBench off;
  JobParameters no_detection = off.Parameters({off.Source("a.txt", "x"), off.Source("b.txt", "y")});
  no_detection.options.chapters = false;
  no_detection.options.file_name_chapters = true;
  EXPECT_EQ(off.Build(no_detection)->ChapterCount(), 0);
}

TEST(ConvertFileTest, MultiSourceEntryNamesThePageAfterThePreviousSource) {
  JobBench bench;
  const std::string big(61193, 'a');
  auto job = bench.Build(bench.Parameters({bench.Source("one.txt", "One\n" + big + "\n" + big),
                                           bench.Source("two.txt", big + "\nTwo")}));
  EXPECT_EQ(ChaptersOf(*job), (Strings{"ch_1.html=One", "ch_4.html=" + big}));
  EXPECT_EQ(
      FilesBelow(StagingDir(*job) / "OEBPS"),
      (Strings{"book.opf", "ch_1.html", "ch_2.html", "ch_3.html", "ch_4.html", "css/main.css"}));
  EXPECT_EQ(Staged(*job, "OEBPS/ch_4.html"), PageBytes(4, {"<p>" + big + "</p>", "<p>Two</p>"}));
}

// --- Jobs, identifiers, destruction ----------------------------------------------------

TEST(ConvertFileTest, EveryJobHasItsOwnIdentifierAndFolder) {
  JobBench bench;
  const JobParameters parameters = bench.Parameters({bench.Source("a.txt", "x")});
  auto first = bench.Build(parameters);
  auto second = bench.Build(parameters);
  const std::regex form("[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}");
  EXPECT_TRUE(std::regex_match(U8(first->Identifier()), form)) << U8(first->Identifier());
  EXPECT_NE(first->Identifier(), second->Identifier());
  EXPECT_EQ(first->StagingPath(), bench.environment.staging_root + u"/" + first->Identifier());
  EXPECT_EQ(first->TargetPath(), parameters.target_path);
  EXPECT_NE(Staged(*first, "OEBPS/book.opf"), Staged(*second, "OEBPS/book.opf"));
}

TEST(ConvertFileTest, DestructionRemovesEmptiedFoldersButNeverFiles) {
  JobBench bench;
  const JobParameters parameters = bench.Parameters({bench.Source("a.txt", "x")});
  auto unfinished = bench.Build(parameters);
  const fs::path kept = StagingDir(*unfinished);
  const Strings files = FilesBelow(kept);
  unfinished.reset();
  EXPECT_EQ(FilesBelow(kept), files);

  auto packed = bench.Build(parameters);
  const fs::path gone = StagingDir(*packed);
  for (const auto& file : FilesBelow(gone)) fs::remove(gone / file);  // as packing moves them
  packed.reset();
  EXPECT_FALSE(fs::exists(gone));
}

TEST(ConvertFileTest, AJobWithoutSourcesIsEmpty) {
  JobBench bench;
  auto job = bench.Build(bench.Parameters({}));
  EXPECT_EQ(job->Identifier(), u"");
  EXPECT_EQ(job->StagingPath(), u"");
  EXPECT_EQ(job->ChapterCount(), 0);
  EXPECT_TRUE(fs::is_empty(bench.staging_root()));
}

TEST(ConvertFileTest, ChapterListIsEditedInPlace) {
  JobBench bench;
  auto job = bench.Build(bench.Parameters({bench.Source("a.txt", "第一回 a=b\n第二回\n第三回")}));
  EXPECT_EQ(job->ChapterTitle(0), u"第一回 a=b");
  job->SetChapterTitle(0, u"New <title>");
  EXPECT_EQ(job->ChapterEntry(0), u"ch_1.html=New <title>");
  job->SetChapterEntry(1, u"ch_3.html=Moved");
  job->DeleteChapter(2);
  EXPECT_EQ(ChaptersOf(*job), (Strings{"ch_1.html=New <title>", "ch_3.html=Moved"}));
  EXPECT_EQ(ErrorOf([&] { job->DeleteChapter(2); }), "List index out of bounds (2)");
  EXPECT_EQ(ErrorOf([&] { job->ChapterTitle(-1); }), "List index out of bounds (-1)");
  EXPECT_EQ(job->ChapterCount(), 2);
}

// --- Failures --------------------------------------------------------------------------

TEST(ConvertFileTest, AMissingSourceFailsAfterTheFixedDocuments) {
  JobBench bench;
  const std::u16string missing = U16((bench.dir() / "missing.txt").string());
  EXPECT_EQ(ErrorOf([&] { bench.Build(bench.Parameters({missing})); }),
            "Cannot open file \"" + U8(missing) + "\". No such file or directory");
  // The partial job's files stay (and so its folders) until the staging root goes.
  ASSERT_EQ(std::distance(fs::directory_iterator(bench.staging_root()), fs::directory_iterator()),
            1);
  const fs::path staging = fs::directory_iterator(bench.staging_root())->path();
  EXPECT_EQ(FilesBelow(staging),
            (Strings{"META-INF/container.xml", "OEBPS/css/main.css", "mimetype"}));
  EXPECT_EQ(bench.ui.calls, Strings{});
}

TEST(ConvertFileTest, AFolderGivenAsSourceFails) {
  JobBench bench;
  fs::create_directory(bench.dir() / "folder.txt");
  const std::string folder = (bench.dir() / "folder.txt").string();
  EXPECT_EQ(ErrorOf([&] { bench.Build(bench.Parameters({U16(folder)})); }),
            "Cannot open file \"" + folder + "\". Is a directory");
}

TEST(ConvertFileTest, ASourceWithoutTextFailsNamingIt) {
  JobBench bench;
  for (const std::string& content :
       {std::string(), std::string(" \r\n\t\r\n"), std::string("\xEF\xBB\xBF"),
        std::string("\xFF\xFE"), std::string("\0text", 5)}) {
    const std::u16string source = bench.Source("empty.txt", content);
    EXPECT_EQ(ErrorOf([&] { bench.Build(bench.Parameters({source})); }),
              "Source file \"" + U8(source) + "\" holds no text.");
  }
  EXPECT_EQ(bench.ui.calls, Strings{});  // no progress window for a source that holds nothing
  const std::u16string blank = bench.Source("blank.txt", "   \r\n");
  EXPECT_EQ(ErrorOf([&] {
              bench.Build(bench.Parameters({bench.Source("good.txt", "x"), blank}));
            }),
            "Source file \"" + U8(blank) + "\" holds no text.");
}

TEST(ConvertFileTest, AMissingStagingRootFailsAtMimetype) {
  JobBench bench;
  bench.environment.staging_root = U16((bench.dir() / "no-root").string());
  const std::string error =
      ErrorOf([&] { bench.Build(bench.Parameters({bench.Source("a.txt", "x")})); });
  EXPECT_TRUE(std::regex_match(
      error, std::regex("Cannot create file \"" + (bench.dir() / "no-root").string() +
                        "/[0-9A-F-]{36}/mimetype\"\\. No such file or directory")))
      << error;
  EXPECT_FALSE(fs::exists(bench.dir() / "no-root"));
}

TEST(ConvertFileTest, AnImmutableStagingRootFails) {
  JobBench bench;
  const std::u16string source = bench.Source("a.txt", "x");
  ASSERT_EQ(RunCommand("chattr +i " + ShellQuote(bench.staging_root().string())), 0);
  const std::string error = ErrorOf([&] { bench.Build(bench.Parameters({source})); });
  RunCommand("chattr -i " + ShellQuote(bench.staging_root().string()));
  EXPECT_TRUE(std::regex_match(error, std::regex("Cannot create file \".*/mimetype\"\\. .+")))
      << error;
  EXPECT_TRUE(fs::is_empty(bench.staging_root()));
}

TEST(ConvertFileTest, APageThatCannotBeWrittenClosesTheProgressWindow) {
  JobBench bench;
  std::string oebps;
  bench.environment.is_chapter_head = [&](std::u16string_view line) {
    // The folder turns read-only while the job runs: the page before this heading fails.
    if (line == u"第二回") {
      oebps = (bench.staging_root() / "*" / "OEBPS").string();
      RunCommand("chattr +i " + oebps);
    }
    return StandInChapterHead(line);
  };
  const std::string error = ErrorOf(
      [&] { bench.Build(bench.Parameters({bench.Source("a.txt", "pre\n第一回\nx\n第二回\ny")})); });
  RunCommand("chattr -i " + oebps);
  EXPECT_TRUE(std::regex_match(error, std::regex("Cannot create file \".*/OEBPS/ch_2\\.html\"\\. "
                                                 "Operation not permitted")))
      << error;
  EXPECT_EQ(bench.ui.calls, (Strings{"ShowProgress", "ShowProgressBar", "SetProgressMaximum 4",
                                     "ProcessMessages", "SetProgressPosition 1", "ProcessMessages",
                                     "HideProgressBar", "CloseProgress"}));
}

TEST(ConvertFileTest, AFailingHeadingTestClosesTheProgressWindowToo) {
  JobBench bench;
  bench.environment.is_chapter_head = [](std::u16string_view) -> bool {
    throw std::runtime_error("rule failed");
  };
  EXPECT_EQ(ErrorOf([&] { bench.Build(bench.Parameters({bench.Source("a.txt", "x")})); }),
            "rule failed");
  ASSERT_GE(bench.ui.calls.size(), 2u);
  EXPECT_EQ(Strings(bench.ui.calls.end() - 2, bench.ui.calls.end()),
            (Strings{"HideProgressBar", "CloseProgress"}));
}

TEST(ConvertFileTest, AFullDiskFailsWithoutAHalfWrittenPage) {
  JobBench bench;
  const fs::path disk = bench.dir() / "disk";
  fs::create_directory(disk);
  ASSERT_EQ(mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=64k"), 0) << strerror(errno);
  bench.environment.staging_root = U16(disk.string());
  std::string text;
  for (int i = 0; i < 40; ++i)
    text += "第" + std::to_string(i) + "回\n" + std::string(5000, 'x') + "\n";
  const std::string error =
      ErrorOf([&] { bench.Build(bench.Parameters({bench.Source("a.txt", text)})); });
  std::smatch match;
  const bool matched = std::regex_match(
      error, match, std::regex("Stream write error in file \"(.*)\"\\. No space left on device"));
  EXPECT_TRUE(matched) << error;
  if (matched) {
    EXPECT_FALSE(fs::exists(match[1].str()));
  }
  EXPECT_EQ(Strings(bench.ui.calls.end() - 2, bench.ui.calls.end()),
            (Strings{"HideProgressBar", "CloseProgress"}));
  umount(disk.c_str());
}

TEST(ConvertFileTest, FailuresLeaveNoFileOpen) {
  auto open_files = [] {
    return std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator());
  };
  JobBench bench;
  fs::create_directory(bench.dir() / "folder.txt");
  const auto before = open_files();
  for (const std::string name : {"missing.txt", "folder.txt", "empty.txt"}) {
    if (name == "empty.txt") bench.Source(name, "  \r\n");
    EXPECT_NE(ErrorOf([&] { bench.Build(bench.Parameters({U16((bench.dir() / name).string())})); }),
              "no error");
  }
  bench.environment.staging_root = U16((bench.dir() / "no-root").string());
  EXPECT_NE(ErrorOf([&] { bench.Build(bench.Parameters({bench.Source("a.txt", "x")})); }),
            "no error");
  EXPECT_EQ(open_files(), before);
}

// --- Hostile input ---------------------------------------------------------------------

TEST(ConvertFileTest, AnyInputGivesWellFormedPages) {
  std::string garbage;
  uint32_t state = 12345;
  for (int i = 0; i < 300000; ++i) {
    state = state * 1103515245 + 12345;
    garbage.push_back(static_cast<char>(state >> 16));
  }
  garbage[0] = 'x';  // not all blank
  std::string utf16 = "\xFF\xFE";
  for (char16_t unit : std::u16string(u"a\xD800z\xDC00\uFFFE\uFFFF\x01\x0B&<>\xD83D\x7F\xDE00")) {
    utf16.push_back(static_cast<char>(unit & 0xFF));
    utf16.push_back(static_cast<char>(unit >> 8));
  }
  std::string long_line;
  while (long_line.size() < 1 << 20) long_line += "第一回长行 ";
  const std::vector<std::string> sources = {
      garbage, "\xEF\xBB\xBFok\r\n\xE7\xAC", std::string("a\x01\x02\x1F\x7F\nb\0c", 10),
      utf16,   long_line + "\n" + long_line, "x\r\n\xC0\xAF\xED\xA0\x80\xF4\x90\x80\x80"};
  for (size_t i = 0; i < sources.size(); ++i) {
    JobBench bench("GB18030");
    JobParameters parameters = bench.Parameters({bench.Source("s.txt", sources[i])});
    parameters.title = u"\x01T&<>\uFFFF";
    auto job = bench.Build(parameters);
    for (const auto& file : FilesBelow(StagingDir(*job) / "OEBPS")) {
      if (file.ends_with(".css")) continue;
      EXPECT_EQ(XmlProblems(StagingDir(*job) / "OEBPS" / file), "")
          << "source " << i << " " << file;
    }
  }
}

TEST(ConvertFileTest, SurrogatesThatMeetAfterADropBecomeOneCharacter) {
  JobBench bench;
  // UTF-16LE: D83D 0001 DE00 (a pair split by a control) and a lone DC00.
  const std::string source("\xFF\xFE\x3D\xD8\x01\x00\x00\xDE\x00\xDC", 10);
  auto job = bench.Build(bench.Parameters({bench.Source("a.txt", source)}));
  EXPECT_EQ(Staged(*job, "OEBPS/ch_1.html"), PageBytes(1, {"<p>\xF0\x9F\x98\x80\xEF\xBF\xBD</p>"}));
}

}  // namespace
}  // namespace quireforge::test
