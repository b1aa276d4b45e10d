#include "chapterhead/HeadingNumeral.h"

#include <array>
#include <cctype>
#include <string>

#include "base/AsciiText.h"

namespace quireforge {

namespace {

constexpr size_t kMaxNumeralLength = 12;
constexpr int64_t kMaxValue = 1000000000;

// The digit a Chinese numeral character stands for, or -1.
int ChineseDigit(char16_t c) {
  switch (c) {
    case u'〇':
    case u'零':
      return 0;
    case u'一':
    case u'壹':
      return 1;
    case u'二':
    case u'贰':
    case u'貳':
    case u'两':
    case u'兩':
      return 2;
    case u'三':
    case u'叁':
    case u'參':
      return 3;
    case u'四':
    case u'肆':
      return 4;
    case u'五':
    case u'伍':
      return 5;
    case u'六':
    case u'陆':
    case u'陸':
      return 6;
    case u'七':
    case u'柒':
      return 7;
    case u'八':
    case u'捌':
      return 8;
    case u'九':
    case u'玖':
      return 9;
    default:
      return -1;
  }
}

// The unit a Chinese numeral character stands for (十 百 千 万, 廿 and 卅 as twenty and
// thirty), or 0.
int64_t ChineseUnit(char16_t c) {
  switch (c) {
    case u'十':
    case u'拾':
      return 10;
    case u'廿':
      return 20;
    case u'卅':
      return 30;
    case u'百':
    case u'佰':
      return 100;
    case u'千':
    case u'仟':
      return 1000;
    case u'万':
    case u'萬':
      return 10000;
    default:
      return 0;
  }
}

int DecimalDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'０' && c <= u'９') return c - u'０';
  return -1;
}

// The value of a run of Chinese numeral characters: positional when it holds no unit
// (一〇三 is 103), else read by its units (一百零五 is 105, 十二 is 12).
int64_t ChineseValue(std::u16string_view run) {
  bool has_unit = false;
  for (char16_t c : run) has_unit = has_unit || ChineseUnit(c) != 0;
  int64_t total = 0;
  if (!has_unit) {
    for (char16_t c : run) total = total * 10 + ChineseDigit(c);
    return total;
  }
  int64_t section = 0;
  int64_t digit = -1;  // the digit waiting for its unit
  for (char16_t c : run) {
    const int64_t unit = ChineseUnit(c);
    if (unit == 0) {
      digit = ChineseDigit(c);
    } else if (unit == 10000) {
      section += digit < 0 ? 0 : digit;
      total += (section == 0 ? 1 : section) * unit;
      section = 0;
      digit = -1;
    } else if (unit == 20 || unit == 30) {
      section += unit;
      digit = -1;
    } else {
      section += (digit < 0 ? 1 : digit) * unit;
      digit = -1;
    }
  }
  return total + section + (digit < 0 ? 0 : digit);
}

int LatinRomanValue(char c) {
  switch (AsciiLower(c)) {
    case 'i':
      return 1;
    case 'v':
      return 5;
    case 'x':
      return 10;
    case 'l':
      return 50;
    case 'c':
      return 100;
    default:
      return 0;
  }
}

bool IsAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

constexpr std::array<const char*, 20> kOnes = {
    "zero",     "one",     "two",     "three",     "four",     "five",    "six",
    "seven",    "eight",   "nine",    "ten",       "eleven",   "twelve",  "thirteen",
    "fourteen", "fifteen", "sixteen", "seventeen", "eighteen", "nineteen"};
constexpr std::array<const char*, 10> kTens = {"",      "",      "twenty",  "thirty", "forty",
                                               "fifty", "sixty", "seventy", "eighty", "ninety"};

// The value of one lower-case number word, or -1.
int WordValue(const std::string& word) {
  for (size_t i = 0; i < kOnes.size(); ++i) {
    if (word == kOnes[i]) return static_cast<int>(i);
  }
  for (size_t i = 2; i < kTens.size(); ++i) {
    if (word == kTens[i]) return static_cast<int>(i * 10);
  }
  return -1;
}

// The lower-case ASCII word that starts `text` at `from`, and where it ends.
std::string LowerWord(std::u16string_view text, size_t from, size_t* end) {
  std::string word;
  size_t at = from;
  while (at < text.size() && IsAsciiLetter(text[at]) && word.size() < 12) {
    word += static_cast<char>(AsciiLower(text[at]));
    ++at;
  }
  *end = at;
  return word;
}

}  // namespace

HeadingNumber LeadingNumber(std::u16string_view text) {
  HeadingNumber number;
  if (text.empty()) return number;
  if (text[0] >= u'\u2160' && text[0] <= u'\u216B') {
    return {1, text[0] - u'\u2160' + 1, NumeralScript::kRoman};
  }
  if (text[0] >= u'\u2170' && text[0] <= u'\u217B') {
    return {1, text[0] - u'\u2170' + 1, NumeralScript::kRoman};
  }
  size_t length = 0;
  if (DecimalDigit(text[0]) >= 0) {
    int64_t value = 0;
    while (length < text.size() && length < kMaxNumeralLength && DecimalDigit(text[length]) >= 0) {
      if (value < kMaxValue) value = value * 10 + DecimalDigit(text[length]);
      ++length;
    }
    return {length, value < kMaxValue ? value : kMaxValue, NumeralScript::kDigits};
  }
  while (length < text.size() && length < kMaxNumeralLength &&
         (ChineseDigit(text[length]) >= 0 || ChineseUnit(text[length]) != 0)) {
    ++length;
  }
  if (length == 0) return number;
  const int64_t value = ChineseValue(text.substr(0, length));
  return {length, value < kMaxValue ? value : kMaxValue, NumeralScript::kChinese};
}

HeadingNumber LeadingLatinNumber(std::u16string_view text) {
  size_t end = 0;
  const std::string word = LowerWord(text, 0, &end);
  if (word.empty() || (end < text.size() && IsAsciiLetter(text[end]))) return {};
  // English number words, with one hyphenated unit after a ten (twenty-one).
  int value = WordValue(word);
  if (value >= 0) {
    if (value >= 20 && value % 10 == 0 && end + 1 < text.size() && text[end] == u'-') {
      size_t unit_end = 0;
      const int unit = WordValue(LowerWord(text, end + 1, &unit_end));
      if (unit > 0 && unit < 10) {
        value += unit;
        end = unit_end;
      }
    }
    return {end, value, NumeralScript::kWords};
  }
  // Roman numerals: each letter adds its value, or takes it away before a larger one.
  int64_t total = 0;
  for (size_t i = 0; i < word.size(); ++i) {
    const int current = LatinRomanValue(word[i]);
    if (current == 0) return {};
    const int next = i + 1 < word.size() ? LatinRomanValue(word[i + 1]) : 0;
    total += next > current ? -current : current;
  }
  if (total <= 0) return {};
  return {end, total, NumeralScript::kRoman};
}

}  // namespace quireforge
