// The engine against PCRE2's interpreter on random expressions from the part of the dialect
// the two share (literals, ".", classes, groups, alternatives, greedy and lazy quantifiers,
// anchors, word boundaries, back-references, set escapes): the same leftmost match and the
// same captures. Fixed seed.
#define PCRE2_CODE_UNIT_WIDTH 16
#include <gtest/gtest.h>
#include <pcre2.h>

#include <memory>
#include <random>
#include <stdexcept>
#include <string>

#include "Pcre2Reference.h"
#include "TestSupport.h"
#include "chapterhead/PatternEngine.h"

namespace quireforge::test {
namespace {

// Random expressions, with a note of whether some repeated group or back-reference could
// match empty text in an iteration. Such a repetition ends at its first empty iteration
// here, while PCRE2 goes on up to the minimum count; those expressions are not compared.
class ExpressionGenerator {
 public:
  explicit ExpressionGenerator(uint32_t seed) : random_(seed) {}

  std::u16string Next() {
    groups_ = 0;
    empty_iteration_possible_ = false;
    return Alternation(0).text;
  }

  bool empty_iteration_possible() const { return empty_iteration_possible_; }

  std::u16string Input() {
    std::u16string input;
    for (int n = Uniform(0, 10); n > 0; --n) input.push_back(Pick(u"aaabbc 1\n"));
    return input;
  }

 private:
  struct Part {
    std::u16string text;
    bool nullable;  // may match empty text
  };

  int Uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  char16_t Pick(std::u16string_view choices) {
    return choices[Uniform(0, static_cast<int>(choices.size()) - 1)];
  }

  Part Alternation(int depth) {
    Part alternation = Branch(depth);
    while (Uniform(0, 3) == 0) {
      Part branch = Branch(depth);
      alternation.text += u"|" + branch.text;
      alternation.nullable = alternation.nullable || branch.nullable;
    }
    return alternation;
  }

  Part Branch(int depth) {
    Part branch{u"", true};
    for (int pieces = Uniform(0, 4); pieces > 0; --pieces) {
      Part piece = Piece(depth);
      branch.text += piece.text;
      branch.nullable = branch.nullable && piece.nullable;
    }
    return branch;
  }

  Part Piece(int depth) {
    bool compound = false;
    Part piece = Atom(depth, &compound);
    if (Uniform(0, 9) < 4) {
      struct Quantifier {
        std::u16string_view text;
        bool allows_zero;
        bool repeats;
      };
      static constexpr Quantifier kQuantifiers[] = {
          {u"*", true, true},     {u"+", false, true},     {u"?", true, false},
          {u"{2}", false, true},  {u"{0,1}", true, false}, {u"{1,}", false, true},
          {u"{0,2}", true, true}, {u"{1,3}", false, true}, {u"{0}", true, false},
          {u"{3}", false, true}};
      int choice = Uniform(0, 9);
      // PCRE2 takes a pattern whose skipped "(...){0}" group holds "^" to be anchored.
      if (compound && kQuantifiers[choice].text == u"{0}") choice = 4;
      const Quantifier& quantifier = kQuantifiers[choice];
      piece.text += quantifier.text;
      if (Uniform(0, 2) == 0) piece.text += u"?";
      if (compound && piece.nullable && quantifier.repeats) empty_iteration_possible_ = true;
      piece.nullable = piece.nullable || quantifier.allows_zero;
    }
    return piece;
  }

