// TPatternEngine is the program's own regular-expression engine over UTF-16 text: it holds
// an expression and six modifiers, compiles the expression on first use (and again only
// when the expression or the modifiers change), and searches an input for the leftmost
// match. Owned by its client; one thread at a time; no state shared between instances.
#ifndef QUIREFORGE_CHAPTERHEAD_PATTERNENGINE_H_
#define QUIREFORGE_CHAPTERHEAD_PATTERNENGINE_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "chapterhead/PatternEngineError.h"
#include "chapterhead/PatternMatcher.h"
#include "chapterhead/PatternModifiers.h"
#include "chapterhead/PatternProgram.h"

namespace quireforge {

class TPatternEngine {
 public:
  // No expression, nothing compiled, the default modifiers (r, s and g on).
  TPatternEngine() = default;

  TPatternEngine(const TPatternEngine&) = delete;
  TPatternEngine& operator=(const TPatternEngine&) = delete;

  // Stores a copy of `expression`; an empty text leaves the engine without one. A text that
  // differs from the stored one discards the compiled program.
  void SetExpression(std::u16string_view expression);
  const std::u16string& Expression() const { return expression_; }

  // The modifiers used by the next compilation; a change makes the next Exec recompile.
  const PatternModifiers& Modifiers() const { return modifiers_; }
  void SetModifiers(const PatternModifiers& modifiers) { modifiers_ = modifiers; }

  // Compiles now if needed. Raises EPatternEngine: 1003 without an expression, a compile
  // code otherwise; nothing is compiled afterwards.
  void Compile();
  // A compiled program is kept (it may still be stale when the modifiers have changed since).
  bool IsCompiled() const { return program_.has_value(); }

  // Stores a copy of `input` (which ends at its first U+0000), clears the captures, compiles
  // if needed and searches the whole input. True when a match was found; slot 0 then holds
  // its start and length. Raises EPatternEngine: 1003 without an expression, a compile code,
  // or 1014 when an eleventh counted loop is entered; the captures are then clear.
  bool Exec(std::u16string_view input);

  const std::u16string& InputString() const { return input_; }

  // Capture slot `slot` (0 the whole match, 1-14 the groups) of the last Exec: start, length
  // and text; -1 (and empty text) when the slot captured nothing.
  int32_t MatchPos(int32_t slot) const { return matcher_.CaptureStart(slot); }
  int32_t MatchLen(int32_t slot) const { return matcher_.CaptureLength(slot); }
  std::u16string Match(int32_t slot) const;

 private:
  std::u16string expression_;
  PatternModifiers modifiers_;
  std::optional<PatternProgram> program_;
  PatternModifiers compiled_modifiers_;
  std::u16string input_;
  PatternMatcher matcher_;
};

}  // namespace quireforge

#endif  // QUIREFORGE_CHAPTERHEAD_PATTERNENGINE_H_
