// Case inversion of one UTF-16 code unit, as the pattern engine's i modifier uses it: the
// simple upper-case mapping, or the lower-case one when the upper-case mapping leaves the
// character alone. Characters above U+20AB are never inverted. Pure function, thread-safe.
#ifndef QUIREFORGE_CHAPTERHEAD_PATTERNCASEINVERSION_H_
#define QUIREFORGE_CHAPTERHEAD_PATTERNCASEINVERSION_H_

namespace quireforge {

// The highest code unit that case inversion may change.
inline constexpr char16_t kLastInvertibleCharacter = u'\u20AB';

char16_t InvertCase(char16_t c);

}  // namespace quireforge

#endif  // QUIREFORGE_CHAPTERHEAD_PATTERNCASEINVERSION_H_
