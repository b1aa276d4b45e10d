// The documents of every book beside its pages, line by line: mimetype,
// META-INF/container.xml, the style sheet OEBPS/css/main.css that renders the book's options,
// and the package document OEBPS/book.opf with its metadata, manifest, spine and guide. Pure
// functions producing text, plus two that put them into a book's sink; one thread.
#ifndef QUIREFORGE_CONVERSION_PACKAGEDOCUMENTS_H_
#define QUIREFORGE_CONVERSION_PACKAGEDOCUMENTS_H_

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "conversion/BookOptions.h"

namespace quireforge {

class BookSink;
class LegacyCodePage;
struct CoverImage;

// The contents of mimetype: exactly these 20 characters, without a line break.
inline constexpr std::u16string_view kMimetype = u"application/epub+zip";

std::vector<std::u16string> ContainerLines();
// The style sheet of a book with `options`: margins, line height, font size and weight, the
// first-line indent, the title rule for headings, vertical writing, and the font face: the
// embedded font's file, or (the classic EPUB 2 book only) the reading device's own font.
std::vector<std::u16string> StyleSheetLines(const BookOptions& options);

// The book's identifier in the package document and the navigation files: "F.F.F."
// followed by the job's 36-character identifier; for EPUB 3, "urn:uuid:" followed by it in
// lower case.
std::u16string PackageIdentifier(std::u16string_view identifier, bool epub3);

// `when` in UTC as the package's modification date wants it: "CCYY-MM-DDThh:mm:ssZ".
std::u16string ModificationDate(std::time_t when);

// What book.opf is made from beside its pages.
struct PackageHead {
  std::u16string_view title;
  std::u16string_view author;
  std::u16string_view identifier;  // the job's bare 36-character identifier
  bool embeds_font = false;
  std::u16string_view language;       // a BCP 47 tag; empty: "en"
  const CoverImage* cover = nullptr;  // null: no cover
  bool epub3 = false;
  std::u16string_view modified;  // EPUB 3: the date of dcterms:modified (ModificationDate)
  bool contents_page = false;    // the book has a contents page (ContentsPage.h)
  bool vertical = false;         // pages turn from right to left
};

// The whole of book.opf, each line followed by CR LF: the metadata, the manifest (style
// sheet, toc.ncx, the font's item when a font is embedded, the cover picture's and cover
// page's items when there is a cover, then one item per page of `pages`, the numbers of the
// saved pages in reading order), the spine (the cover page first, then the contents page) and
// the guide naming the cover and contents pages. A vertical book's spine turns from right to
// left. Title and author are escaped for XML here. For EPUB 3: package version 3.0,
// the modification date, the navigation document's item, the EPUB 3 media type of the font and
// the properties of the cover's items; an empty author has no dc:creator there, since EPUB 3
// wants none empty.
std::u16string PackageDocument(const PackageHead& head, const std::vector<int32_t>& pages);

// Puts mimetype, META-INF/container.xml and OEBPS/css/main.css into `sink` as the plain
// writer writes them, in this order. Raises as the sink does at the first file that cannot be
// put; the files put before it stay.
void WriteFixedDocuments(BookSink& sink, const BookOptions& options,
                         const LegacyCodePage& code_page);

// Puts PackageDocument into `sink` as OEBPS/book.opf, as the UTF-8 writer writes it. Raises as
// the sink does.
void WritePackageDocument(BookSink& sink, const PackageHead& head,
                          const std::vector<int32_t>& pages);

}  // namespace quireforge

#endif  // QUIREFORGE_CONVERSION_PACKAGEDOCUMENTS_H_
