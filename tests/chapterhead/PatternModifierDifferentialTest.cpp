// The engine against PCRE2's interpreter where the dialect has modifiers of its own: inline
// modifier groups and how far they reach, "^" and "$" under m at CR, LF and CR LF, the x
// syntax with its blanks and comments, every quantifier lazy with g off, the Cyrillic ranges
// of r, and case inversion under i, which is not symmetric (a literal also matches its own
// inversion; a class member matches every input character whose inversion it is). PCRE2 has
// none of these rules as the dialect has them, so the generator writes every expression
// twice: in the dialect, modifiers and all, and in plain PCRE2 with each modifier's effect
// spelt out: a character test becomes a class listing exactly the characters of the input
// alphabet the dialect accepts there, and "^" and "$" become look-arounds. PCRE2 then
// supplies the backtracking order, the leftmost match and the captures. Fixed seed.
#define PCRE2_CODE_UNIT_WIDTH 16
#include <gtest/gtest.h>
#include <pcre2.h>
#include <unicode/uchar.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>

#include "Pcre2Reference.h"
#include "TestSupport.h"
#include "chapterhead/PatternEngine.h"

namespace quireforge::test {
namespace {

// Every input is made of these characters: letters whose case inversion goes one way only
// (ſ inverts to S, S to s; Kelvin K U+212A lies above U+20AB and never inverts; ı inverts to
// I, I to i, İ to i; µ to Μ, Μ to μ; ß to itself), Cyrillic letters inside and outside the
// code-order ranges, and the characters the anchors and "." care about.
constexpr std::u16string_view kAlphabet = u"aAbBsSſkK\u212AiIıİµ\u039C\u03BCßяЯёЁа1_ \r\n";
// Inputs favour these, so that literals and anchors meet their characters often.
constexpr std::u16string_view kFrequent = u"aAsS\r\n\r\n";

// The case inversion the dialect defines: above U+20AB none; else the one-to-one upper-case
// mapping, or the lower-case one when that leaves the character as it is.
char16_t Inverted(char16_t c) {
  if (c > 0x20AB) return c;
  UChar32 inverted = u_toupper(c);
  if (inverted == c) inverted = u_tolower(c);
  return static_cast<char16_t>(inverted);
}

std::u16string Pcre2Character(char16_t c) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "\\x{%04X}", static_cast<unsigned>(c));
  return U16(buffer);
}

// A PCRE2 class of exactly the alphabet characters `accepts` takes.
std::u16string Pcre2Class(const std::function<bool(char16_t)>& accepts) {
  std::u16string members;
  for (char16_t c : kAlphabet) {
    if (accepts(c)) members += Pcre2Character(c);
  }
  return members.empty() ? u"[^\\x{0}-\\x{FFFF}]" : u"[" + members + u"]";
}

struct Modifiers {
  bool i = false;
  bool r = true;
  bool s = true;
  bool g = true;
  bool m = false;
  bool x = false;
};

// One class the generator may write, with its members as the dialect reads them.
struct ClassChoice {
  std::u16string_view text;
  bool negated;
  std::function<bool(char16_t, const Modifiers&)> member;
  bool needs_r;  // a range that is an error in code order
};

bool InRange(char16_t c, char16_t first, char16_t last) { return c >= first && c <= last; }

