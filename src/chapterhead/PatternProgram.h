// PatternProgram is a compiled expression: a flat list of instructions for the backtracking
// matcher (PatternMatcher), the bracket classes they name, and the numbers of groups and
// loops. CompilePattern builds it; afterwards it is immutable and may serve any number of
// matchers, on any threads.
#ifndef QUIREFORGE_CHAPTERHEAD_PATTERNPROGRAM_H_
#define QUIREFORGE_CHAPTERHEAD_PATTERNPROGRAM_H_

#include <cstdint>
#include <vector>

#include "chapterhead/PatternCharClass.h"

namespace quireforge {

// Capture slots: 0 for the whole match, 1 to 14 for the groups.
inline constexpr int32_t kPatternMaxGroups = 14;
inline constexpr int32_t kPatternCaptureSlots = kPatternMaxGroups + 1;
// Upper bound of "*", "+" and "{n,}".
inline constexpr int32_t kPatternUnboundedRepeat = 2147483646;
// How many counted loops may be active inside one another.
inline constexpr int32_t kPatternMaxActiveCountedLoops = 10;

enum class PatternOp : uint8_t {
  // Tests of one code unit: on success the position advances by one. None succeeds at the
  // end of the input. kChar .. kNotSpace is the range IsUnitTest accepts.
  kChar,             // the code unit c
  kCharEither,       // c or c2 (a literal under the i modifier)
  kAny,              // any code unit
  kAnyButLineBreak,  // any but CR and LF
  kClass,            // a member of classes[index]
  kDigit,
  kNotDigit,
  kWord,
  kNotWord,
  kSpace,
  kNotSpace,
  // Zero-width tests.
  kInputStart,  // "\A", and "^" without m
  kInputEnd,    // "\Z", and "$" without m
  kLineStart,   // "^" with m
  kLineEnd,     // "$" with m
  kWordBoundary,
  kNotWordBoundary,
  // The text group `index` captured last (fails when it captured nothing).
  kBackref,
  kBackrefIgnoreCase,
  // Capture bookkeeping for group `index`.
  kOpen,
  kClose,
  // Control flow.
  kJump,   // go to target
  kSplit,  // go to target; on backtracking, to alternative. guard: see below.
  // The unit test at pc + 1, repeated min..max times (greedy or lazy); go on at pc + 2.
  kRepeat,
  // A loop around a body of any kind, number `index`:
  //   kLoopEnter; kLoopTest (min, max, greedy, target = exit); kLoopIteration; body;
  //   kLoopEnd (target = the kLoopTest, alternative = exit).
  // An iteration that consumed nothing ends the loop.
  kLoopEnter,
  kLoopTest,
  kLoopIteration,
  kLoopEnd,
  // Entering an eleventh counted loop inside ten others: raises error 1014.
  kLoopLimitExceeded,
  kMatch,
};

inline bool IsUnitTest(PatternOp op) { return op <= PatternOp::kNotSpace; }

struct PatternInstruction {
  PatternOp op = PatternOp::kMatch;
  bool greedy = true;
  char16_t c = 0;
  char16_t c2 = 0;
  int32_t index = 0;  // class, group or loop number
  int32_t min = 0;
  int32_t max = 0;
  int32_t target = 0;
  int32_t alternative = 0;
  // kSplit: when not negative, the unit test every path through `target` starts with; if it
  // fails at the current position, the split goes straight to `alternative`.
  int32_t guard = -1;
};

struct PatternProgram {
  std::vector<PatternInstruction> instructions;
  std::vector<PatternCharClass> classes;
  int32_t group_count = 0;
  int32_t loop_count = 0;
  // A unit test every match starts with (-1 if none): start positions where it fails are
  // skipped without an attempt.
  int32_t first_test = -1;
  // Every match starts at the start of the input.
  bool anchored = false;
};

}  // namespace quireforge

#endif  // QUIREFORGE_CHAPTERHEAD_PATTERNPROGRAM_H_
