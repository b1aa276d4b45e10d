// EPatternEngine is the one error the pattern engine raises: a compile error (codes below
// 1000, the message ends in " (pos N)") or a run-time error (codes from 1000, the table text
// alone). It carries the code and the compile position (0 for run-time errors).
#ifndef QUIREFORGE_CHAPTERHEAD_PATTERNENGINEERROR_H_
#define QUIREFORGE_CHAPTERHEAD_PATTERNENGINEERROR_H_

#include <cstdint>
#include <stdexcept>
#include <string>

namespace quireforge {

// The codes the engine raises; the table in PatternEngineError.cpp has a text for these and
// for the codes that mark internal inconsistencies.
enum PatternErrorCode : int32_t {
  kPatternRegexpTooBig = 101,
  kPatternTooManyGroups = 102,
  kPatternUnclosedGroup = 103,
  kPatternUnopenedGroup = 104,
  kPatternOperandCouldBeEmpty = 106,
  kPatternNestedQuantifier = 107,
  kPatternBadHexDigit = 108,
  kPatternInvalidRange = 109,
  kPatternClassTrailingBackslash = 110,
  kPatternNoHexCode = 111,
  kPatternHexCodeTooBig = 112,
  kPatternUnmatchedBracket = 113,
  kPatternQuantifierFollowsNothing = 115,
  kPatternTrailingBackslash = 116,
  kPatternBracesArgumentTooBig = 122,
  kPatternBracesMinGreaterThanMax = 124,
  kPatternUnclosedComment = 125,
  kPatternUnrecognizedModifier = 127,
  kPatternNoExpression = 1003,
  kPatternLoopStackExceeded = 1014,
  kPatternWorkLimitExceeded = 1020,  // a search ran past its work budget
};

// The fixed text of `code`, "Unknown error" for a code not in the table.
std::string PatternErrorText(int32_t code);

class EPatternEngine : public std::runtime_error {
 public:
  // A compile error (code below 1000) found with parsing at index `compile_position` of the
  // expression, or a run-time error (the position is then 0 and not part of the message).
  explicit EPatternEngine(int32_t code, int64_t compile_position = 0);

  int32_t ErrorCode() const { return code_; }
  int64_t CompilerErrorPos() const { return compile_position_; }

 private:
  int32_t code_;
  int64_t compile_position_;
};

}  // namespace quireforge

#endif  // QUIREFORGE_CHAPTERHEAD_PATTERNENGINEERROR_H_
