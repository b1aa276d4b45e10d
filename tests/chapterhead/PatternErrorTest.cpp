// Every compile error with its code, text and position; the run-time limit on counted
// loops; the message table.
#include <gtest/gtest.h>

#include <string>

#include "PatternTestHelpers.h"
#include "TestSupport.h"
#include "chapterhead/PatternEngine.h"

namespace quireforge::test {
namespace {

struct CompileErrorCase {
  std::u16string expression;
  int32_t code;
  int64_t position;
};

void ExpectCompileErrors(const std::vector<CompileErrorCase>& cases) {
  for (const CompileErrorCase& c : cases) {
    SCOPED_TRACE(U8(c.expression));
    std::optional<EPatternEngine> error = CompileError(c.expression);
    if (!error) continue;
    EXPECT_EQ(error->ErrorCode(), c.code);
    EXPECT_EQ(error->CompilerErrorPos(), c.position);
    EXPECT_EQ(std::string(error->what()),
              PatternErrorText(c.code) + " (pos " + std::to_string(c.position) + ")");
  }
}

TEST(PatternErrorTest, MessagesCarryTheTableTextAndThePosition) {
  std::optional<EPatternEngine> error = CompileError(u"(ab");
  ASSERT_TRUE(error);
  EXPECT_STREQ(error->what(), "TPatternEngine(comp): ParseReg Unmatched () (pos 3)");
  error = CompileError(u"a**");
  ASSERT_TRUE(error);
  EXPECT_STREQ(error->what(), "TPatternEngine(comp): Nested *?+ (pos 2)");
  error = CompileError(u"x{2,1}");
  ASSERT_TRUE(error);
  EXPECT_STREQ(error->what(), "TPatternEngine(comp): BRACE Min Param Greater then Max (pos 5)");
  error = CompileError(u"\\x4");
  ASSERT_TRUE(error);
  EXPECT_STREQ(error->what(), "TPatternEngine(comp): No Hex Code After \\x (pos 3)");
}

TEST(PatternErrorTest, Groups) {
  std::u16string fourteen;
  for (int g = 0; g < 14; ++g) fourteen += u"()";
  EXPECT_TRUE(Compiles(fourteen));
  ExpectCompileErrors({
      {u"(ab", 103, 3},
      {u"((a)", 103, 4},
      {u"(?i)(", 103, 5},
      {u"a)", 104, 1},
      {u"(a))", 104, 3},
      {u")", 104, 0},
      {fourteen + u"(", 102, 29},
      {fourteen + u"(?#x)(?i)(", 102, 38},
      {u"(?:a)", 127, 2},
      {u"(?i", 127, 3},
      {u"(?iq)", 127, 3},
      {u"(? i)", 127, 2},
      {u"(?", 127, 2},
      {u"(?#note", 125, 7},
      {u"a(?#", 125, 4},
  });
}

TEST(PatternErrorTest, DeepNestingStopsAtTheGroupLimit) {
  const std::u16string deep(100000, u'(');
  ExpectCompileErrors({{deep, 102, 15}});
  ExpectCompileErrors({{std::u16string(100000, u'['), 113, 100000}});
}

TEST(PatternErrorTest, Quantifiers) {
  ExpectCompileErrors({
      {u"*a", 115, 0},
      {u"+", 115, 0},
      {u"?", 115, 0},
      {u"a|*b", 115, 2},
      {u"(+)", 115, 1},
      {u"a**", 107, 2},
      {u"a{2}{3}", 107, 4},
      {u"a*?+", 107, 3},
      {u"a???", 107, 3},
      {u"a+{x", 107, 2},
      {u"(a)*{", 107, 4},
      {u"(a*)*", 106, 4},
      {u"(a?)+", 106, 4},
      {u"(a|)+", 106, 4},
      {u"(a{0})+", 106, 6},
      {u"()*", 106, 2},
      {u"^*", 106, 1},
      {u"$+", 106, 1},
      {u"\\b{2}", 106, 2},
      {u"(?i)*", 106, 4},
      {u"a(?#c)+", 106, 6},
      {u"x{2,1}", 124, 5},
      {u"x{10,9}", 124, 6},
      {u"a{123456789}", 122, 10},
      {u"a{1,123456789}", 122, 12},
  });
  // Nine digits that do not form a quantifier are plain text.
  EXPECT_TRUE(Matches(u"^a{123456789$", u"a{123456789"));
}

TEST(PatternErrorTest, ClassesAndEscapes) {
  ExpectCompileErrors({
      {u"[z-a]", 109, 4},    {u"(?-r)[а-Я]", 109, 9}, {u"[\\x{42}-A]", 109, 9},
      {u"[a", 113, 2},       {u"[]", 113, 2},         {u"[^]", 113, 3},
      {u"[a-", 113, 3},      {u"[a\\", 110, 3},       {u"[a-\\", 110, 4},
      {u"a\\", 116, 2},      {u"\\", 116, 1},         {u"\\x4", 111, 3},
      {u"\\x", 111, 2},      {u"\\xG1", 108, 2},      {u"\\x4G", 108, 3},
      {u"\\x{", 111, 3},     {u"\\x{12", 111, 5},     {u"\\x{}", 108, 3},
      {u"\\x{12G}", 108, 5}, {u"\\x{12345}", 112, 7}, {u"[\\x{12345}]", 112, 8},
      {u"[\\xZ]", 108, 3},   {u"[a-\\x{1", 111, 7},
  });
}

TEST(PatternErrorTest, TableTexts) {
  EXPECT_EQ(PatternErrorText(0), "No errors");
  EXPECT_EQ(PatternErrorText(110), "TPatternEngine(comp): Parse Atom Trailing \\");
  EXPECT_EQ(PatternErrorText(115), "TPatternEngine(comp): ?+*{ Follows Nothing");
  EXPECT_EQ(PatternErrorText(127), "TPatternEngine(comp): Urecognized Modifier");
  EXPECT_EQ(PatternErrorText(1014), "TPatternEngine(exec): Loop Stack Exceeded");
  EXPECT_EQ(PatternErrorText(2000), "TPatternEngine(misc): Bad p-code imported");
  EXPECT_EQ(PatternErrorText(117), "Unknown error");
  EXPECT_EQ(PatternErrorText(-1), "Unknown error");
  // Run-time codes carry no position.
  EPatternEngine runtime(1014);
  EXPECT_STREQ(runtime.what(), "TPatternEngine(exec): Loop Stack Exceeded");
  EXPECT_EQ(runtime.CompilerErrorPos(), 0);
  EPatternEngine unknown(999, 4);
  EXPECT_STREQ(unknown.what(), "Unknown error (pos 4)");
}

// `depth` groups inside one another, each repeated by `quantifier`, around `core`.
std::u16string Nest(int depth, std::u16string_view quantifier, std::u16string_view core) {
  std::u16string expression(depth, u'(');
  expression += core;
  for (int d = 0; d < depth; ++d) {
    expression += u")";
    expression += quantifier;
  }
  return expression;
}

int32_t ExecErrorCode(std::u16string_view expression, std::u16string_view input) {
  TPatternEngine engine;
  engine.SetExpression(expression);
  try {
    engine.Exec(input);
  } catch (const EPatternEngine& error) {
    EXPECT_EQ(engine.MatchPos(0), -1);
    return error.ErrorCode();
  }
  return 0;
}

TEST(PatternLoopLimitTest, TenCountedLoopsMayBeActiveInsideOneAnother) {
  EXPECT_EQ(ExecErrorCode(Nest(10, u"{1}", u"a"), u"a"), 0);
  EXPECT_EQ(ExecErrorCode(Nest(11, u"{1}", u"a"), u"a"), 1014);
  EXPECT_EQ(ExecErrorCode(Nest(10, u"+?", u"a") + u"$", u"aaa"), 0);
  EXPECT_EQ(ExecErrorCode(Nest(11, u"+?", u"a"), u"a"), 1014);
  // "." without s, and zero-width atoms, are counted operands too.
  EXPECT_EQ(ExecErrorCode(u"(?-s)" + Nest(10, u"{1}", u".{1}"), u"a"), 1014);
  EXPECT_EQ(ExecErrorCode(u"(?-s)" + Nest(9, u"{1}", u".{1}"), u"a"), 0);
  EXPECT_EQ(ExecErrorCode(Nest(10, u"{1}", u"^??a"), u"a"), 1014);
  EXPECT_EQ(ExecErrorCode(Nest(10, u"{1}", u"(?-g)^?a"), u"a"), 1014);
  // With g off every quantifier is lazy, so plain pluses count.
  EXPECT_EQ(ExecErrorCode(u"(?-g)" + Nest(11, u"+", u"a"), u"a"), 1014);
}

TEST(PatternLoopLimitTest, SingleCharacterTestsAndGreedyLoopsDoNotCount) {
  // Single-character tests inside the tenth loop need no counter.
  EXPECT_EQ(ExecErrorCode(Nest(10, u"{1}", u"a{1}b*?[c]{0,2}?.{0}\\d?\\1{0}"), u"a"), 0);
  // Greedy stars, pluses and question marks on groups have no limit.
  EXPECT_EQ(ExecErrorCode(Nest(14, u"+", u"a"), u"aa"), 0);
  EXPECT_EQ(ExecErrorCode(Nest(13, u"?", u"(a)*"), u"aa"), 0);
  EXPECT_EQ(ExecErrorCode(Nest(7, u"+", Nest(7, u"{1,2}", u"a")), u"aa"), 0);
  // Loops one after another are not inside one another.
  std::u16string sequence;
  for (int k = 0; k < 30; ++k) sequence += u".{1}";
  EXPECT_EQ(ExecErrorCode(u"(?-s)" + Nest(9, u"{1}", sequence), std::u16string(30, u'a')), 0);
}

TEST(PatternLoopLimitTest, RaisedOnlyWhenTheEleventhLoopIsEntered) {
  const std::u16string eleven = Nest(11, u"{1}", u"a");
  EXPECT_EQ(ExecErrorCode(u"x|" + eleven, u"x"), 0);
  EXPECT_EQ(ExecErrorCode(u"x|" + eleven, u"y"), 1014);
  EXPECT_EQ(ExecErrorCode(u"x" + eleven, u"y"), 0);
  // It is not a compile error.
  EXPECT_TRUE(Compiles(eleven));
}

}  // namespace
}  // namespace quireforge::test
