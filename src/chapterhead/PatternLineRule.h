// PatternLineRule is a line test given by the user as an expression of the pattern engine's
// dialect: a line matches when the expression, compiled with the engine's default modifiers,
// matches anywhere in it, as the chapter-head rule does. The expression is compiled once, at
// construction. Copies share the compiled expression; each copy is used by one thread at a
// time. An expression can ask for work that grows exponentially with a line ((a+)+b) or with
// the square of its length (.*XYZ), or for much work on every line (thousands of
// alternatives): each rule therefore has a work budget (see PatternMatcher::SetWorkBudget) of
// kLineWork steps and kUnitWork steps per code unit for one line, and kTextWork steps and
// kUnitWork per unit for all the lines it is asked about together; real expressions on real
// books take a small part of it, a runaway one fails within a few seconds.
#ifndef QUIREFORGE_CHAPTERHEAD_PATTERNLINERULE_H_
#define QUIREFORGE_CHAPTERHEAD_PATTERNLINERULE_H_

#include <cstdint>
#include <memory>
#include <string_view>

#include "chapterhead/PatternMatcher.h"
#include "chapterhead/PatternProgram.h"

namespace quireforge {

class PatternLineRule {
 public:
  static constexpr uint64_t kLineWork = 2'000'000;
  static constexpr uint64_t kTextWork = 200'000'000;
  static constexpr uint64_t kUnitWork = 64;

  // Compiles `expression`. Raises EPatternEngine with the engine's own message: a compile
  // code with its position, 1003 for an empty expression (which names no rule), or 1014 when
  // counted repetitions ({n,m}) are nested more than ten deep, which no line could be searched
  // with.
  explicit PatternLineRule(std::u16string_view expression);

  // True when the expression matches somewhere in `line` (which ends at its first U+0000).
  // Raises EPatternEngine 1020 when the search breaks the work budget, and std::length_error
  // for a line of 2^31 - 1 code units or more, beyond the engine's reach.
  bool Matches(std::u16string_view line);
  bool operator()(std::u16string_view line) { return Matches(line); }

 private:
  std::shared_ptr<const PatternProgram> program_;
  PatternMatcher matcher_;
  uint64_t units_ = 0;  // of all lines asked about
  uint64_t spent_ = 0;  // steps of all searches
};

}  // namespace quireforge

#endif  // QUIREFORGE_CHAPTERHEAD_PATTERNLINERULE_H_
