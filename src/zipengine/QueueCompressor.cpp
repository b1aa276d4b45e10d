#include "zipengine/QueueCompressor.h"

#include <new>
#include <utility>

#include "zipengine/FilePacking.h"

namespace quireforge {

QueueCompressor::QueueCompressor(int level, unsigned threads) : level_(level) {
  const unsigned wanted = threads > 0 ? threads : 1;
  workers_.reserve(wanted);
  try {
    for (unsigned i = 0; i < wanted; ++i) workers_.emplace_back(&QueueCompressor::Work, this);
  } catch (const std::exception& e) {
    // Go on with the workers that did start; without any there is nothing to go on with.
    if (workers_.empty()) {
      throw EngineError(kEngineInternal, std::string("Cannot start a worker thread. ") + e.what());
    }
  }
}

QueueCompressor::~QueueCompressor() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  work_cv_.notify_all();
  workers_.clear();  // joins every worker
}

size_t QueueCompressor::Submit(ByteBuffer raw, bool store) {
  const uint64_t size = raw.size();
  bool wake = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    tasks_.push_back(Task{std::move(raw), store});
    results_.emplace_back();
    try {
      queue_.push_back(submitted_);
    } catch (...) {
      tasks_.pop_back();
      results_.pop_back();
      throw;
    }
    pending_bytes_ += size;
    wake = idle_workers_ > 0;
  }
  if (wake) work_cv_.notify_one();
  return submitted_++;
}

void QueueCompressor::Work() {
  DeflateCompressor compressor;
  std::optional<EngineError> failure;
  try {
    compressor = NewDeflateCompressor(level_);
  } catch (const EngineError& error) {
    failure = error;
  }
  std::unique_lock<std::mutex> lock(mutex_);
  while (!failure) {
    if (!stop_ && !failure_ && queue_.empty()) {
      ++idle_workers_;
      work_cv_.wait(lock, [this] { return stop_ || failure_ || !queue_.empty(); });
      --idle_workers_;
    }
    if (stop_ || failure_) return;
    const size_t task = queue_.front();
    queue_.pop_front();
    ByteBuffer raw = std::move(tasks_[task].raw);
    const bool store = tasks_[task].store;
    const uint64_t size = raw.size();
    lock.unlock();
    PackedFile packed;
    try {
      packed = PackBytes(std::move(raw), store, compressor.get());
    } catch (const std::bad_alloc&) {
      failure = EngineError(ZE_ERR_MEMORY, "Not enough memory to compress the archive's files");
    }
    lock.lock();
    pending_bytes_ -= size;
    if (failure) break;
    results_[task] = std::move(packed);
    finished_.push_back(task);
    if (owner_waiting_) finished_cv_.notify_one();
  }
  if (!failure_) failure_ = std::move(failure);
  finished_cv_.notify_one();
  work_cv_.notify_all();
}

std::vector<size_t> QueueCompressor::WaitForFinished(std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (finished_.empty() && !failure_ && timeout.count() > 0) {
    owner_waiting_ = true;
    finished_cv_.wait_for(lock, timeout, [this] { return !finished_.empty() || failure_; });
    owner_waiting_ = false;
  }
  if (failure_) throw *failure_;
  std::vector<size_t> done;
  done.swap(finished_);
  returned_ += done.size();
  return done;
}

uint64_t QueueCompressor::PendingBytes() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return pending_bytes_;
}

PackedFile QueueCompressor::TakeResult(size_t task) {
  std::lock_guard<std::mutex> lock(mutex_);
  return std::move(results_[task]);
}

}  // namespace quireforge
