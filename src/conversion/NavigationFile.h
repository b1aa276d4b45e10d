// The navigation file OEBPS/toc.ncx (NCX 2005-1): the book's table of contents, built from
// the job's identifier, title, author, language and chapter list as the user left it. One
// navigation point per chapter entry, in list order, with ids navPoint-1, navPoint-2, ...
// and play orders counted from 1; an empty list gives one point to the first page (ch_1.html#)
// labelled with the title. With volumes, each volume is a first-level point holding its
// chapters' points (depth 2), numbered with the chapters in reading order. Texts are escaped
// for XML here. In an EPUB 3 book, where it serves older readers, it carries the EPUB 3
// identifier and no document type declaration (EPUB 3 forbids its external identifiers).
// Pure functions producing lines; any thread.
#ifndef QUIREFORGE_CONVERSION_NAVIGATIONFILE_H_
#define QUIREFORGE_CONVERSION_NAVIGATIONFILE_H_

#include <string>
#include <string_view>
#include <vector>

#include "conversion/BookOutline.h"

namespace quireforge {

// What the navigation file is made from. `chapters` holds entries "ch_N.html=" followed by
// the raw title; an entry without "=" names its page and has an empty title.
struct NavigationContent {
  std::u16string_view identifier;  // the job's bare 36-character identifier
  std::u16string_view title;
  std::u16string_view author;
  const std::vector<std::u16string>* chapters = nullptr;  // never null
  const std::vector<VolumeEntry>* volumes = nullptr;      // null or empty: no volumes
  std::u16string_view language;                           // empty: "en-US"
  bool epub3 = false;  // the book is EPUB 3: its identifier has the EPUB 3 form
  // EPUB 3: the pages the navigation document's landmarks name (none without a contents page).
  std::u16string_view cover_page;  // empty: none
  bool contents_page = false;
};

// The lines of toc.ncx, to be saved with the UTF-8 writer.
std::vector<std::u16string> NavigationLines(const NavigationContent& content);

}  // namespace quireforge

#endif  // QUIREFORGE_CONVERSION_NAVIGATIONFILE_H_
