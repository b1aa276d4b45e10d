// TForm_Waiting is the progress window: a borderless 367 x 192 panel saying that the program
// is working, with a smooth bar that conversions show and drive. While Start packs books it
// also names each book being packed (i of n) on a line of its own with its bar, growing to
// hold as many lines as books are packed at once, and offers Cancel, which Esc presses too;
// otherwise it is passive and disables nothing. One instance lives for the whole run. Window
// thread only.
#ifndef QUIREFORGE_UI_TFORM_WAITING_H_
#define QUIREFORGE_UI_TFORM_WAITING_H_

#include <QPointer>
#include <QWidget>
#include <vector>

class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;

namespace quireforge {

class TForm_Waiting : public QWidget {
  Q_OBJECT

 public:
  // `main_window` is the window it is centred over; it may be null or go away first.
  explicit TForm_Waiting(QWidget* main_window);

  // Shows the window centred over the main window; the bar keeps its own visibility. A
  // cancellable window takes the keyboard focus, so that Esc reaches it.
  void ShowOverMainWindow();
  void SetPanelText(const QString& text);
  QString PanelText() const;
  QProgressBar* Bar() const { return ProgressBar_Waiting; }

  // Shows or hides the book line and the Cancel button (captioned `cancel_caption`); set
  // before the window is shown. Leaving the mode empties the book line.
  void SetCancellable(bool cancellable, const QString& cancel_caption = QString());
  bool IsCancellable() const { return cancellable_; }
  // The book line: which book is being packed (the first line, when there are several).
  void SetBookText(const QString& text);
  QString BookText() const;
  // The book lines, `count` of them (at least one; the first is the book line above, whose bar
  // is Bar()); the window grows to hold them. Set before the window is shown.
  void SetBookLineCount(int count);
  int BookLineCount() const { return static_cast<int>(book_labels_.size()); }
  // Line `line` names a book with `text`, its bar shown at 0 of `steps`; an empty text leaves
  // the line empty, its bar hidden.
  void SetBookLine(int line, const QString& text, int steps = 0);
  QString BookLineText(int line) const;
  QProgressBar* BookBar(int line) const;
  // Greys out Cancel once it was pressed (the books being packed are being stopped), says so
  // on the first line and empties the others.
  void ShowCancelling(const QString& text);

 signals:
  // Cancel was clicked, or Esc pressed, while the window is cancellable.
  void CancelRequested();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QPointer<QWidget> main_window_;
  bool cancellable_ = false;
  QFrame* Panel_Waiting;
  QLabel* panel_label_;
  QLabel* Label_Book;
  QProgressBar* ProgressBar_Waiting;
  QPushButton* Button_Cancel;
  // Every book line's text and bar, Label_Book and ProgressBar_Waiting first.
  std::vector<QLabel*> book_labels_;
  std::vector<QProgressBar*> book_bars_;
};

}  // namespace quireforge

#endif  // QUIREFORGE_UI_TFORM_WAITING_H_
