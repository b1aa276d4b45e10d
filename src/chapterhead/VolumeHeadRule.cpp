#include "chapterhead/VolumeHeadRule.h"

#include "base/StringOps.h"

namespace quireforge {

VolumeHeadRule::VolumeHeadRule() : rule_(kVolumeHeadPattern), is_default_(true) {}

VolumeHeadRule::VolumeHeadRule(std::u16string_view expression)
    : rule_(expression), is_default_(false) {}

bool VolumeHeadRule::IsVolumeHead(std::u16string_view line) {
  const std::u16string_view text = TrimBlanks(line);
  if (is_default_) {
    // Every match of the default pattern starts the trimmed line with 第 or 卷.
    if (text.empty() || (text.front() != u'第' && text.front() != u'卷')) return false;
  }
  return rule_.Matches(text);
}

}  // namespace quireforge
