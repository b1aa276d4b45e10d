#include "base/StringOps.h"

namespace quireforge {

namespace {

bool IsTrimmed(char16_t c) { return c <= u' '; }

bool IsSpacing(char16_t c) { return c <= u' ' || c == u'\u3000'; }

}  // namespace

std::u16string_view TrimView(std::u16string_view text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsTrimmed(text[begin])) ++begin;
  while (end > begin && IsTrimmed(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

std::u16string Trim(std::u16string_view text) { return std::u16string(TrimView(text)); }

bool IsBlank(std::u16string_view text) { return TrimView(text).empty(); }

std::u16string_view TrimLeadingSpacing(std::u16string_view text) {
  size_t begin = 0;
  while (begin < text.size() && IsSpacing(text[begin])) ++begin;
  return text.substr(begin);
}

std::u16string_view TrimSpacing(std::u16string_view text) {
  text = TrimLeadingSpacing(text);
  size_t end = text.size();
  while (end > 0 && IsSpacing(text[end - 1])) --end;
  return text.substr(0, end);
}

bool IsTypesetBlank(char16_t c) {
  return c <= u' ' || c == u'\u3000' || c == u'\u00A0' || c == u'\uFEFF' ||
         (c >= u'\u2000' && c <= u'\u200B');
}

std::u16string_view TrimBlanks(std::u16string_view line) {
  line = line.substr(0, line.find(u'\0'));
  size_t begin = 0;
  size_t end = line.size();
  while (begin < end && IsTypesetBlank(line[begin])) ++begin;
  while (end > begin && IsTypesetBlank(line[end - 1])) --end;
  return line.substr(begin, end - begin);
}

std::u16string ReplaceAll(std::u16string_view text, std::u16string_view search,
                          std::u16string_view replacement) {
  if (search.empty()) return std::u16string(text);
  std::u16string result;
  size_t pos = 0;
  for (size_t found = text.find(search); found != std::u16string_view::npos;
       found = text.find(search, pos)) {
    result.append(text, pos, found - pos);
    result.append(replacement);
    pos = found + search.size();
  }
  result.append(text, pos);
  return result;
}

}  // namespace quireforge
