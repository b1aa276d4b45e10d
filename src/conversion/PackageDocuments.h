// The fixed documents of every book, line by line: mimetype, META-INF/container.xml, the
// style sheet OEBPS/css/main.css that renders the job's typographic options, and the head
// of the package document OEBPS/book.opf (its tail is added when the pages are known), with
// what a cover adds to the package document. Pure functions producing text, plus one that
// writes the first three into a staging directory; one thread.
#ifndef QUIREFORGE_CONVERSION_PACKAGEDOCUMENTS_H_
#define QUIREFORGE_CONVERSION_PACKAGEDOCUMENTS_H_

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/BookDefaults.h"
#include "conversion/ParagraphFormat.h"

namespace quireforge {

class LegacyCodePage;
struct CoverImage;

// What the style sheet is made from.
struct StyleOptions {
  int32_t margin = kDefaultMargin;           // points
  int32_t line_height = kDefaultLineHeight;  // percent
  int32_t font_size = kDefaultFontSize;      // percent
  std::u16string weight_line;                // written verbatim as its own line; empty for none
  bool embeds_font = false;                  // a font file will be copied to OEBPS/font.ttf
  // Title style: a rule that makes the chapter and volume headings bold and centred.
  HeadingStyle heading_style = HeadingStyle::kPlain;
  std::optional<int32_t> indent;  // em of first-line indent of paragraphs; unset: 0
};

// The contents of mimetype: exactly these 20 characters, without a line break.
inline constexpr std::u16string_view kMimetype = u"application/epub+zip";

std::vector<std::u16string> ContainerLines();
std::vector<std::u16string> StyleSheetLines(const StyleOptions& options);

// The book's identifier in the package document and the navigation files: "F.F.F."
// followed by the job's 36-character identifier; for EPUB 3, "urn:uuid:" followed by it in
// lower case.
std::u16string PackageIdentifier(std::u16string_view identifier, bool epub3);

// `when` in UTC as the package's modification date wants it: "CCYY-MM-DDThh:mm:ssZ".
std::u16string ModificationDate(std::time_t when);

// What the head of book.opf is made from.
struct PackageHead {
  std::u16string_view title;
  std::u16string_view author;
  std::u16string_view identifier;  // the job's bare 36-character identifier
  bool embeds_font = false;
  std::u16string_view language;       // a BCP 47 tag; empty: "en"
  const CoverImage* cover = nullptr;  // null: no cover
  bool epub3 = false;
  std::u16string_view modified;  // EPUB 3: the date of dcterms:modified (ModificationDate)
};

// The head lines of book.opf, up to the fixed manifest items, the font's item when a font is
// embedded, and the cover picture's and cover page's items (with the cover's meta line in
// the metadata) when there is a cover. Title and author are escaped for XML here. For EPUB 3:
// package version 3.0, the modification date, the navigation document's item, the EPUB 3
// media type of the font and the properties of the cover's items; an empty author has no
// dc:creator there, since EPUB 3 wants none empty.
std::vector<std::u16string> PackageHeadLines(const PackageHead& head);

// The spine lines that come before the pages': the cover page's, when there is a cover.
std::vector<std::u16string> PackageSpineHeadLines(const CoverImage* cover);
// The lines after the spine: the guide naming the cover page, when there is a cover.
std::vector<std::u16string> PackageGuideLines(const CoverImage* cover, bool epub3);

// Writes mimetype, META-INF/container.xml and OEBPS/css/main.css into `staging_path` with
// the plain writer, in this order. Raises FileError at the first file that cannot be
// written; the files written before it stay.
void WriteFixedDocuments(std::u16string_view staging_path, const StyleOptions& options,
                         const LegacyCodePage& code_page);

}  // namespace quireforge

#endif  // QUIREFORGE_CONVERSION_PACKAGEDOCUMENTS_H_
