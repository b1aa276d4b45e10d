#include "chapterhead/PatternLineRule.h"

#include "chapterhead/PatternCompiler.h"
#include "chapterhead/PatternEngineError.h"
#include "chapterhead/PatternModifiers.h"

namespace quireforge {

namespace {

std::shared_ptr<const PatternProgram> Compiled(std::u16string_view expression) {
  // An empty expression is no expression to the engine, not one that matches everywhere.
  if (expression.empty()) throw EPatternEngine(kPatternNoExpression);
  return std::make_shared<const PatternProgram>(CompilePattern(expression, PatternModifiers{}));
}

}  // namespace

PatternLineRule::PatternLineRule(std::u16string_view expression) : program_(Compiled(expression)) {}

bool PatternLineRule::Matches(std::u16string_view line) {
  return matcher_.Search(*program_, line.substr(0, line.find(u'\0')));
}

}  // namespace quireforge
