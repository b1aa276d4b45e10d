// Finishing a built job into its .epub: the navigation file as the chapter list was left,
// the font copy, the archive request that replaces the target wholly, and what is left
// behind when something fails. Books are packed by the real engine and read back with
// unzip and Python's zipfile.
#include <gtest/gtest.h>

#include <filesystem>

#include "BookChecks.h"
#include "FinishBench.h"
#include "conversion/FileErrors.h"

namespace quireforge::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kDejaVu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// A preface, two chapters under real headings, bodies between them.
std::string TwoChapterText() {
  return "Preface line\r\n第一章 Prologue\r\nFirst body\r\n第二章 One\r\nSecond body\r\n";
}

std::string NcxHead(const TConvertFile& job, const std::string& title, const std::string& author) {
  return "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
         "<!DOCTYPE ncx PUBLIC \"-//NISO//DTD ncx 2005-1//EN\" "
         "\"http://www.daisy.org/z3986/2005/ncx-2005-1.dtd\">\r\n"
         "<ncx version=\"2005-1\" xml:lang=\"en-US\" "
         "xmlns=\"http://www.daisy.org/z3986/2005/ncx/\">\r\n"
         "<head>\r\n"
         "<meta name=\"dtb:uid\" content=\"F.F.F." +
         U8(job.Identifier()) +
         "\"/>\r\n"
         "<meta name=\"dtb:depth\" content=\"1\"/>\r\n"
         "<meta name=\"dtb:totalPageCount\" content=\"0\"/>\r\n"
         "<meta name=\"dtb:maxPageNumber\" content=\"0\"/>\r\n"
         "</head>\r\n"
         "<docTitle><text>" +
         title + "</text></docTitle>\r\n<docAuthor><text>" + author +
         "</text></docAuthor>\r\n<navMap>\r\n";
}

std::string NavPoint(int number, const std::string& label, const std::string& page) {
  const std::string n = std::to_string(number);
  return "<navPoint id=\"navPoint-" + n + "\" playOrder=\"" + n + "\">\r\n<navLabel><text>" +
         label + "</text></navLabel>\r\n<content src=\"" + page + "#\"/></navPoint>\r\n";
}

constexpr const char* kNcxTail = "</navMap>\r\n</ncx>\r\n";

TEST(FinishBookTest, NavigationPointsFollowTheChapterListAsEdited) {
  FinishBench bench;
  auto job = bench.Build(bench.Parameters({bench.Source("novel.txt", TwoChapterText())}));
  ASSERT_EQ(job->ChapterCount(), 2);
  EXPECT_EQ(U8(job->ChapterEntry(0)), "ch_2.html=第一章 Prologue");
  // The user renames the first chapter and moves the second to the top.
  job->SetChapterTitle(0, u"Prologue");
  const std::u16string second = job->ChapterEntry(1);
  job->SetChapterEntry(1, job->ChapterEntry(0));
  job->SetChapterEntry(0, second);

  ASSERT_TRUE(job->FinishBook(bench.archiver));
  EXPECT_EQ(EntryBytes(bench.target(), "OEBPS/toc.ncx"),
            NcxHead(*job, "Book", "Author") + NavPoint(1, "第二章 One", "ch_3.html") +
                NavPoint(2, "Prologue", "ch_2.html") + kNcxTail);
  // The navigation file's uid is the package identifier.
  const std::string opf = EntryBytes(bench.target(), "OEBPS/book.opf");
  EXPECT_NE(opf.find(">F.F.F." + U8(job->Identifier()) + "</dc:identifier>"), std::string::npos);
  EXPECT_EQ(ZipProblems(bench.target()), "");
}

TEST(FinishBookTest, TitleAuthorAndLabelsAreEscapedAndControlCharactersDropped) {
  FinishBench bench;
  JobParameters parameters =
      bench.Parameters({bench.Source("novel.txt", "x\r\n第一章 a<b>&c\x01\x1F\tz\r\nbody\r\n")});
  parameters.title = u"Tom & Jerry <2>\u0007";
  parameters.author = u"A&B";
  auto job = bench.Build(parameters);
  ASSERT_TRUE(job->FinishBook(bench.archiver));
  EXPECT_EQ(EntryBytes(bench.target(), "OEBPS/toc.ncx"),
            NcxHead(*job, "Tom &amp; Jerry &lt;2&gt;", "A&amp;B") +
                NavPoint(1, "第一章 a&lt;b&gt;&amp;c\tz", "ch_2.html") + kNcxTail);
}

