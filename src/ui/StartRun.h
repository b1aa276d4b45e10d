// StartRun is the Start command over a job list: it packs every row not finished yet, several
// at once (as many as the machine has cores, each on a thread of its own, in list order as
// threads come free; a book whose target another is being packed into waits for it, so that the
// target keeps the later book, as one at a time), each into its target, and marks the row with
// what became of its book: done, failed with the reason, or cancelled. Cancel stops every book
// being packed (each ends as cancelled, leaving nothing behind) and starts no further row. The
// archive component tells nothing itself meanwhile; a listener hears which books are packed and how
// far each got, one line per book at once, and Run returns what the summary tells. A failed or
// cancelled book keeps its staging tree and any older target, so a later run packs it again. The
// job list and the archiver (whose engine folder the packing threads use) outlive the run. Window
// thread only; Run pumps the message queue while the books are packed.
#ifndef QUIREFORGE_UI_STARTRUN_H_
#define QUIREFORGE_UI_STARTRUN_H_

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "ui/InterfaceLanguage.h"

class QTimer;

namespace quireforge {

class JobListModel;
class PackingThread;
class TArchiver;
class TConvertFile;
class UserInterface;

// What a Start run did: the targets written, the failures ("target: reason"), the books
// cancelled while packed and those not started after a cancel.
struct StartResults {
  QStringList written, failed, cancelled, not_started;
};

// The summary's text in `texts`' language: a section per kind of result that has any.
QString SummaryText(const StartResults& results, const InterfaceTexts& texts);
// The folders of the written books, each once, in the order of the books.
QStringList WrittenFolders(const StartResults& results);

class StartRun : public QObject {
  Q_OBJECT

 public:
  // How often the listener hears how far the packing got.
  static constexpr int kProgressInterval = 50;  // ms
  // The steps of a book's progress.
  static constexpr int kProgressSteps = 1000;

  // Hears the run's progress; its calls come from inside Run. Each book being packed has a line
  // of its own, numbered from 0 and below BooksAtOnce(); a line is free again once its book
  // ended.
  class Listener {
   public:
    virtual ~Listener() = default;
    // Book `number` of `count` (from 1), titled `title`, is being packed on line `line`.
    virtual void BookStarted(int line, int number, int count, const QString& title) = 0;
    // The book on line `line` is `step` of kProgressSteps done.
    virtual void BookProgress(int line, int step) = 0;
    // The book on line `line` ended (written, failed or cancelled).
    virtual void BookEnded(int line) = 0;
  };

  // `books_at_once`: how many books are packed at the same time; 0 (or less): as many as the
  // machine has cores.
  StartRun(JobListModel& jobs, TArchiver& archiver, UserInterface& ui, QObject* parent = nullptr,
           int books_at_once = 0);
  ~StartRun() override;

  StartRun(const StartRun&) = delete;
  StartRun& operator=(const StartRun&) = delete;

  // Packs the pending rows; failures and reasons read in `texts`' language. `listener` may be
  // null. Raises only what the message pump lets through (nothing the books raise).
  StartResults Run(const InterfaceTexts& texts, Listener* listener);
  // Asks Run to stop: the books being packed end as cancelled and no further row starts. Asked
  // before Run, the next Run starts no row; every Run ends with the request cleared.
  void Cancel();
  bool IsRunning() const { return running_; }
  bool CancelRequested() const { return cancel_requested_; }
  int BooksAtOnce() const { return books_at_once_; }
  // From the next Run on, `books` at once; 0 (or less): as many as the machine has cores.
  void SetBooksAtOnce(int books);

 private:
  // A book of the run on its line: the job and its place in the run.
  struct Line {
    TConvertFile* book = nullptr;
    int index = 0;
    std::unique_ptr<PackingThread> packing;
  };

  void ReportProgress();

  JobListModel& jobs_;
  TArchiver& archiver_;
  UserInterface& ui_;
  int books_at_once_;
  QTimer* progress_timer_;
  Listener* listener_ = nullptr;
  std::vector<Line> lines_;  // BooksAtOnce() of them while Run runs
  bool running_ = false;
  bool cancel_requested_ = false;
};

}  // namespace quireforge

#endif  // QUIREFORGE_UI_STARTRUN_H_
