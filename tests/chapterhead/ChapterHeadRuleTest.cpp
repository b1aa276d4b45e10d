// The chapter-head rule: the pattern text itself, the verdicts on the typical headings and
// near misses, and agreement with the rule's plain-language reading over the two novels.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "chapterhead/ChapterHeadRule.h"
#include "chapterhead/PatternEngine.h"

namespace quireforge::test {
namespace {

std::u16string FromCodes(std::initializer_list<char16_t> codes) { return std::u16string(codes); }

TEST(ChapterHeadPatternTest, IsTheFixedTextOf130CodeUnits) {
  const std::u16string numerals =
      u"0-9" + FromCodes({0xFF10, 0xFF11, 0xFF12, 0xFF13, 0xFF14, 0xFF15, 0xFF16, 0xFF17, 0xFF18,
                          0xFF19, 0x3007, 0x4E00, 0x4E8C, 0x4E09, 0x56DB, 0x4E94, 0x516D, 0x4E03,
                          0x516B, 0x4E5D, 0x4E2A, 0x5341, 0x767E, 0x5343, 0x4E07, 0x96F6, 0x58F9,
                          0x8D30, 0x53C1, 0x8086, 0x4F0D, 0x9646, 0x67D2, 0x634C, 0x7396, 0x62FE,
                          0x4F70, 0x4EDF, 0x842C, 0x2160, 0x2161, 0x2162, 0x2163, 0x2164, 0x2165,
                          0x2166, 0x2167, 0x2168, 0x2169, 0x216A, 0x216B});
  const std::u16string spaces = FromCodes({u' ', 0x3000});
  const std::u16string expected =
      u"(Charpter){0,1}.{0,1}[" +
      FromCodes({0x7B2C, u'|', 0x5377, u'|', 0x5E8F, u'|', 0x5E8F, 0x7AE0}) + u"][" + spaces +
      u"]*[" + numerals + u"]{0,10}[" + spaces + u"]{0,1}[" +
      FromCodes({0x7AE0, u'|', 0x56DE, u'|', 0x5377, u'|', 0x7BC7, u'|', 0x8BFE, u'|', 0x8282, u'|',
                 0x90E8, u'|', 0x96C6}) +
      u"].{0,1}";
  EXPECT_EQ(kChapterHeadPattern.size(), 130u);
  EXPECT_EQ(std::u16string(kChapterHeadPattern), expected);
}

class ChapterHeadRuleTest : public ::testing::Test {
 protected:
  bool Head(std::u16string_view line) { return rule_.IsChapterHead(line); }
  ChapterHeadRule rule_;
};

TEST_F(ChapterHeadRuleTest, TypicalHeadings) {
  for (std::u16string_view line :
       {u"第一章", u"第一章 风起云涌", u"第1章", u"第１２章", u"第一百二十三回", u"第十一部",
        u"第二集", u"第三课", u"第4节", u"第5篇", u"第Ⅲ卷", u"第〇章", u"序章", u"第章",
        u"第壹佰零捌回", u"第ⅪⅫ卷"}) {
    EXPECT_TRUE(Head(line)) << U8(std::u16string(line));
  }
}

TEST_F(ChapterHeadRuleTest, Spacing) {
  EXPECT_TRUE(Head(u"第 1 章"));
  EXPECT_TRUE(Head(u"第\u3000\u3000一章"));
  EXPECT_TRUE(Head(u"第 \u3000  一\u3000章"));
  EXPECT_FALSE(Head(u"第1  章"));
  EXPECT_FALSE(Head(u"第1\u3000 章"));
  EXPECT_FALSE(Head(u"第一 百章"));
  EXPECT_FALSE(Head(u"第\t1章"));
  EXPECT_FALSE(Head(u"第1\t章"));
  EXPECT_FALSE(Head(u"第\u00A01章"));
}

TEST_F(ChapterHeadRuleTest, RunsOfSpacesOfAnyLengthAfterTheOpening) {
  const std::u16string run = std::u16string(3000, u' ') + u"\u3000" + std::u16string(3000, u' ');
  EXPECT_TRUE(Head(u"第" + run + u"章"));
  EXPECT_TRUE(Head(u"x第" + run + u"一章x"));
  EXPECT_TRUE(Head(u"第" + run + u"一 章"));
  EXPECT_FALSE(Head(u"第" + run + u"一  章"));
  EXPECT_FALSE(Head(u"第" + run + u"一一一一一一一一一一一章"));
  EXPECT_FALSE(Head(u"第" + run + u"\t章"));
  EXPECT_TRUE(Head(u"第" + run + u"第" + run + u"1章"));
}

// A line of 2^31 code units or more is longer than the engine's positions reach; the rule
// still judges it. One 1 MiB block of text mapped again and again stands for a line of
// 4.1 GiB without costing the memory.
TEST_F(ChapterHeadRuleTest, ALineLongerThanTheEngineReachesIsStillJudged) {
  if (kSanitizer == "thread") {
    GTEST_SKIP() << "reading 4.1 GiB through ThreadSanitizer's checks takes minutes, and this "
                    "test starts no thread; the plain and the address-sanitizer runs keep it";
  }
  constexpr size_t kBlock = size_t{1} << 20;
  constexpr size_t kBlocks = 4100;
  const auto block = [&](std::u16string_view tail) {
    const int fd = memfd_create("line", MFD_CLOEXEC);
    EXPECT_EQ(ftruncate(fd, kBlock), 0);
    auto* units =
        static_cast<char16_t*>(mmap(nullptr, kBlock, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0));
    std::fill_n(units, kBlock / 2, u'a');
    std::copy(tail.begin(), tail.end(), units + kBlock / 2 - tail.size());
    munmap(units, kBlock);
    return fd;
  };
  const int plain = block(u"");
  const int opening = block(u"第x");  // an opening that heads nothing
  const int head = block(u"第一章");
  auto* area = static_cast<char*>(mmap(nullptr, kBlock * kBlocks, PROT_NONE,
                                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0));
  ASSERT_NE(area, MAP_FAILED);
  for (size_t i = 0; i < kBlocks; ++i) {
    const int fd = i == kBlocks - 1 ? head : i == kBlocks / 2 ? opening : plain;
    ASSERT_NE(mmap(area + i * kBlock, kBlock, PROT_READ, MAP_SHARED | MAP_FIXED, fd, 0),
              MAP_FAILED);
  }
  const std::u16string_view line(reinterpret_cast<const char16_t*>(area), kBlock * kBlocks / 2);
  ASSERT_GT(line.size(), size_t{1} << 31);
  // The opening in the middle heads nothing; the head is the line's last three units.
  EXPECT_TRUE(Head(line));
  munmap(area, kBlock * kBlocks);
  for (int fd : {plain, opening, head}) close(fd);
}

TEST_F(ChapterHeadRuleTest, NumeralRunOfAtMostTen) {
  // Built piece by piece: GCC 12 at -O3 takes "literal" + string for overlapping copies.
  auto heading = [](std::u16string_view open, size_t numerals, char16_t numeral,
                    std::u16string_view close) {
    std::u16string line(open);
    line.append(numerals, numeral);
    line.append(close);
    return line;
  };
  EXPECT_TRUE(Head(heading(u"第", 10, u'一', u"章")));
  EXPECT_FALSE(Head(heading(u"第", 11, u'一', u"章")));
  EXPECT_TRUE(Head(heading(u"第 ", 10, u'9', u" 章")));
  EXPECT_FALSE(Head(heading(u"第 ", 11, u'9', u" 章")));
}

TEST_F(ChapterHeadRuleTest, MatchesAnywhereInTheLine) {
  EXPECT_TRUE(Head(u"话说那日，他翻到第二十章时忽然停下。"));
  for (std::u16string_view pair : {u"章节", u"卷卷", u"章章", u"序章"}) {
    EXPECT_TRUE(Head(u"他说：“" + std::u16string(pair) + u"”而已")) << U8(std::u16string(pair));
  }
  EXPECT_TRUE(Head(std::u16string(200, u'x') + u"第九回"));
}

TEST_F(ChapterHeadRuleTest, VerticalBarOpensAndCloses) {
  EXPECT_TRUE(Head(u"a||b"));
  EXPECT_TRUE(Head(u"第|"));
  EXPECT_TRUE(Head(u"|章"));
  EXPECT_TRUE(Head(u"| 12 |"));
  EXPECT_FALSE(Head(u"a|b"));
  EXPECT_FALSE(Head(u"|"));
}

TEST_F(ChapterHeadRuleTest, NotHeads) {
  for (std::u16string_view line : {u"卷一", u"楔子", u"后记", u"Chapter 1", u"Charpter", u"", u"第",
                                   u"第一", u"第一天", u"一章", u"第1 2章", u"序", u"序言"}) {
    EXPECT_FALSE(Head(line)) << U8(std::u16string(line));
  }
}

TEST_F(ChapterHeadRuleTest, LetterCaseAndCharpterPlayNoPart) {
  EXPECT_TRUE(Head(u"CHARPTER 第1章"));
  EXPECT_TRUE(Head(u"charpter第1章"));
  EXPECT_TRUE(Head(u"Charpter第1章"));
  EXPECT_FALSE(Head(u"Charpter 1"));
}

TEST_F(ChapterHeadRuleTest, LineEndsAtItsFirstNul) {
  EXPECT_FALSE(Head(std::u16string_view(u"第一\0章", 4)));
  EXPECT_FALSE(Head(std::u16string_view(u"\0第一章", 4)));
  EXPECT_TRUE(Head(std::u16string_view(u"第一章\0x", 5)));
}

TEST_F(ChapterHeadRuleTest, AgreesWithAFreshEngineRunningThePattern) {
  TPatternEngine engine;
  engine.SetExpression(kChapterHeadPattern);
  for (std::u16string_view line : {u"第一章", u"xxxxxxxxxxxx第一章", u"Charpter 第|", u"楔子", u"",
                                   u"卷一", u"||", u"abcdefghij第一回"}) {
    EXPECT_EQ(Head(line), engine.Exec(line)) << U8(std::u16string(line));
  }
}

TEST_F(ChapterHeadRuleTest, CopiesAndFunctionWrappersGiveTheSameVerdicts) {
  ChapterHeadRule copy = rule_;
  std::function<bool(std::u16string_view)> test = rule_;
  for (std::u16string_view line : {u"第一章", u"楔子", u"a||b"}) {
    EXPECT_EQ(copy.IsChapterHead(line), Head(line));
    EXPECT_EQ(test(line), Head(line));
  }
}

// The rule in plain words: an opening character, any spaces, at most ten numerals, at most
// one space, a closing character.
bool PlainReading(std::u16string_view line) {
  auto in = [](char16_t c, std::u16string_view set) { return set.find(c) != set.npos; };
  const std::u16string_view opening = u"第|卷序章";
  const std::u16string_view closing = u"章|回卷篇课节部集";
  const std::u16string_view space = u" \u3000";
  const std::u16string_view numerals =
      u"0123456789０１２３４５６７８９〇一二三四五六七八九个十百千万零壹贰叁肆伍陆柒捌玖拾佰仟萬"
      u"ⅠⅡⅢⅣⅤⅥⅦⅧⅨⅩⅪⅫ";
  line = line.substr(0, line.find(u'\0'));
  for (size_t start = 0; start < line.size(); ++start) {
    if (!in(line[start], opening)) continue;
    size_t p = start + 1;
    while (p < line.size() && in(line[p], space)) ++p;
    // Numerals, spaces and closing characters are disjoint sets, so only the whole numeral
    // run can be followed by a closing character.
    size_t q = p;
    while (q < line.size() && in(line[q], numerals)) ++q;
    if (q - p > 10) continue;
    if (q < line.size() && in(line[q], closing)) return true;
    if (q + 1 < line.size() && in(line[q], space) && in(line[q + 1], closing)) return true;
  }
  return false;
}

std::vector<std::u16string> CorpusLines(const std::string& name) {
  const std::u16string text = U16(ReadFile(std::filesystem::path(QF_CORPUS_DIR) / name));
  std::vector<std::u16string> lines;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find_first_of(u"\r\n", start);
    if (end == std::u16string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    if (end < text.size() && text[end] == u'\r' && end + 1 < text.size() &&
        text[end + 1] == u'\n') {
      ++end;
    }
    start = end + 1;
  }
  return lines;
}

TEST_F(ChapterHeadRuleTest, NovelsAgreeWithThePlainReading) {
  for (const auto& [name, chapters] :
       std::vector<std::pair<std::string, int>>{{"西游记.txt", 100}, {"三国演义.txt", 120}}) {
    int heads = 0;
    int heading_lines = 0;
    for (const std::u16string& line : CorpusLines(name)) {
      const bool head = Head(line);
      ASSERT_EQ(head, PlainReading(line)) << name << ": " << U8(line);
      heads += head ? 1 : 0;
      if (line.rfind(u"第", 0) == 0 && line.find(u"回") != std::u16string::npos &&
          line.find(u"回") <= 8) {
        ++heading_lines;
        EXPECT_TRUE(head) << U8(line);
      }
    }
    EXPECT_EQ(heading_lines, chapters) << name;
    EXPECT_GE(heads, chapters) << name;
  }
}

}  // namespace
}  // namespace quireforge::test
