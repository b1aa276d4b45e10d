// The book's language: the check that a tag is a well-formed BCP 47 language tag (RFC 5646:
// language, extended language, script, region, variants, extensions, private use, and the
// irregular grandfathered tags), and the guess of a language from the scripts of a text.
// Pure functions and a plain counter; any thread.
#ifndef QUIREFORGE_CONVERSION_LANGUAGETAG_H_
#define QUIREFORGE_CONVERSION_LANGUAGETAG_H_

#include <cstdint>
#include <string_view>

namespace quireforge {

// True when `tag` is a well-formed BCP 47 language tag ("zh", "zh-Hant", "ja-JP",
// "en-GB-oxendict", "x-private"), letter case ignored. Well-formed only: subtags are not
// looked up in the registry.
bool IsWellFormedLanguageTag(std::u16string_view tag);

// Counts the letters of a text by script, for a guess of the language it is written in.
class LanguageGuess {
 public:
  // Counts the letters of `text` (ASCII letters and what Unicode calls alphabetic).
  void Count(std::u16string_view text);

  // "ja" when kana make up a tenth of the letters or more, else "ko" when most letters are
  // Hangul, else "zh" when most are Han characters, else "en" (also for a text without
  // letters).
  std::u16string_view Language() const;

 private:
  uint64_t letters_ = 0;
  uint64_t han_ = 0;
  uint64_t kana_ = 0;
  uint64_t hangul_ = 0;
};

}  // namespace quireforge

#endif  // QUIREFORGE_CONVERSION_LANGUAGETAG_H_
