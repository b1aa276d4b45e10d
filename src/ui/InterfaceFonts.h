// The fonts of the two interface languages: Tahoma 8 pt for the English window (and for the
// "..." buttons and the progress window in both), 宋体 9 pt for the Chinese window, each
// replaced by the platform's sans-serif or a CJK font when it is not installed.
#ifndef QUIREFORGE_UI_INTERFACEFONTS_H_
#define QUIREFORGE_UI_INTERFACEFONTS_H_

#include <QFont>

#include "ui/InterfaceLanguage.h"

namespace quireforge {

// Tahoma, 8 pt; the platform's default sans-serif at the same size when Tahoma is missing.
QFont DesignFont();

// The main window's font for `language`: DesignFont() for English; 宋体 9 pt for Chinese,
// else a CJK font (WenQuanYi Zen Hei, Noto Sans CJK SC) at 9 pt, else the default sans-serif.
QFont WindowFont(InterfaceLanguage language);

}  // namespace quireforge

#endif  // QUIREFORGE_UI_INTERFACEFONTS_H_
