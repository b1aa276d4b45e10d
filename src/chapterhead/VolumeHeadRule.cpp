#include "chapterhead/VolumeHeadRule.h"

namespace quireforge {

namespace {

// The line without U+0000..U+0020 at its ends (and without what follows a U+0000).
std::u16string_view Trimmed(std::u16string_view line) {
  line = line.substr(0, line.find(u'\0'));
  size_t begin = 0;
  size_t end = line.size();
  while (begin < end && line[begin] <= u' ') ++begin;
  while (end > begin && line[end - 1] <= u' ') --end;
  return line.substr(begin, end - begin);
}

}  // namespace

VolumeHeadRule::VolumeHeadRule() : rule_(kVolumeHeadPattern), is_default_(true) {}

VolumeHeadRule::VolumeHeadRule(std::u16string_view expression)
    : rule_(expression), is_default_(false) {}

bool VolumeHeadRule::IsVolumeHead(std::u16string_view line) {
  const std::u16string_view text = Trimmed(line);
  if (is_default_) {
    // Every match of the default pattern starts with 第 or 卷 after the ideographic spaces.
    const size_t first = text.find_first_not_of(u'\u3000');
    if (first == std::u16string_view::npos || (text[first] != u'第' && text[first] != u'卷')) {
      return false;
    }
  }
  return rule_.Matches(text);
}

}  // namespace quireforge
