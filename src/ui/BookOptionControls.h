// Book options shown in and read from the window's controls, found by the object names the
// option table gives: a drop-down list holds the option's words in order (an editable one a
// text, its first item standing for the default word), a check box is checked when the
// option has the word its flag sets, a text field holds the word. Options with no control
// under the root are left as they are. Window thread only.
#ifndef QUIREFORGE_UI_BOOKOPTIONCONTROLS_H_
#define QUIREFORGE_UI_BOOKOPTIONCONTROLS_H_

#include <QString>

#include "conversion/BookOptions.h"
#include "ui/InterfaceLanguage.h"

class QWidget;

namespace quireforge {

struct BookOption;

// Sets every option that has a control under `root` from that control. Raises
// BookOptionError when a control holds a word its option does not take.
void ReadOptionControls(const QWidget& root, BookOptions* options);

// Shows `options` in every control under `root` that belongs to an option.
void ShowOptionControls(QWidget* root, const BookOptions& options);

// The options of `options` that differ from the defaults, one line each ("Caption: item"),
// in the interface's language; empty when all are the defaults.
QString OptionsSummary(const BookOptions& options, const InterfaceTexts& texts);

// The word a control holds, and the control's showing of a word.
QString ControlWord(const QWidget& control, const BookOption& option);
void ShowControlWord(QWidget* control, const BookOption& option, const QString& word);

}  // namespace quireforge

#endif  // QUIREFORGE_UI_BOOKOPTIONCONTROLS_H_
