// Start of TForm_Main: the StartRun controller packs every row not finished yet while the
// progress window names the book (i of n), follows its packing and offers Cancel; the window
// is disabled meanwhile, and a summary tells it all at the end, with "Open folder" for the
// books written.
#include <QProgressBar>
#include <QTimer>

#include "base/UserInterface.h"
#include "ui/DialogService.h"
#include "ui/JobListModel.h"
#include "ui/StartRun.h"
#include "ui/TForm_Main.h"
#include "ui/TForm_Waiting.h"

namespace quireforge {

namespace {

// The progress window shows the run's book and its bar.
class WaitingWindowProgress : public StartRun::Listener {
 public:
  WaitingWindowProgress(TForm_Waiting* waiting, const InterfaceTexts& texts)
      : waiting_(waiting), texts_(texts) {}

  void BookStarted(int number, int count, const QString& title) override {
    if (waiting_ == nullptr) return;
    waiting_->SetBookText(texts_.waiting_book.arg(number).arg(count).arg(title));
    waiting_->Bar()->setRange(0, StartRun::kProgressSteps);
    waiting_->Bar()->show();
  }
  void BookProgress(int step) override {
    if (waiting_ != nullptr) waiting_->Bar()->setValue(step);
  }

 private:
  TForm_Waiting* waiting_;
  const InterfaceTexts& texts_;
};

}  // namespace

void TForm_Main::Button_StartClick() {
  if (jobs_->RowCount() == 0) {
    dialogs_.ShowMessage(texts_.empty_list_message);
    return;
  }
  idle_ = false;
  CheckStatus();
  StartResults results;
  bool finished = false;
  Guarded(
      [this, &results, &finished] {
        if (waiting_ != nullptr) waiting_->SetCancellable(true, texts_.button_cancel);
        ui_.ShowProgress();
        ui_.ProcessMessages();
        WaitingWindowProgress progress(waiting_, texts_);
        results = start_run_->Run(texts_, &progress);
        finished = true;
      },
      [this] {
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

void TForm_Main::CancelStart() {
  if (idle_ || start_run_->CancelRequested()) return;
  if (waiting_ != nullptr) waiting_->ShowCancelling(texts_.waiting_cancelling);
  start_run_->Cancel();
}

void TForm_Main::ShowSummary(const StartResults& results) {
  const QString open_folder = results.written.isEmpty() ? QString() : texts_.button_open_folder;
  if (!dialogs_.ShowSummary(texts_.summary_caption, SummaryText(results, texts_), open_folder)) {
    return;
  }
  for (const QString& folder : WrittenFolders(results)) dialogs_.OpenFolder(folder);
}

}  // namespace quireforge
