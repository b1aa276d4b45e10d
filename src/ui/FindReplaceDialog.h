// FindReplaceDialog is the non-modal find-and-replace dialog of the chapter editor
// (ReplaceDialog_Head): a find text, a replace text, the whole-word check box that picks the
// search mode, and the commands Find Next, Replace and Replace All. Its texts and options
// stay as the user left them between showings. Owned by the main window; window thread only.
#ifndef QUIREFORGE_UI_FINDREPLACEDIALOG_H_
#define QUIREFORGE_UI_FINDREPLACEDIALOG_H_

#include <QDialog>

#include "ui/InterfaceLanguage.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace quireforge {

class FindReplaceDialog : public QDialog {
  Q_OBJECT

 public:
  explicit FindReplaceDialog(QWidget* parent);

  void ApplyTexts(const InterfaceTexts& texts);
  // Shows the dialog without blocking the window it belongs to.
  void Execute();

  QString FindText() const;
  QString ReplaceText() const;
  bool WholeWord() const;

 signals:
  void Find();
  void Replace();
  void ReplaceAll();

 private:
  void UpdateButtons();

  QLabel* find_label_;
  QLabel* replace_label_;
  QLineEdit* find_text_;
  QLineEdit* replace_text_;
  QCheckBox* whole_word_;
  QPushButton* find_next_;
  QPushButton* replace_;
  QPushButton* replace_all_;
  QPushButton* cancel_;
};

}  // namespace quireforge

#endif  // QUIREFORGE_UI_FINDREPLACEDIALOG_H_
