#include "ui/StartRun.h"

#include <QFileInfo>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <exception>
#include <thread>
#include <vector>

#include "archive/Archiver.h"
#include "base/ScopeExit.h"
#include "base/UserInterface.h"
#include "conversion/ConvertFile.h"
#include "ui/FailureText.h"
#include "ui/JobListModel.h"
#include "ui/PackingThread.h"

namespace quireforge {

namespace {

// How long the window thread waits between two looks at the books being packed.
constexpr std::chrono::milliseconds kPoll{5};

static_assert(StartRun::kProgressSteps == PackingThread::kSteps);

}  // namespace

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

StartRun::StartRun(JobListModel& jobs, TArchiver& archiver, UserInterface& ui, QObject* parent,
                   int books_at_once)
    : QObject(parent),
      jobs_(jobs),
      archiver_(archiver),
      ui_(ui),
      books_at_once_(0),
      progress_timer_(new QTimer(this)) {
  SetBooksAtOnce(books_at_once);
  // The timer runs in the message pump that Run drives while the books are packed.
  progress_timer_->setInterval(kProgressInterval);
  connect(progress_timer_, &QTimer::timeout, this, &StartRun::ReportProgress);
}

StartRun::~StartRun() = default;

void StartRun::SetBooksAtOnce(int books) {
  books_at_once_ =
      books > 0 ? books : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

StartResults StartRun::Run(const InterfaceTexts& texts, Listener* listener) {
  // The jobs, not their row numbers: the list may not change meanwhile, but if a row went
  // its book is simply not started.
  std::vector<TConvertFile*> books;
  for (int row : jobs_.PendingRows()) books.push_back(&jobs_.Job(row));
  running_ = true;
  listener_ = listener;
  lines_.clear();
  lines_.resize(static_cast<size_t>(books_at_once_));
  const ScopeExit restore([this] {
    progress_timer_->stop();
    lines_.clear();  // stops and waits for any book still being packed
    listener_ = nullptr;
    running_ = false;
    cancel_requested_ = false;
  });

  // What became of each book, in the order of the books; not started unless said otherwise.
  enum class Outcome { kNotStarted, kWritten, kFailed, kCancelled };
  const int count = static_cast<int>(books.size());
  std::vector<Outcome> outcomes(books.size(), Outcome::kNotStarted);
  std::vector<QString> reasons(books.size());
  const auto end_book = [&](Line& line, bool written, const QString& failure) {
    const size_t index = static_cast<size_t>(line.index);
    JobListModel::State state = JobListModel::State::kDone;
    QString reason;
    if (written) {
      outcomes[index] = Outcome::kWritten;
    } else if (cancel_requested_) {
      outcomes[index] = Outcome::kCancelled;
      state = JobListModel::State::kCancelled;
    } else {
      outcomes[index] = Outcome::kFailed;
      state = JobListModel::State::kFailed;
      reason = FailureText(texts, failure.trimmed());
      if (reason.isEmpty()) reason = texts.failed_mark;
      reasons[index] = reason;
    }
    if (const int row = jobs_.RowOf(line.book); row >= 0) jobs_.SetState(row, state, reason);
    line.packing.reset();
    if (listener_ != nullptr) listener_->BookEnded(static_cast<int>(&line - lines_.data()));
  };

  // Whether a line is packing a book into the target of `book`. Such a book waits for it, so
  // that, as one at a time, the later book of the list is the one its target keeps.
  const auto target_busy = [this](const TConvertFile* book) {
    return std::any_of(lines_.begin(), lines_.end(), [book](const Line& line) {
      return line.packing && line.book->TargetPath() == book->TargetPath();
    });
  };

  progress_timer_->start();
  int next = 0;
  for (;;) {
    // The next books, in list order, on the lines that are free.
    for (size_t l = 0; l < lines_.size() && !cancel_requested_; ++l) {
      Line& line = lines_[l];
      if (line.packing) continue;
      while (next < count && jobs_.RowOf(books[static_cast<size_t>(next)]) < 0) ++next;
      if (next >= count || target_busy(books[static_cast<size_t>(next)])) break;
      line.book = books[static_cast<size_t>(next)];
      line.index = next++;
      if (listener_ != nullptr) {
        listener_->BookStarted(static_cast<int>(l), line.index + 1, count,
                               QString::fromStdU16String(line.book->Title()));
        listener_->BookProgress(static_cast<int>(l), 0);
      }
      try {
        line.packing = std::make_unique<PackingThread>(*line.book, archiver_.DLLDirectory());
      } catch (const std::exception& failure) {
        end_book(line, false, QString::fromUtf8(failure.what()));
      }
    }
    // The books that ended: their rows say what became of them.
    bool busy = false;
    for (Line& line : lines_) {
      if (!line.packing) continue;
      if (!line.packing->Finished()) {
        busy = true;
        continue;
      }
      end_book(line, line.packing->Written(), QString::fromStdString(line.packing->Reason()));
    }
    if (!busy) {
      if (cancel_requested_ || next >= count) break;
      continue;
    }
    ui_.ProcessMessages();
    std::this_thread::sleep_for(kPoll);
  }
  ui_.ProcessMessages();

  StartResults results;
  for (size_t i = 0; i < books.size(); ++i) {
    const QString target = QString::fromStdU16String(books[i]->TargetPath());
    switch (outcomes[i]) {
      case Outcome::kWritten:
        results.written.append(target);
        break;
      case Outcome::kFailed:
        results.failed.append(target + QStringLiteral(": ") + reasons[i]);
        break;
      case Outcome::kCancelled:
        results.cancelled.append(target);
        break;
      case Outcome::kNotStarted:
        results.not_started.append(target);
        break;
    }
  }
  return results;
}

void StartRun::Cancel() {
  if (cancel_requested_) return;
  cancel_requested_ = true;
  // Each engine's next callback stops its add; each archive's temporary file goes with it.
  for (Line& line : lines_) {
    if (line.packing) line.packing->Cancel();
  }
}

void StartRun::ReportProgress() {
  if (listener_ == nullptr) return;
  for (size_t l = 0; l < lines_.size(); ++l) {
    if (lines_[l].packing) listener_->BookProgress(static_cast<int>(l), lines_[l].packing->Step());
  }
}

}  // namespace quireforge