const std::vector<ClassChoice>& Classes() {
  static const std::vector<ClassChoice> classes = {
      {u"[ab]", false, [](char16_t c, const Modifiers&) { return c == u'a' || c == u'b'; }, false},
      {u"[^a]", true, [](char16_t c, const Modifiers&) { return c == u'a'; }, false},
      {u"[a-c]", false, [](char16_t c, const Modifiers&) { return InRange(c, u'a', u'c'); }, false},
      {u"[A-Z]", false, [](char16_t c, const Modifiers&) { return InRange(c, u'A', u'Z'); }, false},
      {u"[ſ]", false, [](char16_t c, const Modifiers&) { return c == u'ſ'; }, false},
      {u"[S]", false, [](char16_t c, const Modifiers&) { return c == u'S'; }, false},
      {u"[^s]", true, [](char16_t c, const Modifiers&) { return c == u's'; }, false},
      {u"[k\u212A]", false, [](char16_t c, const Modifiers&) { return c == u'k' || c == 0x212A; },
       false},
      {u"[ıİ]", false, [](char16_t c, const Modifiers&) { return c == u'ı' || c == u'İ'; }, false},
      {u"[µ]", false, [](char16_t c, const Modifiers&) { return c == u'µ'; }, false},
      {u"[^\\r\\n]", true, [](char16_t c, const Modifiers&) { return c == u'\r' || c == u'\n'; },
       false},
      {u"[а-я]", false,
       [](char16_t c, const Modifiers& m) { return InRange(c, u'а', u'я') || (m.r && c == u'ё'); },
       false},
      {u"[А-Я]", false,
       [](char16_t c, const Modifiers& m) { return InRange(c, u'А', u'Я') || (m.r && c == u'Ё'); },
       false},
      {u"[а-Я]", false,
       [](char16_t c, const Modifiers&) {
         return InRange(c, u'а', u'я') || InRange(c, u'А', u'Я') || c == u'ё' || c == u'Ё';
       },
       true},
  };
  return classes;
}

// An expression in both forms, with what the generator must know about it.
struct Part {
  std::u16string dialect;
  std::u16string pcre2;
  bool nullable = true;  // may match empty text
};

class ExpressionGenerator {
 public:
  explicit ExpressionGenerator(uint32_t seed) : random_(seed) {}

  // A fresh expression; its two forms are in the result.
  Part Next() {
    groups_opened_ = 0;
    groups_closed_ = 0;
    empty_iteration_possible_ = false;
    modifiers_ = Modifiers();
    // Half the expressions switch modifiers before anything else, so that the switches
    // reach the whole expression (and the rest of it sees them again from inside groups).
    const std::u16string lead = Uniform(0, 1) == 0 ? InlineModifiers() : u"";
    Part part = Alternation(0);
    part.dialect = lead + part.dialect;
    return part;
  }

  // Some repeated group could match empty text in an iteration: the dialect ends such a
  // repetition at once and PCRE2 does not, so those expressions are not compared.
  bool empty_iteration_possible() const { return empty_iteration_possible_; }

  std::u16string Input() {
    std::u16string input;
    for (int n = Uniform(0, 10); n > 0; --n) {
      input.push_back(Uniform(0, 2) == 0 ? Pick(kFrequent) : Pick(kAlphabet));
    }
    return input;
  }

 private:
  int Uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  char16_t Pick(std::u16string_view choices) {
    return choices[Uniform(0, static_cast<int>(choices.size()) - 1)];
  }

  // Under x, blanks and comments that the dialect must skip; nothing otherwise.
  std::u16string Blanks() {
    if (!modifiers_.x || Uniform(0, 2) != 0) return u"";
    static constexpr std::u16string_view kBlanks[] = {u" ",    u"\t",      u"\n",        u"\r\n",
                                                      u"  \t", u"#note\n", u"# a(b[|\r", u"#\r\n "};
    return std::u16string(kBlanks[Uniform(0, 7)]);
  }

  Part Alternation(int depth) {
    Part alternation = Branch(depth);
    while (Uniform(0, 3) == 0) {
      // A modifier switched in one alternative holds on into the next ones.
      Part branch = Branch(depth);
      alternation.dialect += u"|" + branch.dialect;
      alternation.pcre2 += u"|" + branch.pcre2;
      alternation.nullable = alternation.nullable || branch.nullable;
    }
    return alternation;
  }

  // Blanks are written where the dialect meets them, under the modifiers in force there.
  Part Branch(int depth) {
    Part branch{Blanks(), u"", true};
    for (int pieces = Uniform(0, 4); pieces > 0; --pieces) {
      Part piece = Piece(depth);
      branch.dialect += piece.dialect + Blanks();
      branch.pcre2 += piece.pcre2;
      branch.nullable = branch.nullable && piece.nullable;
    }
    return branch;
  }

