// StartRun is the Start command over a job list: it packs every row not finished yet, in list
// order, each into its target, and marks the row with what became of its book: done, failed
// with the reason, or cancelled. Cancel stops the book being packed (it ends as cancelled,
// leaving nothing behind) and starts no further row. The archive component tells nothing
// itself meanwhile; a listener hears which book is packed and how far it got, and Run returns
// what the summary tells. A failed or cancelled book keeps its staging tree and any older
// target, so a later run packs it again. The job list and the archiver outlive the run.
// Window thread only; Run pumps the message queue through the archiver and after each book.
#ifndef QUIREFORGE_UI_STARTRUN_H_
#define QUIREFORGE_UI_STARTRUN_H_

#include <QObject>
#include <QString>
#include <QStringList>

#include "ui/InterfaceLanguage.h"

class QTimer;

namespace quireforge {

class JobListModel;
class TArchiver;
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

  // Hears the run's progress; its calls come from inside Run.
  class Listener {
   public:
    virtual ~Listener() = default;
    // Book `number` of `count` (from 1), titled `title`, is being packed.
    virtual void BookStarted(int number, int count, const QString& title) = 0;
    // The book being packed is `step` of kProgressSteps done.
    virtual void BookProgress(int step) = 0;
  };

  StartRun(JobListModel& jobs, TArchiver& archiver, UserInterface& ui, QObject* parent = nullptr);

  StartRun(const StartRun&) = delete;
  StartRun& operator=(const StartRun&) = delete;

  // Packs the pending rows; failures and reasons read in `texts`' language. `listener` may be
  // null. Raises only what the message pump lets through (nothing the books raise).
  StartResults Run(const InterfaceTexts& texts, Listener* listener);
  // Asks Run to stop: the book being packed ends as cancelled and no further row starts. Asked
  // before Run, the next Run starts no row; every Run ends with the request cleared.
  void Cancel();
  bool IsRunning() const { return running_; }
  bool CancelRequested() const { return cancel_requested_; }

 private:
  void ReportProgress();

  JobListModel& jobs_;
  TArchiver& archiver_;
  UserInterface& ui_;
  QTimer* progress_timer_;
  Listener* listener_ = nullptr;
  bool running_ = false;
  bool cancel_requested_ = false;
};

}  // namespace quireforge

#endif  // QUIREFORGE_UI_STARTRUN_H_
