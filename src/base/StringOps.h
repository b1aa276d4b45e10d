// The string operations lines, file names and titles go through. Trim and replace all are
// the classic conversion's own: trim removes U+0000 to U+0020 at both ends and nothing else;
// replace all compares exact code units, left to right, never overlapping. Blanks are the one
// set of characters that every book option trimming or skipping empty space, the heading
// finder and the book's names treat as empty space. Pure functions; any thread.
#ifndef QUIREFORGE_BASE_STRINGOPS_H_
#define QUIREFORGE_BASE_STRINGOPS_H_

#include <string>
#include <string_view>

namespace quireforge {

// `text` without the characters U+0000..U+0020 at its start and end. U+3000, U+00A0 and
// U+FEFF are not removed.
std::u16string_view TrimView(std::u16string_view text);
std::u16string Trim(std::u16string_view text);

// True when `text` is empty after trim.
bool IsEmptyWhenTrimmed(std::u16string_view text);

// Blanks: what a reader sees as empty space in a line of a downloaded book. U+0000..U+0020
// (space, TAB and the other controls), U+00A0 (no-break space), U+2000..U+200B (the
// typographic spaces and the zero-width space), U+3000 (ideographic space) and U+FEFF (a
// byte-order mark left inside the text).
bool IsBlank(char16_t c);
// `line` without the blanks at both ends, or at its start only. A line ends at its first
// U+0000 here, as it does for the chapter rules.
std::u16string_view TrimBlanks(std::u16string_view line);
std::u16string_view TrimLeadingBlanks(std::u16string_view line);
// True when `line` holds nothing but blanks.
bool IsBlankLine(std::u16string_view line);

// `text` with every occurrence of `search` replaced by `replacement`, scanning from the
// left, comparing code units exactly, continuing after each occurrence (so "aaa" with
// "aa" -> "b" gives "ba"). An empty `search` leaves `text` unchanged.
std::u16string ReplaceAll(std::u16string_view text, std::u16string_view search,
                          std::u16string_view replacement);

}  // namespace quireforge

#endif  // QUIREFORGE_BASE_STRINGOPS_H_
