// The window's controls of the book options, and the options shown in and read from them.
// The window names the controls itself: the option line's keep their inherited names, every
// other option has a control in the Book options dialog named after the option. A drop-down
// list holds the option's words in order (an editable one a text, its first item standing for
// the default word), a check box is checked when the option has the word its flag sets, a text
// field holds the word. Options with no control under the root are left as they are. Window
// thread only.
#ifndef QUIREFORGE_UI_BOOKOPTIONCONTROLS_H_
#define QUIREFORGE_UI_BOOKOPTIONCONTROLS_H_

#include <QString>
#include <string_view>

#include "conversion/BookOptions.h"
#include "ui/InterfaceLanguage.h"

class QWidget;

namespace quireforge {

struct BookOption;

// A text of the option table (a name, a word; UTF-8) as a QString.
QString TableText(std::string_view text);

// The kind of control an option has in the Book options dialog: a check box for an option a
// flag switches between its two words, a list for a choice, an editable list for a text with
// usual words, a text field, or a file field with a "..." button.
enum class OptionControlKind { kCheckBox, kList, kEditableList, kField, kFileField };
OptionControlKind ControlKindOf(const BookOption& option);

// The object name of `option`'s control: the option line's inherited names (ComboBox_PM,
// CheckBox_NC, Edit_UF, ...), else the dialog control's kind and the option's name
// ("chapter-rule": ComboBox_ChapterRule).
QString OptionControlName(const BookOption& option);
// Whether the option line (rather than the Book options dialog) holds `option`'s control.
bool IsOnOptionLine(const BookOption& option);

// Sets every option that has a control under `root` from that control. Raises
// BookOptionError when a control holds a word its option does not take.
void ReadOptionControls(const QWidget& root, BookOptions* options);

// Shows `options` in every control under `root` that belongs to an option.
void ShowOptionControls(QWidget* root, const BookOptions& options);

// The items of `option`'s list in `texts`' language, one per word of the option, in order: the
// word's item where the texts give one, else the word in the option's word format ("%1 em"),
// else the word itself.
QStringList OptionItems(const BookOption& option, const InterfaceTexts& texts);

// The options of `options` that differ from the defaults, one line each ("Caption: item"),
// in the interface's language; empty when all are the defaults.
QString OptionsSummary(const BookOptions& options, const InterfaceTexts& texts);

// The word a control holds, and the control's showing of a word.
QString ControlWord(const QWidget& control, const BookOption& option);
void ShowControlWord(QWidget* control, const BookOption& option, const QString& word);

}  // namespace quireforge

#endif  // QUIREFORGE_UI_BOOKOPTIONCONTROLS_H_
