// Small helpers for the pattern engine tests: run one expression over one input with a
// fresh engine, and catch the error an expression raises.
#ifndef QUIREFORGE_TESTS_CHAPTERHEAD_PATTERNTESTHELPERS_H_
#define QUIREFORGE_TESTS_CHAPTERHEAD_PATTERNTESTHELPERS_H_

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>

#include "chapterhead/PatternEngine.h"

namespace quireforge::test {

// The text of the leftmost match of `expression` in `input` (default modifiers), or nothing.
inline std::optional<std::u16string> FindMatch(std::u16string_view expression,
                                               std::u16string_view input) {
  TPatternEngine engine;
  engine.SetExpression(expression);
  if (!engine.Exec(input)) return std::nullopt;
  return engine.Match(0);
}

inline bool Matches(std::u16string_view expression, std::u16string_view input) {
  return FindMatch(expression, input).has_value();
}

// The error that compiling `expression` raises; a test failure if it compiles.
inline std::optional<EPatternEngine> CompileError(std::u16string_view expression) {
  TPatternEngine engine;
  engine.SetExpression(expression);
  try {
    engine.Compile();
  } catch (const EPatternEngine& error) {
    return error;
  }
  ADD_FAILURE() << "compiled without error";
  return std::nullopt;
}

inline bool Compiles(std::u16string_view expression) {
  TPatternEngine engine;
  engine.SetExpression(expression);
  try {
    engine.Compile();
    return true;
  } catch (const EPatternEngine&) {
    return false;
  }
}

}  // namespace quireforge::test

#endif  // QUIREFORGE_TESTS_CHAPTERHEAD_PATTERNTESTHELPERS_H_
