#include "chapterhead/ChapterHeadRule.h"

#include <algorithm>

#include "chapterhead/PatternCompiler.h"
#include "chapterhead/PatternModifiers.h"

namespace quireforge {

namespace {

// The opening set of the pattern: 第 | 卷 序 章.
bool IsOpening(char16_t c) {
  return c == u'第' || c == u'|' || c == u'卷' || c == u'序' || c == u'章';
}

// A match starts with "Charpter" (8 units) or nothing, then one optional unit, then an
// opening character: it starts at most this far before its opening character.
constexpr size_t kMaxLeadBeforeOpening = 9;

}  // namespace

ChapterHeadRule::ChapterHeadRule()
    : program_(std::make_shared<const PatternProgram>(
          CompilePattern(kChapterHeadPattern, PatternModifiers{}))) {}

bool ChapterHeadRule::IsChapterHead(std::u16string_view line) {
  // Every match holds an opening character, and starts at most kMaxLeadBeforeOpening units
  // before it. So only the start positions in those windows need trying: a line without an
  // opening character is no head, and the verdict equals that of a search from every position.
  line = line.substr(0, line.find(u'\0'));
  size_t next_start = 0;  // start positions below this one have been tried
  for (size_t at = 0; at < line.size(); ++at) {
    if (!IsOpening(line[at])) continue;
    const size_t from =
        std::max(next_start, at > kMaxLeadBeforeOpening ? at - kMaxLeadBeforeOpening : 0);
    if (matcher_.Search(*program_, line, from, at)) return true;
    next_start = at + 1;
  }
  return false;
}

}  // namespace quireforge
