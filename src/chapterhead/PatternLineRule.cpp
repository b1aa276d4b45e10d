#include "chapterhead/PatternLineRule.h"

#include <algorithm>

#include "chapterhead/PatternCompiler.h"
#include "chapterhead/PatternEngineError.h"
#include "chapterhead/PatternModifiers.h"

namespace quireforge {

namespace {

std::shared_ptr<const PatternProgram> Compiled(std::u16string_view expression) {
  // An empty expression is no expression to the engine, not one that matches everywhere.
  if (expression.empty()) throw EPatternEngine(kPatternNoExpression);
  auto program =
      std::make_shared<const PatternProgram>(CompilePattern(expression, PatternModifiers{}));
  // Repetitions nested too deep are compiled into a failure at run time, as the engine has it;
  // a rule tells at once instead.
  for (const PatternInstruction& instruction : program->instructions) {
    if (instruction.op == PatternOp::kLoopLimitExceeded) {
      throw EPatternEngine(kPatternLoopStackExceeded);
    }
  }
  return program;
}

}  // namespace

PatternLineRule::PatternLineRule(std::u16string_view expression) : program_(Compiled(expression)) {}

bool PatternLineRule::Matches(std::u16string_view line) {
  line = line.substr(0, line.find(u'\0'));
  units_ += line.size();
  const uint64_t allowed = kTextWork + kUnitWork * units_;
  const uint64_t text_left = allowed > spent_ ? allowed - spent_ : 0;
  matcher_.SetWorkBudget(std::min(kLineWork + kUnitWork * line.size(), text_left));
  try {
    const bool found = matcher_.Search(*program_, line);
    spent_ += matcher_.StepsTaken();
    return found;
  } catch (...) {
    spent_ += matcher_.StepsTaken();
    throw;
  }
}

}  // namespace quireforge