  Part Atom(int depth, bool* compound) {
    const int kind = Uniform(0, 99);
    if (kind < 40) return {std::u16string(1, Pick(u"aab")), false};
    if (kind < 48) return {u".", false};
    if (kind < 58) {
      static constexpr std::u16string_view kClasses[] = {u"[ab]",    u"[^a]", u"[a-c]",
                                                         u"[^b\\n]", u"[|a]", u"[\\d ]"};
      return {std::u16string(kClasses[Uniform(0, 5)]), false};
    }
    if (kind < 74 && depth < 3) {
      ++groups_;
      Part group = Alternation(depth + 1);
      *compound = true;
      return {u"(" + group.text + u")", group.nullable};
    }
    if (kind < 84) {
      static constexpr std::u16string_view kAnchors[] = {u"^",   u"$",   u"\\b",
                                                         u"\\B", u"\\A", u"\\Z"};
      return {std::u16string(kAnchors[Uniform(0, 5)]), true};
    }
    if (kind < 90 && groups_ > 0) {
      *compound = true;
      // Built as a list: GCC 12 at -O3 takes `u"\\" + u16string` for an overlapping copy.
      const auto digit = static_cast<char16_t>(u'0' + Uniform(1, groups_ < 3 ? groups_ : 3));
      return {std::u16string{u'\\', digit}, true};
    }
    static constexpr std::u16string_view kEscapes[] = {u"\\d", u"\\w", u"\\s",   u"\\D",
                                                       u"\\W", u"\\S", u"\\x61", u"\\n"};
    return {std::u16string(kEscapes[Uniform(0, 7)]), false};
  }

  std::mt19937 random_;
  int groups_ = 0;
  bool empty_iteration_possible_ = false;
};

// "$" and "\Z" match only at the very end here: PCRE2_DOLLAR_ENDONLY does that for "$", and
// "\Z" becomes PCRE2's "\z".
std::u16string ToPcre2(std::u16string_view expression) {
  std::u16string out;
  for (size_t k = 0; k < expression.size(); ++k) {
    if (expression[k] == u'\\' && k + 1 < expression.size() && expression[k + 1] == u'Z') {
      out += u"\\z";
      ++k;
    } else {
      out += expression[k];
    }
  }
  return out;
}

TEST(PatternDifferentialTest, AgreesWithPcre2OnRandomExpressions) {
  ExpressionGenerator generator(0xC0FFEE);
  int compared = 0;
  int matched = 0;
  int disagreements = 0;
  for (int round = 0; round < 30000 && disagreements < 20; ++round) {
    const std::u16string expression = generator.Next();
    if (generator.empty_iteration_possible()) continue;
    TPatternEngine engine;
    engine.SetExpression(expression);
    try {
      engine.Compile();
    } catch (const EPatternEngine&) {
      continue;  // the width rule and nested quantifiers are this dialect's own
    }
    std::unique_ptr<Pcre2Reference> reference;
    try {
      // PCRE2's start-of-match optimisations misjudge some back-references to the group
      // they stand in, so they are off.
      reference = std::make_unique<Pcre2Reference>(
          ToPcre2(expression), PCRE2_DOTALL | PCRE2_DOLLAR_ENDONLY | PCRE2_NO_START_OPTIMIZE |
                                   PCRE2_NO_AUTO_POSSESS | PCRE2_NO_DOTSTAR_ANCHOR);
    } catch (const std::runtime_error&) {
      continue;  // quantified anchors, for example
    }
    for (int n = 0; n < 5; ++n) {
      const std::u16string input = generator.Input();
      bool expected = false;
      try {
        expected = reference->Search(input);
      } catch (const std::runtime_error&) {
        continue;  // PCRE2's backtracking limit
      }
      const bool found = engine.Exec(input);
      ++compared;
      bool same = found == expected;
      if (same && found) {
        ++matched;
        same = SameSpans(engine, *reference);
      }
      if (!same) {
        ++disagreements;
        ADD_FAILURE() << "expression " << U8(expression) << " on " << CodePoints(input)
                      << ": PCRE2 " << expected << " [" << reference->MatchStart() << ","
                      << reference->MatchEnd() << ") g1 [" << reference->MatchStart(1) << ","
                      << reference->MatchEnd(1) << "), engine " << found << " at "
                      << engine.MatchPos(0) << " length " << engine.MatchLen(0) << " g1 "
                      << engine.MatchPos(1) << "+" << engine.MatchLen(1);
      }
    }
  }
  EXPECT_GT(compared, 40000) << "compared " << compared;
  EXPECT_GT(matched, compared / 4);
}

}  // namespace
}  // namespace quireforge::test
