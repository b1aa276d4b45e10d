#include "cli/EscapedText.h"

#include <cstdio>

#include "base/Utf.h"

namespace quireforge {

namespace {

void AppendCode(const char* format, unsigned code, std::string* out) {
  char escape[8];
  std::snprintf(escape, sizeof escape, format, code);
  *out += escape;
}

std::string Escaped(std::string_view text, bool whole_line) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    const auto next = [&](size_t k) {
      return i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : 0u;
    };
    if (c == '\\') {
      out += whole_line ? "\\\\" : "\\";
    } else if (c == '\n' && !whole_line) {
      out += '\n';
    } else if (c == '\t' || c == '\n' || c == '\r') {
      out += c == '\t' ? "\\t" : c == '\n' ? "\\n" : "\\r";
    } else if (c < 0x20 || c == 0x7F) {
      AppendCode("\\x%02x", c, &out);
    } else if (c == 0xC2 && next(1) >= 0x80 && next(1) <= 0x9F) {
      AppendCode("\\u%04x", next(1), &out);  // U+0080 to U+009F
      i += 1;
    } else if (c == 0xE2 && next(1) == 0x80 && (next(2) == 0xA8 || next(2) == 0xA9)) {
      AppendCode("\\u%04x", 0x2000u + next(2) - 0x80u, &out);  // U+2028, U+2029
      i += 2;
    } else if (const size_t length = Utf8CharacterLength(text, i); length == 0) {
      AppendCode("\\x%02x", c, &out);  // not UTF-8: a name from another system
    } else {
      out.append(text.substr(i, length));
      i += length - 1;
    }
  }
  return out;
}

}  // namespace

std::string EscapedLine(std::string_view text) { return Escaped(text, true); }

std::string EscapedForTerminal(std::string_view text) { return Escaped(text, false); }

}  // namespace quireforge
