// Pcre2Reference is PCRE2's 16-bit interpreter (no UTF mode, so lone surrogates pass, no
// JIT) behind a small RAII class: the independent reference the differential tests compare
// the pattern engine with. Not copyable; one thread at a time.
#ifndef QUIREFORGE_TESTS_CHAPTERHEAD_PCRE2REFERENCE_H_
#define QUIREFORGE_TESTS_CHAPTERHEAD_PCRE2REFERENCE_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace quireforge::test {

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

// "U+7B2C U+4E00 ..." for messages.
std::string CodePoints(std::u16string_view text);

}  // namespace quireforge::test

#endif  // QUIREFORGE_TESTS_CHAPTERHEAD_PCRE2REFERENCE_H_
