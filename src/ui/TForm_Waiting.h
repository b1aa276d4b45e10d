// TForm_Waiting is the passive progress window: a borderless 367 x 192 panel saying that
// the program is working, with a smooth bar that conversions show and drive. One instance
// lives for the whole run; it disables nothing. Window thread only.
#ifndef QUIREFORGE_UI_TFORM_WAITING_H_
#define QUIREFORGE_UI_TFORM_WAITING_H_

#include <QPointer>
#include <QWidget>

class QFrame;
class QLabel;
class QProgressBar;

namespace quireforge {

class TForm_Waiting : public QWidget {
  Q_OBJECT

 public:
  // `main_window` is the window it is centred over; it may be null or go away first.
  explicit TForm_Waiting(QWidget* main_window);

  // Shows the window centred over the main window; the bar keeps its own visibility.
  void ShowOverMainWindow();
  void SetPanelText(const QString& text);
  QString PanelText() const;
  QProgressBar* Bar() const { return ProgressBar_Waiting; }

 private:
  QPointer<QWidget> main_window_;
  QFrame* Panel_Waiting;
  QLabel* panel_label_;
  QProgressBar* ProgressBar_Waiting;
};

}  // namespace quireforge

#endif  // QUIREFORGE_UI_TFORM_WAITING_H_
