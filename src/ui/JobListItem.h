// One row of the job list: title, author, chapter count and tag, and the conversion job it
// owns. Deleting the row destroys the job at the same moment. Window thread only.
#ifndef QUIREFORGE_UI_JOBLISTITEM_H_
#define QUIREFORGE_UI_JOBLISTITEM_H_

#include <QTreeWidgetItem>
#include <memory>

namespace quireforge {

class TConvertFile;

class JobListItem : public QTreeWidgetItem {
 public:
  enum Column { kTitle = 0, kAuthor = 1, kChapters = 2, kTag = 3 };

  // Takes the job; the chapter count is written once, now.
  JobListItem(const QString& title, const QString& author, std::unique_ptr<TConvertFile> job);
  ~JobListItem() override;

  JobListItem(const JobListItem&) = delete;
  JobListItem& operator=(const JobListItem&) = delete;

  TConvertFile& Job() const { return *job_; }
  // Pending while the "Tag" column is empty.
  bool IsPending() const { return text(kTag).isEmpty(); }
  void MarkDone(const QString& done_mark) { setText(kTag, done_mark); }

 private:
  std::unique_ptr<TConvertFile> job_;
};

}  // namespace quireforge

#endif  // QUIREFORGE_UI_JOBLISTITEM_H_
