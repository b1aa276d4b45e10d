// LayoutTitles finds headings that carry no marker, by their layout: short title lines that
// the book sets apart again and again in the same way (more blank lines before them than
// between paragraphs, another indentation than the body's, rule lines around them, a date on
// the line after them). It answers only where the book's own layout leaves no doubt. Pure;
// any thread; linear in the text.
#ifndef QUIREFORGE_CHAPTERHEAD_LAYOUTTITLES_H_
#define QUIREFORGE_CHAPTERHEAD_LAYOUTTITLES_H_

#include <cstddef>
#include <vector>

#include "chapterhead/LineLayout.h"

namespace quireforge {

// The lines of a book without marked headings that its layout sets apart as titles, rising;
// empty when the layout sets no lines apart clearly.
std::vector<size_t> FindLayoutTitles(const std::vector<LineLayout>& layout);

// The lines laid out as the book's known `headings` (line indices, rising) are, and that read
// as titles: 前言 and 书评 after as many blank lines as every 第N章 of the book. Rising; empty
// when the headings share no layout that the book's other lines lack.
std::vector<size_t> FindLikeHeadings(const std::vector<LineLayout>& layout,
                                     const std::vector<size_t>& headings);

}  // namespace quireforge

#endif  // QUIREFORGE_CHAPTERHEAD_LAYOUTTITLES_H_
