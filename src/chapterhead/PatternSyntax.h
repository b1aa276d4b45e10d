// The syntax tree of one expression, as PatternParser builds it and the compiler turns it
// into a PatternProgram. Each node owns its children; the tree is as deep as the nesting of
// groups, which the fourteen-group limit keeps small.
#ifndef QUIREFORGE_CHAPTERHEAD_PATTERNSYNTAX_H_
#define QUIREFORGE_CHAPTERHEAD_PATTERNSYNTAX_H_

#include <cstdint>
#include <memory>
#include <vector>

#include "chapterhead/PatternProgram.h"

namespace quireforge {

struct PatternAlternation;

struct PatternAtom {
  enum class Kind : uint8_t {
    kUnit,       // a test of one code unit: op, c, c2, index as in PatternInstruction
    kZeroWidth,  // an anchor or word boundary: op
    kBackref,    // op, index = group number
    kGroup,      // index = group number, group = its alternatives
    kNothing,    // a comment or inline modifiers
  };
  Kind kind = Kind::kNothing;
  PatternOp op = PatternOp::kMatch;
  char16_t c = 0;
  char16_t c2 = 0;
  int32_t index = 0;
  std::unique_ptr<PatternAlternation> group;
};

// An atom with its quantifier, if any.
struct PatternPiece {
  PatternAtom atom;
  bool repeated = false;
  int32_t min = 1;
  int32_t max = 1;
  bool greedy = true;
  // A repetition that keeps a counter while active (braces or lazy, over an operand that is
  // not a single-character test); at most ten may be active inside one another.
  bool counted = false;
};

using PatternBranch = std::vector<PatternPiece>;

struct PatternAlternation {
  std::vector<PatternBranch> branches;
};

}  // namespace quireforge

#endif  // QUIREFORGE_CHAPTERHEAD_PATTERNSYNTAX_H_
