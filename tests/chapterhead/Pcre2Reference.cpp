#include "Pcre2Reference.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <cstdio>
#include <stdexcept>

#include "chapterhead/PatternEngine.h"

namespace quireforge::test {

namespace {

std::string ErrorText(int code) {
  PCRE2_UCHAR16 buffer[256];
  int length = pcre2_get_error_message(code, buffer, 256);
  std::string text;
  for (int i = 0; i < length; ++i) text += static_cast<char>(buffer[i] < 128 ? buffer[i] : '?');
  return text;
}

}  // namespace

Pcre2Reference::Pcre2Reference(std::u16string_view pattern, uint32_t options) {
  int error = 0;
  PCRE2_SIZE offset = 0;
  code_ = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(), options,
                        &error, &offset, nullptr);
  if (code_ == nullptr) {
    throw std::runtime_error("PCRE2 compile error at " + std::to_string(offset) + ": " +
                             ErrorText(error));
  }
  match_data_ = pcre2_match_data_create_from_pattern(static_cast<pcre2_code*>(code_), nullptr);
  if (match_data_ == nullptr) {
    pcre2_code_free(static_cast<pcre2_code*>(code_));
    throw std::runtime_error("PCRE2 match data");
  }
}

Pcre2Reference::~Pcre2Reference() {
  pcre2_match_data_free(static_cast<pcre2_match_data*>(match_data_));
  pcre2_code_free(static_cast<pcre2_code*>(code_));
}

bool Pcre2Reference::Search(std::u16string_view subject) {
  int rc =
      pcre2_match(static_cast<pcre2_code*>(code_), reinterpret_cast<PCRE2_SPTR>(subject.data()),
                  subject.size(), 0, 0, static_cast<pcre2_match_data*>(match_data_), nullptr);
  if (rc == PCRE2_ERROR_NOMATCH) return false;
  if (rc < 0) throw std::runtime_error("PCRE2 match error: " + ErrorText(rc));
  return true;
}

int64_t Pcre2Reference::MatchStart(int group) const {
  PCRE2_SIZE* vector = pcre2_get_ovector_pointer(static_cast<pcre2_match_data*>(match_data_));
  uint32_t pairs = pcre2_get_ovector_count(static_cast<pcre2_match_data*>(match_data_));
  if (static_cast<uint32_t>(group) >= pairs || vector[2 * group] == PCRE2_UNSET) return -1;
  return static_cast<int64_t>(vector[2 * group]);
}

int64_t Pcre2Reference::MatchEnd(int group) const {
  PCRE2_SIZE* vector = pcre2_get_ovector_pointer(static_cast<pcre2_match_data*>(match_data_));
  uint32_t pairs = pcre2_get_ovector_count(static_cast<pcre2_match_data*>(match_data_));
  if (static_cast<uint32_t>(group) >= pairs || vector[2 * group + 1] == PCRE2_UNSET) return -1;
  return static_cast<int64_t>(vector[2 * group + 1]);
}

std::string CodePoints(std::u16string_view text) {
  std::string out;
  char buffer[16];
  for (char16_t c : text) {
    std::snprintf(buffer, sizeof(buffer), "%sU+%04X", out.empty() ? "" : " ",
                  static_cast<unsigned>(c));
    out += buffer;
  }
  return out.empty() ? "(empty)" : out;
}

bool SameSpans(const TPatternEngine& engine, const Pcre2Reference& reference) {
  for (int slot = 0; slot < 4; ++slot) {
    const int32_t start = engine.MatchPos(slot);
    if (start != reference.MatchStart(slot)) return false;
    if (start >= 0 && start + engine.MatchLen(slot) != reference.MatchEnd(slot)) return false;
  }
  return true;
}

}  // namespace quireforge::test
