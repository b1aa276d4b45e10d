// JobListView is the report-style job list of the main window (ListView_JobList), a view of
// the job list model: four columns, several selected rows, whole-row selection, no in-place
// editing, the selection kept visible when the list loses focus. Delete asks to remove the
// selected rows, F2 or a double click to edit the current one; the window decides. Window
// thread only.
#ifndef QUIREFORGE_UI_JOBLISTVIEW_H_
#define QUIREFORGE_UI_JOBLISTVIEW_H_

#include <QList>
#include <QTreeView>

namespace quireforge {

class JobListView : public QTreeView {
  Q_OBJECT

 public:
  explicit JobListView(QWidget* parent = nullptr);

  // Shows `model`, whose columns are those of JobListModel; the columns fit its rows.
  void setModel(QAbstractItemModel* model) override;
  // The selected rows in list order, and the first of them (-1 for none).
  QList<int> SelectedRows() const;
  int SelectedRow() const;
  // Selects row `row` alone and makes it current.
  void SelectRow(int row);

 signals:
  // A mouse click anywhere in the list, after the view has updated its selection.
  void Clicked();
  // The selection or the current row changed, by mouse or keyboard.
  void SelectionChanged();
  // Delete was pressed in the list.
  void DeleteRequested();
  // F2 was pressed, or a row double-clicked.
  void EditRequested();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void FitColumns();
};

}  // namespace quireforge

#endif  // QUIREFORGE_UI_JOBLISTVIEW_H_
