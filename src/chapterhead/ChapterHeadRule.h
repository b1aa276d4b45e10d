// ChapterHeadRule decides whether one line of a source text is a chapter heading: the line
// is a head when the chapter-head pattern, run by the pattern engine with its default
// modifiers, matches anywhere in it. The pattern is compiled once, at construction; a test
// keeps nothing of the line. Copies share the compiled pattern; each copy is used by one
// thread at a time.
#ifndef QUIREFORGE_CHAPTERHEAD_CHAPTERHEADRULE_H_
#define QUIREFORGE_CHAPTERHEAD_CHAPTERHEADRULE_H_

#include <memory>
#include <string>
#include <string_view>

#include "chapterhead/PatternMatcher.h"
#include "chapterhead/PatternProgram.h"

namespace quireforge {

// The chapter-head pattern, 130 code units. "Charpter" is spelled so on purpose, and each
// of the two short space classes holds U+0020 and the ideographic space U+3000.
inline constexpr std::u16string_view kChapterHeadPattern =
    u"(Charpter){0,1}.{0,1}[第|卷|序|序章][ \u3000]*"
    u"[0-9０１２３４５６７８９〇一二三四五六七八九个十百千万零壹贰叁肆伍陆柒捌玖拾佰仟萬"
    u"ⅠⅡⅢⅣⅤⅥⅦⅧⅨⅩⅪⅫ]{0,10}[ \u3000]{0,1}[章|回|卷|篇|课|节|部|集].{0,1}";

class ChapterHeadRule {
 public:
  // Compiles the pattern. Never raises for the built-in pattern.
  ChapterHeadRule();

  // True when `line` (raw: untrimmed, unescaped; it ends at its first U+0000) holds a match.
  // Lines without an opening character are answered without running the engine, and the
  // engine sees only a short stretch around each opening character; the verdict is that of
  // a full search. Lines of any length are judged, in time linear in their length; raises
  // nothing.
  bool IsChapterHead(std::u16string_view line);
  bool operator()(std::u16string_view line) { return IsChapterHead(line); }

 private:
  std::shared_ptr<const PatternProgram> program_;
  PatternMatcher matcher_;
  std::u16string window_;  // the stretch the engine sees, kept for its capacity
};

}  // namespace quireforge

#endif  // QUIREFORGE_CHAPTERHEAD_CHAPTERHEADRULE_H_
