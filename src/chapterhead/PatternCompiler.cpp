#include "chapterhead/PatternCompiler.h"

#include "chapterhead/PatternParser.h"
#include "chapterhead/PatternSyntax.h"

namespace quireforge {

namespace {

// Lays out a syntax tree as instructions. Groups become kOpen/kClose around their
// alternatives; repetitions of one code-unit test become kRepeat; every other repetition a
// loop, or a split when it is taken at most once.
class CodeGenerator {
 public:
  explicit CodeGenerator(PatternProgram* program) : program_(program) {}

  void EmitAlternation(const PatternAlternation& alternation, int32_t counted_depth) {
    std::vector<int32_t> jumps_to_end;
    const size_t count = alternation.branches.size();
    for (size_t b = 0; b < count; ++b) {
      const bool last = b + 1 == count;
      int32_t split = -1;
      if (!last) split = Emit({.op = PatternOp::kSplit});
      for (const PatternPiece& piece : alternation.branches[b]) EmitPiece(piece, counted_depth);
      if (!last) {
        jumps_to_end.push_back(Emit({.op = PatternOp::kJump}));
        At(split).target = split + 1;
        At(split).alternative = Size();
      }
    }
    for (int32_t jump : jumps_to_end) At(jump).target = Size();
  }

  void Finish() {
    Emit({.op = PatternOp::kMatch});
    for (PatternInstruction& instruction : program_->instructions) {
      if (instruction.op == PatternOp::kSplit) instruction.guard = LeadingTest(instruction.target);
    }
    program_->first_test = LeadingTest(0);
    program_->anchored = Instruction(SkipOpens(0)).op == PatternOp::kInputStart;
  }

 private:
  void EmitPiece(const PatternPiece& piece, int32_t counted_depth) {
    const PatternAtom& atom = piece.atom;
    if (!piece.repeated) {
      EmitAtom(atom, counted_depth);
      return;
    }
    const int32_t depth = counted_depth + (piece.counted ? 1 : 0);
    if (depth > kPatternMaxActiveCountedLoops) {
      // Reaching this repetition always means entering one counted loop too many.
      Emit({.op = PatternOp::kLoopLimitExceeded});
      return;
    }
    if (atom.kind == PatternAtom::Kind::kUnit) {
      Emit({.op = PatternOp::kRepeat, .greedy = piece.greedy, .min = piece.min, .max = piece.max});
      EmitAtom(atom, depth);
      return;
    }
    if (piece.min == 1 && piece.max == 1) {
      EmitAtom(atom, depth);
      return;
    }
    if (piece.min == 0 && piece.max == 1) {
      const int32_t split = Emit({.op = PatternOp::kSplit});
      EmitAtom(atom, depth);
      const int32_t body = split + 1;
      At(split).target = piece.greedy ? body : Size();
      At(split).alternative = piece.greedy ? Size() : body;
      return;
    }
    const int32_t loop = program_->loop_count++;
    Emit({.op = PatternOp::kLoopEnter, .index = loop});
    const int32_t test = Emit({.op = PatternOp::kLoopTest,
                               .greedy = piece.greedy,
                               .index = loop,
                               .min = piece.min,
                               .max = piece.max});
    Emit({.op = PatternOp::kLoopIteration, .index = loop});
    EmitAtom(atom, depth);
    const int32_t end = Emit({.op = PatternOp::kLoopEnd, .index = loop, .target = test});
    At(test).target = Size();
    At(end).alternative = Size();
  }

  void EmitAtom(const PatternAtom& atom, int32_t counted_depth) {
    switch (atom.kind) {
      case PatternAtom::Kind::kUnit:
      case PatternAtom::Kind::kZeroWidth:
      case PatternAtom::Kind::kBackref:
        Emit({.op = atom.op, .c = atom.c, .c2 = atom.c2, .index = atom.index});
        return;
      case PatternAtom::Kind::kGroup:
        Emit({.op = PatternOp::kOpen, .index = atom.index});
        EmitAlternation(*atom.group, counted_depth);
        Emit({.op = PatternOp::kClose, .index = atom.index});
        return;
      case PatternAtom::Kind::kNothing:
        return;
    }
  }

  // The unit test every path from `pc` starts with, or -1.
  int32_t LeadingTest(int32_t pc) const {
    pc = SkipOpens(pc);
    const PatternInstruction& instruction = Instruction(pc);
    if (IsUnitTest(instruction.op)) return pc;
    if (instruction.op == PatternOp::kRepeat && instruction.min > 0) return pc + 1;
    return -1;
  }

  int32_t SkipOpens(int32_t pc) const {
    while (Instruction(pc).op == PatternOp::kOpen) ++pc;
    return pc;
  }

  const PatternInstruction& Instruction(int32_t pc) const { return program_->instructions[pc]; }
  PatternInstruction& At(int32_t pc) { return program_->instructions[pc]; }
  int32_t Size() const { return static_cast<int32_t>(program_->instructions.size()); }

  int32_t Emit(const PatternInstruction& instruction) {
    program_->instructions.push_back(instruction);
    return Size() - 1;
  }

  PatternProgram* program_;
};

}  // namespace

PatternProgram CompilePattern(std::u16string_view expression, const PatternModifiers& modifiers) {
  PatternProgram program;
  PatternParser parser(expression, modifiers, &program.classes);
  PatternAlternation tree = parser.Parse();
  program.group_count = parser.group_count();
  CodeGenerator generator(&program);
  generator.EmitAlternation(tree, 0);
  generator.Finish();
  return program;
}

}  // namespace quireforge
