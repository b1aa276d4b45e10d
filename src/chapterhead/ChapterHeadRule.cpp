#include "chapterhead/ChapterHeadRule.h"

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
  // Prefilter: without an opening character before the end there is no match, and no match
  // starts more than kMaxLeadBeforeOpening units before the first one. Skipping those start
  // positions leaves the verdict as a search from the first position would give it.
  size_t first_opening = 0;
  while (first_opening < line.size() && line[first_opening] != u'\0' &&
         !IsOpening(line[first_opening])) {
    ++first_opening;
  }
  if (first_opening == line.size() || line[first_opening] == u'\0') return false;
  line = line.substr(0, line.find(u'\0', first_opening));
  const size_t from =
      first_opening > kMaxLeadBeforeOpening ? first_opening - kMaxLeadBeforeOpening : 0;
  return matcher_.Search(*program_, line, from);
}

}  // namespace quireforge
