// PatternCharClass is the compiled form of one bracket class: a set of UTF-16 code units
// with a constant-time membership test (a 256-entry page index over shared 256-bit pages).
// Built once by the compiler, then read-only; safe to read from any number of threads.
#ifndef QUIREFORGE_CHAPTERHEAD_PATTERNCHARCLASS_H_
#define QUIREFORGE_CHAPTERHEAD_PATTERNCHARCLASS_H_

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

namespace quireforge {

class PatternCharClass {
 public:
  // The members are the code units of `ranges` (inclusive pairs, first <= last); with
  // `ignore_case` also every character whose case inversion is one of them; with `negated`
  // the set is complemented after that.
  PatternCharClass(const std::vector<std::pair<char16_t, char16_t>>& ranges, bool ignore_case,
                   bool negated);

  bool Contains(char16_t c) const {
    const Page& page = pages_[page_of_[c >> 8]];
    return (page[(c & 0xFF) >> 6] >> (c & 63)) & 1u;
  }

 private:
  using Page = std::array<uint64_t, 4>;

  std::array<uint8_t, 256> page_of_{};
  std::vector<Page> pages_;
};

}  // namespace quireforge

#endif  // QUIREFORGE_CHAPTERHEAD_PATTERNCHARCLASS_H_
