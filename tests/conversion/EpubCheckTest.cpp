// The staged pages and package document pass the EPUB validator once a navigation file is
// added and the tree is zipped (finishing does both for real; here the test does them).
#include <gtest/gtest.h>

#include "ConversionTestSupport.h"
#include "EpubCheck.h"

namespace quireforge::test {
namespace {

namespace fs = std::filesystem;

void AddNavigationFile(const TConvertFile& job) {
  WriteFile(StagingDir(job) / "OEBPS/toc.ncx",
            CrLfLines({"<?xml version=\"1.0\" encoding=\"UTF-8\"?>",
                       "<!DOCTYPE ncx PUBLIC \"-//NISO//DTD ncx 2005-1//EN\" "
                       "\"http://www.daisy.org/z3986/2005/ncx-2005-1.dtd\">",
                       "<ncx xmlns=\"http://www.daisy.org/z3986/2005/ncx/\" version=\"2005-1\">",
                       "<head>",
                       "<meta name=\"dtb:uid\" content=\"F.F.F." + U8(job.Identifier()) + "\"/>",
                       "<meta name=\"dtb:depth\" content=\"1\"/>",
                       "<meta name=\"dtb:totalPageCount\" content=\"0\"/>",
                       "<meta name=\"dtb:maxPageNumber\" content=\"0\"/>", "</head>",
                       "<docTitle><text>Book</text></docTitle>",
                       "<navMap><navPoint id=\"navPoint-1\" playOrder=\"1\">"
                       "<navLabel><text>Book</text></navLabel><content src=\"ch_1.html\"/>"
                       "</navPoint></navMap>",
                       "</ncx>"},
                      false));
}

// Zips the staging tree the way finishing does (mimetype first, stored).
void Zip(const TConvertFile& job, const fs::path& epub) {
  const std::string dir = ShellQuote(StagingDir(job).string());
  const std::string target = ShellQuote(epub.string());
  EXPECT_EQ(RunCommand("cd " + dir + " && zip -X0q " + target + " mimetype && zip -X9rq " + target +
                       " META-INF OEBPS"),
            0);
}

JobParameters NovelJob(JobBench& bench) {
  const std::string novel = ReadFile(fs::path(QF_CORPUS_DIR) / "三国演义.txt");
  JobParameters parameters =
      bench.Parameters({bench.Source("novel.txt", novel.substr(0, 300000) + "\r\n<&>\x01")});
  parameters.title = u"三国 & <演义>";
  return parameters;
}

// With a font the classic book has no error and no warning; without one only the style sheet's
// device-font line is reported. Both validated by one validator.
TEST(EpubCheckTest, OnlyTheDeviceFontLineIsReportedAndOnlyWithoutAFont) {
  JobBench with_font;
  JobParameters parameters = NovelJob(with_font);
  parameters.options.font = u"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
  auto job = with_font.Build(parameters);
  ASSERT_GT(job->ChapterCount(), 3);
  AddNavigationFile(*job);
  fs::copy_file(U8(parameters.options.font), StagingDir(*job) / "OEBPS/font.ttf");
  Zip(*job, with_font.dir() / "book.epub");

  JobBench without_font;
  auto plain = without_font.Build(NovelJob(without_font));
  AddNavigationFile(*plain);
  Zip(*plain, without_font.dir() / "book.epub");

  const std::vector<std::vector<std::string>> problems = EpubCheckProblemsOf(
      {{with_font.dir() / "book.epub", false}, {without_font.dir() / "book.epub", true}});
  EXPECT_EQ(problems[0], std::vector<std::string>());
  EXPECT_EQ(problems[1], std::vector<std::string>());
}

}  // namespace
}  // namespace quireforge::test
