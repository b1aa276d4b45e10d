// CompilePattern turns an expression of the engine's dialect into a PatternProgram: it
// parses the expression under the given modifiers (inline modifiers change them as parsing
// goes on) and lays the syntax tree out as instructions for PatternMatcher.
#ifndef QUIREFORGE_CHAPTERHEAD_PATTERNCOMPILER_H_
#define QUIREFORGE_CHAPTERHEAD_PATTERNCOMPILER_H_

#include <string_view>

#include "chapterhead/PatternModifiers.h"
#include "chapterhead/PatternProgram.h"

namespace quireforge {

// Raises EPatternEngine with a compile code (below 1000) and the position where parsing
// stood; nothing is left behind on failure.
PatternProgram CompilePattern(std::u16string_view expression, const PatternModifiers& modifiers);

}  // namespace quireforge

#endif  // QUIREFORGE_CHAPTERHEAD_PATTERNCOMPILER_H_
