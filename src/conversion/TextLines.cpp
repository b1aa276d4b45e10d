#include "conversion/TextLines.h"

namespace quireforge {

TextLines::TextLines(std::u16string text) : text_(std::move(text)) {
  const char16_t* const data = text_.data();
  const size_t end = text_.size();
  size_t pos = 0;
  while (pos < end) {
    size_t i = pos;
    while (i < end) {
      const char16_t c = data[i];
      if (c <= u'\r' && (c == u'\r' || c == u'\n' || c == u'\0')) break;
      ++i;
    }
    if (i < end && data[i] == u'\0') {
      // The text ends here; a line cut short by the NUL still counts.
      if (i > pos) spans_.push_back({pos, i - pos});
      break;
    }
    spans_.push_back({pos, i - pos});
    if (i < end && data[i] == u'\r') ++i;
    if (i < end && data[i] == u'\n') ++i;
    pos = i;
  }
}

std::vector<std::u16string> TextLines::ToVector() const {
  std::vector<std::u16string> lines;
  lines.reserve(size());
  for (size_t i = 0; i < size(); ++i) lines.emplace_back((*this)[i]);
  return lines;
}

}  // namespace quireforge
