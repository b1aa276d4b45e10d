// The work a search does, in an engine built with a step limit (see CMakeLists.txt): every
// instruction run and every unit a repetition examines is one step, and a search past the
// limit raises std::range_error. Counting steps instead of time keeps these tests exact on
// any machine: a repetition that cannot reach its minimum must give up without scanning.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "chapterhead/PatternEngine.h"

namespace quireforge {
namespace {

// Searches `input` for `expression`; a search past the step limit fails the test.
bool SearchWithinTheLimit(std::u16string_view expression, std::u16string_view input) {
  TPatternEngine engine;
  engine.SetExpression(expression);
  try {
    return engine.Exec(input);
  } catch (const std::range_error&) {
    ADD_FAILURE() << "the search of an expression of " << expression.size() << " units over "
                  << input.size() << " units ran past the step limit";
    return false;
  }
}

TEST(PatternWorkTest, ARepeatWhoseMinimumExceedsTheRestOfTheInputFailsAtOnce) {
  const std::u16string input(100000, u'a');
  // Greedy and lazy, of a literal, a class, a set escape and "." alike.
  for (const char16_t* expression :
       {u"a{99999999}", u"a{99999999}?", u"(?-g)a{99999999}", u"[ab]{100001,}", u"\\w{100001}",
        u".{100001,200000}", u"b*a{100001}"}) {
    EXPECT_FALSE(SearchWithinTheLimit(expression, input));
  }
}

TEST(PatternWorkTest, ARepeatThatCanReachItsMinimumStillMatches) {
  const std::u16string input(100000, u'a');
  TPatternEngine engine;
  engine.SetExpression(u"a{100000}");
  EXPECT_TRUE(engine.Exec(input));
  EXPECT_EQ(engine.MatchLen(0), 100000);
  engine.SetExpression(u"a{2,}?$");
  EXPECT_TRUE(engine.Exec(u"baaa"));
  EXPECT_EQ(engine.MatchPos(0), 1);
  EXPECT_EQ(engine.MatchLen(0), 3);
}

}  // namespace
}  // namespace quireforge
