// PatternLineRule is a line test given by the user as an expression of the pattern engine's
// dialect: a line matches when the expression, compiled with the engine's default modifiers,
// matches anywhere in it, as the chapter-head rule does. The expression is compiled once, at
// construction. Copies share the compiled expression; each copy is used by one thread at a
// time.
#ifndef QUIREFORGE_CHAPTERHEAD_PATTERNLINERULE_H_
#define QUIREFORGE_CHAPTERHEAD_PATTERNLINERULE_H_

#include <memory>
#include <string_view>

#include "chapterhead/PatternMatcher.h"
#include "chapterhead/PatternProgram.h"

namespace quireforge {

class PatternLineRule {
 public:
  // Compiles `expression`. Raises EPatternEngine with the engine's own message: a compile
  // code with its position, or 1003 for an empty expression (which names no rule).
  explicit PatternLineRule(std::u16string_view expression);

  // True when the expression matches somewhere in `line` (which ends at its first U+0000).
  // Raises EPatternEngine 1014 when a match needs more than ten counted loops at once, and
  // std::length_error for a line of 2^31 - 1 code units or more, beyond the engine's reach.
  bool Matches(std::u16string_view line);
  bool operator()(std::u16string_view line) { return Matches(line); }

 private:
  std::shared_ptr<const PatternProgram> program_;
  PatternMatcher matcher_;
};

}  // namespace quireforge

#endif  // QUIREFORGE_CHAPTERHEAD_PATTERNLINERULE_H_
