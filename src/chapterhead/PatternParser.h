// PatternParser reads one expression of the engine's dialect into a syntax tree, applying
// inline modifiers and extended syntax as it goes and building the bracket classes. One
// parser per expression; it raises EPatternEngine with the code of the first fault and the
// index at which parsing stood, and then leaves nothing but its own state behind.
#ifndef QUIREFORGE_CHAPTERHEAD_PATTERNPARSER_H_
#define QUIREFORGE_CHAPTERHEAD_PATTERNPARSER_H_

#include <map>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "chapterhead/PatternCharClass.h"
#include "chapterhead/PatternModifiers.h"
#include "chapterhead/PatternSyntax.h"

namespace quireforge {

// Longest expression accepted, in code units; longer ones raise error 101 at position 0.
inline constexpr size_t kPatternMaxExpressionLength = size_t{1} << 20;

class PatternParser {
 public:
  // `classes` receives the compiled bracket classes the tree refers to by number.
  PatternParser(std::u16string_view expression, const PatternModifiers& modifiers,
                std::vector<PatternCharClass>* classes);

  PatternParser(const PatternParser&) = delete;
  PatternParser& operator=(const PatternParser&) = delete;

  // Parses the whole expression. Raises EPatternEngine (compile codes) on the first fault.
  PatternAlternation Parse();

  // Capture groups seen so far.
  int32_t group_count() const { return groups_; }

 private:
  using Ranges = std::vector<std::pair<char16_t, char16_t>>;

  PatternAlternation ParseAlternation(bool* has_width);
  PatternBranch ParseBranch(bool* has_width);
  PatternPiece ParsePiece(bool* has_width);
  PatternAtom ParseAtom(bool* has_width);
  PatternAtom ParseParenthesis(bool* has_width);
  PatternAtom ParseEscape(bool* has_width);
  PatternAtom ParseClass();
  // Reads the character of a class escape whose letter has just been consumed.
  char16_t ClassEscapeCharacter(char16_t letter);
  // Reads the digits of a "\x" escape; the "x" has just been consumed.
  char16_t ParseHexCode();
  void AddRange(Ranges* ranges, char16_t first, char16_t last);
  bool BracesAhead() const;
  // Reads "{n}", "{n,}" or "{n,m}" (BracesAhead is true).
  void ParseBraces(int32_t* min, int32_t* max);
  int32_t ParseBraceNumber();
  // With the x modifier, skips blanks and "#" comments.
  void SkipExtended();
  PatternAtom Literal(char16_t c) const;

  bool AtEnd() const { return pos_ >= text_.size(); }
  char16_t Peek() const { return text_[pos_]; }
  [[noreturn]] void Fail(int32_t code) const;

  std::u16string_view text_;
  size_t pos_ = 0;
  PatternModifiers modifiers_;
  int32_t groups_ = 0;
  std::vector<PatternCharClass>* classes_;
  // Identical classes share one compiled class.
  std::map<std::tuple<Ranges, bool, bool>, int32_t> class_numbers_;
};

}  // namespace quireforge

#endif  // QUIREFORGE_CHAPTERHEAD_PATTERNPARSER_H_