  Part Piece(int depth) {
    bool quantifiable = true;
    bool compound = false;
    Part piece = Atom(depth, &quantifiable, &compound);
    if (!quantifiable || Uniform(0, 9) >= 4) return piece;
    struct Quantifier {
      std::u16string_view text;
      bool allows_zero;
      bool repeats;
    };
    static constexpr Quantifier kQuantifiers[] = {{u"*", true, true},      {u"+", false, true},
                                                  {u"?", true, false},     {u"{2}", false, true},
                                                  {u"{0,1}", true, false}, {u"{1,}", false, true},
                                                  {u"{0,2}", true, true},  {u"{1,3}", false, true}};
    const Quantifier& quantifier = kQuantifiers[Uniform(0, 7)];
    if (piece.nullable && quantifier.text != u"?") return piece;  // the width rule refuses it
    const bool lazy_mark = Uniform(0, 2) == 0;
    // The modifiers after the atom (a group's own switches have ended with it).
    const bool greedy = modifiers_.g && !lazy_mark;
    piece.dialect += Blanks() + std::u16string(quantifier.text);
    if (lazy_mark) piece.dialect += Blanks() + u"?";
    piece.pcre2 += std::u16string(quantifier.text) + (greedy ? u"" : u"?");
    if (compound && piece.nullable && quantifier.repeats) empty_iteration_possible_ = true;
    piece.nullable = piece.nullable || quantifier.allows_zero;
    return piece;
  }

  // The dialect's form of literal `c`: as it is, or as a hexadecimal escape; a blank under x
  // is escaped.
  std::u16string DialectLiteral(char16_t c) {
    if (Uniform(0, 4) == 0) {
      char buffer[16];
      std::snprintf(buffer, sizeof buffer, "\\x{%X}", static_cast<unsigned>(c));
      return U16(buffer);
    }
    if (c == u' ' && modifiers_.x) return u"\\ ";
    return std::u16string(1, c);
  }

  Part Atom(int depth, bool* quantifiable, bool* compound) {
    const int kind = Uniform(0, 99);
    const Modifiers m = modifiers_;
    if (kind < 30) {
      const char16_t c = Pick(u"aAsSſkK\u212AiIıİµ\u039Cßяё ");
      return {DialectLiteral(c),
              Pcre2Class([&](char16_t in) { return in == c || (m.i && in == Inverted(c)); }),
              false};
    }
    if (kind < 45) {
      const ClassChoice* choice = nullptr;
      do {
        choice = &Classes()[Uniform(0, static_cast<int>(Classes().size()) - 1)];
      } while (choice->needs_r && !m.r);
      const auto matches = [&](char16_t in) {
        const bool hit = choice->member(in, m) || (m.i && choice->member(Inverted(in), m));
        return choice->negated ? !hit : hit;
      };
      return {std::u16string(choice->text), Pcre2Class(matches), false};
    }
    if (kind < 51) {
      return {u".", m.s ? u"(?s:.)" : u"[^\\r\\n]", false};
    }
    if (kind < 65 && depth < 3 && groups_opened_ < 14) {
      ++groups_opened_;
      const Modifiers outer = modifiers_;
      Part group = Alternation(depth + 1);
      modifiers_ = outer;  // the group's own switches end with it
      ++groups_closed_;
      *compound = true;
      return {u"(" + group.dialect + u")", u"(" + group.pcre2 + u")", group.nullable};
    }
    if (kind < 77) {
      *quantifiable = false;
      return {InlineModifiers(), u"", true};
    }
    if (kind < 87) {
      *quantifiable = false;
      switch (Uniform(0, 7)) {
        case 0:
        case 1:
          return {u"^", m.m ? u"(?:\\A|(?<=\\n)|(?<=\\r)(?!\\n))" : u"\\A", true};
        case 2:
        case 3:
          return {u"$", m.m ? u"(?:\\z|(?=\\r)|(?<!\\r)(?=\\n))" : u"\\z", true};
        case 4:
          return {u"\\A", u"\\A", true};
        case 5:
          return {u"\\Z", u"\\z", true};
        case 6:
          return {u"\\b", u"\\b", true};
        default:
          return {u"(?#remark)", u"", true};
      }
    }
    if (kind < 92 && groups_closed_ > 0 && !m.i) {
      // Under i a back-reference compares by inversion, which PCRE2 cannot say: the dialect
      // tests cover that case.
      *compound = true;
      const std::u16string digit(1, static_cast<char16_t>(u'0' + Uniform(1, groups_closed_)));
      return {u"\\" + digit, u"\\" + digit, true};
    }
    static constexpr std::u16string_view kEscapes[] = {u"\\d", u"\\w", u"\\s", u"\\W",
                                                       u"\\S", u"\\n", u"\\r"};
    const std::u16string_view escape = kEscapes[Uniform(0, 6)];
    return {std::u16string(escape), std::u16string(escape), false};
  }

