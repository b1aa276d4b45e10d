// VolumeHeadRule decides whether one line of a source text opens a volume (第一卷, 卷二, …):
// the line, trimmed of blanks (base/StringOps.h) at both ends, is searched with the volume
// pattern, or with the user's own expression in its place. The default pattern asks for the
// trimmed line to start with 第, numerals and 卷, or with 卷 and numerals, the
// numerals and spaces being those of the chapter-head rule. Compiled once, at construction;
// copies share the compiled expression; each copy is used by one thread at a time.
#ifndef QUIREFORGE_CHAPTERHEAD_VOLUMEHEADRULE_H_
#define QUIREFORGE_CHAPTERHEAD_VOLUMEHEADRULE_H_

#include <string_view>

#include "chapterhead/PatternLineRule.h"

namespace quireforge {

// The default volume pattern: at the start of the trimmed line 第, spaces, one to ten
// numerals, at most one space and 卷; or 卷, spaces and one to ten numerals. The numeral class
// and the space class are the chapter-head pattern's; the leading ideographic spaces it allows
// are gone with the trim.
inline constexpr std::u16string_view kVolumeHeadPattern =
    u"^\u3000*(第[ \u3000]*"
    u"[0-9０１２３４５６７８９〇一二三四五六七八九个十百千万零壹贰叁肆伍陆柒捌玖拾佰仟萬"
    u"ⅠⅡⅢⅣⅤⅥⅦⅧⅨⅩⅪⅫ]{1,10}[ \u3000]?卷|卷[ \u3000]*"
    u"[0-9０１２３４５６７８９〇一二三四五六七八九个十百千万零壹贰叁肆伍陆柒捌玖拾佰仟萬"
    u"ⅠⅡⅢⅣⅤⅥⅦⅧⅨⅩⅪⅫ]{1,10})";

class VolumeHeadRule {
 public:
  // The default volume pattern. Never raises.
  VolumeHeadRule();
  // The user's expression instead. Raises EPatternEngine as PatternLineRule does.
  explicit VolumeHeadRule(std::u16string_view expression);

  // True when the trimmed `line` (raw: unescaped; it ends at its first U+0000) holds a match.
  // With the default pattern, lines that do not start with 第 or 卷 are answered without
  // running the engine. Raises EPatternEngine 1014 as PatternLineRule does.
  bool IsVolumeHead(std::u16string_view line);
  bool operator()(std::u16string_view line) { return IsVolumeHead(line); }

 private:
  PatternLineRule rule_;
  bool is_default_;
};

}  // namespace quireforge

#endif  // QUIREFORGE_CHAPTERHEAD_VOLUMEHEADRULE_H_
