// How the four option lists of the main window map to book options: the item at an index is
// the option's word at that place in the option table, so both interface languages give the
// same values; an index outside the list gives the default.
#ifndef QUIREFORGE_UI_JOBOPTIONS_H_
#define QUIREFORGE_UI_JOBOPTIONS_H_

#include <cstdint>
#include <string>

namespace quireforge {

// Page margin in points: 2 for index 0 ("Normal"), 5 for index 1 ("Wide").
int32_t MarginForIndex(int index);
// Line height in percent: 100 for index 0 ("Normal"), 120 for index 1 ("Wide").
int32_t LineHeightForIndex(int index);
// Font size in percent: 110 for index 0, 105 for index 1, 100 for index 2.
int32_t FontSizeForIndex(int index);
// Extra style-sheet declaration: none for index 0, "font-weight:bold;" for index 1.
std::u16string WeightLineForIndex(int index);

}  // namespace quireforge

#endif  // QUIREFORGE_UI_JOBOPTIONS_H_
