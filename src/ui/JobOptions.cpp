#include "ui/JobOptions.h"

namespace quireforge {

int32_t MarginForIndex(int index) { return index == 1 ? 5 : 2; }

int32_t LineHeightForIndex(int index) { return index == 0 ? 100 : 120; }

int32_t FontSizeForIndex(int index) {
  if (index == 0) return 110;
  if (index == 1) return 105;
  return 100;
}

std::u16string WeightLineForIndex(int index) {
  return index == 0 ? std::u16string() : std::u16string(u"font-weight:bold;");
}

}  // namespace quireforge
