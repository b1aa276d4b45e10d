#include "chapterhead/PatternEngineError.h"

namespace quireforge {

std::string PatternErrorText(int32_t code) {
  switch (code) {
    case 0:
      return "No errors";
    case 100:
      return "TPatternEngine(comp): Null Argument";
    case 101:
      return "TPatternEngine(comp): Regexp Too Big";
    case 102:
      return "TPatternEngine(comp): ParseReg Too Many ()";
    case 103:
      return "TPatternEngine(comp): ParseReg Unmatched ()";
    case 104:
      return "TPatternEngine(comp): ParseReg Unmatched ()";
    case 105:
      return "TPatternEngine(comp): ParseReg Junk On End";
    case 106:
      return "TPatternEngine(comp): *+ Operand Could Be Empty";
    case 107:
      return "TPatternEngine(comp): Nested *?+";
    case 108:
      return "TPatternEngine(comp): Bad Hex Digit";
    case 109:
      return "TPatternEngine(comp): Invalid [] Range";
    case 110:
      return "TPatternEngine(comp): Parse Atom Trailing \\";
    case 111:
      return "TPatternEngine(comp): No Hex Code After \\x";
    case 112:
      return "TPatternEngine(comp): Hex Code After \\x Is Too Big";
    case 113:
      return "TPatternEngine(comp): Unmatched []";
    case 114:
      return "TPatternEngine(comp): Internal Urp";
    case 115:
      return "TPatternEngine(comp): ?+*{ Follows Nothing";
    case 116:
      return "TPatternEngine(comp): Trailing \\";
    case 119:
      return "TPatternEngine(comp): RarseAtom Internal Disaster";
    case 122:
      return "TPatternEngine(comp): BRACES Argument Too Big";
    case 124:
      return "TPatternEngine(comp): BRACE Min Param Greater then Max";
    case 125:
      return "TPatternEngine(comp): Unclosed (?#Comment)";
    case 126:
      return "TPatternEngine(comp): Complex braces and non-greedy operators are not supported "
             "by this build";
    case 127:
      return "TPatternEngine(comp): Urecognized Modifier";
    case 128:
      return "TPatternEngine(comp): LinePairedSeparator must countain two different chars or no "
             "chars at all";
    case 1000:
      return "TPatternEngine(exec): RegRepeat Called Inappropriately";
    case 1001:
      return "TPatternEngine(exec): MatchPrim Memory Corruption";
    case 1002:
      return "TPatternEngine(exec): MatchPrim Corrupted Pointers";
    case 1003:
      return "TPatternEngine(exec): Not Assigned Expression Property";
    case 1004:
      return "TPatternEngine(exec): Corrupted Program";
    case 1005:
      return "TPatternEngine(exec): No Input String Specified";
    case 1006:
      return "TPatternEngine(exec): Offset Must Be Greater Then 0";
    case 1007:
      return "TPatternEngine(exec): ExecNext Without Exec[Pos]";
    case 1008:
      return "TPatternEngine(exec): GetInputString Without InputString";
    case 1011:
      return "TPatternEngine(dump): Corrupted Opcode";
    case 1014:
      return "TPatternEngine(exec): Loop Stack Exceeded";
    case 1015:
      return "TPatternEngine(exec): Loop Without LoopEntry !";
    case 1020:
      return "TPatternEngine(exec): Work Limit Exceeded";
    case 2000:
      return "TPatternEngine(misc): Bad p-code imported";
    default:
      return "Unknown error";
  }
}

namespace {

std::string MessageOf(int32_t code, int64_t compile_position) {
  if (code >= 1000) return PatternErrorText(code);
  return PatternErrorText(code) + " (pos " + std::to_string(compile_position) + ")";
}

}  // namespace

EPatternEngine::EPatternEngine(int32_t code, int64_t compile_position)
    : std::runtime_error(MessageOf(code, compile_position)),
      code_(code),
      compile_position_(code >= 1000 ? 0 : compile_position) {}

}  // namespace quireforge
