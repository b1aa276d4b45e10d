// JobListModel is the job list: one row per conversion job, in the order the jobs were added,
// each with the source field's text it was built from, its state (pending, done, failed,
// cancelled) and, for a failed book, the reason. It owns the jobs: removing a row destroys its
// job at that moment. Views show four columns (title, author, chapter count, state mark) in
// the interface's language, and a tooltip with the reason and the options the book was made
// with. It remembers the staging folder of every job it held, for the window to remove when
// it closes. Window thread only.
#ifndef QUIREFORGE_UI_JOBLISTMODEL_H_
#define QUIREFORGE_UI_JOBLISTMODEL_H_

#include <QAbstractTableModel>
#include <QList>
#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "ui/InterfaceLanguage.h"

namespace quireforge {

class TConvertFile;

class JobListModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column { kTitle = 0, kAuthor = 1, kChapters = 2, kTag = 3, kColumnCount = 4 };
  // A failed or cancelled book left its staging tree whole and may be started again; only a
  // done row is finished.
  enum class State { kPending, kDone, kFailed, kCancelled };

  explicit JobListModel(QObject* parent = nullptr);
  ~JobListModel() override;

  JobListModel(const JobListModel&) = delete;
  JobListModel& operator=(const JobListModel&) = delete;

  // The captions, marks and tooltips in this language from now on; the views follow.
  void SetTexts(const InterfaceTexts& texts);

  // Appends a pending row that owns `job`, built from the source field's text `source_text`;
  // returns its row.
  int Append(std::unique_ptr<TConvertFile> job, const QString& source_text);
  int RowCount() const { return static_cast<int>(rows_.size()); }

  // The row's job, the source field's text it was built from, its state and why it failed
  // (empty unless it failed). A row outside the list raises std::out_of_range.
  TConvertFile& Job(int row) const;
  const QString& SourceText(int row) const;
  State StateOf(int row) const;
  const QString& Reason(int row) const;
  // Not finished yet: a later Start packs it.
  bool IsPending(int row) const { return StateOf(row) != State::kDone; }
  // The row of `job`, -1 when no row holds it.
  int RowOf(const TConvertFile* job) const;
  // Whether some row (of `rows`, or of the whole list) is not finished yet.
  bool HasPending() const;
  bool HasPending(const QList<int>& rows) const;
  // The rows not finished yet, in list order.
  QList<int> PendingRows() const;

  // Sets the row's state; `reason` is kept for a failed row only.
  void SetState(int row, State state, const QString& reason = QString());
  // Gives a pending row's book another target, title and author. Raises BookNameError,
  // changing nothing, when the target is one of the row's sources or its font, and
  // std::logic_error for a finished row.
  void Rename(int row, const QString& target, const QString& title, const QString& author);
  // The row's chapter list changed (a chapter removed): its count column follows.
  void ChaptersChanged(int row);
  // Removes the rows `rows` (in any order, each once), destroying their jobs.
  void RemoveRows(QList<int> rows);
  // Removes every row, destroying every job.
  void Clear();

  // The staging folder of every job this list held, removed rows' too, in the order added.
  const std::vector<std::u16string>& StagingFolders() const { return staging_folders_; }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

 private:
  struct Row;
  const Row& At(int row) const;
  QString Mark(State state) const;
  QString ToolTip(const Row& row) const;

  std::vector<std::unique_ptr<Row>> rows_;
  std::vector<std::u16string> staging_folders_;
  InterfaceTexts texts_;
};

}  // namespace quireforge

#endif  // QUIREFORGE_UI_JOBLISTMODEL_H_
