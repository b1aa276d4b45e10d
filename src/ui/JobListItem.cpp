#include "ui/JobListItem.h"

#include "conversion/ConvertFile.h"
#include "ui/BookOptionControls.h"
#include "ui/InterfaceLanguage.h"

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

void JobListItem::SetStatus(State state, const InterfaceTexts& texts, const QString& reason) {
  state_ = state;
  reason_ = state == State::kFailed ? reason : QString();
  switch (state) {
    case State::kPending:
      setText(kTag, QString());
      break;
    case State::kDone:
      setText(kTag, texts.done_mark);
      break;
    case State::kFailed:
      setText(kTag, texts.failed_mark);
      break;
    case State::kCancelled:
      setText(kTag, texts.cancelled_mark);
      break;
  }
  QStringList tip;
  if (!reason_.isEmpty()) tip.append(reason_);
  if (const QString options = OptionsSummary(job_->Options(), texts); !options.isEmpty()) {
    tip.append(options);
  }
  for (int column = 0; column < columnCount(); ++column) {
    setToolTip(column, tip.join(QLatin1Char('\n')));
  }
}

void JobListItem::ShowChapterCount() { setText(kChapters, QString::number(job_->ChapterCount())); }

}  // namespace quireforge
