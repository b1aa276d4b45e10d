#include "chapterhead/PatternEngine.h"

#include "chapterhead/PatternCompiler.h"

namespace quireforge {

void TPatternEngine::SetExpression(std::u16string_view expression) {
  if (expression != expression_) program_.reset();
  expression_.assign(expression);
}

void TPatternEngine::Compile() {
  if (expression_.empty()) {
    program_.reset();
    throw EPatternEngine(kPatternNoExpression);
  }
  if (program_.has_value() && compiled_modifiers_ == modifiers_) return;
  program_.reset();
  program_ = CompilePattern(expression_, modifiers_);
  compiled_modifiers_ = modifiers_;
}

bool TPatternEngine::Exec(std::u16string_view input) {
  input_.assign(input.substr(0, input.find(u'\0')));
  matcher_.ClearCaptures();
  Compile();
  return matcher_.Search(*program_, input_);
}

std::u16string TPatternEngine::Match(int32_t slot) const {
  const int32_t start = MatchPos(slot);
  if (start < 0) return {};
  return input_.substr(static_cast<size_t>(start), static_cast<size_t>(MatchLen(slot)));
}

}  // namespace quireforge
