// The navigation file's and the EPUB 3 navigation document's lines for chapter lists the window
// can leave behind: entries the user edited by hand, and page names that would break the
// attribute they stand in; volumes nested, and the forms an EPUB 3 book asks for.
#include <gtest/gtest.h>

#include <algorithm>

#include "TestSupport.h"
#include "conversion/NavigationDocument.h"
#include "conversion/NavigationFile.h"

namespace quireforge::test {
namespace {

std::vector<std::string> Lines(const std::vector<std::u16string>& chapters) {
  std::vector<std::string> lines;
  for (const auto& line : NavigationLines({u"0A1B2C3D-0000-4000-8000-00000000000F",
                                           u"T",
                                           u"A",
                                           &chapters,
                                           nullptr,
                                           u"",
                                           false,
                                           {},
                                           false})) {
    lines.push_back(U8(line));
  }
  return lines;
}

TEST(NavigationFileTest, TheTitleOfAnEntryIsEverythingAfterItsFirstEqualsSign) {
  const auto lines = Lines({u"ch_2.html=a=b", u"ch_3.html="});
  ASSERT_EQ(lines.size(), 12u + 6u + 2u);
  EXPECT_EQ(lines[4],
            "<meta name=\"dtb:uid\" content=\"F.F.F.0A1B2C3D-0000-4000-8000-00000000000F\"/>");
  EXPECT_EQ(lines[12], "<navPoint id=\"navPoint-1\" playOrder=\"1\">");
  EXPECT_EQ(lines[13], "<navLabel><text>a=b</text></navLabel>");
  EXPECT_EQ(lines[14], "<content src=\"ch_2.html#\"/></navPoint>");
  EXPECT_EQ(lines[15], "<navPoint id=\"navPoint-2\" playOrder=\"2\">");
  EXPECT_EQ(lines[16], "<navLabel><text></text></navLabel>");
  EXPECT_EQ(lines[17], "<content src=\"ch_3.html#\"/></navPoint>");
  EXPECT_EQ(lines[18], "</navMap>");
  EXPECT_EQ(lines[19], "</ncx>");
}

TEST(NavigationFileTest, APageNameStaysInsideItsAttribute) {
  const auto lines = Lines({u"x\"&<.html", u"ch_4.html=\"quoted\""});
  EXPECT_EQ(lines[13], "<navLabel><text></text></navLabel>");
  EXPECT_EQ(lines[14], "<content src=\"x&quot;&amp;&lt;.html#\"/></navPoint>");
  EXPECT_EQ(lines[16], "<navLabel><text>\"quoted\"</text></navLabel>");
}

std::vector<std::string> LinesWithVolumes(const std::vector<std::u16string>& chapters,
                                          const std::vector<VolumeEntry>& volumes,
                                          std::u16string_view language = u"") {
  std::vector<std::string> lines;
  for (const auto& line : NavigationLines({u"0A1B2C3D-0000-4000-8000-00000000000F",
                                           u"T",
                                           u"A",
                                           &chapters,
                                           &volumes,
                                           language,
                                           false,
                                           {},
                                           false})) {
    lines.push_back(U8(line));
  }
  return lines;
}

// The navigation map's lines only.
std::vector<std::string> MapOf(const std::vector<std::string>& lines) {
  return std::vector<std::string>(lines.begin() + 12, lines.end() - 2);
}

TEST(NavigationFileTest, VolumesHoldTheirChaptersOneLevelDown) {
  const std::vector<std::u16string> chapters = {u"ch_2.html=Prologue", u"ch_4.html=One",
                                                u"ch_5.html=Two", u"ch_8.html=Three"};
  const std::vector<VolumeEntry> volumes = {
      {1, u"ch_3.html=Volume I"}, {3, u"ch_6.html=Volume II (empty)"}, {3, u"ch_7.html=V & III"}};
  const auto lines = LinesWithVolumes(chapters, volumes);
  EXPECT_EQ(lines[2],
            "<ncx version=\"2005-1\" xml:lang=\"en-US\" "
            "xmlns=\"http://www.daisy.org/z3986/2005/ncx/\">");
  EXPECT_EQ(lines[5], "<meta name=\"dtb:depth\" content=\"2\"/>");
  EXPECT_EQ(MapOf(lines), (std::vector<std::string>{
                              // A chapter before the first volume stays at the first level.
                              "<navPoint id=\"navPoint-1\" playOrder=\"1\">",
                              "<navLabel><text>Prologue</text></navLabel>",
                              "<content src=\"ch_2.html#\"/></navPoint>",
                              "<navPoint id=\"navPoint-2\" playOrder=\"2\">",
                              "<navLabel><text>Volume I</text></navLabel>",
                              "<content src=\"ch_3.html#\"/>",
                              "<navPoint id=\"navPoint-3\" playOrder=\"3\">",
                              "<navLabel><text>One</text></navLabel>",
                              "<content src=\"ch_4.html#\"/></navPoint>",
                              "<navPoint id=\"navPoint-4\" playOrder=\"4\">",
                              "<navLabel><text>Two</text></navLabel>",
                              "<content src=\"ch_5.html#\"/></navPoint>",
                              "</navPoint>",
                              // An empty volume is a point without children.
                              "<navPoint id=\"navPoint-5\" playOrder=\"5\">",
                              "<navLabel><text>Volume II (empty)</text></navLabel>",
                              "<content src=\"ch_6.html#\"/></navPoint>",
                              "<navPoint id=\"navPoint-6\" playOrder=\"6\">",
                              "<navLabel><text>V &amp; III</text></navLabel>",
                              "<content src=\"ch_7.html#\"/>",
                              "<navPoint id=\"navPoint-7\" playOrder=\"7\">",
                              "<navLabel><text>Three</text></navLabel>",
                              "<content src=\"ch_8.html#\"/></navPoint>",
                              "</navPoint>",
                          }));
}

TEST(NavigationFileTest, WithoutVolumesOrNestingTheMapStaysFlat) {
  const std::vector<std::u16string> chapters = {u"ch_2.html=a", u"ch_3.html=b"};
  // No volumes at all: the same lines as a book without volumes.
  EXPECT_EQ(LinesWithVolumes(chapters, {}), Lines(chapters));
  // Volumes without chapters: one level, and no stand-in point for an empty list.
  const auto lines = LinesWithVolumes({}, {{0, u"ch_1.html=V1"}, {0, u"ch_2.html=V2"}});
  EXPECT_EQ(lines[5], "<meta name=\"dtb:depth\" content=\"1\"/>");
  EXPECT_EQ(MapOf(lines), (std::vector<std::string>{
                              "<navPoint id=\"navPoint-1\" playOrder=\"1\">",
                              "<navLabel><text>V1</text></navLabel>",
                              "<content src=\"ch_1.html#\"/></navPoint>",
                              "<navPoint id=\"navPoint-2\" playOrder=\"2\">",
                              "<navLabel><text>V2</text></navLabel>",
                              "<content src=\"ch_2.html#\"/></navPoint>",
                          }));
}

TEST(NavigationFileTest, TheLanguageTagBecomesTheFilesLanguage) {
  EXPECT_EQ(LinesWithVolumes({}, {}, u"zh-Hant")[2],
            "<ncx version=\"2005-1\" xml:lang=\"zh-Hant\" "
            "xmlns=\"http://www.daisy.org/z3986/2005/ncx/\">");
}

TEST(NavigationFileTest, AnEpub3BookHasItsIdentifierAndNoDocumentTypeDeclaration) {
  const std::vector<std::u16string> chapters;
  std::vector<std::string> lines;
  for (const auto& line : NavigationLines({u"0A1B2C3D-0000-4000-8000-00000000000F",
                                           u"T",
                                           u"A",
                                           &chapters,
                                           nullptr,
                                           u"",
                                           /*epub3=*/true,
                                           {},
                                           false})) {
    lines.push_back(U8(line));
  }
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>",
                       "<ncx version=\"2005-1\" xml:lang=\"en-US\" "
                       "xmlns=\"http://www.daisy.org/z3986/2005/ncx/\">",
                       "<head>",
                       "<meta name=\"dtb:uid\" "
                       "content=\"urn:uuid:0a1b2c3d-0000-4000-8000-00000000000f\"/>",
                       "<meta name=\"dtb:depth\" content=\"1\"/>",
                       "<meta name=\"dtb:totalPageCount\" content=\"0\"/>",
                       "<meta name=\"dtb:maxPageNumber\" content=\"0\"/>",
                       "</head>",
                       "<docTitle><text>T</text></docTitle>",
                       "<docAuthor><text>A</text></docAuthor>",
                       "<navMap>",
                       // An empty list points at the first page, named as EPUB 3 pages are.
                       "<navPoint id=\"navPoint-1\" playOrder=\"1\">",
                       "<navLabel><text>T</text></navLabel>",
                       "<content src=\"ch_1.xhtml#\"/></navPoint>",
                       "</navMap>",
                       "</ncx>",
                   }));
}

