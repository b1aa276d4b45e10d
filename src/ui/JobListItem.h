// One row of the job list: title, author, chapter count and tag, and the conversion job it
// owns. The tag tells what became of the book: nothing yet, done, failed (the reason in the
// tooltip) or cancelled. Deleting the row destroys the job at the same moment. Window thread
// only.
#ifndef QUIREFORGE_UI_JOBLISTITEM_H_
#define QUIREFORGE_UI_JOBLISTITEM_H_

#include <QTreeWidgetItem>
#include <memory>

namespace quireforge {

class TConvertFile;
struct InterfaceTexts;

class JobListItem : public QTreeWidgetItem {
 public:
  enum Column { kTitle = 0, kAuthor = 1, kChapters = 2, kTag = 3 };
  // A failed or cancelled book left its staging tree whole and may be started again; only
  // a done row is finished.
  enum class State { kPending, kDone, kFailed, kCancelled };

  // Takes the job and shows its chapter count.
  JobListItem(const QString& title, const QString& author, std::unique_ptr<TConvertFile> job);
  ~JobListItem() override;

  JobListItem(const JobListItem&) = delete;
  JobListItem& operator=(const JobListItem&) = delete;

  TConvertFile& Job() const { return *job_; }
  // The source field's text the job was built from (the row editor's checks read it).
  const QString& SourceText() const { return source_text_; }
  void SetSourceText(const QString& text) { source_text_ = text; }
  State Status() const { return state_; }
  // Not finished yet: a later Start packs it.
  bool IsPending() const { return state_ != State::kDone; }
  // Why the book failed; empty unless the row failed.
  const QString& Reason() const { return reason_; }
  // Sets the state and writes its mark from `texts` into the "Tag" column; the row's tooltip
  // is `reason` (of a failed row) over the book options the job was made with.
  void SetStatus(State state, const InterfaceTexts& texts, const QString& reason = QString());
  // Writes the mark of the current state again, in another language.
  void Relabel(const InterfaceTexts& texts) { SetStatus(state_, texts, reason_); }
  // Shows the chapter count the job has now (after chapter edits).
  void ShowChapterCount();

 private:
  std::unique_ptr<TConvertFile> job_;
  QString source_text_;
  State state_ = State::kPending;
  QString reason_;
};

}  // namespace quireforge

#endif  // QUIREFORGE_UI_JOBLISTITEM_H_
