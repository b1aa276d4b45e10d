// One book packed on a thread of its own, with an archive component of its own that shows
// nothing, so that Start packs several books at once while the window thread keeps the window
// alive. The job belongs to that thread from the start until Finished() says true; the window
// thread only reads how far it got and may ask it to stop, which the engine heeds at its next
// callback (the book then ends as not written, its older target untouched). The destructor asks
// the thread to stop and waits for it. Not copyable; made and read on the window thread.
#ifndef QUIREFORGE_UI_PACKINGTHREAD_H_
#define QUIREFORGE_UI_PACKINGTHREAD_H_

#include <atomic>
#include <string>
#include <thread>

namespace quireforge {

class TConvertFile;

class PackingThread {
 public:
  // The steps of Step().
  static constexpr int kSteps = 1000;

  // Starts packing `job` (FinishBook), the engine looked for in `dll_directory` first. Throws
  // std::system_error when no thread can be started (nothing of the job was touched then).
  PackingThread(TConvertFile& job, std::u16string dll_directory);
  ~PackingThread();

  PackingThread(const PackingThread&) = delete;
  PackingThread& operator=(const PackingThread&) = delete;

  // Asks the packing to stop; the book then ends as not written.
  void Cancel() { cancel_.store(true, std::memory_order_relaxed); }
  // How far the engine got, 0 to kSteps.
  int Step() const { return step_.load(std::memory_order_relaxed); }
  // True once the job is the window thread's again and the results below hold.
  bool Finished() const { return finished_.load(std::memory_order_acquire); }
  // Whether the book was written, and why not (the failure's or the engine's own words;
  // empty after a cancel that left nothing to say).
  bool Written() const { return written_; }
  const std::string& Reason() const { return reason_; }

 private:
  class ThreadUserInterface;

  void Pack(TConvertFile& job, const std::u16string& dll_directory);

  std::atomic<bool> cancel_{false};
  std::atomic<int> step_{0};
  std::atomic<bool> finished_{false};
  bool written_ = false;  // set by the thread before finished_
  std::string reason_;    // set by the thread before finished_
  std::thread thread_;    // last: it starts once everything it uses is there
};

}  // namespace quireforge

#endif  // QUIREFORGE_UI_PACKINGTHREAD_H_
