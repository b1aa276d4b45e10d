// libFuzzer target for the pattern engine: arbitrary bytes become modifiers, an expression
// and an input. Compiling must either succeed or raise EPatternEngine with a compile code;
// searching must raise nothing but 1014; matches and captures must lie inside the input.
// The chapter-head rule runs over the same input. Built with a step limit (see
// fuzz/CMakeLists.txt), so that exponential backtracking ends an input instead of a run.
//
// Input layout: byte 0 the modifier bits (i r s g m x), byte 1 the expression length in
// bytes, then the expression, then the input. Bytes below 0x80 are ASCII characters; the
// others pick wider or special characters (see Character).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "chapterhead/ChapterHeadRule.h"
#include "chapterhead/PatternEngine.h"

namespace {

using quireforge::ChapterHeadRule;
using quireforge::EPatternEngine;
using quireforge::PatternModifiers;
using quireforge::TPatternEngine;

constexpr size_t kMaxInputLength = 512;

// Bytes 0x80-0xBF: characters worth meeting (Cyrillic range ends, the chapter-head sets,
// spaces, line breaks, surrogates, the edges of case inversion, NUL).
constexpr char16_t kWideCharacters[64] = {
    0x0430, 0x044F, 0x0451, 0x0410, 0x042F, 0x0401, 0x0436, 0x0416, 0x7B2C, 0x7AE0, 0x5377,
    0x5E8F, 0x56DE, 0x7BC7, 0x8BFE, 0x8282, 0x90E8, 0x96C6, 0x3000, 0x3007, 0x4E00, 0x5341,
    0xFF10, 0xFF19, 0x2160, 0x216B, 0x00A0, 0x0000, 0xD800, 0xDBFF, 0xDC00, 0xDFFF, 0xFFFF,
    0xFFFE, 0x20AB, 0x20AC, 0x0131, 0x0130, 0x017F, 0x00DF, 0x1E9E, 0x03A3, 0x03C3, 0x03C2,
    0x01C4, 0x01C5, 0x01C6, 0x212A, 0x00B5, 0x039C, 0x000B, 0x0085, 0x2028, 0x00E9, 0x00C9,
    0xFF21, 0xFF41, 0x0100, 0x00FF, 0x0178, 0x2C6F, 0x0250, 0x10A0, 0x2D00};
// Bytes 0xC0-0xFF: the dialect's special characters again, so that mutations meet them often.
constexpr char16_t kSpecialCharacters[] = u"()[]{}|?*+.^$\\-#";

char16_t Character(uint8_t byte) {
  if (byte < 0x80) return byte;
  if (byte < 0xC0) return kWideCharacters[byte - 0x80];
  return kSpecialCharacters[(byte - 0xC0) % (sizeof(kSpecialCharacters) / 2 - 1)];
}

void Check(bool condition) {
  if (!condition) std::abort();
}

void CheckCaptures(const TPatternEngine& engine, bool found, size_t input_length) {
  if (!found) {
    Check(engine.MatchPos(0) == -1);
    return;
  }
  for (int32_t slot = 0; slot <= 14; ++slot) {
    const int32_t start = engine.MatchPos(slot);
    if (start < 0) continue;
    Check(engine.MatchLen(slot) >= 0);
    Check(static_cast<size_t>(start) + static_cast<size_t>(engine.MatchLen(slot)) <= input_length);
  }
}

bool IsCompileCode(int32_t code) { return code >= 100 && code < 1000; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  PatternModifiers modifiers;
  modifiers.i = data[0] & 1;
  modifiers.r = data[0] & 2;
  modifiers.s = data[0] & 4;
  modifiers.g = data[0] & 8;
  modifiers.m = data[0] & 16;
  modifiers.x = data[0] & 32;
  const bool second_pass = data[0] & 64;
  size_t expression_length = data[1];
  data += 2;
  size -= 2;
  if (expression_length > size) expression_length = size;
  std::u16string expression, input;
  for (size_t k = 0; k < expression_length; ++k) expression += Character(data[k]);
  for (size_t k = expression_length; k < size && input.size() < kMaxInputLength; ++k) {
    input += Character(data[k]);
  }

  TPatternEngine engine;
  engine.SetModifiers(modifiers);
  engine.SetExpression(expression);
  for (int pass = 0; pass < (second_pass ? 2 : 1); ++pass) {
    try {
      const bool found = engine.Exec(input);
      CheckCaptures(engine, found, engine.InputString().size());
    } catch (const EPatternEngine& error) {
      const int32_t code = error.ErrorCode();
      Check(IsCompileCode(code) || code == 1003 || code == 1014);
      Check(code != 1003 || expression.empty());
      Check(error.CompilerErrorPos() >= 0 &&
            error.CompilerErrorPos() <= static_cast<int64_t>(expression.size()));
      Check(engine.MatchPos(0) == -1);
    } catch (const std::range_error&) {
      // The step limit: exponential backtracking, not a fault.
    }
    // The second pass flips every modifier, which must recompile.
    modifiers.i = !modifiers.i;
    modifiers.r = !modifiers.r;
    modifiers.s = !modifiers.s;
    modifiers.g = !modifiers.g;
    modifiers.m = !modifiers.m;
    modifiers.x = !modifiers.x;
    engine.SetModifiers(modifiers);
  }

  static ChapterHeadRule rule;
  try {
    rule.IsChapterHead(input);
  } catch (const std::range_error&) {
    std::abort();  // the chapter-head pattern never backtracks that much
  }
  return 0;
}
