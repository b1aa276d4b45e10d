#include "ui/JobOptions.h"

#include <string_view>

#include "conversion/BookOptionTable.h"

namespace quireforge {

namespace {

// Book options with the option `name` set to the word at `index` of its list.
BookOptions WithWordAt(std::string_view name, int index) {
  const BookOption& option = FindBookOption(name);
  BookOptions options;
  if (index >= 0 && static_cast<size_t>(index) < option.words.size()) {
    option.set(&options, std::string(option.words[static_cast<size_t>(index)]));
  }
  return options;
}

}  // namespace

int32_t MarginForIndex(int index) { return WithWordAt("margin", index).margin; }

int32_t LineHeightForIndex(int index) { return WithWordAt("line-height", index).line_height; }

int32_t FontSizeForIndex(int index) { return WithWordAt("font-size", index).font_size; }

std::u16string WeightLineForIndex(int index) {
  return WithWordAt("bold", index).bold ? u"font-weight:bold;" : u"";
}

}  // namespace quireforge
