// Which files a book can embed as its font: TrueType (00 01 00 00, or "true"), OpenType with
// PostScript outlines ("OTTO") and font collections ("ttcf"), told by their first four bytes,
// whatever their names. Free functions; any thread.
#ifndef QUIREFORGE_CONVERSION_FONTFILE_H_
#define QUIREFORGE_CONVERSION_FONTFILE_H_

#include <string>
#include <string_view>

namespace quireforge {

// Whether `head`, the first bytes of a file, begins as a TrueType or OpenType font or a font
// collection does.
bool IsFontHeader(std::string_view head);

// The message for a font file that is no font: "Cannot use font file "<path>". It is not a
// TrueType or OpenType font."
std::string NotAFontMessage(std::u16string_view path);

// Raises FileError with NotAFontMessage when `path` is a regular file that can be read and
// does not begin as a font. A file that cannot be opened or read, or is no regular file, is
// not judged here: copying it into the book says why it cannot be used.
void CheckFontFile(std::u16string_view path);

}  // namespace quireforge

#endif  // QUIREFORGE_CONVERSION_FONTFILE_H_
