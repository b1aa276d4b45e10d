// The numbers that headings count with: Chinese numerals (一 … 十 … 百 … 万, 〇 and 零, 两), their
// financial forms (壹 … 拾 佰 仟 萬, simplified and traditional), ASCII and full-width digits,
// the Roman numeral signs Ⅰ..Ⅻ and Latin Roman numerals (I, V, X, L, C in either case), and
// English number words up to ninety-nine. Pure functions; any thread.
#ifndef QUIREFORGE_CHAPTERHEAD_HEADINGNUMERAL_H_
#define QUIREFORGE_CHAPTERHEAD_HEADINGNUMERAL_H_

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace quireforge {

// How a number is written; headings of one series keep to one script.
enum class NumeralScript : uint8_t { kChinese, kDigits, kRoman, kWords };

struct HeadingNumber {
  size_t length = 0;  // code units taken; 0: no number here
  int64_t value = 0;  // at most 10^9; -1 when the numeral has no sound reading (一十十)
  NumeralScript script = NumeralScript::kChinese;
};

// The number that starts `text` in Chinese numerals, digits (ASCII or full-width) or the
// Roman numeral signs U+2160..U+216B. At most 12 units are taken.
HeadingNumber LeadingNumber(std::u16string_view text);

// The number that starts `text` as Latin Roman numerals or English number words (one,
// Twenty-One, …), ended by a non-letter. For English headings.
HeadingNumber LeadingLatinNumber(std::u16string_view text);

}  // namespace quireforge

#endif  // QUIREFORGE_CHAPTERHEAD_HEADINGNUMERAL_H_
