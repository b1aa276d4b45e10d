// The navigation document OEBPS/nav.xhtml of an EPUB 3 book: the table of contents as an
// XHTML page with a <nav epub:type="toc"> list, made from the same content as toc.ncx and in
// the same reading order (volumes holding their chapters in a list one level down). A book
// without chapters gets one entry to its first page labelled with the title. Every link has
// visible text: an entry whose title is blank is labelled with its page's name. A book with a
// contents page names it (and its cover) in a hidden landmarks list. Texts are escaped for XML
// here. Pure function producing lines; any thread.
#ifndef QUIREFORGE_CONVERSION_NAVIGATIONDOCUMENT_H_
#define QUIREFORGE_CONVERSION_NAVIGATIONDOCUMENT_H_

#include <string>
#include <string_view>
#include <vector>

#include "conversion/NavigationFile.h"

namespace quireforge {

// The navigation document's file name beside the pages.
inline constexpr std::u16string_view kNavigationDocumentFile = u"nav.xhtml";

// The lines of nav.xhtml, to be saved with the UTF-8 writer. Uses the title, language,
// chapters and volumes of `content`; the title should show something (an empty one leaves
// the page's title element empty, which EPUB 3 refuses), as the window and the command line
// see to by refusing titles that are empty once written.
std::vector<std::u16string> NavigationDocumentLines(const NavigationContent& content);

}  // namespace quireforge

#endif  // QUIREFORGE_CONVERSION_NAVIGATIONDOCUMENT_H_
