#include <gtest/gtest.h>

#include "zipengine/Wildcard.h"

namespace quireforge {
namespace {

TEST(WildcardTest, StarQuestionMarkAndLiterals) {
  EXPECT_TRUE(MatchesWildcard("*", ""));
  EXPECT_TRUE(MatchesWildcard("*.html", "ch_1.html"));
  EXPECT_FALSE(MatchesWildcard("*.html", "ch_1.htm"));
  EXPECT_TRUE(MatchesWildcard("ch_?.html", "ch_7.html"));
  EXPECT_FALSE(MatchesWildcard("ch_?.html", "ch_10.html"));
  EXPECT_TRUE(MatchesWildcard("a*b*c", "aXXbYYbZc"));
  EXPECT_FALSE(MatchesWildcard("a*b*c", "aXXbYYbZ"));
  EXPECT_FALSE(MatchesWildcard("*.HTML", "a.html")) << "letter case counts";
  // "?" stands for one character, however many bytes UTF-8 gives it.
  EXPECT_TRUE(MatchesWildcard("第?回.html", "第一回.html"));
  EXPECT_FALSE(MatchesWildcard("第??回.html", "第一回.html"));
  EXPECT_TRUE(MatchesWildcard("*回.html", "第一百回.html"));
}

TEST(WildcardTest, DotStarAlsoMatchesNamesWithoutDot) {
  EXPECT_TRUE(MatchesFileSpec("*.*", "mimetype"));
  EXPECT_TRUE(MatchesFileSpec("*.*", "book.opf"));
  EXPECT_TRUE(MatchesFileSpec("*.*", ".hidden"));
  EXPECT_TRUE(MatchesFileSpec("ch_*.*", "ch_1"));
  EXPECT_FALSE(MatchesFileSpec("ch_*.*", "toc"));
  EXPECT_FALSE(MatchesFileSpec("*.html", "mimetype"));
  EXPECT_TRUE(MatchesFileSpec("mimetype", "mimetype"));
}

}  // namespace
}  // namespace quireforge
