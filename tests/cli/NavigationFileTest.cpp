// The navigation file's lines for chapter lists the window can leave behind: entries the
// user edited by hand, and page names that would break the attribute they stand in.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "conversion/NavigationFile.h"

namespace quireforge::test {
namespace {

std::vector<std::string> Lines(const std::vector<std::u16string>& chapters) {
  std::vector<std::string> lines;
  for (const auto& line : NavigationLines(
           {u"0A1B2C3D-0000-4000-8000-00000000000F", u"T", u"A", &chapters, nullptr, u""})) {
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
  for (const auto& line : NavigationLines(
           {u"0A1B2C3D-0000-4000-8000-00000000000F", u"T", u"A", &chapters, &volumes, language})) {
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

}  // namespace
}  // namespace quireforge::test
