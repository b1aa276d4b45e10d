// The small ASCII operations the parts share: letter case folded for A to Z only (never by
// the C library's locale, which may fold other letters too), case-blind comparison, and
// decimal digits as UTF-16 text. Header only, so that the zip engine may use it too; pure
// functions, any thread.
#ifndef QUIREFORGE_BASE_ASCIITEXT_H_
#define QUIREFORGE_BASE_ASCIITEXT_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace quireforge {

// `c` with A to Z made a to z; every other character as it is.
constexpr char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }
constexpr char16_t AsciiLower(char16_t c) {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
}

// `text` with AsciiLower applied to every character.
template <typename Char>
std::basic_string<Char> AsciiLowered(std::basic_string_view<Char> text) {
  std::basic_string<Char> lower(text);
  for (Char& c : lower) c = AsciiLower(c);
  return lower;
}
inline std::string AsciiLowered(std::string_view text) { return AsciiLowered<char>(text); }
inline std::u16string AsciiLowered(std::u16string_view text) {
  return AsciiLowered<char16_t>(text);
}

// True when `a` and `b` are equal once A to Z are folded to a to z.
template <typename Char>
bool EqualsIgnoringAsciiCase(std::basic_string_view<Char> a, std::basic_string_view<Char> b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}
inline bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return EqualsIgnoringAsciiCase<char>(a, b);
}
inline bool EqualsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
  return EqualsIgnoringAsciiCase<char16_t>(a, b);
}

// The decimal digits of `value` ("-" first when negative) as UTF-16 text.
inline std::u16string DecimalText(int64_t value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

}  // namespace quireforge

#endif  // QUIREFORGE_BASE_ASCIITEXT_H_
