// The cover page of a book with a cover picture: OEBPS/cover.html, an XHTML page that comes
// first in the reading order and shows the picture scaled to fit the screen, keeping its
// proportions (the picture in an inline SVG view box, the form EPUB 2 readers know for covers).
// Pure functions producing lines, and one that stages the picture and the page; one thread.
#ifndef QUIREFORGE_CONVERSION_COVERPAGE_H_
#define QUIREFORGE_CONVERSION_COVERPAGE_H_

#include <string>
#include <string_view>
#include <vector>

namespace quireforge {

struct CoverImage;

// The cover page's file name beside the pages.
inline constexpr std::u16string_view kCoverPageFile = u"cover.html";

// The lines of the cover page for `image`; `title` (the book's) is the page's title.
std::vector<std::u16string> CoverPageLines(const CoverImage& image, std::u16string_view title);

// Writes the picture (OEBPS/cover.jpg or cover.png) and the cover page (with the UTF-8
// writer) into `staging_path`. Raises FileError at the first file that cannot be written.
void WriteCover(std::u16string_view staging_path, const CoverImage& image,
                std::u16string_view title);

}  // namespace quireforge

#endif  // QUIREFORGE_CONVERSION_COVERPAGE_H_
