// Inputs and expressions that would break a careless engine: a group repeated over a
// megabyte on a small C++ stack, very long expressions, and a storm of random expressions.
#include <gtest/gtest.h>
#include <pthread.h>

#include <functional>
#include <random>
#include <set>
#include <string>

#include "PatternTestHelpers.h"
#include "TestSupport.h"
#include "chapterhead/PatternEngine.h"
#include "chapterhead/PatternParser.h"

namespace quireforge::test {
namespace {

// Runs `body` on a thread whose stack is only `stack_bytes` long, so that any recursion
// proportional to the input would overflow it.
void RunOnSmallStack(size_t stack_bytes, const std::function<void()>& body) {
  pthread_attr_t attributes;
  ASSERT_EQ(pthread_attr_init(&attributes), 0);
  ASSERT_EQ(pthread_attr_setstacksize(&attributes, stack_bytes), 0);
  pthread_t thread;
  auto trampoline = [](void* argument) -> void* {
    (*static_cast<const std::function<void()>*>(argument))();
    return nullptr;
  };
  ASSERT_EQ(
      pthread_create(&thread, &attributes, trampoline, const_cast<std::function<void()>*>(&body)),
      0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attributes);
}

constexpr size_t kMegabyteOfText = 1 << 20;  // code units
constexpr size_t kSmallStack = 256 * 1024;

TEST(PatternRobustnessTest, GroupRepetitionOverAMegabyteNeedsNoDeepStack) {
  const std::u16string as(kMegabyteOfText, u'a');
  std::u16string pairs;
  for (size_t k = 0; k < kMegabyteOfText / 4; ++k) pairs += u"abcd";
  int32_t greedy_length = -1, lazy_length = -1, pair_length = -1, last_group = -1;
  bool anchored_fails = true;
  RunOnSmallStack(kSmallStack, [&] {
    TPatternEngine engine;
    engine.SetExpression(u"(a)*");
    if (engine.Exec(as)) greedy_length = engine.MatchLen(0);
    engine.SetExpression(u"(a)*?$");
    if (engine.Exec(as)) lazy_length = engine.MatchLen(0);
    engine.SetExpression(u"(ab|cd)+");
    if (engine.Exec(pairs)) {
      pair_length = engine.MatchLen(0);
      last_group = engine.MatchPos(1);
    }
    engine.SetExpression(u"^(a|b)*c");
    anchored_fails = !engine.Exec(as);
  });
  EXPECT_EQ(greedy_length, static_cast<int32_t>(kMegabyteOfText));
  EXPECT_EQ(lazy_length, static_cast<int32_t>(kMegabyteOfText));
  EXPECT_EQ(pair_length, static_cast<int32_t>(kMegabyteOfText));
  EXPECT_EQ(last_group, static_cast<int32_t>(kMegabyteOfText - 2));
  EXPECT_TRUE(anchored_fails);
}

TEST(PatternRobustnessTest, LongExpressionsCompileWithoutRecursion) {
  std::u16string alternatives;
  for (int k = 0; k < 100000; ++k) alternatives += u"a|";
  alternatives += u"b";
  bool found = false;
  RunOnSmallStack(kSmallStack, [&] {
    TPatternEngine engine;
    engine.SetExpression(alternatives);
    found = engine.Exec(u"xxb");
  });
  EXPECT_TRUE(found);
  // An expression past the size limit is refused before parsing.
  std::optional<EPatternEngine> error =
      CompileError(std::u16string(kPatternMaxExpressionLength + 1, u'a'));
  ASSERT_TRUE(error);
  EXPECT_EQ(error->ErrorCode(), 101);
  EXPECT_EQ(error->CompilerErrorPos(), 0);
  EXPECT_TRUE(Compiles(std::u16string(kPatternMaxExpressionLength, u'a')));
}

// Random expressions over the dialect's special characters: each either compiles or raises
// one of the documented compile codes, and searching never raises anything but 1014.
TEST(PatternRobustnessTest, RandomExpressionsCompileOrRaiseADocumentedCode) {
  const std::set<int32_t> compile_codes = {101, 102, 103, 104, 106, 107, 108, 109, 110,
                                           111, 112, 113, 115, 116, 122, 124, 125, 127};
  const std::u16string alphabet = u"()[]{}|?*+.^$\\-,#:!0129aAbxdDwWsSZrgimx \n\u0430\u044F\u042F";
  std::mt19937 random(20240607);
  std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
  std::uniform_int_distribution<int> length(0, 10);
  const std::u16string inputs[] = {u"", u"a", u"ab\nA", u"0x{1}", u"aaab"};
  int compiled = 0;
  for (int round = 0; round < 20000; ++round) {
    std::u16string expression;
    for (int k = length(random); k > 0; --k) expression += alphabet[pick(random)];
    if (expression.empty()) continue;
    TPatternEngine engine;
    engine.SetExpression(expression);
    try {
      engine.Compile();
    } catch (const EPatternEngine& error) {
      EXPECT_TRUE(compile_codes.count(error.ErrorCode())) << U8(expression) << " " << error.what();
      EXPECT_LE(error.CompilerErrorPos(), static_cast<int64_t>(expression.size()));
      continue;
    }
    ++compiled;
    for (const std::u16string& input : inputs) {
      try {
        engine.Exec(input);
      } catch (const EPatternEngine& error) {
        EXPECT_EQ(error.ErrorCode(), 1014) << U8(expression);
      }
      if (engine.MatchPos(0) >= 0) {
        EXPECT_LE(engine.MatchPos(0) + engine.MatchLen(0), static_cast<int32_t>(input.size()));
      }
    }
  }
  // The alphabet is rich enough that a fair share compiles.
  EXPECT_GT(compiled, 2000);
}

}  // namespace
}  // namespace quireforge::test
