// The typographic options a book gets when nobody chooses others: the window's first choices
// (margin normal, line height normal, font size middle), the command line's defaults and the
// job's and the style sheet's own. Stated here once; constants only.
#ifndef QUIREFORGE_BASE_BOOKDEFAULTS_H_
#define QUIREFORGE_BASE_BOOKDEFAULTS_H_

#include <cstdint>

namespace quireforge {

inline constexpr int32_t kDefaultMargin = 2;        // points
inline constexpr int32_t kDefaultLineHeight = 100;  // percent
inline constexpr int32_t kDefaultFontSize = 105;    // percent

}  // namespace quireforge

#endif  // QUIREFORGE_BASE_BOOKDEFAULTS_H_
