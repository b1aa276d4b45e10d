#include "cli/EscapedText.h"

#include <cstdio>

namespace quireforge {

namespace {

void AppendCode(const char* format, unsigned code, std::string* out) {
  char escape[8];
  std::snprintf(escape, sizeof escape, format, code);
  *out += escape;
}

// The length of the valid UTF-8 sequence that starts at `at`, 0 when none does.
size_t Utf8Length(std::string_view text, size_t at) {
  const auto byte = [&](size_t k) {
    return at + k < text.size() ? static_cast<unsigned char>(text[at + k]) : 0u;
  };
  const unsigned c = byte(0);
  const auto continues = [&](size_t k) { return byte(k) >= 0x80 && byte(k) <= 0xBF; };
  if (c < 0x80) return 1;
  if (c >= 0xC2 && c <= 0xDF) return continues(1) ? 2 : 0;
  if (c >= 0xE0 && c <= 0xEF) {
    const unsigned low = c == 0xE0 ? 0xA0 : 0x80, high = c == 0xED ? 0x9F : 0xBF;
    return byte(1) >= low && byte(1) <= high && continues(2) ? 3 : 0;
  }
  if (c >= 0xF0 && c <= 0xF4) {
    const unsigned low = c == 0xF0 ? 0x90 : 0x80, high = c == 0xF4 ? 0x8F : 0xBF;
    return byte(1) >= low && byte(1) <= high && continues(2) && continues(3) ? 4 : 0;
  }
  return 0;
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
    } else if (const size_t length = Utf8Length(text, i); length == 0) {
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
