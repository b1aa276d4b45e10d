// Start of TForm_Main: the StartRun controller packs every row not finished yet, several at
// once, while the progress window names each book being packed (i of n) on a line of its own,
// follows its packing and offers Cancel; the window is disabled meanwhile, and a summary tells
// it all at the end, with "Open folder" for the books written.
#include <QProgressBar>
#include <QTimer>
#include <algorithm>

#include "base/UserInterface.h"
#include "ui/DialogService.h"
#include "ui/JobListModel.h"
#include "ui/StartRun.h"
#include "ui/TForm_Main.h"
#include "ui/TForm_Waiting.h"

namespace quireforge {

namespace {

// The progress window shows each book being packed and its bar, a line each.
class WaitingWindowProgress : public StartRun::Listener {
 public:
  WaitingWindowProgress(TForm_Waiting* waiting, const InterfaceTexts& texts)
      : waiting_(waiting), texts_(texts) {}

  void BookStarted(int line, int number, int count, const QString& title) override {
    if (waiting_ == nullptr) return;
    waiting_->SetBookLine(line, texts_.waiting_book.arg(number).arg(count).arg(title),
                          StartRun::kProgressSteps);
  }
  void BookProgress(int line, int step) override {
    if (waiting_ == nullptr || waiting_->BookBar(line) == nullptr) return;
    waiting_->BookBar(line)->setValue(step);
  }
  void BookEnded(int line) override {
    // The first line keeps naming its last book until another takes its place (a run of one
    // book at a time reads as it always did); the others empty.
    if (waiting_ != nullptr && line > 0) waiting_->SetBookLine(line, QString());
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
        if (waiting_ != nullptr) {
          waiting_->SetCancellable(true, texts_.button_cancel);
          waiting_->SetBookLineCount(
              std::min(start_run_->BooksAtOnce(), static_cast<int>(jobs_->PendingRows().size())));
        }
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
