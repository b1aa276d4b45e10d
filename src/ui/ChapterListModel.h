// ChapterListModel shows the chapter list of one conversion job as a list of titles, and is
// the one place where the chapter editor changes that list: each edit goes to the job once,
// and the views watching the model follow it. The job is not owned: whoever destroys the
// shown job shows another one (or none) first. An edit that raises changes nothing and
// tells the views nothing. Window thread only.
#ifndef QUIREFORGE_UI_CHAPTERLISTMODEL_H_
#define QUIREFORGE_UI_CHAPTERLISTMODEL_H_

#include <QAbstractListModel>
#include <QStringList>

namespace quireforge {

class TConvertFile;

class ChapterListModel : public QAbstractListModel {
  Q_OBJECT

 public:
  explicit ChapterListModel(QObject* parent = nullptr);

  ChapterListModel(const ChapterListModel&) = delete;
  ChapterListModel& operator=(const ChapterListModel&) = delete;

  // Shows the chapters of `job`, or none for null; the views start afresh.
  void SetJob(TConvertFile* job);
  TConvertFile* Job() const { return job_; }

  // One row per entry of the job's chapter list; the title (the text after the entry's
  // first "=") for the display and edit roles.
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

  // The title of entry `line`, and all titles in order.
  QString Title(int line) const;
  QStringList Titles() const;

  // The edits. A line outside the list raises std::out_of_range ("List index out of bounds
  // (<line>)") and changes nothing.
  // Gives entry `line` the title `title`; the entry keeps its page file.
  void SetTitle(int line, const QString& title);
  // Removes entry `line` from the job's chapter list.
  void RemoveChapter(int line);
  // Moves the whole entry `from` (page file and title) to position `to`; the entries
  // between shift by one towards `from`.
  void MoveChapter(int from, int to);

 private:
  // `line` when it names an entry, else raises.
  int Checked(int line) const;

  TConvertFile* job_ = nullptr;
};

}  // namespace quireforge

#endif  // QUIREFORGE_UI_CHAPTERLISTMODEL_H_
