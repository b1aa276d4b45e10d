#include "zipengine/Wildcard.h"

namespace quireforge {

namespace {

// The position after the character that starts at `i`: a UTF-8 lead byte takes its continuation
// bytes with it; a stray byte counts alone.
size_t NextChar(std::string_view text, size_t i) {
  size_t next = i + 1;
  while (next < text.size() && (static_cast<unsigned char>(text[next]) & 0xC0) == 0x80) ++next;
  return next;
}

}  // namespace

bool MatchesWildcard(std::string_view pattern, std::string_view text) {
  size_t p = 0, t = 0;
  // Where the last "*" was seen, and the text position it has swallowed up to so far.
  size_t star = std::string_view::npos, star_text = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = ++p;
      star_text = t;
    } else if (p < pattern.size() && pattern[p] == '?') {
      ++p;
      t = NextChar(text, t);
    } else if (p < pattern.size() && pattern[p] == text[t]) {
      ++p;
      ++t;
    } else if (star != std::string_view::npos) {
      p = star;
      star_text = NextChar(text, star_text);
      t = star_text;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

bool MatchesFileSpec(std::string_view pattern, std::string_view name) {
  if (MatchesWildcard(pattern, name)) return true;
  if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" &&
      name.find('.') == std::string_view::npos) {
    return MatchesWildcard(pattern.substr(0, pattern.size() - 2), name);
  }
  return false;
}

}  // namespace quireforge
