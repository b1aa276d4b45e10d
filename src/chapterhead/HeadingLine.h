// HeadingLine reads one line of a book the way a reader glances at it: does it open with a
// heading marker (第十二回, 卷三, 序, 一、, （一）, Chapter 4, …) and stand on its own as a short
// title, or is it a sentence that merely mentions such a marker? It judges the line alone;
// whether the book's headings really use that marker is decided over the whole book by
// HeadingFinder. Pure functions; any thread.
#ifndef QUIREFORGE_CHAPTERHEAD_HEADINGLINE_H_
#define QUIREFORGE_CHAPTERHEAD_HEADINGLINE_H_

#include <cstdint>
#include <optional>
#include <string_view>

#include "chapterhead/HeadingNumeral.h"

namespace quireforge {

enum class MarkerFamily : uint8_t {
  kOrdinal,      // 第 + number + counter: 第十二回, 第3章, 第一封信
  kVolumeFirst,  // 卷 + number: 卷三
  kHalf,         // 上篇, 下卷, 中部
  kMatter,       // front and back matter: 序, 楔子, 尾声, 番外三, Prologue
  kNumeral,      // a number alone, or before a blank, 、, ．, . or : and a title
  kBracketed,    // （一）, (12)
  kEnglish,      // Chapter 4, PART TWO, Book III
  kPage,         // a title with a page number in brackets and no other marker: 童年时光(2)
  kDated,        // a title with the years it covers in brackets: 少年时代（1893—1910）
};

struct HeadingMarker {
  MarkerFamily family = MarkerFamily::kOrdinal;
  // What tells the marker's series apart within its family: the counter (章, 回, …), the
  // separator after a bare number, 'C', 'P' or 'B' for English headings, a number of its own
  // for each front or back matter word.
  char16_t counter = 0;
  NumeralScript script = NumeralScript::kChinese;
  int64_t number = -1;  // -1: the marker carries no number (序, 上篇)
  // The marker names a part larger than a chapter (第一卷, 卷三, 上篇, Part 2).
  bool volume_like = false;
  // The title runs on right after the counter, with no blank or mark between (第一章风起,
  // also 第一回合): a heading only where the book's series expects it.
  bool tight = false;
  // A volume marker came first and a chapter marker follows (第一卷 第三章 …).
  bool after_volume = false;
  // Some sites put the book's name before every heading (斗破苍穹 第一章 …): a hash of that
  // lead, so that only lines with the same lead form a series; 0 for the usual leads.
  uint32_t named_lead = 0;
  // The title reads as a summary (clauses, a full stop inside) rather than a short title:
  // like a run-on title, a heading only where the book's series expects it.
  bool weak = false;
  // The page number in brackets that ends the line (第九章 title（3）, 童年时光(2)), or -1:
  // books cut into web pages head every page with its chapter's title and the page's number.
  int64_t page = -1;
  // For page heads, a hash of the title before the page number: the pages of one chapter
  // share it.
  uint32_t stem = 0;
  // The title after the marker, a view into the line read; empty when there is none.
  std::u16string_view title;
};

// The marker `line` opens with, when the line reads as a heading: after blanks, ideographic
// spaces, decoration and short leads (正文, brackets, 《书名》, or a short name and a blank
// before 第), a marker, then nothing, or a separator and a short title that does not read as a
// sentence (or only weakly so); decoration, closing brackets and a page number in brackets
// may end the line. A short title that ends with a page number and has no marker is a page
// head. std::nullopt for every other line.
std::optional<HeadingMarker> ReadHeadingLine(std::u16string_view line);

// The marker of a heading spread over two lines, as scans of printed books give it: a line
// that is only CHAPTER (Part, Book), and the next text line, only its number. The title may
// follow on a line of its own. std::nullopt for every other pair of lines.
std::optional<HeadingMarker> ReadSpreadHeading(std::u16string_view line, std::u16string_view next);

// True for the chapter counters a heading is known to use (章 回 节 卷 集 部 篇 编 讲 幕 话 …);
// other characters after 第 and a number make a heading only when a book counts with them
// from the start (第一封信, 第二封信, …).
bool IsKnownCounter(char16_t counter);

}  // namespace quireforge

#endif  // QUIREFORGE_CHAPTERHEAD_HEADINGLINE_H_
