#include "ui/PackingThread.h"

#include <algorithm>
#include <exception>

#include "archive/Archiver.h"
#include "base/UserInterface.h"
#include "conversion/ConvertFile.h"

namespace quireforge {

// The packing thread's side of the core's user-interface seam: no window and no dialog; the
// message pump the archive component runs in the engine's callbacks records how far the engine
// got and passes a stop request on to the engine.
class PackingThread::ThreadUserInterface : public UserInterface {
 public:
  explicit ThreadUserInterface(PackingThread& owner) : owner_(owner) {}

  void Attach(TArchiver* archiver) { archiver_ = archiver; }

  void ShowProgress() override {}
  void CloseProgress() override {}
  void ShowProgressBar() override {}
  void HideProgressBar() override {}
  void SetProgressMaximum(int32_t) override {}
  void SetProgressPosition(int32_t) override {}
  void ShowArchiveError(const std::string&) override {}
  void ShowArchiveInformation(const std::string&) override {}
  void SetWaitCursor(bool) override {}

  void ProcessMessages() override {
    if (archiver_ == nullptr) return;
    const TArchiver::AddProgress progress = archiver_->Progress();
    if (progress.total > 0) {
      const int64_t step = std::min(progress.done, progress.total) * kSteps / progress.total;
      owner_.step_.store(static_cast<int>(step), std::memory_order_relaxed);
    }
    if (!aborted_ && owner_.cancel_.load(std::memory_order_relaxed)) {
      aborted_ = true;
      archiver_->Abort();
    }
  }

 private:
  PackingThread& owner_;
  TArchiver* archiver_ = nullptr;
  bool aborted_ = false;
};

PackingThread::PackingThread(TConvertFile& job, std::u16string dll_directory)
    : thread_([this, &job, directory = std::move(dll_directory)] { Pack(job, directory); }) {}

PackingThread::~PackingThread() {
  Cancel();
  if (thread_.joinable()) thread_.join();
}

void PackingThread::Pack(TConvertFile& job, const std::u16string& dll_directory) {
  try {
    ThreadUserInterface ui(*this);
    TArchiver archiver(ui);
    archiver.SetDLLDirectory(dll_directory);
    // The row says what became of the book; the component shows nothing itself.
    archiver.SetUnattended(true);
    ui.Attach(&archiver);
    // A stop asked for before the engine runs: the book is not started at all.
    if (!cancel_.load(std::memory_order_relaxed)) {
      written_ = job.FinishBook(archiver);
      if (!written_) reason_ = archiver.Message();
    }
  } catch (const std::exception& failure) {
    written_ = false;
    reason_ = failure.what();
  } catch (...) {
    written_ = false;
  }
  if (written_) step_.store(kSteps, std::memory_order_relaxed);
  finished_.store(true, std::memory_order_release);
}

}  // namespace quireforge
