// The classic book (--classic): the book this program always wrote, byte for byte. For the
// options that have a choice of their own, ClassicOptions gives the classic one (the classic
// chapter rule, the classic language, no drawn cover); for what has no option of its own, one
// function each below decides it, and the code that writes that part asks it and nothing else.
// Pure functions; any thread.
#ifndef QUIREFORGE_CONVERSION_CLASSICBOOK_H_
#define QUIREFORGE_CONVERSION_CLASSICBOOK_H_

#include "conversion/BookOptions.h"

namespace quireforge {

// Sets `options` to the classic book's choices: `classic`, the classic chapter rule, the
// language "en" and no drawn cover. Options given after it may change each again.
void ChooseClassicBook(BookOptions* options);

// Default options with the classic book's choices.
BookOptions ClassicOptions();

// The style sheet's font face names the old reading device's own font when no font is
// embedded (an EPUB 2 book): epubcheck reports that line, so only the classic book has it.
inline bool NamesDeviceFont(const BookOptions& options) {
  return options.classic && !options.epub3 && options.font.empty();
}

// Title and author come from the text's first lines where the file name names no author.
inline bool TakesNamesFromText(const BookOptions& options) { return !options.classic; }

// A book without a cover picture gets a drawn cover.
inline bool DrawsCover(const BookOptions& options) {
  return options.cover.empty() && options.draw_cover;
}

}  // namespace quireforge

#endif  // QUIREFORGE_CONVERSION_CLASSICBOOK_H_
