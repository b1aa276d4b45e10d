// JobListView is the report-style job list of the main window (ListView_JobList): four
// columns, several selected rows, whole-row selection, no in-place editing. It owns its
// rows (JobListItem), and so their jobs. Delete asks to remove the selected rows, F2 or a
// double click to edit the current one; the window decides. Window thread only.
#ifndef QUIREFORGE_UI_JOBLISTVIEW_H_
#define QUIREFORGE_UI_JOBLISTVIEW_H_

#include <QStringList>
#include <QTreeWidget>
#include <memory>

namespace quireforge {

class JobListItem;
class TConvertFile;
struct InterfaceTexts;

class JobListView : public QTreeWidget {
  Q_OBJECT

 public:
  explicit JobListView(QWidget* parent = nullptr);

  void SetColumnCaptions(const QStringList& captions);
  // Appends a row that owns `job` and fits the columns to it.
  JobListItem* AppendRow(const QString& title, const QString& author,
                         std::unique_ptr<TConvertFile> job);
  int RowCount() const { return topLevelItemCount(); }
  JobListItem* Row(int index) const;
  // Whether some row is not finished yet.
  bool HasPendingRow() const;
  // Writes every row's mark again from `texts` (another language's).
  void RelabelRows(const InterfaceTexts& texts);
  // Whether some selected row is not finished yet.
  bool HasPendingSelectedRow() const;
  // The first selected row in list order, or null.
  JobListItem* SelectedRow() const;
  // Deletes every selected row (and its job); returns whether there was one. No selection
  // signal is sent meanwhile: a row about to go (and its job) is never shown.
  bool DeleteSelectedRows();
  // Deletes every row (and its job), sending no selection signal meanwhile.
  void DeleteAllRows();

 signals:
  // A mouse click anywhere in the list, after the view has updated its selection.
  void Clicked();
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