// The lines of nav.xhtml for `chapters` and `volumes`.
std::vector<std::string> NavigationDocument(const std::vector<std::u16string>& chapters,
                                            const std::vector<VolumeEntry>& volumes,
                                            std::u16string_view title = u"T & <T>",
                                            std::u16string_view language = u"") {
  std::vector<std::string> lines;
  for (const auto& line : NavigationDocumentLines({u"0A1B2C3D-0000-4000-8000-00000000000F",
                                                   title,
                                                   u"A",
                                                   &chapters,
                                                   &volumes,
                                                   language,
                                                   true,
                                                   {},
                                                   false})) {
    lines.push_back(U8(line));
  }
  return lines;
}

// Its list's lines only: after "<ol>", before the closing "</ol>", "</nav>", "</body>",
// "</html>".
std::vector<std::string> ListOf(const std::vector<std::string>& lines) {
  const auto open = std::find(lines.begin(), lines.end(), "<ol>");
  EXPECT_EQ(std::vector<std::string>(lines.end() - 4, lines.end()),
            (std::vector<std::string>{"</ol>", "</nav>", "</body>", "</html>"}));
  return std::vector<std::string>(open + 1, lines.end() - 4);
}

TEST(NavigationDocumentTest, ATableOfContentsListWithVolumesOneLevelDown) {
  const std::vector<std::u16string> chapters = {u"ch_2.xhtml=Prologue", u"ch_4.xhtml=One",
                                                u"ch_5.xhtml=Two", u"ch_8.xhtml=Three"};
  const std::vector<VolumeEntry> volumes = {{1, u"ch_3.xhtml=Volume I"},
                                            {3, u"ch_6.xhtml=Volume II (empty)"},
                                            {3, u"ch_7.xhtml=V & III"}};
  const std::vector<std::string> lines = NavigationDocument(chapters, volumes);
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 10),
            (std::vector<std::string>{
                "<?xml version=\"1.0\" encoding=\"UTF-8\"?>",
                "<!DOCTYPE html>",
                "<html xmlns=\"http://www.w3.org/1999/xhtml\" "
                "xmlns:epub=\"http://www.idpf.org/2007/ops\" xml:lang=\"en\" lang=\"en\">",
                "<head>",
                "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\" />",
                "<title>T &amp; &lt;T&gt;</title>",
                "</head>",
                "<body>",
                "<nav epub:type=\"toc\" id=\"toc\">",
                "<h1>T &amp; &lt;T&gt;</h1>",
            }));
  EXPECT_EQ(ListOf(lines), (std::vector<std::string>{
                               // A chapter before the first volume stays at the first level.
                               "<li><a href=\"ch_2.xhtml\">Prologue</a></li>",
                               "<li><a href=\"ch_3.xhtml\">Volume I</a>",
                               "<ol>",
                               "<li><a href=\"ch_4.xhtml\">One</a></li>",
                               "<li><a href=\"ch_5.xhtml\">Two</a></li>",
                               "</ol>",
                               "</li>",
                               // An empty volume is an item without a list.
                               "<li><a href=\"ch_6.xhtml\">Volume II (empty)</a></li>",
                               "<li><a href=\"ch_7.xhtml\">V &amp; III</a>",
                               "<ol>",
                               "<li><a href=\"ch_8.xhtml\">Three</a></li>",
                               "</ol>",
                               "</li>",
                           }));
}

