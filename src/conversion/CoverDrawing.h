// The cover a book without a picture gets: its title and author set on a plain, quiet design,
// portrait 3:4 (1200 x 1600 pixels) for reading devices, as a PNG of well under 200 KB. The
// text is set by Pango in a font fontconfig finds with every character of the title (the
// author's in one that has the author's), painted by Cairo without a display; a long title
// wraps between characters, never inside one, and shrinks to fit. The same title and author
// give the same bytes on the same fonts: the fonts are chosen in fontconfig's fixed order, the
// colours come from the title's characters, hinting is off and the PNG carries no time.
// Free functions; one thread at a time per process (Pango's font map is per thread).
#ifndef QUIREFORGE_CONVERSION_COVERDRAWING_H_
#define QUIREFORGE_CONVERSION_COVERDRAWING_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "conversion/CoverImage.h"

namespace quireforge {

inline constexpr uint32_t kDrawnCoverWidth = 1200;
inline constexpr uint32_t kDrawnCoverHeight = 1600;

struct DrawnCover {
  CoverImage image;                          // a PNG, cover.png in the book
  std::vector<std::u16string> title_lines;   // the title as set, line by line
  std::vector<std::u16string> author_lines;  // the same for the author (none when empty)
};

// Draws the cover of `title` by `author`. Returns nullopt when no installed font has every
// character of the title (blanks and controls aside), or when it holds nothing to show; then
// `problem` (when given) says why in one sentence naming the title. An author no font can set
// is left off the cover.
std::optional<DrawnCover> DrawCover(std::u16string_view title, std::u16string_view author,
                                    std::string* problem = nullptr);

}  // namespace quireforge

#endif  // QUIREFORGE_CONVERSION_COVERDRAWING_H_
