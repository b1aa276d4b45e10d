// The title and author a text names in its first lines, as download-site books do:
// "书名：X" (or "書名", with a full-width or ASCII colon), "《X》" alone on a line, and
// "作者：Y", "作者:Y" or "著者：Y". Only the first few lines that are not blank count, so that
// such words deep in the story never rename a book; the lines stay in the text. Free functions;
// one thread (reading goes through the code page, which is not thread-safe).
#ifndef QUIREFORGE_CONVERSION_TEXTNAMES_H_
#define QUIREFORGE_CONVERSION_TEXTNAMES_H_

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quireforge {

class CodePageChoice;

// How many lines that are not blank are searched for names.
inline constexpr size_t kNameLines = 10;

struct NamesInText {
  std::optional<std::u16string> title;   // unset: the text names none
  std::optional<std::u16string> author;  // unset: the text names none
};

// The names the first kNameLines non-blank lines of `lines` give, each trimmed of blanks and
// ideographic spaces (a title given as "书名：《X》" loses its marks); the first line that gives
// a name gives it. A mark with nothing after it gives nothing.
NamesInText NamesFromTextLines(const std::vector<std::u16string>& lines);

// The first lines of `source` as a job reads them (its mark, UTF-8, or the code page
// `code_pages` chooses), from at most its first 16 KB. Raises FileError when it cannot be read.
std::vector<std::u16string> FirstLinesOfSource(std::u16string_view source,
                                               const CodePageChoice& code_pages);

}  // namespace quireforge

#endif  // QUIREFORGE_CONVERSION_TEXTNAMES_H_
