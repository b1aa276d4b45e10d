// What a job stages for an EPUB 3 book: XHTML5 pages named .xhtml, the package document of
// version 3.0 with its identifier, modification date and the properties of its items, and the
// cover page. Real sources and pictures in a private folder, the staged tree read back.
#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <regex>

#include "ConversionTestSupport.h"
#include "conversion/ConvertFile.h"
#include "conversion/PackageDocuments.h"

namespace quireforge::test {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

// The lines of a staged file without its byte-order mark, without their CR LF.
Strings LinesOf(const std::string& bytes) {
  std::string text = bytes.rfind("\xEF\xBB\xBF", 0) == 0 ? bytes.substr(3) : bytes;
  Strings lines;
  for (size_t start = 0; start < text.size();) {
    const size_t end = text.find("\r\n", start);
    EXPECT_NE(end, std::string::npos) << "a line without CR LF";
    if (end == std::string::npos) break;
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

std::string Xhtml5Page(int number, const Strings& paragraphs) {
  Strings lines = {
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>",
      "<!DOCTYPE html>",
      "<html xmlns=\"http://www.w3.org/1999/xhtml\">",
      "<head>",
      "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\" />",
      "<title>" + std::to_string(number) + "</title>",
      "<link rel=\"stylesheet\" type=\"text/css\" href=\"css/main.css\" />",
      "</head>",
      "<body>",
  };
  lines.insert(lines.end(), paragraphs.begin(), paragraphs.end());
  lines.push_back("</body>");
  lines.push_back("</html>");
  return CrLfLines(lines, true);
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

TEST(Epub3Test, PagesAreXhtml5NamedXhtmlAndThePackageIsVersion3) {
  JobBench bench;
  JobParameters parameters = bench.Parameters(
      {bench.Source("novel.txt", "Preface & <more>\r\n第一章 One\r\nbody\r\n第二章 Two\r\n")});
  parameters.options.epub3 = true;
  parameters.author = u"";
  const std::time_t before = std::time(nullptr);
  auto job = bench.Build(parameters);
  const std::time_t after = std::time(nullptr);

  EXPECT_EQ(FilesBelow(StagingDir(*job)),
            (Strings{"META-INF/container.xml", "OEBPS/book.opf", "OEBPS/ch_1.xhtml",
                     "OEBPS/ch_2.xhtml", "OEBPS/ch_3.xhtml", "OEBPS/css/main.css", "mimetype"}));
  // The chapter list names the pages as they are called.
  EXPECT_EQ(U8(job->ChapterEntry(0)), "ch_2.xhtml=第一章 One");
  EXPECT_EQ(U8(job->ChapterEntry(1)), "ch_3.xhtml=第二章 Two");
  EXPECT_EQ(Staged(*job, "OEBPS/ch_1.xhtml"), Xhtml5Page(1, {"<p>Preface &amp; &lt;more&gt;</p>"}));
  EXPECT_EQ(Staged(*job, "OEBPS/ch_2.xhtml"), Xhtml5Page(2, {"<p>第一章 One</p>", "<p>body</p>"}));

  const Strings opf = LinesOf(Staged(*job, "OEBPS/book.opf"));
  ASSERT_EQ(opf.size(), 22u) << ::testing::PrintToString(opf);
  EXPECT_EQ(opf[1],
            "<package version=\"3.0\" unique-identifier=\"PrimaryID\" "
            "xmlns=\"http://www.idpf.org/2007/opf\">");
  EXPECT_EQ(opf[3], "<dc:title>Book</dc:title>");
  // The job's identifier as a urn:uuid, in lower case.
  EXPECT_EQ(opf[4], "<dc:identifier id=\"PrimaryID\">urn:uuid:" + Lower(U8(job->Identifier())) +
                        "</dc:identifier>");
  EXPECT_EQ(opf[5], "<dc:language>en</dc:language>");
  // No dc:creator for an empty author; the modification date is the time of the build.
  std::smatch date;
  ASSERT_TRUE(
      std::regex_match(opf[6], date, std::regex("<meta property=\"dcterms:modified\">(.*)</meta>")))
      << opf[6];
  EXPECT_TRUE(date[1] == U8(ModificationDate(before)) || date[1] == U8(ModificationDate(after)))
      << date[1];
  EXPECT_EQ(Strings(opf.begin() + 7, opf.end()),
            (Strings{
                "</metadata>",
                "<manifest>",
                "<item id=\"main-css\" href=\"css/main.css\" media-type=\"text/css\"/>",
                "<item id=\"ncx\"  href=\"toc.ncx\" media-type=\"application/x-dtbncx+xml\"/>",
                "<item id=\"nav\" href=\"nav.xhtml\" media-type=\"application/xhtml+xml\" "
                "properties=\"nav\"/>",
                "<item id=\"chapter1\" href=\"ch_1.xhtml\" media-type=\"application/xhtml+xml\"/>",
                "<item id=\"chapter2\" href=\"ch_2.xhtml\" media-type=\"application/xhtml+xml\"/>",
                "<item id=\"chapter3\" href=\"ch_3.xhtml\" media-type=\"application/xhtml+xml\"/>",
                "</manifest>",
                "<spine toc=\"ncx\">",
                "<itemref idref=\"chapter1\" />",
                "<itemref idref=\"chapter2\" />",
                "<itemref idref=\"chapter3\" />",
                "</spine>",
                "</package>",
            }));
  // An author is written as in EPUB 2.
  parameters.author = u"A & B";
  EXPECT_EQ(LinesOf(Staged(*bench.Build(parameters), "OEBPS/book.opf"))[6],
            "<dc:creator>A &amp; B</dc:creator>");
}

TEST(Epub3Test, TheCoverAndTheFontCarryTheirEpub3Forms) {
  JobBench bench;
  const fs::path png = bench.dir() / "cover.png";
  ASSERT_EQ(RunCommand("convert -size 30x40 xc:pink " + ShellQuote(png.string())), 0);
  JobParameters parameters = bench.Parameters({bench.Source("a.txt", "text\r\n")});
  parameters.options.epub3 = true;
  parameters.options.cover = U16(png.string());
  parameters.options.font = u"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
  parameters.options.language = u"zh-Hant";
  auto job = bench.Build(parameters);

  const std::string opf = Staged(*job, "OEBPS/book.opf");
  for (const char* line : {
           "<dc:language>zh-Hant</dc:language>\r\n",
           "<meta name=\"cover\" content=\"cover-image\"/>\r\n</metadata>\r\n",
           "<item id=\"nav\" href=\"nav.xhtml\" media-type=\"application/xhtml+xml\" "
           "properties=\"nav\"/>\r\n"
           "<item id=\"font\" href=\"font.ttf\" media-type=\"font/ttf\"/>\r\n"
           "<item id=\"cover-image\" href=\"cover.png\" media-type=\"image/png\" "
           "properties=\"cover-image\"/>\r\n"
           "<item id=\"cover\" href=\"cover.xhtml\" media-type=\"application/xhtml+xml\" "
           "properties=\"svg\"/>\r\n"
           "<item id=\"chapter1\" href=\"ch_1.xhtml\" media-type=\"application/xhtml+xml\"/>\r\n",
           "<spine toc=\"ncx\">\r\n<itemref idref=\"cover\" />\r\n<itemref idref=\"chapter1\" "
           "/>\r\n",
           "<guide>\r\n<reference type=\"cover\" title=\"Cover\" href=\"cover.xhtml\"/>\r\n"
           "</guide>\r\n</package>\r\n",
       }) {
    EXPECT_NE(opf.find(line), std::string::npos) << line << "\n" << opf;
  }
  EXPECT_EQ(opf.find("application/x-font-ttf"), std::string::npos);
  EXPECT_EQ(Staged(*job, "OEBPS/cover.png"), ReadFile(png));
  EXPECT_FALSE(fs::exists(StagingDir(*job) / "OEBPS/cover.html"));
  const Strings cover = LinesOf(Staged(*job, "OEBPS/cover.xhtml"));
  ASSERT_GT(cover.size(), 5u);
  EXPECT_EQ(cover[1], "<!DOCTYPE html>");
  EXPECT_EQ(cover[5], "<title>Book</title>");
  EXPECT_EQ(XmlProblems(StagingDir(*job) / "OEBPS/cover.xhtml"), "");
}

TEST(Epub3Test, TheModificationDateIsUtcToTheSecond) {
  EXPECT_EQ(U8(ModificationDate(0)), "1970-01-01T00:00:00Z");
  EXPECT_EQ(U8(ModificationDate(1700000000)), "2023-11-14T22:13:20Z");
}

}  // namespace
}  // namespace quireforge::test
