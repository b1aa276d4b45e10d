// The navigation file's lines for chapter lists the window can leave behind: entries the
// user edited by hand, and page names that would break the attribute they stand in.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "conversion/NavigationFile.h"

namespace quireforge::test {
namespace {

std::vector<std::string> Lines(const std::vector<std::u16string>& chapters) {
  std::vector<std::string> lines;
  for (const auto& line :
       NavigationLines({u"0A1B2C3D-0000-4000-8000-00000000000F", u"T", u"A", &chapters})) {
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

}  // namespace
}  // namespace quireforge::test