TEST(FinishBookTest, AnEmptyChapterListGivesOnePointToTheStartLabelledWithTheTitle) {
  FinishBench bench;
  JobParameters parameters = bench.Parameters({bench.Source("plain.txt", "Just text.\r\n")});
  parameters.title = u"A & B";
  auto job = bench.Build(parameters);
  ASSERT_EQ(job->ChapterCount(), 0);
  ASSERT_TRUE(job->FinishBook(bench.archiver));
  EXPECT_EQ(
      EntryBytes(bench.target(), "OEBPS/toc.ncx"),
      NcxHead(*job, "A &amp; B", "Author") + NavPoint(1, "A &amp; B", "ch_1.html") + kNcxTail);
}

TEST(FinishBookTest, WithoutAFontNoFontFileIsPackedAndTheStyleSheetIsUntouched) {
  FinishBench bench;
  auto job = bench.Build(bench.Parameters({bench.Source("novel.txt", TwoChapterText())}));
  const std::string css = ReadFile(StagingOf(*job) / "OEBPS/css/main.css");
  ASSERT_TRUE(job->FinishBook(bench.archiver));
  const std::vector<std::string> names = EntryNames(bench.target());
  EXPECT_EQ(std::count(names.begin(), names.end(), "OEBPS/font.ttf"), 0);
  EXPECT_EQ(EntryBytes(bench.target(), "OEBPS/css/main.css"), css);
  // Every staged file was moved into the book; no entry is missing.
  for (const char* entry :
       {"mimetype", "META-INF/container.xml", "OEBPS/book.opf", "OEBPS/toc.ncx",
        "OEBPS/css/main.css", "OEBPS/ch_1.html", "OEBPS/ch_2.html", "OEBPS/ch_3.html"}) {
    EXPECT_EQ(std::count(names.begin(), names.end(), entry), 1) << entry;
  }
}

TEST(FinishBookTest, AFontIsCopiedIntoTheBook) {
  FinishBench bench;
  JobParameters parameters = bench.Parameters({bench.Source("novel.txt", TwoChapterText())});
  parameters.options.font = U16(kDejaVu);
  auto job = bench.Build(parameters);
  // An older font.ttf in the tree is replaced.
  WriteFile(StagingOf(*job) / "OEBPS/font.ttf", "stale");
  ASSERT_TRUE(job->FinishBook(bench.archiver));
  EXPECT_EQ(EntryBytes(bench.target(), "OEBPS/font.ttf"), ReadFile(kDejaVu));
}

// A font that cannot be copied stops finishing before the archive request: the error names
// the font and the reason, and nothing is packed.
void ExpectFontFailure(const std::string& font, const std::string& reason) {
  FinishBench bench;
  JobParameters parameters = bench.Parameters({bench.Source("novel.txt", TwoChapterText())});
  parameters.options.font = U16(font);
  auto job = bench.Build(parameters);
  EXPECT_EQ(ErrorOf<FileError>([&] { job->FinishBook(bench.archiver); }),
            "Cannot copy font file \"" + font + "\". " + reason);
  EXPECT_FALSE(fs::exists(bench.target()));
  EXPECT_FALSE(fs::exists(StagingOf(*job) / "OEBPS/font.ttf"));
  EXPECT_FALSE(fs::exists(StagingOf(*job) / "OEBPS/toc.ncx"));
  EXPECT_TRUE(fs::exists(StagingOf(*job) / "OEBPS/book.opf"));
  EXPECT_TRUE(bench.ui.CallsStartingWith("ShowArchive").empty());
  EXPECT_TRUE(bench.archiver.FSpecArgs().empty());
}

TEST(FinishBookTest, AMissingFontFailsFinishingWithItsName) {
  FinishBench bench;
  ExpectFontFailure((bench.dir() / "missing.ttf").string(), "No such file or directory");
}

TEST(FinishBookTest, AFolderGivenAsFontFailsFinishingWithItsName) {
  FinishBench bench;
  ExpectFontFailure(bench.dir().string(), "Is a directory");
}

TEST(FinishBookTest, AFontThatDoesNotFitOnTheDiskLeavesNoTruncatedCopy) {
  FinishBench bench;
  const fs::path small = bench.dir() / "small";
  fs::create_directory(small);
  ASSERT_EQ(RunCommand("mount -t tmpfs -o size=64k tmpfs " + ShellQuote(small.string())), 0);
  fs::create_directory(small / "QuireforgeTmp");
  bench.UseStagingRoot(small / "QuireforgeTmp");
  JobParameters parameters = bench.Parameters({bench.Source("novel.txt", TwoChapterText())});
  parameters.options.font = U16(kDejaVu);
  {
    // The job stages on the small disk, where the font (about 700 KB) does not fit.
    auto job = bench.Build(parameters);
    EXPECT_EQ(ErrorOf<FileError>([&] { job->FinishBook(bench.archiver); }),
              std::string("Cannot copy font file \"") + kDejaVu + "\". No space left on device");
    EXPECT_FALSE(fs::exists(StagingOf(*job) / "OEBPS/font.ttf"));
    EXPECT_FALSE(fs::exists(bench.target()));
  }
  RunCommand("umount " + ShellQuote(small.string()));
}

