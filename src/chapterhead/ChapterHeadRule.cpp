#include "chapterhead/ChapterHeadRule.h"

#include <algorithm>
#include <array>

#include "chapterhead/PatternCompiler.h"
#include "chapterhead/PatternModifiers.h"

namespace quireforge {

namespace {

// The opening set of the pattern: 第 | 卷 序 章. Every unit of every line is tested, so the
// test is one look-up without a branch: the five characters' low six bits all differ, each
// stands in the slot of its low six bits, and every other slot holds "|", which belongs to a
// slot of its own.
constexpr char16_t kOpenings[] = {u'第', u'|', u'卷', u'序', u'章'};

constexpr std::array<char16_t, 64> OpeningBySlot() {
  std::array<char16_t, 64> slots{};
  slots.fill(u'|');
  for (char16_t c : kOpenings) slots[c & 63] = c;
  return slots;
}
constexpr std::array<char16_t, 64> kOpeningBySlot = OpeningBySlot();

constexpr bool EveryOpeningHasItsSlot() {
  for (char16_t c : kOpenings) {
    if (kOpeningBySlot[c & 63] != c) return false;
  }
  return true;
}
static_assert(EveryOpeningHasItsSlot(), "two opening characters share a slot");

bool IsOpening(char16_t c) { return kOpeningBySlot[c & 63] == c; }

// A match starts with "Charpter" (8 units) or nothing, then one optional unit, then an
// opening character: it starts at most this far before its opening character.
constexpr size_t kMaxLeadBeforeOpening = 9;

// After the opening character and its run of spaces, a match holds at most ten numerals, one
// space, the closing character and one more unit.
constexpr size_t kMaxTailAfterSpaces = 13;

// The members of the pattern's space classes.
bool IsSpace(char16_t c) { return c == u' ' || c == u'\u3000'; }

}  // namespace

ChapterHeadRule::ChapterHeadRule()
    : program_(std::make_shared<const PatternProgram>(
          CompilePattern(kChapterHeadPattern, PatternModifiers{}))) {}

bool ChapterHeadRule::IsChapterHead(std::u16string_view line) {
  // Every match holds an opening character, and starts at most kMaxLeadBeforeOpening units
  // before it. So only the start positions in those windows need trying: a line without an
  // opening character is no head, and the verdict equals that of a search from every position.
  //
  // The engine is shown only a short stretch of the line around each opening character, so
  // that a line of any length is judged (the engine's positions end at 2^31 units): the units
  // before the opening character, the opening character, its run of spaces, and what a match
  // may hold after the run. A run of more than one space is cut to its last space in a copy:
  // whether the run is two spaces long or a million never changes the verdict, because the
  // numerals after it cannot be spaces, so at most one space of any run is left for the
  // optional space before the closing character and the rest are taken by the run. Units the
  // stretch leaves out could only complete matches that are tried from a later opening
  // character; a match within the stretch is a match within the line.
  line = line.substr(0, line.find(u'\0'));
  size_t next_start = 0;  // start positions below this one have been tried
  for (size_t at = 0; at < line.size(); ++at) {
    if (!IsOpening(line[at])) continue;
    const size_t from =
        std::max(next_start, at > kMaxLeadBeforeOpening ? at - kMaxLeadBeforeOpening : 0);
    size_t after_run = at + 1;
    while (after_run < line.size() && IsSpace(line[after_run])) ++after_run;
    std::u16string_view stretch;
    if (after_run <= at + 2) {
      stretch = line.substr(from, after_run + kMaxTailAfterSpaces - from);
    } else {
      window_.assign(line.substr(from, at + 1 - from));
      window_.push_back(line[after_run - 1]);
      window_.append(line.substr(after_run, kMaxTailAfterSpaces));
      stretch = window_;
    }
    if (matcher_.Search(*program_, stretch, 0, at - from)) return true;
    next_start = at + 1;
  }
  return false;
}

}  // namespace quireforge
