// The dialect of the pattern engine, feature by feature: what each construct matches.
#include <gtest/gtest.h>

#include "PatternTestHelpers.h"
#include "TestSupport.h"
#include "chapterhead/PatternEngine.h"

namespace quireforge::test {
namespace {

TEST(PatternLiteralTest, LetterCaseCountsUnlessIgnored) {
  EXPECT_FALSE(Matches(u"abc", u"ABC"));
  EXPECT_TRUE(Matches(u"(?i)abc", u"ABC"));
  EXPECT_TRUE(Matches(u"(?I)abc", u"aBc"));
  EXPECT_TRUE(Matches(u"(?i)жук", u"ЖУК"));
  EXPECT_TRUE(Matches(u"(?i)ΣΟΦΙΑ", u"σοφια"));
  // Nothing above U+20AB is inverted: fullwidth letters keep their case.
  EXPECT_FALSE(Matches(u"(?i)Ａ", u"ａ"));
  EXPECT_TRUE(Matches(u"(?i)\\x41", u"a"));
}

TEST(PatternLiteralTest, QuantifierAfterARunRepeatsOnlyItsLastCharacter) {
  EXPECT_EQ(FindMatch(u"abc*", u"abcabc"), u"abc");
  EXPECT_EQ(FindMatch(u"abc*", u"abx"), u"ab");
  EXPECT_EQ(FindMatch(u"abc+", u"abccc"), u"abccc");
  EXPECT_FALSE(Matches(u"abc+", u"ababab"));
  EXPECT_EQ(FindMatch(u"abc{2}", u"abcc"), u"abcc");
}

TEST(PatternDotTest, MatchesLineBreaksOnlyWithS) {
  EXPECT_TRUE(Matches(u"a.c", u"a\nc"));
  EXPECT_TRUE(Matches(u"a.c", u"a\rc"));
  EXPECT_FALSE(Matches(u"(?-s)a.c", u"a\nc"));
  EXPECT_FALSE(Matches(u"(?-s)a.c", u"a\rc"));
  EXPECT_TRUE(Matches(u"(?-s)a.c", u"a\tc"));
  EXPECT_EQ(FindMatch(u"(?-s).+", u"ab\ncd"), u"ab");
  // Never at the end of the input.
  EXPECT_FALSE(Matches(u"a.", u"a"));
  EXPECT_FALSE(Matches(u"(?-s)a.", u"a"));
}

TEST(PatternClassTest, MembersAreSingleCharactersWithoutSpecialMeaning) {
  EXPECT_TRUE(Matches(u"[a|b]", u"|"));
  EXPECT_TRUE(Matches(u"[序章]", u"序"));
  EXPECT_TRUE(Matches(u"[序章]", u"章"));
  EXPECT_EQ(FindMatch(u"[序章]", u"序章"), u"序");
  EXPECT_FALSE(Matches(u"[序章]", u"言"));
  EXPECT_TRUE(Matches(u"[(.*{]", u"*"));
  EXPECT_TRUE(Matches(u"[(.*{]", u"{"));
  EXPECT_FALSE(Matches(u"[(.*{]", u"a"));
  EXPECT_TRUE(Matches(u"[]a]", u"]"));
  EXPECT_TRUE(Matches(u"[^]a]", u"b"));
  EXPECT_FALSE(Matches(u"[^]a]", u"]"));
}

TEST(PatternClassTest, NegatedClassNeverMatchesAtTheEnd) {
  EXPECT_FALSE(Matches(u"[^a]", u"a"));
  EXPECT_TRUE(Matches(u"[^a]", u"b"));
  EXPECT_FALSE(Matches(u"x[^a]", u"x"));
  EXPECT_FALSE(Matches(u"x[a]", u"x"));
  EXPECT_FALSE(Matches(u"[^a]", u""));
}

TEST(PatternClassTest, RangesAndWhereADashIsAMember) {
  EXPECT_TRUE(Matches(u"[a-c]", u"b"));
  EXPECT_FALSE(Matches(u"[a-c]", u"d"));
  EXPECT_TRUE(Matches(u"[-a]", u"-"));
  EXPECT_TRUE(Matches(u"[a-]", u"-"));
  for (std::u16string_view member : {u"a", u"b", u"c", u"-", u"e"}) {
    EXPECT_TRUE(Matches(u"^[a-c-e]$", member)) << U8(std::u16string(member));
  }
  EXPECT_FALSE(Matches(u"[a-c-e]", u"d"));
  // A dash before a set escape is a member; the set is read as usual.
  EXPECT_TRUE(Matches(u"[a-\\d]", u"-"));
  EXPECT_TRUE(Matches(u"[a-\\d]", u"7"));
  EXPECT_FALSE(Matches(u"[a-\\d]", u"b"));
  // "\D" inside a class is the letter D.
  EXPECT_TRUE(Matches(u"[x-\\D]", u"D"));
  EXPECT_FALSE(Matches(u"[x-\\D]", u"5"));
  // Range ends written as escapes.
  EXPECT_TRUE(Matches(u"[a-\\x63]", u"b"));
  EXPECT_TRUE(Matches(u"[\\x41-\\x{43}]", u"B"));
  EXPECT_TRUE(Matches(u"[\\t-\\r]", u"\v"));
  EXPECT_TRUE(Matches(u"[0-9]", u"7"));
}

TEST(PatternClassTest, EscapesInsideAClass) {
  EXPECT_TRUE(Matches(u"[\\d]", u"5"));
  EXPECT_TRUE(Matches(u"[\\w]", u"_"));
  EXPECT_FALSE(Matches(u"[\\w]", u"-"));
  EXPECT_TRUE(Matches(u"[\\s]", u"\f"));
  for (std::u16string_view letter : {u"D", u"W", u"S", u"b"}) {
    std::u16string expression = u"[\\" + std::u16string(letter) + u"]";
    EXPECT_TRUE(Matches(expression, letter)) << U8(expression);
  }
  EXPECT_FALSE(Matches(u"[\\D]", u"x"));
  EXPECT_TRUE(Matches(u"[\\t]", u"\t"));
  EXPECT_TRUE(Matches(u"[\\n]", u"\n"));
  EXPECT_TRUE(Matches(u"[\\e]", u"\x1B"));
  EXPECT_TRUE(Matches(u"[\\a]", u"\a"));
  EXPECT_TRUE(Matches(u"[\\]]", u"]"));
  EXPECT_TRUE(Matches(u"[\\x{3000}]", u"\u3000"));
}

TEST(PatternClassTest, IgnoreCaseAppliesToMembersAndRanges) {
  EXPECT_TRUE(Matches(u"(?i)[a-c]", u"B"));
  EXPECT_TRUE(Matches(u"(?i)[B]", u"b"));
  EXPECT_FALSE(Matches(u"(?i)[^a]", u"A"));
  EXPECT_TRUE(Matches(u"(?i)[^a]", u"b"));
  EXPECT_FALSE(Matches(u"[a-c]", u"B"));
}

TEST(PatternClassTest, CyrillicRangesIncludeYoWithR) {
  EXPECT_TRUE(Matches(u"[а-я]", u"ё"));
  EXPECT_FALSE(Matches(u"(?-r)[а-я]", u"ё"));
  EXPECT_TRUE(Matches(u"(?-r)[а-я]", u"ж"));
  EXPECT_TRUE(Matches(u"[А-Я]", u"Ё"));
  EXPECT_FALSE(Matches(u"[А-Я]", u"ё"));
  EXPECT_FALSE(Matches(u"(?-r)[А-Я]", u"Ё"));
  for (std::u16string_view letter : {u"а", u"я", u"ё", u"А", u"Я", u"Ё"}) {
    EXPECT_TRUE(Matches(u"[а-Я]", letter)) << U8(std::u16string(letter));
  }
  EXPECT_FALSE(Matches(u"[а-Я]", u"ђ"));
  // Only those three ranges are special: А-я follows code order.
  EXPECT_FALSE(Matches(u"[А-я]", u"ё"));
  EXPECT_TRUE(Matches(u"[А-я]", u"п"));
}

TEST(PatternEscapeTest, SetsOutsideClasses) {
  EXPECT_TRUE(Matches(u"^\\d$", u"9"));
  EXPECT_FALSE(Matches(u"\\d", u"９"));
  EXPECT_TRUE(Matches(u"^\\D$", u"x"));
  EXPECT_FALSE(Matches(u"\\D", u""));
  EXPECT_TRUE(Matches(u"^\\w+$", u"ab_9Z"));
  EXPECT_FALSE(Matches(u"\\w", u"é中"));
  EXPECT_TRUE(Matches(u"^\\W$", u"中"));
  for (std::u16string_view blank : {u" ", u"\t", u"\n", u"\r", u"\f"}) {
    EXPECT_TRUE(Matches(u"^\\s$", blank));
  }
  EXPECT_FALSE(Matches(u"\\s", u"\v"));
  EXPECT_FALSE(Matches(u"\\s", u"\u3000"));
  EXPECT_TRUE(Matches(u"^\\S$", u"\u3000"));
}

TEST(PatternEscapeTest, CharactersAndHexCodes) {
  EXPECT_TRUE(Matches(u"\\x41", u"A"));
  EXPECT_TRUE(Matches(u"\\x4a", u"J"));
  EXPECT_TRUE(Matches(u"\\x{3000}", u"\u3000"));
  EXPECT_TRUE(Matches(u"\\x{41}", u"A"));
  EXPECT_TRUE(Matches(u"\\x{d800}", std::u16string(1, u'\xD800')));
  EXPECT_EQ(FindMatch(u"\\x412", u"A2"), u"A2");
  EXPECT_TRUE(Matches(u"\\t\\n\\r\\f\\a\\e", u"\t\n\r\f\a\x1B"));
  EXPECT_TRUE(Matches(u"^\\.$", u"."));
  EXPECT_FALSE(Matches(u"^\\.$", u"x"));
  EXPECT_TRUE(Matches(u"\\\\\\[\\{\\(\\*", u"\\[{(*"));
  EXPECT_TRUE(Matches(u"^\\0$", u"0"));
  EXPECT_TRUE(Matches(u"^\\z$", u"z"));
}

TEST(PatternQuantifierTest, GreedyAndLazy) {
  EXPECT_EQ(FindMatch(u"<.+>", u"<a><b>"), u"<a><b>");
  EXPECT_EQ(FindMatch(u"<.+?>", u"<a><b>"), u"<a>");
  EXPECT_EQ(FindMatch(u"a*", u"aaa"), u"aaa");
  EXPECT_EQ(FindMatch(u"a*?", u"aaa"), u"");
  EXPECT_EQ(FindMatch(u"a??", u"a"), u"");
  EXPECT_EQ(FindMatch(u"a?", u"a"), u"a");
  EXPECT_EQ(FindMatch(u"a{1,3}?", u"aaa"), u"a");
  EXPECT_EQ(FindMatch(u"a{1,3}", u"aaaa"), u"aaa");
  EXPECT_EQ(FindMatch(u"(ab)+?c", u"ababc"), u"ababc");
  EXPECT_EQ(FindMatch(u"(ab){1,}?", u"abab"), u"ab");
  EXPECT_EQ(FindMatch(u"(a|b)*?b", u"aab"), u"aab");
}

TEST(PatternQuantifierTest, ModifierGOffMakesEveryQuantifierLazy) {
  EXPECT_EQ(FindMatch(u"(?-g)a+", u"aaa"), u"a");
  EXPECT_EQ(FindMatch(u"(?-g)a+?", u"aaa"), u"a");
  EXPECT_EQ(FindMatch(u"(?-g)<.*>", u"<a><b>"), u"<a>");
  EXPECT_EQ(FindMatch(u"(?-g)(ab)*", u"abab"), u"");
  EXPECT_EQ(FindMatch(u"((?-g)a+)a+", u"aaaa"), u"aaaa");
}

TEST(PatternQuantifierTest, Braces) {
  EXPECT_EQ(FindMatch(u"a{2}", u"aaa"), u"aa");
  EXPECT_FALSE(Matches(u"a{2}", u"a"));
  EXPECT_EQ(FindMatch(u"a{2,}", u"aaaaa"), u"aaaaa");
  EXPECT_EQ(FindMatch(u"a{0}b", u"ab"), u"b");
  EXPECT_EQ(FindMatch(u"(ab){2,3}", u"abababab"), u"ababab");
  EXPECT_EQ(FindMatch(u"a{00000002}", u"aaa"), u"aa");
  EXPECT_EQ(FindMatch(u"x{99999999}", u"xx"), std::nullopt);
}

TEST(PatternQuantifierTest, BraceThatIsNoQuantifierIsLiteral) {
  EXPECT_TRUE(Matches(u"^a{,2}$", u"a{,2}"));
  EXPECT_FALSE(Matches(u"a{,2}", u"aa"));
  EXPECT_TRUE(Matches(u"^a{x}$", u"a{x}"));
  EXPECT_TRUE(Matches(u"^a{2,x$", u"a{2,x"));
  EXPECT_TRUE(Matches(u"^a{2$", u"a{2"));
  EXPECT_EQ(FindMatch(u"{2}", u"a{2}"), u"{2}");
  EXPECT_EQ(FindMatch(u"x|{2}", u"a{2}"), u"{2}");
  EXPECT_TRUE(Matches(u"^a{$", u"a{"));
  EXPECT_TRUE(Matches(u"^x{1,2,3}$", u"x{1,2,3}"));
  // The characters after the brace are ordinary text, so a quantifier after them repeats the
  // last one alone.
  EXPECT_TRUE(Matches(u"^a{,2}*$", u"a{,2"));
  EXPECT_TRUE(Matches(u"^a}$", u"a}"));
}

TEST(PatternQuantifierTest, WidthRuleAcceptsOptionalOperands) {
  EXPECT_TRUE(Compiles(u"(a*)?"));
  EXPECT_TRUE(Compiles(u"^?"));
  EXPECT_TRUE(Compiles(u"\\b?a"));
  EXPECT_TRUE(Compiles(u"(?#c)?"));
  EXPECT_TRUE(Compiles(u"(a{0,1})*"));
  EXPECT_TRUE(Compiles(u"(a+|b)*"));
  EXPECT_TRUE(Compiles(u"(\\1)*"));
  EXPECT_TRUE(Compiles(u"(a?b)+"));
  EXPECT_EQ(FindMatch(u"(a*)?b", u"aab"), u"aab");
}

TEST(PatternQuantifierTest, EmptyIterationEndsTheRepetition) {
  EXPECT_EQ(FindMatch(u"(a{0,1})*b", u"aab"), u"aab");
  EXPECT_EQ(FindMatch(u"(a{0,1})*", u""), u"");
  EXPECT_EQ(FindMatch(u"(a{0,1})*", u"xyz"), u"");
  EXPECT_EQ(FindMatch(u"(a{0,1}){3,5}b", u"b"), u"b");
  EXPECT_EQ(FindMatch(u"(a{0,1})*?b", u"aab"), u"aab");
  EXPECT_FALSE(Matches(u"(a{0,1})+c", u"aab"));
  // A back-reference to an empty capture repeats without progress.
  EXPECT_EQ(FindMatch(u"(a*)\\1*b", u"b"), u"b");
  EXPECT_EQ(FindMatch(u"(a*)(\\1)+b", u"b"), u"b");
  EXPECT_EQ(FindMatch(u"(a*)\\1{2,}?b", u"b"), u"b");
}

TEST(PatternAnchorTest, WithoutMOnlyTheInputEnds) {
  EXPECT_FALSE(Matches(u"^b", u"a\nb"));
  EXPECT_TRUE(Matches(u"^a", u"a\nb"));
  EXPECT_FALSE(Matches(u"a$", u"a\n"));
  EXPECT_TRUE(Matches(u"a$", u"ba"));
  EXPECT_TRUE(Matches(u"\\Aab\\Z", u"ab"));
  EXPECT_FALSE(Matches(u"\\Ab", u"ab"));
}

TEST(PatternAnchorTest, WithMAtLineSeparators) {
  EXPECT_TRUE(Matches(u"(?m)^b", u"a\nb"));
  EXPECT_TRUE(Matches(u"(?m)a$", u"a\n"));
  EXPECT_TRUE(Matches(u"(?m)^b", u"a\rb"));
  EXPECT_TRUE(Matches(u"(?m)a$", u"a\rb"));
  EXPECT_TRUE(Matches(u"(?m)^b", u"a\r\nb"));
  EXPECT_TRUE(Matches(u"(?m)a$", u"a\r\nb"));
  // Never between CR and LF.
  EXPECT_FALSE(Matches(u"(?m)^\\n", u"a\r\nb"));
  EXPECT_FALSE(Matches(u"(?m)\\r$", u"a\r\nb"));
  EXPECT_TRUE(Matches(u"(?m)\\n$", u"a\n\nb"));
  // "^" after a final line break is the end of the input.
  TPatternEngine engine;
  engine.SetExpression(u"(?m)^$");
  ASSERT_TRUE(engine.Exec(u"a\n"));
  EXPECT_EQ(engine.MatchPos(0), 2);
  // \A and \Z do not change with m.
  EXPECT_FALSE(Matches(u"(?m)\\Ab", u"a\nb"));
  EXPECT_FALSE(Matches(u"(?m)a\\Z", u"a\nb"));
}

TEST(PatternAnchorTest, WordBoundaries) {
  EXPECT_TRUE(Matches(u"\\bfoo\\b", u"a foo b"));
  EXPECT_TRUE(Matches(u"\\bfoo\\b", u"foo"));
  EXPECT_FALSE(Matches(u"\\bfoo\\b", u"afoo"));
  EXPECT_FALSE(Matches(u"\\bfoo\\b", u"foo_"));
  EXPECT_TRUE(Matches(u"\\Boo", u"foo"));
  EXPECT_FALSE(Matches(u"\\Bfoo", u"foo"));
  // Only ASCII letters, digits and "_" are word characters.
  EXPECT_TRUE(Matches(u"a\\b中", u"a中"));
  EXPECT_TRUE(Matches(u"é\\Bй", u"éй"));
  EXPECT_FALSE(Matches(u"\\b", u""));
  EXPECT_TRUE(Matches(u"\\B", u""));
}

TEST(PatternBackrefTest, MatchesTheLastCapture) {
  EXPECT_TRUE(Matches(u"(a)\\1", u"aa"));
  EXPECT_FALSE(Matches(u"(a)\\1", u"ab"));
  EXPECT_FALSE(Matches(u"(a)|\\1b", u"b"));
  EXPECT_FALSE(Matches(u"\\1", u""));
  EXPECT_FALSE(Matches(u"(a\\1)", u"aa"));
  EXPECT_EQ(FindMatch(u"(a*)b\\1", u"b"), u"b");
  EXPECT_EQ(FindMatch(u"(a*)b\\1", u"aaba"), u"aba");
  EXPECT_FALSE(Matches(u"(a)\\1", u"aA"));
  EXPECT_TRUE(Matches(u"(?i)(a)\\1", u"aA"));
  EXPECT_TRUE(Matches(u"(?i)(A)\\1", u"Aa"));
  EXPECT_EQ(FindMatch(u"(\\w+) \\1", u"say bye bye"), u"bye bye");
  TPatternEngine engine;
  engine.SetExpression(u"(a|b)*\\1");
  ASSERT_TRUE(engine.Exec(u"abb"));
  EXPECT_EQ(engine.Match(0), u"abb");
  EXPECT_EQ(engine.Match(1), u"b");
}

TEST(PatternGroupTest, CapturesAndAlternatives) {
  TPatternEngine engine;
  engine.SetExpression(u"(a)(b(c))|(d)");
  ASSERT_TRUE(engine.Exec(u"xabc"));
  EXPECT_EQ(engine.MatchPos(0), 1);
  EXPECT_EQ(engine.MatchLen(0), 3);
  EXPECT_EQ(engine.Match(1), u"a");
  EXPECT_EQ(engine.Match(2), u"bc");
  EXPECT_EQ(engine.Match(3), u"c");
  EXPECT_EQ(engine.MatchPos(4), -1);
  EXPECT_EQ(engine.Match(4), u"");
  // The first alternative that leads to a match wins, not the longest.
  EXPECT_EQ(FindMatch(u"a|ab", u"ab"), u"a");
  EXPECT_EQ(FindMatch(u"ab|a", u"ab"), u"ab");
  EXPECT_EQ(FindMatch(u"(a|ab)c", u"abc"), u"abc");
  EXPECT_EQ(FindMatch(u"a|", u"b"), u"");
  EXPECT_EQ(FindMatch(u"()", u"b"), u"");
  // A group records its last iteration.
  engine.SetExpression(u"(a|b)+");
  ASSERT_TRUE(engine.Exec(u"ab"));
  EXPECT_EQ(engine.Match(1), u"b");
  // Captures of an abandoned path are undone.
  engine.SetExpression(u"(a)x|ab");
  ASSERT_TRUE(engine.Exec(u"ab"));
  EXPECT_EQ(engine.MatchPos(1), -1);
}

TEST(PatternGroupTest, FourteenGroupsAreNumberedByTheirOpening) {
  std::u16string expression;
  for (int g = 0; g < 14; ++g) expression += u"(";
  expression += u"x";
  for (int g = 0; g < 14; ++g) expression += u")";
  TPatternEngine engine;
  engine.SetExpression(expression);
  ASSERT_TRUE(engine.Exec(u"_x"));
  for (int slot = 0; slot <= 14; ++slot) {
    EXPECT_EQ(engine.MatchPos(slot), 1) << slot;
    EXPECT_EQ(engine.MatchLen(slot), 1) << slot;
  }
  EXPECT_EQ(engine.MatchPos(15), -1);
  EXPECT_EQ(engine.MatchPos(-1), -1);
}

TEST(PatternModifierTest, InlineModifiersLastToTheEndOfTheirGroup) {
  EXPECT_FALSE(Matches(u"((?i)a)a", u"AA"));
  EXPECT_TRUE(Matches(u"((?i)a)a", u"Aa"));
  EXPECT_TRUE(Matches(u"a(?i)b|c", u"C"));
  EXPECT_TRUE(Matches(u"(?i-s)a.c", u"A_C"));
  EXPECT_FALSE(Matches(u"(?i-s)a.c", u"A\nC"));
  EXPECT_TRUE(Matches(u"(?)a", u"a"));
  EXPECT_TRUE(Matches(u"(?-)a", u"a"));
  EXPECT_FALSE(Matches(u"(?im-m)^b", u"a\nb"));
  EXPECT_TRUE(Matches(u"(?iM)^B", u"a\nb"));
  EXPECT_TRUE(Matches(u"(?#note)a", u"a"));
  EXPECT_TRUE(Matches(u"a(?#note with ( and [)b", u"ab"));
}

TEST(PatternModifierTest, ExtendedSyntax) {
  EXPECT_TRUE(Matches(u"(?x) a b # a comment\n c", u"abc"));
  EXPECT_FALSE(Matches(u"(?x) a b", u"a b"));
  EXPECT_TRUE(Matches(u"(?x)a\\ b", u"a b"));
  EXPECT_TRUE(Matches(u"(?x)[ ]", u" "));
  EXPECT_TRUE(Matches(u"(?x)[#]", u"#"));
  EXPECT_EQ(FindMatch(u"(?x)a +", u"aaa"), u"aaa");
  EXPECT_EQ(FindMatch(u"(?x)a + ?", u"aaa"), u"a");
  EXPECT_TRUE(Matches(u"(?x)a#x\r\n\r\nb", u"ab"));
  EXPECT_TRUE(Matches(u"((?x) a )a b", u"aa b"));
}

TEST(PatternSearchTest, TriesEveryStartPositionIncludingTheEnd) {
  TPatternEngine engine;
  engine.SetExpression(u"b");
  ASSERT_TRUE(engine.Exec(u"aab"));
  EXPECT_EQ(engine.MatchPos(0), 2);
  engine.SetExpression(u"x*");
  EXPECT_TRUE(engine.Exec(u""));
  EXPECT_EQ(engine.MatchPos(0), 0);
  EXPECT_TRUE(engine.Exec(u"abc"));
  EXPECT_EQ(engine.MatchLen(0), 0);
  engine.SetExpression(u"$");
  ASSERT_TRUE(engine.Exec(u"abc"));
  EXPECT_EQ(engine.MatchPos(0), 3);
  engine.SetExpression(u"a+");
  ASSERT_TRUE(engine.Exec(u"baaa"));
  EXPECT_EQ(engine.MatchPos(0), 1);
  EXPECT_EQ(engine.MatchLen(0), 3);
  engine.SetExpression(u"(x)?\\Z");
  ASSERT_TRUE(engine.Exec(u"ab"));
  EXPECT_EQ(engine.MatchPos(0), 2);
}

TEST(PatternSearchTest, InputEndsAtItsFirstNul) {
  TPatternEngine engine;
  engine.SetExpression(u"b");
  EXPECT_FALSE(engine.Exec(std::u16string_view(u"a\0b", 3)));
  EXPECT_EQ(engine.InputString(), u"a");
  engine.SetExpression(u"a$");
  EXPECT_TRUE(engine.Exec(std::u16string_view(u"a\0b", 3)));
  engine.SetExpression(u"\\x00");
  EXPECT_FALSE(engine.Exec(std::u16string_view(u"\0", 1)));
}

TEST(PatternSearchTest, LoneSurrogatesAreOrdinaryCodeUnits) {
  const std::u16string input = {u'a', u'\xD800', u'b', u'\xDC00'};
  EXPECT_EQ(FindMatch(u"a.b.", input), input);
  EXPECT_EQ(FindMatch(u"[\\x{D800}-\\x{DFFF}]+", input), std::u16string(1, u'\xD800'));
  EXPECT_EQ(FindMatch(u"(?i)\\x{DC00}", input), std::u16string(1, u'\xDC00'));
}

}  // namespace
}  // namespace quireforge::test
