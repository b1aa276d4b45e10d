// The staged pages and package document pass the EPUB validator once a navigation file is
// added and the tree is zipped (finishing does both for real; here the test does them).
#include <gtest/gtest.h>

#include "ConversionTestSupport.h"

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

// Zips the staging tree the way finishing does (mimetype first, stored) and validates it.
std::string Validate(const TConvertFile& job, const fs::path& epub) {
  const std::string dir = ShellQuote(StagingDir(job).string());
  const std::string target = ShellQuote(epub.string());
  EXPECT_EQ(RunCommand("cd " + dir + " && zip -X0q " + target + " mimetype && zip -X9rq " + target +
                       " META-INF OEBPS"),
            0);
  std::string output;
  RunCommand("java -jar /usr/bin/epubcheck " + target, &output);
  return output;
}

JobParameters NovelJob(JobBench& bench) {
  const std::string novel = ReadFile(fs::path(QF_CORPUS_DIR) / "三国演义.txt");
  JobParameters parameters =
      bench.Parameters({bench.Source("novel.txt", novel.substr(0, 300000) + "\r\n<&>\x01")});
  parameters.title = u"三国 & <演义>";
  return parameters;
}

TEST(EpubCheckTest, WithAFontTheBookHasNoErrorAndNoWarning) {
  JobBench bench;
  JobParameters parameters = NovelJob(bench);
  parameters.options.font = u"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
  auto job = bench.Build(parameters);
  ASSERT_GT(job->ChapterCount(), 3);
  AddNavigationFile(*job);
  fs::copy_file(U8(parameters.options.font), StagingDir(*job) / "OEBPS/font.ttf");
  const std::string output = Validate(*job, bench.dir() / "book.epub");
  EXPECT_NE(output.find("No errors or warnings detected"), std::string::npos) << output;
}

TEST(EpubCheckTest, WithoutAFontOnlyTheDeviceFontLineIsReported) {
  JobBench bench;
  auto job = bench.Build(NovelJob(bench));
  AddNavigationFile(*job);
  const std::string output = Validate(*job, bench.dir() / "book.epub");
  std::istringstream lines(output);
  int errors = 0;
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("ERROR", 0) == 0 || line.rfind("WARNING", 0) == 0) {
      ++errors;
      EXPECT_TRUE(line.find("RSC-006") != std::string::npos ||
                  line.find("OPF-014") != std::string::npos)
          << line;
    }
  }
  EXPECT_GT(errors, 0) << output;
}

}  // namespace
}  // namespace quireforge::test
