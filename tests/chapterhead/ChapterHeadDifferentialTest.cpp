// The chapter-head verdict against an independent reference: PCRE2's interpreter running
// the same rule written in PCRE2 syntax, over a few hundred thousand random lines drawn from
// an alphabet weighted toward the rule's own characters. Fixed seed; every disagreement is
// reported with the line in U+ notation.
#define PCRE2_CODE_UNIT_WIDTH 16
#include <gtest/gtest.h>
#include <pcre2.h>

#include <random>
#include <string>

#include "Pcre2Reference.h"
#include "chapterhead/ChapterHeadRule.h"
#include "chapterhead/PatternEngine.h"

namespace quireforge::test {
namespace {

// Random lines, most of them near misses of a heading.
class LineGenerator {
 public:
  explicit LineGenerator(uint32_t seed) : random_(seed) {}

  std::u16string Next() {
    std::u16string line;
    for (int tokens = Uniform(0, 24); tokens > 0; --tokens) AppendToken(&line);
    return line;
  }

 private:
  int Uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

  char16_t Pick(std::u16string_view choices) {
    return choices[Uniform(0, static_cast<int>(choices.size()) - 1)];
  }

  void AppendToken(std::u16string* line) {
    const int kind = Uniform(0, 99);
    if (kind < 14) {
      line->push_back(Pick(u"第第第卷序章|"));
    } else if (kind < 26) {
      line->push_back(Pick(u"章回卷篇课节部集|"));
    } else if (kind < 42) {
      line->push_back(Pick(u"  \u3000\u3000\u3000\t\u00A0"));
    } else if (kind < 66) {
      line->push_back(
          Pick(u"0123456789０１２３４５６７８９〇一二三四五六七八九个十百千万零壹贰叁肆伍陆柒"
               u"捌玖拾佰仟萬ⅠⅡⅢⅣⅤⅥⅦⅧⅨⅩⅪⅫⅬⅰ"));
    } else if (kind < 70) {
      line->append(Uniform(0, 1) ? u"Charpter" : u"CHARPTER");
    } else if (kind < 84) {
      line->push_back(Pick(u"的了是天人说话风云言序楔子后记"));
    } else if (kind < 94) {
      line->push_back(Pick(u"abcxyzCharpte .,:;!?-()[]"));
    } else {
      line->push_back(Pick(u"\r\n\xD800\xDBFF\xDC00\xDFFF\xFFFF\x0001"));
      if (Uniform(0, 19) == 0) line->push_back(u'\0');
    }
  }

  std::mt19937 random_;
};

TEST(ChapterHeadDifferentialTest, AgreesWithPcre2OnRandomLines) {
  Pcre2Reference reference(kPcre2ChapterHeadPattern, PCRE2_DOTALL);
  ChapterHeadRule rule;
  TPatternEngine engine;
  engine.SetExpression(kChapterHeadPattern);
  LineGenerator lines(0x51A7E);
  constexpr int kLines = 300000;
  int heads = 0;
  int disagreements = 0;
  for (int n = 0; n < kLines && disagreements < 20; ++n) {
    const std::u16string line = lines.Next();
    // The engine's input ends at the first U+0000; PCRE2's does not.
    const std::u16string_view subject = std::u16string_view(line).substr(0, line.find(u'\0'));
    const bool expected = reference.Search(subject);
    heads += expected ? 1 : 0;
    const bool by_rule = rule.IsChapterHead(line);
    const bool by_engine = engine.Exec(line);
    bool same = by_rule == expected && by_engine == expected;
    // The engine's leftmost match and group 1 agree too.
    if (same && expected) {
      same = engine.MatchPos(0) == reference.MatchStart() &&
             engine.MatchPos(0) + engine.MatchLen(0) == reference.MatchEnd() &&
             engine.MatchPos(1) == reference.MatchStart(1);
    }
    if (!same) {
      ++disagreements;
      ADD_FAILURE() << "line " << CodePoints(line) << ": PCRE2 " << expected << ", rule " << by_rule
                    << ", engine " << by_engine;
    }
  }
  // The alphabet makes heads common enough for both answers to be exercised.
  EXPECT_GT(heads, kLines / 10);
  EXPECT_LT(heads, kLines * 9 / 10);
}

}  // namespace
}  // namespace quireforge::test
