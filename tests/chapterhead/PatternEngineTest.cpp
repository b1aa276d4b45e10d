// The life of one engine: defaults, setting expressions and modifiers, compiling once,
// and what a search leaves behind.
#include <gtest/gtest.h>

#include "chapterhead/PatternCompiler.h"
#include "chapterhead/PatternEngine.h"

namespace quireforge::test {
namespace {

TEST(PatternEngineTest, StartsWithDefaultModifiersAndNoExpression) {
  TPatternEngine engine;
  const PatternModifiers& modifiers = engine.Modifiers();
  EXPECT_FALSE(modifiers.i);
  EXPECT_TRUE(modifiers.r);
  EXPECT_TRUE(modifiers.s);
  EXPECT_TRUE(modifiers.g);
  EXPECT_FALSE(modifiers.m);
  EXPECT_FALSE(modifiers.x);
  EXPECT_TRUE(engine.Expression().empty());
  EXPECT_FALSE(engine.IsCompiled());
  EXPECT_EQ(engine.MatchPos(0), -1);
}

TEST(PatternEngineTest, ExecWithoutExpressionRaises1003) {
  TPatternEngine engine;
  try {
    engine.Exec(u"abc");
    FAIL() << "no error";
  } catch (const EPatternEngine& error) {
    EXPECT_EQ(error.ErrorCode(), 1003);
    EXPECT_STREQ(error.what(), "TPatternEngine(exec): Not Assigned Expression Property");
    EXPECT_EQ(error.CompilerErrorPos(), 0);
  }
  engine.SetExpression(u"a");
  engine.SetExpression(u"");
  EXPECT_THROW(engine.Exec(u"a"), EPatternEngine);
}

TEST(PatternEngineTest, CompilesOncePerExpressionAndModifierSet) {
  TPatternEngine engine;
  engine.SetExpression(u"abc");
  EXPECT_FALSE(engine.IsCompiled());
  EXPECT_FALSE(engine.Exec(u"ABC"));
  EXPECT_TRUE(engine.IsCompiled());
  // The same text keeps the program; a different one discards it.
  engine.SetExpression(u"abc");
  EXPECT_TRUE(engine.IsCompiled());
  engine.SetExpression(u"abd");
  EXPECT_FALSE(engine.IsCompiled());
  engine.SetExpression(u"abc");
  // A modifier change is noticed by the next search.
  PatternModifiers modifiers = engine.Modifiers();
  modifiers.i = true;
  engine.SetModifiers(modifiers);
  EXPECT_TRUE(engine.Exec(u"ABC"));
  modifiers.i = false;
  engine.SetModifiers(modifiers);
  EXPECT_FALSE(engine.Exec(u"ABC"));
}

TEST(PatternEngineTest, ModifiersSetOnTheEngineApplyToTheWholeExpression) {
  TPatternEngine engine;
  PatternModifiers modifiers;
  modifiers.s = false;
  modifiers.m = true;
  modifiers.x = true;
  engine.SetModifiers(modifiers);
  engine.SetExpression(u"^ b . $");
  EXPECT_FALSE(engine.Exec(u"a\nb\n\n"));
  EXPECT_TRUE(engine.Exec(u"a\nbc\n"));
  modifiers = PatternModifiers{};
  modifiers.g = false;
  engine.SetModifiers(modifiers);
  engine.SetExpression(u"a+");
  ASSERT_TRUE(engine.Exec(u"aaa"));
  EXPECT_EQ(engine.MatchLen(0), 1);
  modifiers.g = true;
  modifiers.r = false;
  engine.SetModifiers(modifiers);
  engine.SetExpression(u"[а-я]");
  EXPECT_FALSE(engine.Exec(u"ё"));
  engine.SetExpression(u"(?r)[а-я]");
  EXPECT_TRUE(engine.Exec(u"ё"));
}

TEST(PatternEngineTest, FailedCompilationLeavesNothingCompiled) {
  TPatternEngine engine;
  engine.SetExpression(u"(ab");
  for (int attempt = 0; attempt < 2; ++attempt) {
    try {
      engine.Exec(u"ab");
      FAIL() << "no error";
    } catch (const EPatternEngine& error) {
      EXPECT_EQ(error.ErrorCode(), 103);
    }
    EXPECT_FALSE(engine.IsCompiled());
  }
  engine.SetExpression(u"ab");
  EXPECT_TRUE(engine.Exec(u"ab"));
  // A modifier change that makes the same text invalid discards the old program too.
  engine.SetExpression(u"[а-Я]");
  EXPECT_TRUE(engine.Exec(u"ё"));
  PatternModifiers modifiers;
  modifiers.r = false;
  engine.SetModifiers(modifiers);
  EXPECT_THROW(engine.Exec(u"ё"), EPatternEngine);
  EXPECT_FALSE(engine.IsCompiled());
  EXPECT_EQ(engine.MatchPos(0), -1);
}

TEST(PatternEngineTest, EachExecReplacesInputAndCaptures) {
  TPatternEngine engine;
  engine.SetExpression(u"(b)");
  ASSERT_TRUE(engine.Exec(u"abc"));
  EXPECT_EQ(engine.InputString(), u"abc");
  EXPECT_EQ(engine.Match(1), u"b");
  EXPECT_FALSE(engine.Exec(u"xyz"));
  EXPECT_EQ(engine.InputString(), u"xyz");
  EXPECT_EQ(engine.MatchPos(0), -1);
  EXPECT_EQ(engine.MatchPos(1), -1);
  EXPECT_EQ(engine.Match(1), u"");
  // The engine keeps its own copy of the input.
  std::u16string input = u"zzb";
  ASSERT_TRUE(engine.Exec(input));
  input.assign(u"qqq");
  EXPECT_EQ(engine.Match(0), u"b");
}

TEST(PatternEngineTest, IdenticalClassesShareOneCompiledClass) {
  // [ab] and [ba] are one class; another case mode or a negation makes another.
  const PatternProgram program = CompilePattern(u"[ab][ba][ab](?i)[ab][^ab]", PatternModifiers{});
  EXPECT_EQ(program.classes.size(), 3u);
  TPatternEngine engine;
  engine.SetExpression(u"[ab][ba][ab](?i)[ab][^ab]");
  EXPECT_TRUE(engine.Exec(u"abaBc"));
  EXPECT_FALSE(engine.Exec(u"abaBA"));
}

}  // namespace
}  // namespace quireforge::test
