// The rules a user may give in place of the built-in ones: an own expression for chapter
// headings (a line matches when the expression matches anywhere in it) and the volume rule,
// built in or the user's, which looks at the line trimmed of blanks.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>
#include <string>

#include "TestSupport.h"
#include "chapterhead/ChapterHeadRule.h"
#include "chapterhead/PatternEngineError.h"
#include "chapterhead/PatternLineRule.h"
#include "chapterhead/VolumeHeadRule.h"

namespace quireforge::test {
namespace {

TEST(PatternLineRuleTest, ALineMatchesWhenTheExpressionMatchesAnywhereInIt) {
  PatternLineRule english(u"^Chapter [0-9]+");
  EXPECT_TRUE(english.Matches(u"Chapter 12 The Storm"));
  EXPECT_FALSE(english.Matches(u"  Chapter 12"));  // anchored by the user, not by the rule
  EXPECT_FALSE(english.Matches(u"chapter 12"));    // letter case counts, as in the engine
  PatternLineRule numbered(u"[0-9]+\\.");
  EXPECT_TRUE(numbered.Matches(u"1."));
  EXPECT_TRUE(numbered.Matches(u"see part 3. below"));
  EXPECT_FALSE(numbered.Matches(u"no number"));
  PatternLineRule opening(U16("楔子|序章|第.{1,5}章"));
  EXPECT_TRUE(opening.Matches(U16("  楔子")));
  EXPECT_TRUE(opening.Matches(U16("第十二章 风起")));
  EXPECT_FALSE(opening.Matches(U16("后记")));
  // The modifiers are the engine's defaults, and inline modifiers work as in the engine.
  EXPECT_TRUE(PatternLineRule(u"(?i)^chapter").Matches(u"CHAPTER ONE"));
  // A line ends at its first U+0000.
  EXPECT_FALSE(english.Matches(std::u16string(u"x\0Chapter 1", 11)));
  // A copy shares the compiled expression and answers alike.
  PatternLineRule copy = english;
  EXPECT_TRUE(copy.Matches(u"Chapter 1"));
}

TEST(PatternLineRuleTest, ABadExpressionRaisesTheEnginesOwnMessage) {
  try {
    PatternLineRule rule(u"(ab");
    ADD_FAILURE() << "compiled";
  } catch (const EPatternEngine& error) {
    EXPECT_EQ(error.ErrorCode(), kPatternUnclosedGroup);
    EXPECT_EQ(std::string(error.what()), "TPatternEngine(comp): ParseReg Unmatched () (pos 3)");
  }
  try {
    PatternLineRule rule(u"x{2,1}");
    ADD_FAILURE() << "compiled";
  } catch (const EPatternEngine& error) {
    EXPECT_EQ(std::string(error.what()),
              "TPatternEngine(comp): BRACE Min Param Greater then Max (pos 5)");
  }
  // Counted repetitions nested more than ten deep could never be searched: said at once.
  std::u16string nested = u"a";
  for (int i = 0; i < 11; ++i) nested = u"(" + nested + u"){1,2}";
  try {
    PatternLineRule rule(nested);
    ADD_FAILURE() << "compiled";
  } catch (const EPatternEngine& error) {
    EXPECT_EQ(error.ErrorCode(), kPatternLoopStackExceeded);
  }
  EXPECT_NO_THROW(PatternLineRule(nested.substr(1, nested.size() - 7)));  // ten deep
  // An empty expression names no rule (it would make every line a heading).
  try {
    PatternLineRule rule(u"");
    ADD_FAILURE() << "compiled";
  } catch (const EPatternEngine& error) {
    EXPECT_EQ(error.ErrorCode(), kPatternNoExpression);
    EXPECT_EQ(std::string(error.what()), "TPatternEngine(exec): Not Assigned Expression Property");
  }
}

TEST(PatternLineRuleTest, WorkIsBudgetedPerLineAndForAllLinesTogether) {
  const auto work_limit = [](PatternLineRule& rule, std::u16string_view line) {
    try {
      rule.Matches(line);
    } catch (const EPatternEngine& error) {
      return error.ErrorCode() == kPatternWorkLimitExceeded;
    }
    return false;
  };
  // Exponential and quadratic work on one line.
  PatternLineRule nested(u"(a+)+b");
  EXPECT_TRUE(work_limit(nested, std::u16string(40, u'a')));
  EXPECT_TRUE(nested.Matches(u"aaab"));  // the rule stays usable
  PatternLineRule scan(u".*XYZ");
  EXPECT_FALSE(scan.Matches(std::u16string(1000, u'x')));
  EXPECT_TRUE(work_limit(scan, std::u16string(200000, u'x')));
  // Little work on each line, much on all of them.
  std::u16string alternatives;
  for (int i = 0; i < 9000; ++i) alternatives += (i > 0 ? u"|q" : u"q") + U16(std::to_string(i));
  PatternLineRule many(alternatives);
  const std::u16string line(50, u'x');
  int lines = 0;
  while (lines < 100000 && !work_limit(many, line)) ++lines;
  EXPECT_GT(lines, 10);
  EXPECT_LT(lines, 100000);
  // Real expressions on a long text stay far below their budget: a rule that has looked at
  // 1,000,000 lines of 40 units has had 2.76 billion steps, which they never come near.
  PatternLineRule opening(U16("^第.{1,9}[章回]|楔子"));
  const std::u16string text = U16("第十二回 风起云涌 " + std::string(30, 'x'));
  for (int i = 0; i < 1000000; ++i) ASSERT_TRUE(opening.Matches(text)) << i;
}

// A line of 2^31 code units or more is beyond the engine's reach: the own rule says so with
// std::length_error, which the command line turns into a sentence naming the source. One
// 1 MiB block mapped again and again stands for a 4.1 GiB line without costing the memory.
TEST(PatternLineRuleTest, ALineBeyondTheEnginesReachRaisesLengthError) {
  constexpr size_t kBlock = size_t{1} << 20;
  constexpr size_t kBlocks = 4100;
  const int fd = memfd_create("line", MFD_CLOEXEC);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(ftruncate(fd, kBlock), 0);
  auto* units =
      static_cast<char16_t*>(mmap(nullptr, kBlock, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0));
  ASSERT_NE(units, MAP_FAILED);
  std::fill_n(units, kBlock / 2, u'a');
  munmap(units, kBlock);
  auto* area = static_cast<char*>(mmap(nullptr, kBlock * kBlocks, PROT_NONE,
                                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0));
  ASSERT_NE(area, MAP_FAILED);
  for (size_t i = 0; i < kBlocks; ++i) {
    ASSERT_NE(mmap(area + i * kBlock, kBlock, PROT_READ, MAP_SHARED | MAP_FIXED, fd, 0),
              MAP_FAILED);
  }
  const std::u16string_view line(reinterpret_cast<const char16_t*>(area), kBlock * kBlocks / 2);
  ASSERT_GT(line.size(), size_t{1} << 31);
  PatternLineRule rule(u"a{3}");
  EXPECT_THROW(rule.Matches(line), std::length_error);
  EXPECT_TRUE(rule.Matches(line.substr(0, 1000)));  // the rule stays usable
  munmap(area, kBlock * kBlocks);
  close(fd);
}

TEST(VolumeHeadRuleTest, TheBuiltInRuleTakesVolumeLinesAtTheStartOfTheTrimmedLine) {
  VolumeHeadRule rule;
  for (const char* line :
       {"第一卷", "第一卷 潜龙在渊", "第12卷", "第１２卷：风云", "第 三 卷", "第　　十卷", "第Ⅲ卷",
        "卷一", "卷一 风起", "卷 12", "卷十二：终章", "   第二卷   ", "\t卷三", "　　第四卷 中",
        "\u00A0第五卷", "第一千二百三十四五六卷"}) {
    EXPECT_TRUE(rule.IsVolumeHead(U16(line))) << line;
  }
  for (const char* line : {"", "卷", "第卷", "卷上莲蓬吊搭嘴", "卷卷俱是白纸", "第一章",
                           "第一回 灵根育孕", "正文 第一卷", "他翻到第一卷", "第一 百卷", "第1  卷",
                           "第一二三四五六七八九十一卷", "Volume 1", "卷\t一"}) {
    EXPECT_FALSE(rule.IsVolumeHead(U16(line))) << line;
  }
}

TEST(VolumeHeadRuleTest, TheNumeralsAreThoseOfTheChapterHeadRule) {
  // The numeral class of the volume pattern stands in the chapter-head pattern as it is.
  const std::u16string_view volume = kVolumeHeadPattern;
  const size_t open = volume.find(u"[0-9");
  const size_t close = volume.find(u']', open);
  ASSERT_NE(open, std::u16string_view::npos);
  const std::u16string_view numerals = volume.substr(open, close + 1 - open);
  EXPECT_EQ(numerals.size(), 56u);  // 51 characters, "0-9" and the brackets
  EXPECT_NE(kChapterHeadPattern.find(numerals), std::u16string_view::npos);
  EXPECT_NE(volume.find(numerals, close), std::u16string_view::npos);
}

TEST(VolumeHeadRuleTest, AnOwnExpressionIsSearchedInTheTrimmedLine) {
  VolumeHeadRule rule(u"^(Book|Part) [0-9]+$");
  EXPECT_TRUE(rule.IsVolumeHead(u"Book 2"));
  EXPECT_TRUE(rule.IsVolumeHead(u"   Part 10  \t"));
  // Trimmed of every blank: a no-break, em, zero-width or ideographic space, a stray mark.
  EXPECT_TRUE(rule.IsVolumeHead(u"\u00A0\u3000Part 3\u2003\u200B\uFEFF"));
  EXPECT_FALSE(rule.IsVolumeHead(u"\u200CPart 3"));  // a zero-width non-joiner is no blank
  EXPECT_FALSE(rule.IsVolumeHead(u"Book 2: The Return"));
  // The built-in rule does not apply beside it.
  EXPECT_FALSE(rule.IsVolumeHead(U16("第一卷")));
  VolumeHeadRule anywhere(U16("部"));
  EXPECT_TRUE(anywhere.IsVolumeHead(U16("第一部 序")));
  EXPECT_THROW(VolumeHeadRule(u"[z-a]"), EPatternEngine);
}

}  // namespace
}  // namespace quireforge::test
