#include "chapterhead/ChapterHeadRule.h"

#include <algorithm>

#include "chapterhead/PatternCompiler.h"
#include "chapterhead/PatternModifiers.h"

namespace quireforge {

namespace {

// The opening set of the pattern: 第 | 卷 序 章. Every unit of every line is tested, so
// the test of the common case comes first: of the ideographs, 卷 U+5377 is the lowest.
bool IsOpening(char16_t c) {
  if (c < u'卷') return c == u'|';
  return c == u'第' || c == u'卷' || c == u'序' || c == u'章';
}

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
  // The engine is shown a short copy of each window, so that a line of any length is judged
  // (the engine's positions end at 2^31 units): the units before the opening character, the
  // opening character, its run of spaces cut to the run's last space, and what a match may
  // hold after the run. Whether the run is one space long or a million never changes the
  // verdict: the numerals after it cannot be spaces, so at most one space of any run is left
  // for the optional space before the closing character, and the rest are taken by the run.
  // Units the copy leaves out could only complete matches that are tried from a later opening
  // character; a match within the copy is a match within the line.
  line = line.substr(0, line.find(u'\0'));
  size_t next_start = 0;  // start positions below this one have been tried
  for (size_t at = 0; at < line.size(); ++at) {
    if (!IsOpening(line[at])) continue;
    const size_t from =
        std::max(next_start, at > kMaxLeadBeforeOpening ? at - kMaxLeadBeforeOpening : 0);
    size_t after_run = at + 1;
    while (after_run < line.size() && IsSpace(line[after_run])) ++after_run;
    window_.assign(line.substr(from, at + 1 - from));
    if (after_run > at + 1) window_.push_back(line[after_run - 1]);
    window_.append(line.substr(after_run, kMaxTailAfterSpaces));
    if (matcher_.Search(*program_, window_, 0, at - from)) return true;
    next_start = at + 1;
  }
  return false;
}

}  // namespace quireforge
