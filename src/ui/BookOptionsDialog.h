// The Book options dialog: one control for every book option the main window's option line
// does not hold, built from the option table (a drop-down list, a check box for a flag's
// option, a text field, or a file field with a "..." button and a small preview of the
// picture it names), with a live count of the headings the chosen chapter rule finds in the
// selected source. The cover is chosen as a picture, a drawn cover (previewed with the book's
// names) or none; the classic book's box sets the choices it makes in their controls. Its controls
// are the window's choices for the next Add: OK keeps them, Cancel puts back those it opened with.
// Owned by the main window; window thread only.
#ifndef QUIREFORGE_UI_BOOKOPTIONSDIALOG_H_
#define QUIREFORGE_UI_BOOKOPTIONSDIALOG_H_

#include <QDialog>
#include <QString>
#include <functional>
#include <utility>

#include "conversion/BookOptions.h"
#include "ui/InterfaceLanguage.h"

class QDialogButtonBox;
class QFormLayout;
class QLabel;
class QTimer;

namespace quireforge {

class CodePageChoice;
class DialogService;

class BookOptionsDialog : public QDialog {
  Q_OBJECT

 public:
  // `skip` tells which options have their control elsewhere (the option line); `source` gives
  // the path of the source whose headings are counted (empty: none), `names` the title and
  // author a drawn cover shows. `dialogs` answers the file
  // dialogs and messages, `code_pages` reads the counted source; both outlive the dialog.
  BookOptionsDialog(const std::function<bool(std::string_view name)>& skip,
                    std::function<QString()> source,
                    std::function<std::pair<QString, QString>()> names, DialogService& dialogs,
                    const CodePageChoice& code_pages, QWidget* parent);

  void ApplyTexts(const InterfaceTexts& texts);
  // Shows the dialog modally; returns true when the user kept the choices (OK).
  bool Edit();

 private:
  void ChooseFile(const QString& option_name);
  void ShowPreview(const QString& option_name);
  // The cover's choice list and its field kept in step: the field holds the option's word.
  void CoverChoiceChosen(int index);
  void ShowCoverChoice();
  // Checking the classic box sets the choices it makes; unchecking it puts back the defaults
  // of those it made.
  void ClassicToggled(bool classic);
  // Counts the headings of the selected source under the options the controls hold now.
  void CountHeadings();
  void Accept();

  std::function<QString()> source_;
  std::function<std::pair<QString, QString>()> names_;
  DialogService& dialogs_;
  const CodePageChoice& code_pages_;
  InterfaceTexts texts_;
  BookOptions opened_with_;
  QFormLayout* form_ = nullptr;
  QLabel* Label_HeadingCount = nullptr;
  QTimer* count_timer_ = nullptr;
  QDialogButtonBox* buttons_ = nullptr;
};

}  // namespace quireforge

#endif  // QUIREFORGE_UI_BOOKOPTIONSDIALOG_H_
