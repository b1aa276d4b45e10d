// ChapterListBox is the chapter list box of the main window, a view of the chapter titles
// its model holds: one 18-pixel line per title, drawn as plain text (an "&" shows as it is;
// a title too long for the line shows whole in a tooltip), one selected line at a time, and
// reordering by dragging built from mouse press and move tracking, scrolling while the
// mouse is held near an edge. It only reports; the main window edits the model, which is
// the job's chapter list. Window thread only.
#ifndef QUIREFORGE_UI_CHAPTERLISTBOX_H_
#define QUIREFORGE_UI_CHAPTERLISTBOX_H_

#include <QListView>
#include <QPoint>

class QTimer;

namespace quireforge {

class ChapterListBox : public QListView {
  Q_OBJECT

 public:
  static constexpr int kRowHeight = 18;
  // The title's distance from the line's leading edge.
  static constexpr int kTitleInset = 2;
  // How far the mouse must move with a button held before a press becomes a drag.
  static constexpr int kDragThreshold = 5;
  // During a drag, the list scrolls one line this often while the mouse is held within one
  // line of its top or bottom edge (or beyond it).
  static constexpr int kScrollInterval = 60;

  explicit ChapterListBox(QWidget* parent = nullptr);

  // The number of lines: the rows of the model, 0 without one.
  int LineCount() const;
  // The selected line, -1 for none.
  int SelectedLine() const;
  // Selects line `line` alone, makes it current and scrolls it into view; a line outside
  // the list clears the selection.
  void SelectLine(int line);
  // The line at `point` of the viewport, -1 below the last line or outside.
  int LineAt(const QPoint& point) const;

 signals:
  // A press on the list box, or a key that changed the selected line.
  void Clicked();
  // During a drag that began on a line, at every mouse move over a line of the list box and
  // every scroll step: the dragged entry, at line `from` now, is to move to line `to`. A drag
  // from or to a point below the last line moves nothing and is not told.
  void DragOver(int from, int to);
  // Delete was pressed with a line selected.
  void DeleteRequested();
  // F2 was pressed with a line selected, or a line was double-clicked.
  void EditRequested();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // -1 while the mouse is near the top edge, 1 near the bottom edge, else 0.
  int EdgeDirection(const QPoint& point) const;
  // One scroll step of a drag held near an edge; the dragged line follows.
  void ScrollStep();
  void StopDrag();
  // Tells the drag's move to `line`, when both ends are lines of the list.
  void DragTo(int line);

  bool button_held_ = false;
  bool dragging_ = false;
  // The line of the dragged entry: where the button went down, then where it was moved to;
  // -1 when the press was below the last line.
  int drag_line_ = -1;
  QPoint press_point_;
  QPoint drag_point_;
  QTimer* scroll_timer_;
};

}  // namespace quireforge

#endif  // QUIREFORGE_UI_CHAPTERLISTBOX_H_
