#include "conversion/LanguageTag.h"

#include <unicode/uchar.h>
#include <unicode/uscript.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "base/AsciiText.h"

namespace quireforge {

namespace {

bool IsAlpha(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool IsAlphanumeric(char16_t c) { return IsAlpha(c) || IsDigit(c); }

bool AllOf(std::u16string_view text, bool (*test)(char16_t)) {
  return std::all_of(text.begin(), text.end(), test);
}

bool IsAlphaOf(std::u16string_view subtag, size_t min, size_t max) {
  return subtag.size() >= min && subtag.size() <= max && AllOf(subtag, IsAlpha);
}

bool IsScript(std::u16string_view subtag) { return IsAlphaOf(subtag, 4, 4); }

bool IsRegion(std::u16string_view subtag) {
  return IsAlphaOf(subtag, 2, 2) || (subtag.size() == 3 && AllOf(subtag, IsDigit));
}

bool IsVariant(std::u16string_view subtag) {
  if (!AllOf(subtag, IsAlphanumeric)) return false;
  return (subtag.size() >= 5 && subtag.size() <= 8) || (subtag.size() == 4 && IsDigit(subtag[0]));
}

bool IsPrivateUseMark(std::u16string_view subtag) {
  return subtag.size() == 1 && (subtag[0] == u'x' || subtag[0] == u'X');
}

// An extension's singleton: one letter or digit other than x.
bool IsSingleton(std::u16string_view subtag) {
  return subtag.size() == 1 && IsAlphanumeric(subtag[0]) && !IsPrivateUseMark(subtag);
}

// The grandfathered tags that the langtag grammar does not cover.
constexpr std::array<std::u16string_view, 17> kIrregularTags = {
    u"en-GB-oed", u"i-ami", u"i-bnn",     u"i-default", u"i-enochian", u"i-hak",
    u"i-klingon", u"i-lux", u"i-mingo",   u"i-navajo",  u"i-pwn",      u"i-tao",
    u"i-tay",     u"i-tsu", u"sgn-BE-FR", u"sgn-BE-NL", u"sgn-CH-DE",
};

// The subtags of `tag`, split at "-"; empty when a subtag is empty or longer than eight.
std::vector<std::u16string_view> Subtags(std::u16string_view tag) {
  std::vector<std::u16string_view> subtags;
  size_t start = 0;
  for (;;) {
    const size_t dash = tag.find(u'-', start);
    const std::u16string_view subtag = tag.substr(start, dash - start);
    if (subtag.empty() || subtag.size() > 8 || !AllOf(subtag, IsAlphanumeric)) return {};
    subtags.push_back(subtag);
    if (dash == std::u16string_view::npos) return subtags;
    start = dash + 1;
  }
}

// Private use from subtags[at] (the "x"): at least one subtag of one to eight characters.
bool IsPrivateUseFrom(const std::vector<std::u16string_view>& subtags, size_t at) {
  return at < subtags.size() && IsPrivateUseMark(subtags[at]) && at + 1 < subtags.size();
}

}  // namespace

bool IsWellFormedLanguageTag(std::u16string_view tag) {
  for (std::u16string_view irregular : kIrregularTags) {
    if (EqualsIgnoringAsciiCase(tag, irregular)) return true;
  }
  const std::vector<std::u16string_view> subtags = Subtags(tag);
  if (subtags.empty()) return false;
  if (IsPrivateUseMark(subtags[0])) return IsPrivateUseFrom(subtags, 0);

  size_t at = 0;
  const std::u16string_view language = subtags[at++];
  if (!IsAlphaOf(language, 2, 8)) return false;
  if (language.size() <= 3) {
    // Up to three extended language subtags.
    for (int extlang = 0; extlang < 3 && at < subtags.size() && IsAlphaOf(subtags[at], 3, 3);
         ++extlang) {
      ++at;
    }
  }
  if (at < subtags.size() && IsScript(subtags[at])) ++at;
  if (at < subtags.size() && IsRegion(subtags[at])) ++at;
  while (at < subtags.size() && IsVariant(subtags[at])) ++at;
  while (at < subtags.size() && IsSingleton(subtags[at])) {
    ++at;
    const size_t first = at;
    while (at < subtags.size() && subtags[at].size() >= 2) ++at;
    if (at == first) return false;  // a singleton needs at least one subtag
  }
  if (at < subtags.size()) return IsPrivateUseFrom(subtags, at);
  return true;
}

void LanguageGuess::Count(std::u16string_view text) {
  for (size_t i = 0; i < text.size();) {
    UChar32 c;
    U16_NEXT(text.data(), i, text.size(), c);
    if (c < 0x80) {
      if (IsAlpha(static_cast<char16_t>(c))) ++letters_;
      continue;
    }
    // The common Han block, most of a Chinese or Japanese text, without asking ICU.
    if (c >= 0x4E00 && c <= 0x9FFF) {
      ++letters_;
      ++han_;
      continue;
    }
    if (!u_isalpha(c)) continue;
    ++letters_;
    UErrorCode status = U_ZERO_ERROR;
    switch (uscript_getScript(c, &status)) {
      case USCRIPT_HAN:
        ++han_;
        break;
      case USCRIPT_HIRAGANA:
      case USCRIPT_KATAKANA:
      case USCRIPT_KATAKANA_OR_HIRAGANA:
        ++kana_;
        break;
      case USCRIPT_HANGUL:
        ++hangul_;
        break;
      default:
        break;
    }
  }
}

std::u16string_view LanguageGuess::Language() const {
  if (letters_ == 0) return u"en";
  if (kana_ * 10 >= letters_ && kana_ > 0) return u"ja";
  if (hangul_ * 2 > letters_) return u"ko";
  if (han_ * 2 > letters_) return u"zh";
  return u"en";
}

}  // namespace quireforge