TEST(FinishBookTest, ANavigationFileThatCannotBeWrittenStopsBeforePacking) {
  FinishBench bench;
  auto job = bench.Build(bench.Parameters({bench.Source("novel.txt", TwoChapterText())}));
  fs::create_directory(StagingOf(*job) / "OEBPS/toc.ncx");
  EXPECT_THROW(job->FinishBook(bench.archiver), FileError);
  EXPECT_FALSE(fs::exists(bench.target()));
  EXPECT_TRUE(fs::exists(StagingOf(*job) / "OEBPS/book.opf"));
  fs::remove(StagingOf(*job) / "OEBPS/toc.ncx");
}

TEST(FinishBookTest, AnEpub3BookGetsANavigationDocumentFromTheChapterListAsEdited) {
  FinishBench bench;
  JobParameters parameters = bench.Parameters(
      {bench.Source("novel.txt", TwoChapterText() + "第三章 Two\r\nThird body\r\n")});
  parameters.options.epub3 = true;
  auto job = bench.Build(parameters);
  ASSERT_EQ(job->ChapterCount(), 3);
  // The user renames the first chapter, moves the second to the top, deletes the third.
  job->SetChapterTitle(0, u"Prologue & more");
  const std::u16string second = job->ChapterEntry(1);
  job->SetChapterEntry(1, job->ChapterEntry(0));
  job->SetChapterEntry(0, second);
  job->DeleteChapter(2);

  ASSERT_TRUE(job->FinishBook(bench.archiver));
  const std::string nav = EntryBytes(bench.target(), "OEBPS/nav.xhtml");
  EXPECT_NE(nav.find("<ol>\r\n<li><a href=\"ch_3.xhtml\">第二章 One</a></li>\r\n"
                     "<li><a href=\"ch_2.xhtml\">Prologue &amp; more</a></li>\r\n</ol>\r\n"),
            std::string::npos)
      << nav;
  EXPECT_EQ(nav.find("第三章"), std::string::npos);
  // The older readers' table of contents follows the same list, with the same identifier as
  // the package.
  const std::string ncx = EntryBytes(bench.target(), "OEBPS/toc.ncx");
  EXPECT_NE(ncx.find("<content src=\"ch_3.xhtml#\"/></navPoint>\r\n<navPoint id=\"navPoint-2\""),
            std::string::npos)
      << ncx;
  std::string urn = "urn:uuid:" + U8(job->Identifier());
  for (char& c : urn) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_NE(ncx.find("<meta name=\"dtb:uid\" content=\"" + urn + "\"/>"), std::string::npos);
  EXPECT_NE(EntryBytes(bench.target(), "OEBPS/book.opf").find(">" + urn + "</dc:identifier>"),
            std::string::npos);
  EXPECT_EQ(ncx.find("<!DOCTYPE"), std::string::npos);
  EXPECT_EQ(ZipProblems(bench.target()), "");
}

TEST(FinishBookTest, ANavigationDocumentThatCannotBeWrittenStopsBeforePacking) {
  FinishBench bench;
  JobParameters parameters = bench.Parameters({bench.Source("novel.txt", TwoChapterText())});
  parameters.options.epub3 = true;
  auto job = bench.Build(parameters);
  fs::create_directory(StagingOf(*job) / "OEBPS/nav.xhtml");
  try {
    job->FinishBook(bench.archiver);
    ADD_FAILURE() << "finishing went on";
  } catch (const FileError& error) {
    EXPECT_EQ(std::string(error.what())
                  .rfind("Cannot create file \"" + (StagingOf(*job) / "OEBPS/nav.xhtml").string() +
                             "\". ",
                         0),
              0u)
        << error.what();
  }
  EXPECT_FALSE(fs::exists(bench.target()));
  EXPECT_TRUE(fs::exists(StagingOf(*job) / "OEBPS/book.opf"));
  fs::remove(StagingOf(*job) / "OEBPS/nav.xhtml");
}

TEST(FinishBookTest, AJobWithoutPackageDocumentDoesNothing) {
  FinishBench bench;
  auto job = bench.Build(bench.Parameters({bench.Source("novel.txt", TwoChapterText())}));
  fs::remove(StagingOf(*job) / "OEBPS/book.opf");
  EXPECT_FALSE(job->FinishBook(bench.archiver));
  EXPECT_FALSE(fs::exists(StagingOf(*job) / "OEBPS/toc.ncx"));
  EXPECT_FALSE(fs::exists(bench.target()));
  EXPECT_TRUE(bench.archiver.FSpecArgs().empty());
  EXPECT_TRUE(bench.ui.CallsStartingWith("SetWaitCursor").empty());
}