TEST(NavigationDocumentTest, EveryLinkShowsTextAndNoListIsEmpty) {
  // Titles that show nothing are labelled with their page; a page name stays in its attribute.
  EXPECT_EQ(ListOf(NavigationDocument({u"ch_2.xhtml=", u"ch_3.xhtml= \t ", u"ch_4.xhtml=\x01",
                                       u"ch_5.xhtml", u"a\"&<b=x"},
                                      {})),
            (std::vector<std::string>{
                "<li><a href=\"ch_2.xhtml\">ch_2.xhtml</a></li>",
                "<li><a href=\"ch_3.xhtml\">ch_3.xhtml</a></li>",
                "<li><a href=\"ch_4.xhtml\">ch_4.xhtml</a></li>",
                "<li><a href=\"ch_5.xhtml\">ch_5.xhtml</a></li>",
                "<li><a href=\"a&quot;&amp;&lt;b\">x</a></li>",
            }));
  // No chapters: one entry to the first page, labelled with the title.
  EXPECT_EQ(ListOf(NavigationDocument({}, {})),
            (std::vector<std::string>{"<li><a href=\"ch_1.xhtml\">T &amp; &lt;T&gt;</a></li>"}));
  // A title that shows nothing leaves out the heading; the language is the book's.
  const std::vector<std::string> lines = NavigationDocument({}, {}, u"", u"zh-Hant");
  EXPECT_EQ(lines[2],
            "<html xmlns=\"http://www.w3.org/1999/xhtml\" "
            "xmlns:epub=\"http://www.idpf.org/2007/ops\" xml:lang=\"zh-Hant\" lang=\"zh-Hant\">");
  EXPECT_EQ(lines[9], "<ol>");
  EXPECT_EQ(ListOf(lines),
            (std::vector<std::string>{"<li><a href=\"ch_1.xhtml\">ch_1.xhtml</a></li>"}));
}

}  // namespace
}  // namespace quireforge::test
