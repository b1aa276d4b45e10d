#include "base/StringOps.h"

namespace quireforge {

namespace {

bool IsTrimmed(char16_t c) { return c <= u' '; }

// The line up to its first U+0000.
std::u16string_view UpToNul(std::u16string_view line) { return line.substr(0, line.find(u'\0')); }

}  // namespace

std::u16string_view TrimView(std::u16string_view text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsTrimmed(text[begin])) ++begin;
  while (end > begin && IsTrimmed(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

std::u16string Trim(std::u16string_view text) { return std::u16string(TrimView(text)); }

bool IsEmptyWhenTrimmed(std::u16string_view text) { return TrimView(text).empty(); }

bool IsBlank(char16_t c) {
  return c <= u' ' || c == u'\u00A0' || (c >= u'\u2000' && c <= u'\u200B') || c == u'\u3000' ||
         c == u'\uFEFF';
}

std::u16string_view TrimLeadingBlanks(std::u16string_view line) {
  line = UpToNul(line);
  size_t begin = 0;
  while (begin < line.size() && IsBlank(line[begin])) ++begin;
  return line.substr(begin);
}

std::u16string_view TrimBlanks(std::u16string_view line) {
  line = TrimLeadingBlanks(line);
  size_t end = line.size();
  while (end > 0 && IsBlank(line[end - 1])) --end;
  return line.substr(0, end);
}

bool IsBlankLine(std::u16string_view line) { return TrimBlanks(line).empty(); }

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
