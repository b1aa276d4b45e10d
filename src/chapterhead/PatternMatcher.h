// PatternMatcher runs a PatternProgram over one input by depth-first backtracking. Every
// choice point and every undo record lives on a heap stack, never in recursion, so the
// depth of the C++ stack does not depend on the input or the expression. A matcher is
// reusable (its buffers keep their capacity between searches) and used by one thread at a
// time; it keeps no reference to a program or an input after a search returns.
#ifndef QUIREFORGE_CHAPTERHEAD_PATTERNMATCHER_H_
#define QUIREFORGE_CHAPTERHEAD_PATTERNMATCHER_H_

#include <cstdint>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "chapterhead/PatternProgram.h"

namespace quireforge {

class PatternMatcher {
 public:
  PatternMatcher() = default;

  // Looks for the leftmost match of `program` in `input` (which ends where the view ends),
  // trying every start position from `from` to `to` inclusive (to input.size() at most). On
  // success the captures describe the match; otherwise they are all cleared. Raises
  // EPatternEngine 1014 when an eleventh counted loop is entered inside ten others (captures
  // cleared), and std::length_error for an input of 2^31 - 1 code units or more.
  bool Search(const PatternProgram& program, std::u16string_view input, size_t from = 0,
              size_t to = std::u16string_view::npos);

  // Start and length of capture slot `slot` (0 the whole match, 1-14 the groups) after the
  // last search, or -1 when the slot captured nothing.
  int32_t CaptureStart(int32_t slot) const;
  int32_t CaptureLength(int32_t slot) const;

  // Forgets the captures of the last search.
  void ClearCaptures();

  // The work a search may do: every instruction run and every unit a repetition examines is
  // one step, and a search that takes more than `steps` raises EPatternEngine 1020 (captures
  // cleared), so that an expression that backtracks without end fails instead of running for
  // hours. For the searches from now on; without a call there is no budget.
  void SetWorkBudget(uint64_t steps) { budget_ = steps; }
  // The steps the last search took (up to the one that broke its budget).
  uint64_t StepsTaken() const { return steps_; }

 private:
  // A backtracking record: kind in the low two bits of `code`, a program counter or a
  // register number in the rest.
  struct Frame {
    uint32_t code;
    int32_t a;
    int32_t b;
  };

  bool MatchAt(int32_t start);
  bool Backtrack(int32_t* pc, int32_t* pos);
  void SetRegister(int32_t index, int32_t value);
  bool MatchBackref(const PatternInstruction& instruction, int32_t* pos) const;
  bool TestUnit(const PatternInstruction& instruction, char16_t c) const;

  const PatternProgram* program_ = nullptr;
  const char16_t* input_ = nullptr;
  int32_t length_ = 0;
  // Capture starts and ends, pending group starts, then two registers per loop.
  std::vector<int32_t> registers_;
  std::vector<Frame> frames_;
  bool matched_ = false;
  void CountSteps(uint64_t steps) {
    steps_ += steps;
    if (steps_ > limit_) [[unlikely]]
      ExceedLimit();
  }
  // Fuzzing and work-counting builds (QUIREFORGE_PATTERN_STEP_LIMIT) raise std::range_error
  // past their own limit, so that runaway backtracking or scanning is told apart from a hang;
  // otherwise EPatternEngine 1020 past the budget.
  [[noreturn]] void ExceedLimit() const;
  static constexpr uint64_t kNoBudget = ~uint64_t{0};
  uint64_t budget_ = kNoBudget;
  uint64_t limit_ = kNoBudget;  // the current search's
  uint64_t steps_ = 0;
};

}  // namespace quireforge

#endif  // QUIREFORGE_CHAPTERHEAD_PATTERNMATCHER_H_
