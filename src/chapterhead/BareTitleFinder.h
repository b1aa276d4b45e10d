// BareTitleFinder finds the headings of a book whose headings carry no marker at all: short
// title lines that stand alone between more blank lines than the book puts between its
// paragraphs, again and again through the whole text. It answers only where the layout leaves
// no doubt; a book that does not show that pattern clearly has no bare titles. Pure; any
// thread; linear in the text.
#ifndef QUIREFORGE_CHAPTERHEAD_BARETITLEFINDER_H_
#define QUIREFORGE_CHAPTERHEAD_BARETITLEFINDER_H_

#include <cstddef>
#include <string_view>
#include <vector>

namespace quireforge {

// The indices of the bare title lines among `lines` (raw lines of one source), rising; empty
// when the book's layout does not set any lines apart as titles.
std::vector<size_t> FindBareTitles(const std::vector<std::u16string_view>& lines);

}  // namespace quireforge

#endif  // QUIREFORGE_CHAPTERHEAD_BARETITLEFINDER_H_
