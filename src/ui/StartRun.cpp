#include "ui/StartRun.h"

#include <QFileInfo>
#include <QTimer>
#include <algorithm>
#include <exception>
#include <vector>

#include "archive/Archiver.h"
#include "base/ScopeExit.h"
#include "base/UserInterface.h"
#include "conversion/ConvertFile.h"
#include "ui/FailureText.h"
#include "ui/JobListModel.h"

namespace quireforge {

QString SummaryText(const StartResults& results, const InterfaceTexts& texts) {
  QStringList lines;
  const auto section = [&lines](const QString& heading, const QStringList& items) {
    if (items.isEmpty()) return;
    if (!lines.isEmpty()) lines.append(QString());
    lines.append(heading.arg(items.size()));
    for (const QString& item : items) lines.append(QStringLiteral("    ") + item);
  };
  if (results.written.isEmpty()) lines.append(texts.summary_nothing);
  section(texts.summary_written, results.written);
  section(texts.summary_failed, results.failed);
  section(texts.summary_cancelled, results.cancelled);
  section(texts.summary_not_started, results.not_started);
  return lines.join(QLatin1Char('\n'));
}

QStringList WrittenFolders(const StartResults& results) {
  QStringList folders;
  for (const QString& target : results.written) {
    const QString folder = QFileInfo(target).absolutePath();
    if (!folders.contains(folder)) folders.append(folder);
  }
  return folders;
}

StartRun::StartRun(JobListModel& jobs, TArchiver& archiver, UserInterface& ui, QObject* parent)
    : QObject(parent),
      jobs_(jobs),
      archiver_(archiver),
      ui_(ui),
      progress_timer_(new QTimer(this)) {
  // The timer runs in the message pump the archiver drives while it packs.
  progress_timer_->setInterval(kProgressInterval);
  connect(progress_timer_, &QTimer::timeout, this, &StartRun::ReportProgress);
}

StartResults StartRun::Run(const InterfaceTexts& texts, Listener* listener) {
  StartResults results;
  // The jobs, not their row numbers: the list may not change meanwhile, but if a row went
  // its book is simply not started.
  std::vector<TConvertFile*> books;
  for (int row : jobs_.PendingRows()) books.push_back(&jobs_.Job(row));
  running_ = true;
  listener_ = listener;
  const bool was_unattended = archiver_.Unattended();
  archiver_.SetUnattended(true);
  const ScopeExit restore([this, was_unattended] {
    progress_timer_->stop();
    archiver_.SetUnattended(was_unattended);
    listener_ = nullptr;
    running_ = false;
    cancel_requested_ = false;
  });
  const int count = static_cast<int>(books.size());
  for (int i = 0; i < count; ++i) {
    TConvertFile* book = books[static_cast<size_t>(i)];
    const QString target = QString::fromStdU16String(book->TargetPath());
    if (cancel_requested_ || jobs_.RowOf(book) < 0) {
      results.not_started.append(target);
      continue;
    }
    if (listener_ != nullptr) {
      listener_->BookStarted(i + 1, count, QString::fromStdU16String(book->Title()));
      listener_->BookProgress(0);
    }
    progress_timer_->start();
    bool written = false;
    QString reason;
    try {
      written = book->FinishBook(archiver_);
      if (!written) reason = QString::fromStdString(archiver_.Message());
    } catch (const std::exception& failure) {
      reason = QString::fromUtf8(failure.what());
    }
    progress_timer_->stop();
    JobListModel::State state = JobListModel::State::kDone;
    if (written) {
      results.written.append(target);
    } else if (cancel_requested_) {
      state = JobListModel::State::kCancelled;
      results.cancelled.append(target);
    } else {
      state = JobListModel::State::kFailed;
      reason = FailureText(texts, reason.trimmed());
      if (reason.isEmpty()) reason = texts.failed_mark;
      results.failed.append(target + QStringLiteral(": ") + reason);
    }
    if (const int row = jobs_.RowOf(book); row >= 0) jobs_.SetState(row, state, reason);
    ui_.ProcessMessages();
  }
  return results;
}

void StartRun::Cancel() {
  if (cancel_requested_) return;
  cancel_requested_ = true;
  // The engine's next callback stops the add; the archive's temporary file goes with it.
  if (running_) archiver_.Abort();
}

void StartRun::ReportProgress() {
  if (listener_ == nullptr) return;
  const TArchiver::AddProgress progress = archiver_.Progress();
  if (progress.total <= 0) return;
  const int64_t step =
      std::min<int64_t>(progress.done, progress.total) * kProgressSteps / progress.total;
  listener_->BookProgress(static_cast<int>(step));
}

}  // namespace quireforge
