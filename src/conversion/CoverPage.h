// The cover page of a book with a cover picture: OEBPS/cover.html, an XHTML page that comes
// first in the reading order and shows the picture scaled to fit the screen, keeping its
// proportions (the picture in an inline SVG view box, the form EPUB 2 readers know for covers).
// An EPUB 3 book has it as XHTML5.
// Pure functions producing lines, and one that stages the picture and the page; one thread.
#ifndef QUIREFORGE_CONVERSION_COVERPAGE_H_
#define QUIREFORGE_CONVERSION_COVERPAGE_H_

#include <string>
#include <string_view>
#include <vector>

namespace quireforge {

class BookSink;
struct CoverImage;

// The cover page's file name beside the pages: cover.html, or cover.xhtml for XHTML5.
std::u16string_view CoverPageFile(bool xhtml5);

// The lines of the cover page for `image`; `title` (the book's) is the page's title. XHTML5
// when `xhtml5`, else XHTML 1.1.
std::vector<std::u16string> CoverPageLines(const CoverImage& image, std::u16string_view title,
                                           bool xhtml5);

// Puts the picture (OEBPS/cover.jpg or cover.png) and the cover page (as the UTF-8 writer
// writes it) into `sink`. Raises as the sink does at the first file that cannot be put.
void WriteCover(BookSink& sink, const CoverImage& image, std::u16string_view title, bool xhtml5);

}  // namespace quireforge

#endif  // QUIREFORGE_CONVERSION_COVERPAGE_H_
