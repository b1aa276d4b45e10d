// The design sizes of the program's windows, in pixels: the main window's client area, its
// margin, label and control widths, the tool buttons, the chapter panel, and the progress
// window. The layouts are built from these names alone, so a size is changed in one place.
#ifndef QUIREFORGE_UI_DESIGNSIZES_H_
#define QUIREFORGE_UI_DESIGNSIZES_H_

#include <QPoint>
#include <QSize>

namespace quireforge::design {

// Main window: the client area it opens with, the inner margin on all sides, and the room
// between two lines of controls.
inline constexpr QSize kClientArea(767, 484);
inline constexpr int kWindowMargin = 5;
inline constexpr int kLineSpacing = 4;

// Source, target, title and author lines: the label before each field, and the "..."
// buttons at the right end of the first two.
inline constexpr int kFieldLabelWidth = 80;
inline constexpr QSize kEllipsisButton(24, 21);

// Option line: "Option" takes the width of the field labels, then a gap before the first
// drop-down list; each list is at least this wide and followed by a gap.
inline constexpr int kOptionLabelWidth = kFieldLabelWidth;
inline constexpr int kAfterOptionLabel = 8;
inline constexpr int kOptionListWidth = 60;
inline constexpr int kAfterOptionList = 12;

// Check line: its first box starts this far from the window's left edge; the boxes' widths.
inline constexpr int kCheckLineIndent = 92;
inline constexpr int kNoChaptersBoxWidth = 160;
inline constexpr int kFileNameChaptersBoxWidth = 144;
inline constexpr int kFontFileBoxWidth = 93;

// Add, Remove, Clear, Start, and the chapter panel's Replace, Edit and Remove.
inline constexpr QSize kToolButton(54, 25);

// The chapter panel right of the splitter, as wide as the chapter list box; the splitter's
// handle between it and the job list.
inline constexpr int kChapterListWidth = 218;
inline constexpr int kSplitterHandle = 4;
// The job list's share of the list area when the window opens.
inline constexpr int kJobListWidth =
    kClientArea.width() - 2 * kWindowMargin - kSplitterHandle - kChapterListWidth;

// Job list columns: title fitted but at least 100; author fitted within 80 to 160; chapter
// count and tag fixed.
inline constexpr int kTitleColumnMinimum = 100;
inline constexpr int kAuthorColumnMinimum = 80;
inline constexpr int kAuthorColumnMaximum = 160;
inline constexpr int kChaptersColumn = 80;
// The tag column holds "Cancelled" as well as "Done".
inline constexpr int kTagColumn = 72;

// The find-and-replace dialog's least width.
inline constexpr int kReplaceDialogMinimumWidth = 380;

// Progress window: its size, the raised panel's text inside its bevel, and the bar.
inline constexpr QSize kWaitingWindow(367, 192);
inline constexpr int kWaitingBevel = 2;
inline constexpr QPoint kWaitingBarPosition(16, 112);
inline constexpr QSize kWaitingBar(337, 17);
// While Start packs books: the panel text above, the book line over the bar, Cancel below.
inline constexpr int kWaitingPanelTextTop = 16;
inline constexpr int kWaitingPanelTextHeight = 40;
inline constexpr QPoint kWaitingBookPosition(16, 72);
inline constexpr QSize kWaitingBook(337, 32);
inline constexpr QPoint kWaitingCancelPosition(136, 144);
inline constexpr QSize kWaitingCancel(95, 28);
// Several books packed at once: a book line and its bar for each, one under the other; the
// window and Cancel move down by this much for each line after the first.
inline constexpr int kWaitingBookLineStep = 60;

}  // namespace quireforge::design

#endif  // QUIREFORGE_UI_DESIGNSIZES_H_
