// The contents page of a book that asks for one: OEBPS/contents.html (contents.xhtml, XHTML5,
// in an EPUB 3 book), a page after the cover that lists every entry of the table of contents
// with a link to its page, each volume with its chapters in a list under it, for reading
// devices that hide their navigation menu. Its heading is the word for contents in the book's
// language. Made at finishing from the chapter list as the user left it. Pure functions
// producing text; any thread.
#ifndef QUIREFORGE_CONVERSION_CONTENTSPAGE_H_
#define QUIREFORGE_CONVERSION_CONTENTSPAGE_H_

#include <string>
#include <string_view>
#include <vector>

#include "conversion/NavigationFile.h"

namespace quireforge {

// The contents page's file name beside the pages.
std::u16string_view ContentsPageFile(bool xhtml5);

// The page's heading for a book in `language` (a BCP 47 tag; empty is English): 目录, 目錄
// for Traditional Chinese (zh-Hant, zh-TW, zh-HK, zh-MO), 目次 for Japanese, 목차 for Korean,
// else "Contents".
std::u16string_view ContentsPageTitle(std::u16string_view language);

// The lines of the contents page of `content` (its language, chapters and volumes; a book
// without chapters lists its first page under the book's title), to be saved with the UTF-8
// writer. XHTML5 when `content.epub3`. A title that would show nothing is replaced by its
// page's name, so that every link can be seen and followed.
std::vector<std::u16string> ContentsPageLines(const NavigationContent& content);

}  // namespace quireforge

#endif  // QUIREFORGE_CONVERSION_CONTENTSPAGE_H_