  // "(?...)" switching some modifiers on and some off, letters in either case; applied to
  // the generator's state as the dialect applies it.
  std::u16string InlineModifiers() {
    std::u16string text = u"(?";
    bool on = true;
    for (int n = Uniform(0, 3); n > 0; --n) {
      if (on && Uniform(0, 3) == 0) {
        text += u'-';
        on = false;
      }
      const char16_t letter = Pick(u"iirsgmmx");
      text += Uniform(0, 4) == 0 ? static_cast<char16_t>(letter - u'a' + u'A') : letter;
      switch (letter) {
        case u'i':
          modifiers_.i = on;
          break;
        case u'r':
          modifiers_.r = on;
          break;
        case u's':
          modifiers_.s = on;
          break;
        case u'g':
          modifiers_.g = on;
          break;
        case u'm':
          modifiers_.m = on;
          break;
        default:
          modifiers_.x = on;
          break;
      }
    }
    return text + u")";
  }

  std::mt19937 random_;
  Modifiers modifiers_;
  int groups_opened_ = 0;
  int groups_closed_ = 0;
  bool empty_iteration_possible_ = false;
};

TEST(PatternModifierDifferentialTest, AgreesWithPcre2WhereModifiersAreSpeltOut) {
  ExpressionGenerator generator(0x5EED);
  int compared = 0;
  int matched = 0;
  int with_x = 0;
  int disagreements = 0;
  for (int round = 0; round < 30000 && disagreements < 20; ++round) {
    const Part expression = generator.Next();
    // An empty expression is no expression to the engine.
    if (generator.empty_iteration_possible() || expression.dialect.empty()) continue;
    TPatternEngine engine;
    engine.SetExpression(expression.dialect);
    try {
      engine.Compile();
    } catch (const EPatternEngine& error) {
      ADD_FAILURE() << "expression " << CodePoints(expression.dialect)
                    << " does not compile: " << error.what();
      ++disagreements;
      continue;
    }
    // The PCRE2 form never depends on PCRE2's own options: every choice is spelt out.
    std::unique_ptr<Pcre2Reference> reference;
    try {
      reference = std::make_unique<Pcre2Reference>(expression.pcre2, PCRE2_NO_START_OPTIMIZE |
                                                                         PCRE2_NO_AUTO_POSSESS |
                                                                         PCRE2_NO_DOTSTAR_ANCHOR);
    } catch (const std::runtime_error& error) {
      ADD_FAILURE() << "the PCRE2 form " << U8(expression.pcre2) << " of "
                    << CodePoints(expression.dialect) << " does not compile: " << error.what();
      ++disagreements;
      continue;
    }
    if (expression.dialect.find_first_of(u" \t\r\n#") != std::u16string::npos) ++with_x;
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
        ADD_FAILURE() << "expression " << CodePoints(expression.dialect) << " (PCRE2 "
                      << U8(expression.pcre2) << ") on " << CodePoints(input) << ": PCRE2 "
                      << expected << " [" << reference->MatchStart() << "," << reference->MatchEnd()
                      << "), engine " << found << " at " << engine.MatchPos(0) << " length "
                      << engine.MatchLen(0);
      }
    }
  }
  RecordProperty("compared", compared);
  RecordProperty("matched", matched);
  RecordProperty("with_blanks", with_x);
  EXPECT_GT(compared, 100000) << "compared " << compared;
  EXPECT_GT(matched, compared / 4) << "matched " << matched << " of " << compared;
  EXPECT_GT(with_x, 3000) << "expressions with blanks or comments: " << with_x;
}

}  // namespace
}  // namespace quireforge::test