TEST(FinishBookTest, AJobWithoutSourcesDoesNothing) {
  FinishBench bench;
  auto job = bench.Build(bench.Parameters({}));
  EXPECT_FALSE(job->FinishBook(bench.archiver));
  EXPECT_FALSE(fs::exists(bench.target()));
  EXPECT_TRUE(bench.archiver.FSpecArgs().empty());
}

TEST(FinishBookTest, ASecondFinishDoesNothingAndLeavesTheBookAlone) {
  FinishBench bench;
  auto job = bench.Build(bench.Parameters({bench.Source("novel.txt", TwoChapterText())}));
  ASSERT_TRUE(job->FinishBook(bench.archiver));
  const std::string book = ReadFile(bench.target());
  const size_t calls = bench.ui.calls.size();
  EXPECT_FALSE(job->FinishBook(bench.archiver));
  EXPECT_EQ(ReadFile(bench.target()), book);
  EXPECT_EQ(bench.ui.calls.size(), calls);
  // Nothing of the job is left once it is gone.
  job.reset();
  EXPECT_EQ(EverythingBelow(bench.staging_root()), std::vector<std::string>());
}

TEST(FinishBookTest, AMissingTargetFolderIsReportedOnceAndTheStagedFilesStay) {
  FinishBench bench;
  JobParameters parameters = bench.Parameters({bench.Source("novel.txt", TwoChapterText())});
  const fs::path folder = bench.dir() / "no such folder";
  parameters.target_path = U16((folder / "book.epub").string());
  auto job = bench.Build(parameters);
  EXPECT_FALSE(job->FinishBook(bench.archiver));
  EXPECT_EQ(bench.ui.CallsStartingWith("ShowArchive"),
            std::vector<std::string>{"ShowArchiveError Destination directory '" + folder.string() +
                                     "/' must exist!"});
  EXPECT_FALSE(fs::exists(folder));
  for (const char* staged : {"mimetype", "OEBPS/book.opf", "OEBPS/toc.ncx", "OEBPS/ch_1.html"}) {
    EXPECT_TRUE(fs::exists(StagingOf(*job) / staged)) << staged;
  }
}

TEST(FinishBookTest, AReadOnlyTargetKeepsTheOlderBook) {
  FinishBench bench;
  WriteFile(bench.target(), "older book");
  ASSERT_EQ(RunCommand("chattr +i " + ShellQuote(bench.target().string())), 0);
  auto job = bench.Build(bench.Parameters({bench.Source("novel.txt", TwoChapterText())}));
  EXPECT_FALSE(job->FinishBook(bench.archiver));
  RunCommand("chattr -i " + ShellQuote(bench.target().string()));
  EXPECT_EQ(ReadFile(bench.target()), "older book");
  const auto errors = bench.ui.CallsStartingWith("ShowArchiveError Cannot write to ");
  EXPECT_EQ(errors.size(), 1u);
}

TEST(FinishBookTest, ANewBookReplacesAnOlderLongerOneWholly) {
  FinishBench bench;
  std::string longer = "Preface\r\n";
  for (const char* numeral : {"一", "二", "三", "四", "五", "六", "七", "八", "九", "十"}) {
    longer += std::string("第") + numeral + "章\r\nBody\r\n";
  }
  auto first = bench.Build(bench.Parameters({bench.Source("long.txt", longer)}));
  ASSERT_TRUE(first->FinishBook(bench.archiver));
  ASSERT_EQ(EntryBytes(bench.target(), "OEBPS/ch_11.html").empty(), false);

  auto second = bench.Build(bench.Parameters({bench.Source("short.txt", TwoChapterText())}));
  ASSERT_TRUE(second->FinishBook(bench.archiver));
  std::vector<std::string> names = EntryNames(bench.target());
  std::vector<std::string> files;
  for (const std::string& name : names) {
    if (name.back() != '/') files.push_back(name);
  }
  std::sort(files.begin(), files.end());
  // The second book's own files, its drawn cover among them; none of the first's pages.
  EXPECT_EQ(files, (std::vector<std::string>{
                       "META-INF/container.xml", "OEBPS/book.opf", "OEBPS/ch_1.html",
                       "OEBPS/ch_2.html", "OEBPS/ch_3.html", "OEBPS/cover.html", "OEBPS/cover.png",
                       "OEBPS/css/main.css", "OEBPS/toc.ncx", "mimetype"}));
  EXPECT_NE(EntryBytes(bench.target(), "OEBPS/book.opf").find(U8(second->Identifier())),
            std::string::npos);
  EXPECT_EQ(ZipProblems(bench.target()), "");
}

}  // namespace
}  // namespace quireforge::test
