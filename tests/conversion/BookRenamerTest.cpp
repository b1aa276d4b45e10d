// A built book renamed before it is packed: its staged book.opf must read exactly as that of
// a book built with the new names from the start, whatever the names and the EPUB version.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "ConversionTestSupport.h"
#include "conversion/CoverDrawing.h"

namespace quireforge::test {
namespace {

// book.opf without the lines that differ from job to job (identifier and modification time).
std::string ComparablePackage(const TConvertFile& job) {
  std::istringstream lines(Staged(job, "OEBPS/book.opf"));
  std::string kept, line;
  while (std::getline(lines, line)) {
    if (line.find("<dc:identifier") != std::string::npos) continue;
    if (line.find("dcterms:modified") != std::string::npos) continue;
    kept += line + "\n";
  }
  return kept;
}

TEST(BookRenamerTest, TheStagedPackageReadsAsIfBuiltWithTheNewNames) {
  struct Case {
    bool epub3;
    std::u16string old_author, new_title, new_author;
  };
  for (const Case& c :
       {Case{false, u"Someone", u"New & <co>", u""}, Case{true, u"Someone", u"New", u""},
        Case{true, u"", u"新书", u"A<B"}, Case{false, u"", u"New", u"Me"}}) {
    SCOPED_TRACE(U8(c.new_title) + " / " + U8(c.new_author) + (c.epub3 ? " (EPUB 3)" : ""));
    JobBench bench;
    JobParameters parameters = bench.Parameters({bench.Source("a.txt", "第1章 一\r\ntext\r\n")});
    parameters.options.epub3 = c.epub3;
    parameters.title = u"Old";
    parameters.author = c.old_author;
    auto renamed = bench.Build(parameters);
    const std::u16string target = U16((bench.dir() / "new.epub").string());
    renamed->Rename(target, c.new_title, c.new_author);

    parameters.title = c.new_title;
    parameters.author = c.new_author;
    auto built = bench.Build(parameters);
    EXPECT_EQ(ComparablePackage(*renamed), ComparablePackage(*built));
    EXPECT_EQ(renamed->TargetPath(), target);
    EXPECT_EQ(renamed->Title(), c.new_title);
    EXPECT_EQ(renamed->Author(), c.new_author);
    EXPECT_EQ(XmlProblems(StagingDir(*renamed) / "OEBPS/book.opf"), "");
  }
}

}  // namespace
}  // namespace quireforge::test

namespace quireforge::test {
namespace {

TEST(BookRenamerTest, ADrawnCoverIsDrawnAgainWithTheNewNames) {
  JobBench bench;
  JobParameters parameters = bench.Parameters({bench.Source("book.txt", "正文\r\n")});
  parameters.options = BookOptions{};
  parameters.title = u"西游记";
  parameters.author = u"吴承恩";
  const auto job = bench.Build(parameters);
  ASSERT_EQ(Staged(*job, "OEBPS/cover.png"), DrawCover(u"西游记", u"吴承恩")->image.bytes);
  job->Rename(job->TargetPath(), u"水浒传", u"施耐庵");
  EXPECT_EQ(Staged(*job, "OEBPS/cover.png"), DrawCover(u"水浒传", u"施耐庵")->image.bytes);
  EXPECT_NE(Staged(*job, "OEBPS/cover.html").find("<title>水浒传</title>"), std::string::npos);
}

}  // namespace
}  // namespace quireforge::test
