// Start of TForm_Main: every row not finished yet is packed in list order while the
// progress window names the book (i of n), follows its packing and offers Cancel. Each row
// then says what became of its book, and a summary tells it all, with "Open folder" for the
// books written. The archive component shows no dialog of its own meanwhile.
#include <QFileInfo>
#include <QProgressBar>
#include <QTimer>
#include <algorithm>
#include <exception>
#include <vector>

#include "archive/Archiver.h"
#include "base/ScopeExit.h"
#include "base/UserInterface.h"
#include "conversion/ConvertFile.h"
#include "ui/DialogService.h"
#include "ui/FailureText.h"
#include "ui/JobListItem.h"
#include "ui/JobListView.h"
#include "ui/TForm_Main.h"
#include "ui/TForm_Waiting.h"

namespace quireforge {

namespace {

// The bar's steps while a book is packed.
constexpr int kProgressSteps = 1000;

}  // namespace

void TForm_Main::Button_StartClick() {
  if (ListView_JobList->RowCount() == 0) {
    dialogs_.ShowMessage(texts_.empty_list_message);
    return;
  }
  idle_ = false;
  cancel_requested_ = false;
  CheckStatus();
  StartResults results;
  bool finished = false;
  Guarded(
      [this, &results, &finished] {
        if (waiting_ != nullptr) waiting_->SetCancellable(true, texts_.button_cancel);
        ui_.ShowProgress();
        ui_.ProcessMessages();
        FinishPendingRows(&results);
        finished = true;
      },
      [this] {
        progress_timer_->stop();
        ui_.CloseProgress();
        if (waiting_ != nullptr) waiting_->SetCancellable(false);
        idle_ = true;
        CheckStatus();
      });
  if (close_after_start_) {
    // The user asked to close during the run: now that it has stopped, the window closes.
    QTimer::singleShot(0, this, &QWidget::close);
    return;
  }
  if (finished) ShowSummary(results);
}

// Packs every row not finished yet, in list order, naming each book in the progress window.
// The archive component tells nothing itself: each row shows what became of its book (Done,
// Failed with the reason, or Cancelled), and the summary tells it all at the end. A failed
// or cancelled book leaves its staging tree and any older target as they were, so a later
// Start may pack it again.
void TForm_Main::FinishPendingRows(StartResults* results) {
  std::vector<JobListItem*> rows;
  for (int i = 0; i < ListView_JobList->RowCount(); ++i) {
    if (ListView_JobList->Row(i)->IsPending()) rows.push_back(ListView_JobList->Row(i));
  }
  const bool was_unattended = archiver_.Unattended();
  archiver_.SetUnattended(true);
  const ScopeExit restore_unattended(
      [this, was_unattended] { archiver_.SetUnattended(was_unattended); });
  const int count = static_cast<int>(rows.size());
  for (int i = 0; i < count; ++i) {
    JobListItem* row = rows[static_cast<size_t>(i)];
    const QString target = QString::fromStdU16String(row->Job().TargetPath());
    if (cancel_requested_) {
      results->not_started.append(target);
      continue;
    }
    if (waiting_ != nullptr) {
      waiting_->SetBookText(
          texts_.waiting_book.arg(i + 1).arg(count).arg(row->text(JobListItem::kTitle)));
      waiting_->Bar()->setRange(0, kProgressSteps);
      waiting_->Bar()->setValue(0);
      waiting_->Bar()->show();
    }
    progress_timer_->start();
    bool written = false;
    QString reason;
    try {
      written = row->Job().FinishBook(archiver_);
      if (!written) reason = QString::fromStdString(archiver_.Message());
    } catch (const std::exception& failure) {
      reason = QString::fromUtf8(failure.what());
    }
    progress_timer_->stop();
    if (written) {
      row->SetStatus(JobListItem::State::kDone, texts_);
      results->written.append(target);
    } else if (cancel_requested_) {
      row->SetStatus(JobListItem::State::kCancelled, texts_);
      results->cancelled.append(target);
    } else {
      reason = FailureText(texts_, reason.trimmed());
      if (reason.isEmpty()) reason = texts_.failed_mark;
      row->SetStatus(JobListItem::State::kFailed, texts_, reason);
      results->failed.append(target + QStringLiteral(": ") + reason);
    }
    ui_.ProcessMessages();
  }
}

void TForm_Main::ShowPackingProgress() {
  if (waiting_ == nullptr) return;
  const TArchiver::AddProgress progress = archiver_.Progress();
  if (progress.total <= 0) return;
  const int64_t step =
      std::min<int64_t>(progress.done, progress.total) * kProgressSteps / progress.total;
  waiting_->Bar()->setValue(static_cast<int>(step));
}

void TForm_Main::CancelStart() {
  if (idle_ || cancel_requested_) return;
  cancel_requested_ = true;
  if (waiting_ != nullptr) waiting_->ShowCancelling(texts_.waiting_cancelling);
  // The engine's next callback stops the add; the archive's temporary file goes with it.
  archiver_.Abort();
}

void TForm_Main::ShowSummary(const StartResults& results) {
  QStringList lines;
  const auto section = [&lines](const QString& heading, const QStringList& items) {
    if (items.isEmpty()) return;
    if (!lines.isEmpty()) lines.append(QString());
    lines.append(heading.arg(items.size()));
    for (const QString& item : items) lines.append(QStringLiteral("    ") + item);
  };
  if (results.written.isEmpty()) lines.append(texts_.summary_nothing);
  section(texts_.summary_written, results.written);
  section(texts_.summary_failed, results.failed);
  section(texts_.summary_cancelled, results.cancelled);
  section(texts_.summary_not_started, results.not_started);
  const QString open_folder = results.written.isEmpty() ? QString() : texts_.button_open_folder;
  if (!dialogs_.ShowSummary(texts_.summary_caption, lines.join(QLatin1Char('\n')), open_folder)) {
    return;
  }
  QStringList folders;
  for (const QString& target : results.written) {
    const QString folder = QFileInfo(target).absolutePath();
    if (!folders.contains(folder)) folders.append(folder);
  }
  for (const QString& folder : folders) dialogs_.OpenFolder(folder);
}

}  // namespace quireforge
