#include "chapterhead/PatternCharClass.h"

#include <algorithm>
#include <cstring>

#include "chapterhead/PatternCaseInversion.h"

namespace quireforge {

namespace {

// The whole 16-bit code space as 1024 words of 64 bits.
using Bitmap = std::array<uint64_t, 1024>;

bool Test(const Bitmap& bits, uint32_t c) { return (bits[c >> 6] >> (c & 63)) & 1u; }

void Set(Bitmap* bits, uint32_t c) { (*bits)[c >> 6] |= uint64_t{1} << (c & 63); }

// Sets every bit of [first, last], a word at a time where whole words are covered.
void SetRange(Bitmap* bits, uint32_t first, uint32_t last) {
  uint32_t c = first;
  while (c <= last && (c & 63) != 0) Set(bits, c++);
  while (c + 63 <= last) {
    (*bits)[c >> 6] = ~uint64_t{0};
    c += 64;
  }
  while (c <= last) Set(bits, c++);
}

}  // namespace

PatternCharClass::PatternCharClass(const std::vector<std::pair<char16_t, char16_t>>& ranges,
                                   bool ignore_case, bool negated) {
  Bitmap members{};
  for (const auto& [first, last] : ranges) SetRange(&members, first, last);
  if (ignore_case) {
    Bitmap inverted = members;
    for (uint32_t c = 0; c <= kLastInvertibleCharacter; ++c) {
      if (Test(members, InvertCase(static_cast<char16_t>(c)))) Set(&inverted, c);
    }
    members = inverted;
  }
  if (negated) {
    for (uint64_t& word : members) word = ~word;
  }

  for (uint32_t page_number = 0; page_number < 256; ++page_number) {
    Page page;
    std::memcpy(page.data(), &members[page_number * 4], sizeof(page));
    auto found = std::find(pages_.begin(), pages_.end(), page);
    page_of_[page_number] = static_cast<uint8_t>(found - pages_.begin());
    if (found == pages_.end()) pages_.push_back(page);
  }
}

}  // namespace quireforge
