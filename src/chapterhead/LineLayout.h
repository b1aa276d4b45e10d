// LineLayout describes how each text line of a book is laid out, as a reader sees the page:
// how many blank lines stand before and after it, how it is indented, whether rule lines box
// it, whether a date follows it. Headings that carry no marker are told by these facts alone.
// Pure functions; any thread; linear in the text.
#ifndef QUIREFORGE_CHAPTERHEAD_LINELAYOUT_H_
#define QUIREFORGE_CHAPTERHEAD_LINELAYOUT_H_

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace quireforge {

struct LineLayout {
  size_t line = 0;             // the index of the line among the source's lines
  std::u16string_view text;    // the line without blanks at either end
  uint16_t indent = 0;         // the kind of blanks that open the line (IndentOf)
  uint32_t blanks_before = 0;  // blank lines between it and the text line before
  uint32_t blanks_after = 0;   // blank lines between it and the text line after
  bool rule = false;           // a rule line: ----, ****, ☆★☆★
  bool boxed = false;          // a rule line right above and right below it
  bool ruled_above = false;    // the text line before it is a rule line
  bool date_after = false;     // the next text line is a date alone (2009-01-04)
};

// The layout of every text line (a line with more than blanks) of `lines`, in order.
std::vector<LineLayout> ReadLayout(const std::vector<std::u16string_view>& lines);

// The kind of blanks that open `line`: how many spaces, ideographic spaces and tabs, each
// counted up to a few; 0 for none.
uint16_t IndentOf(std::u16string_view line);

// True for the characters rule lines are drawn with: - = * ~ _ ☆ ★ ….
bool IsRuleCharacter(char16_t c);

// True for a line of rule characters only, at least three of them.
bool IsRuleLine(std::u16string_view text);

// True for a date alone on a line: 2009-01-04, 2009.1.4, 2009年1月4日, 2009年1月.
bool IsDateLine(std::u16string_view text);

// True for a line that titles a contents list: 目录, 【目 录】, Contents.
bool IsContentsTitle(std::u16string_view text);

// The source lines [begin, end) of the first contents list that a contents title opens: from
// the title over single blank lines to the first line too long for a list entry, after more
// blank lines, or that the list holds already. Empty
// (begin == end) when the book has no contents title.
struct LineRange {
  size_t begin = 0;
  size_t end = 0;
};
LineRange TitledContents(const std::vector<LineLayout>& layout, size_t max_entry);

}  // namespace quireforge

#endif  // QUIREFORGE_CHAPTERHEAD_LINELAYOUT_H_
