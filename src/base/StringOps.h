// The two string operations the job and the window use on lines, file names and titles:
// trim (U+0000 to U+0020 at both ends, nothing else) and replace all (exact code units,
// left to right, never overlapping); and the wider trim of paragraph indents and headings,
// which takes the ideographic space too. Pure functions; any thread.
#ifndef QUIREFORGE_BASE_STRINGOPS_H_
#define QUIREFORGE_BASE_STRINGOPS_H_

#include <string>
#include <string_view>

namespace quireforge {

// `text` without the characters U+0000..U+0020 at its start and end. U+3000, U+00A0 and
// U+FEFF are not blank.
std::u16string_view TrimView(std::u16string_view text);
std::u16string Trim(std::u16string_view text);

// True when `text` is empty after trim.
bool IsBlank(std::u16string_view text);

// `text` without the spacing a line may start or end with in typeset text: the characters
// trim removes (U+0000..U+0020) and the ideographic space U+3000. At its start only, and at
// both ends.
std::u16string_view TrimLeadingSpacing(std::u16string_view text);
std::u16string_view TrimSpacing(std::u16string_view text);

// Every blank a line of a downloaded book may carry where a reader sees none: the characters
// trim removes, U+3000, U+00A0, U+2000..U+200B and U+FEFF. `TrimBlanks` removes them at both
// ends of a line, which first ends at its first U+0000.
bool IsTypesetBlank(char16_t c);
std::u16string_view TrimBlanks(std::u16string_view line);

// `text` with every occurrence of `search` replaced by `replacement`, scanning from the
// left, comparing code units exactly, continuing after each occurrence (so "aaa" with
// "aa" -> "b" gives "ba"). An empty `search` leaves `text` unchanged.
std::u16string ReplaceAll(std::u16string_view text, std::u16string_view search,
                          std::u16string_view replacement);

}  // namespace quireforge

#endif  // QUIREFORGE_BASE_STRINGOPS_H_
