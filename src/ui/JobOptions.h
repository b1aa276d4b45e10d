// How the four option lists of the main window map to job parameters. Only the item index
// counts, so both interface languages give the same values.
#ifndef QUIREFORGE_UI_JOBOPTIONS_H_
#define QUIREFORGE_UI_JOBOPTIONS_H_

#include <cstdint>
#include <string>

namespace quireforge {

// Page margin in points: 5 for index 1 ("Wide"), 2 otherwise.
int32_t MarginForIndex(int index);
// Line height in percent: 100 for index 0 ("Normal"), 120 otherwise.
int32_t LineHeightForIndex(int index);
// Font size in percent: 110 for index 0, 105 for index 1, 100 otherwise.
int32_t FontSizeForIndex(int index);
// Extra style-sheet declaration: none for index 0, "font-weight:bold;" otherwise.
std::u16string WeightLineForIndex(int index);

}  // namespace quireforge

#endif  // QUIREFORGE_UI_JOBOPTIONS_H_
