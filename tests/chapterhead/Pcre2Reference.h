// Pcre2Reference is PCRE2's 16-bit interpreter (no UTF mode, so lone surrogates pass, no
// JIT) behind a small RAII class: the independent reference the differential tests compare
// the pattern engine with. Not copyable; one thread at a time.
#ifndef QUIREFORGE_TESTS_CHAPTERHEAD_PCRE2REFERENCE_H_
#define QUIREFORGE_TESTS_CHAPTERHEAD_PCRE2REFERENCE_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace quireforge {
class TPatternEngine;
}

namespace quireforge::test {

// The chapter-head rule in PCRE2 syntax, every non-ASCII character as a code. Compile it with
// PCRE2_DOTALL: "." must match everything, as it does under the engine's default modifiers.
constexpr std::u16string_view kPcre2ChapterHeadPattern =
    u"(Charpter){0,1}.{0,1}"
    u"[\\x{7B2C}|\\x{5377}|\\x{5E8F}|\\x{5E8F}\\x{7AE0}]"
    u"[ \\x{3000}]*"
    u"[0-9\\x{FF10}-\\x{FF19}\\x{3007}\\x{4E00}\\x{4E8C}\\x{4E09}\\x{56DB}\\x{4E94}\\x{516D}"
    u"\\x{4E03}\\x{516B}\\x{4E5D}\\x{4E2A}\\x{5341}\\x{767E}\\x{5343}\\x{4E07}\\x{96F6}"
    u"\\x{58F9}\\x{8D30}\\x{53C1}\\x{8086}\\x{4F0D}\\x{9646}\\x{67D2}\\x{634C}\\x{7396}"
    u"\\x{62FE}\\x{4F70}\\x{4EDF}\\x{842C}\\x{2160}-\\x{216B}]{0,10}"
    u"[ \\x{3000}]{0,1}"
    u"[\\x{7AE0}|\\x{56DE}|\\x{5377}|\\x{7BC7}|\\x{8BFE}|\\x{8282}|\\x{90E8}|\\x{96C6}]"
    u".{0,1}";

class Pcre2Reference {
 public:
  // Compiles `pattern` with the PCRE2 option bits `options`. Raises std::runtime_error with
  // PCRE2's message when it does not compile.
  Pcre2Reference(std::u16string_view pattern, uint32_t options);
  ~Pcre2Reference();
  Pcre2Reference(const Pcre2Reference&) = delete;
  Pcre2Reference& operator=(const Pcre2Reference&) = delete;

  // Searches `subject`; true on a match, whose start and end are then MatchStart/MatchEnd.
  // Raises std::runtime_error on a matching error (a limit, for example).
  bool Search(std::u16string_view subject);
  int64_t MatchStart(int group = 0) const;  // -1 when the group is unset
  int64_t MatchEnd(int group = 0) const;

 private:
  void* code_;
  void* match_data_;
};

// True when the engine's last match and the reference's last match span the same units: the
// whole match and the first three groups, an unset group in both counting as alike. For two
// searches that both found a match.
bool SameSpans(const TPatternEngine& engine, const Pcre2Reference& reference);

// "U+7B2C U+4E00 ..." for messages.
std::string CodePoints(std::u16string_view text);

}  // namespace quireforge::test

#endif  // QUIREFORGE_TESTS_CHAPTERHEAD_PCRE2REFERENCE_H_
