#include "ui/JobListItem.h"

#include "conversion/ConvertFile.h"

namespace quireforge {

JobListItem::JobListItem(const QString& title, const QString& author,
                         std::unique_ptr<TConvertFile> job)
    : job_(std::move(job)) {
  setText(kTitle, title);
  setText(kAuthor, author);
  setText(kChapters, QString::number(job_->ChapterCount()));
  setTextAlignment(kChapters, Qt::AlignCenter);
  setTextAlignment(kTag, Qt::AlignCenter);
}

// Destroying the job here is the row's deletion handler: every way a row goes (Remove,
// Clear, closing the window) passes through it.
JobListItem::~JobListItem() = default;

}  // namespace quireforge
