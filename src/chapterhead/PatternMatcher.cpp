#include "chapterhead/PatternMatcher.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

#include "base/ScopeExit.h"
#include "chapterhead/PatternCaseInversion.h"
#include "chapterhead/PatternEngineError.h"

namespace quireforge {

namespace {

// Register layout: start and end of every capture slot, the pending start of every group,
// then the iteration count and the iteration start of every loop.
constexpr int32_t kPendingBase = 2 * kPatternCaptureSlots;
constexpr int32_t kLoopBase = kPendingBase + kPatternCaptureSlots;

constexpr int32_t CaptureStartRegister(int32_t slot) { return 2 * slot; }
constexpr int32_t CaptureEndRegister(int32_t slot) { return 2 * slot + 1; }
constexpr int32_t PendingRegister(int32_t group) { return kPendingBase + group; }
constexpr int32_t LoopCountRegister(int32_t loop) { return kLoopBase + 2 * loop; }
constexpr int32_t LoopStartRegister(int32_t loop) { return kLoopBase + 2 * loop + 1; }

// Frame kinds.
constexpr uint32_t kResume = 0;    // go on at pc with position a
constexpr uint32_t kRestore = 1;   // register <- a
constexpr uint32_t kGiveBack = 2;  // greedy kRepeat at pc started at a, holds b units
constexpr uint32_t kTakeMore = 3;  // lazy kRepeat at pc started at a, holds b units

constexpr uint32_t FrameCode(uint32_t kind, int32_t value) {
  return kind | (static_cast<uint32_t>(value) << 2);
}

bool IsWordCharacter(char16_t c) {
  return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
         c == u'_';
}

bool IsSpaceCharacter(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

bool IsDigitCharacter(char16_t c) { return c >= u'0' && c <= u'9'; }

}  // namespace

bool PatternMatcher::TestUnit(const PatternInstruction& instruction, char16_t c) const {
  switch (instruction.op) {
    case PatternOp::kChar:
      return c == instruction.c;
    case PatternOp::kCharEither:
      return c == instruction.c || c == instruction.c2;
    case PatternOp::kAny:
      return true;
    case PatternOp::kAnyButLineBreak:
      return c != u'\r' && c != u'\n';
    case PatternOp::kClass:
      return program_->classes[instruction.index].Contains(c);
    case PatternOp::kDigit:
      return IsDigitCharacter(c);
    case PatternOp::kNotDigit:
      return !IsDigitCharacter(c);
    case PatternOp::kWord:
      return IsWordCharacter(c);
    case PatternOp::kNotWord:
      return !IsWordCharacter(c);
    case PatternOp::kSpace:
      return IsSpaceCharacter(c);
    case PatternOp::kNotSpace:
      return !IsSpaceCharacter(c);
    default:
      return false;
  }
}

bool PatternMatcher::Search(const PatternProgram& program, std::u16string_view input, size_t from,
                            size_t to) {
  if (input.size() >= static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
    throw std::length_error("TPatternEngine: input too long");
  }
  program_ = &program;
  input_ = input.data();
  length_ = static_cast<int32_t>(input.size());
  matched_ = false;
  steps_ = 0;
  limit_ = budget_;
#ifdef QUIREFORGE_PATTERN_STEP_LIMIT
  limit_ = std::min<uint64_t>(limit_, QUIREFORGE_PATTERN_STEP_LIMIT);
#endif
  registers_.assign(kLoopBase + 2 * static_cast<size_t>(program.loop_count), -1);

  // However the search ends, the matcher keeps no reference to the program or the input, and
  // no backtracking record (the buffer keeps its capacity).
  const ScopeExit forget([this] {
    program_ = nullptr;
    input_ = nullptr;
    frames_.clear();
  });
  bool found = false;
  const PatternInstruction* first =
      program.first_test >= 0 ? &program.instructions[program.first_test] : nullptr;
  const size_t last = std::min(to, input.size());
  for (size_t at = from; at <= last && !found; ++at) {
    if (program.anchored && at > 0) break;
    if (first != nullptr) {
      while (at < input.size() && !TestUnit(*first, input[at])) ++at;
      if (at == input.size() || at > last) break;  // a unit test never matches at the end
    }
    found = MatchAt(static_cast<int32_t>(at));
  }
  matched_ = found;
  return found;
}

void PatternMatcher::ExceedLimit() const {
#ifdef QUIREFORGE_PATTERN_STEP_LIMIT
  if (steps_ > QUIREFORGE_PATTERN_STEP_LIMIT) throw std::range_error("step limit");
#endif
  throw EPatternEngine(kPatternWorkLimitExceeded);
}

void PatternMatcher::SetRegister(int32_t index, int32_t value) {
  int32_t& slot = registers_[index];
  if (slot == value) return;
  frames_.push_back({FrameCode(kRestore, index), slot, 0});
  slot = value;
}

bool PatternMatcher::MatchBackref(const PatternInstruction& instruction, int32_t* pos) const {
  const int32_t start = registers_[CaptureStartRegister(instruction.index)];
  if (start < 0) return false;
  const int32_t length = registers_[CaptureEndRegister(instruction.index)] - start;
  if (length > length_ - *pos) return false;
  const char16_t* captured = input_ + start;
  const char16_t* here = input_ + *pos;
  const bool ignore_case = instruction.op == PatternOp::kBackrefIgnoreCase;
  for (int32_t k = 0; k < length; ++k) {
    if (here[k] == captured[k]) continue;
    if (!ignore_case || here[k] != InvertCase(captured[k])) return false;
  }
  *pos += length;
  return true;
}

bool PatternMatcher::MatchAt(int32_t start) {
  const PatternInstruction* code = program_->instructions.data();
  const char16_t* s = input_;
  const int32_t n = length_;
  frames_.clear();
  std::fill_n(registers_.begin(), 2 * (program_->group_count + 1), -1);

  int32_t pc = 0;
  int32_t pos = start;
  for (;;) {
    CountSteps(1);
    // Every case either goes on (continue) or fails (break) into backtracking.
    const PatternInstruction& in = code[pc];
    switch (in.op) {
      case PatternOp::kChar:
        if (pos < n && s[pos] == in.c) {
          ++pos;
          ++pc;
          continue;
        }
        break;
      case PatternOp::kCharEither:
        if (pos < n && (s[pos] == in.c || s[pos] == in.c2)) {
          ++pos;
          ++pc;
          continue;
        }
        break;
      case PatternOp::kAny:
        if (pos < n) {
          ++pos;
          ++pc;
          continue;
        }
        break;
      case PatternOp::kClass:
        if (pos < n && program_->classes[in.index].Contains(s[pos])) {
          ++pos;
          ++pc;
          continue;
        }
        break;
      case PatternOp::kAnyButLineBreak:
      case PatternOp::kDigit:
      case PatternOp::kNotDigit:
      case PatternOp::kWord:
      case PatternOp::kNotWord:
      case PatternOp::kSpace:
      case PatternOp::kNotSpace:
        if (pos < n && TestUnit(in, s[pos])) {
          ++pos;
          ++pc;
          continue;
        }
        break;

      case PatternOp::kInputStart:
        if (pos == 0) {
          ++pc;
          continue;
        }
        break;
      case PatternOp::kInputEnd:
        if (pos == n) {
          ++pc;
          continue;
        }
        break;
      case PatternOp::kLineStart:
        // After LF, or after a CR that no LF follows; never between CR and LF.
        if (pos == 0 || s[pos - 1] == u'\n' ||
            (s[pos - 1] == u'\r' && (pos == n || s[pos] != u'\n'))) {
          ++pc;
          continue;
        }
        break;
      case PatternOp::kLineEnd:
        // Before CR, or before an LF that follows no CR; never between CR and LF.
        if (pos == n || s[pos] == u'\r' || (s[pos] == u'\n' && (pos == 0 || s[pos - 1] != u'\r'))) {
          ++pc;
          continue;
        }
        break;
      case PatternOp::kWordBoundary:
      case PatternOp::kNotWordBoundary: {
        const bool before = pos > 0 && IsWordCharacter(s[pos - 1]);
        const bool after = pos < n && IsWordCharacter(s[pos]);
        if ((before != after) == (in.op == PatternOp::kWordBoundary)) {
          ++pc;
          continue;
        }
        break;
      }

      case PatternOp::kBackref:
      case PatternOp::kBackrefIgnoreCase:
        if (MatchBackref(in, &pos)) {
          ++pc;
          continue;
        }
        break;

      case PatternOp::kOpen:
        SetRegister(PendingRegister(in.index), pos);
        ++pc;
        continue;
      case PatternOp::kClose:
        SetRegister(CaptureStartRegister(in.index), registers_[PendingRegister(in.index)]);
        SetRegister(CaptureEndRegister(in.index), pos);
        ++pc;
        continue;

      case PatternOp::kJump:
        pc = in.target;
        continue;
      case PatternOp::kSplit:
        if (in.guard >= 0 && (pos >= n || !TestUnit(code[in.guard], s[pos]))) {
          pc = in.alternative;
        } else {
          frames_.push_back({FrameCode(kResume, in.alternative), pos, 0});
          pc = in.target;
        }
        continue;

      case PatternOp::kRepeat: {
        const PatternInstruction& test = code[pc + 1];
        const int32_t available = n - pos;
        // Fewer units left than the minimum: no need to look at them.
        if (in.min > available) break;
        int32_t count = 0;
        if (in.greedy) {
          const int32_t limit = std::min(in.max, available);
          if (test.op == PatternOp::kClass) {
            const PatternCharClass& members = program_->classes[test.index];
            while (count < limit && members.Contains(s[pos + count])) ++count;
          } else {
            while (count < limit && TestUnit(test, s[pos + count])) ++count;
          }
          CountSteps(static_cast<uint64_t>(count));
          if (count < in.min) break;
          if (count > in.min) frames_.push_back({FrameCode(kGiveBack, pc), pos, count});
        } else {
          while (count < in.min && TestUnit(test, s[pos + count])) ++count;
          CountSteps(static_cast<uint64_t>(count));
          if (count < in.min) break;
          if (count < in.max) frames_.push_back({FrameCode(kTakeMore, pc), pos, count});
        }
        pos += count;
        pc += 2;
        continue;
      }

      case PatternOp::kLoopEnter:
        SetRegister(LoopCountRegister(in.index), 0);
        ++pc;
        continue;
      case PatternOp::kLoopTest: {
        const int32_t count = registers_[LoopCountRegister(in.index)];
        if (count < in.min) {
          ++pc;
        } else if (count >= in.max) {
          pc = in.target;
        } else if (in.greedy) {
          frames_.push_back({FrameCode(kResume, in.target), pos, 0});
          ++pc;
        } else {
          frames_.push_back({FrameCode(kResume, pc + 1), pos, 0});
          pc = in.target;
        }
        continue;
      }
      case PatternOp::kLoopIteration:
        SetRegister(LoopStartRegister(in.index), pos);
        ++pc;
        continue;
      case PatternOp::kLoopEnd:
        if (pos == registers_[LoopStartRegister(in.index)]) {
          // An iteration that consumed nothing would repeat forever: the loop ends here.
          pc = in.alternative;
        } else {
          SetRegister(LoopCountRegister(in.index), registers_[LoopCountRegister(in.index)] + 1);
          pc = in.target;
        }
        continue;
      case PatternOp::kLoopLimitExceeded:
        throw EPatternEngine(kPatternLoopStackExceeded);

      case PatternOp::kMatch:
        registers_[CaptureStartRegister(0)] = start;
        registers_[CaptureEndRegister(0)] = pos;
        return true;
    }
    if (!Backtrack(&pc, &pos)) return false;
  }
}

bool PatternMatcher::Backtrack(int32_t* pc, int32_t* pos) {
  const PatternInstruction* code = program_->instructions.data();
  while (!frames_.empty()) {
    Frame& frame = frames_.back();
    const uint32_t kind = frame.code & 3u;
    const int32_t value = static_cast<int32_t>(frame.code >> 2);
    switch (kind) {
      case kRestore:
        registers_[value] = frame.a;
        frames_.pop_back();
        continue;
      case kResume:
        *pc = value;
        *pos = frame.a;
        frames_.pop_back();
        return true;
      case kGiveBack: {
        const int32_t count = --frame.b;
        *pos = frame.a + count;
        *pc = value + 2;
        if (count <= code[value].min) frames_.pop_back();
        return true;
      }
      case kTakeMore: {
        const int32_t next = frame.a + frame.b;
        if (next < length_ && TestUnit(code[value + 1], input_[next])) {
          const int32_t count = ++frame.b;
          *pos = next + 1;
          *pc = value + 2;
          if (count >= code[value].max) frames_.pop_back();
          return true;
        }
        frames_.pop_back();
        continue;
      }
    }
  }
  return false;
}

int32_t PatternMatcher::CaptureStart(int32_t slot) const {
  if (!matched_ || slot < 0 || slot >= kPatternCaptureSlots) return -1;
  return registers_[CaptureStartRegister(slot)];
}

int32_t PatternMatcher::CaptureLength(int32_t slot) const {
  const int32_t start = CaptureStart(slot);
  if (start < 0) return -1;
  return registers_[CaptureEndRegister(slot)] - start;
}

void PatternMatcher::ClearCaptures() { matched_ = false; }

}  // namespace quireforge
