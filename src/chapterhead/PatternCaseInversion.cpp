#include "chapterhead/PatternCaseInversion.h"

#include <unicode/uchar.h>

#include <array>

namespace quireforge {

namespace {

using InversionTable = std::array<char16_t, kLastInvertibleCharacter + 1>;

// Built once, on first use, from ICU's one-to-one case mappings.
InversionTable BuildInversionTable() {
  InversionTable table{};
  for (UChar32 c = 0; c <= kLastInvertibleCharacter; ++c) {
    UChar32 inverted = u_toupper(c);
    if (inverted == c) inverted = u_tolower(c);
    // A mapping that would leave the 16-bit range keeps the character as it is.
    table[c] = inverted > 0xFFFF ? static_cast<char16_t>(c) : static_cast<char16_t>(inverted);
  }
  return table;
}

}  // namespace

char16_t InvertCase(char16_t c) {
  if (c > kLastInvertibleCharacter) return c;
  static const InversionTable table = BuildInversionTable();
  return table[c];
}

}  // namespace quireforge
