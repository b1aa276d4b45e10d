// Compresses files handed over from memory, one at a time as they come, on worker threads of
// its own, while the thread that hands them over goes on with its work: the compressor of a
// streamed add. Each file is packed as FilePacking says. The constructor starts the workers and
// the destructor stops and joins them, so no thread outlives the object; a file not yet packed
// then is dropped. Every method belongs to the thread that created the object.
#ifndef QUIREFORGE_ZIPENGINE_QUEUECOMPRESSOR_H_
#define QUIREFORGE_ZIPENGINE_QUEUECOMPRESSOR_H_

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "zipengine/ByteBuffer.h"
#include "zipengine/EngineError.h"
#include "zipengine/PackedFile.h"

namespace quireforge {

class QueueCompressor {
 public:
  // Starts up to `threads` workers (at least one) at Deflate `level` (1-9; 0 stores everything).
  // Throws EngineError(kEngineInternal) when no worker can be started.
  QueueCompressor(int level, unsigned threads);
  ~QueueCompressor();
  QueueCompressor(const QueueCompressor&) = delete;
  QueueCompressor& operator=(const QueueCompressor&) = delete;

  // Queues `raw` (stored as it is when `store`) and returns its task number, counted from 0.
  // Throws std::bad_alloc, the file not queued.
  size_t Submit(ByteBuffer raw, bool store);

  // Waits at most `timeout` and returns the numbers of the tasks finished since the last call,
  // possibly none. Throws the first failure of a worker (EngineError: ZE_ERR_MEMORY); the other
  // workers then stop soon.
  std::vector<size_t> WaitForFinished(std::chrono::milliseconds timeout);

  // Bytes handed over and not packed yet.
  uint64_t PendingBytes() const;

  // True once every task submitted has been returned by WaitForFinished.
  bool Done() const { return returned_ == submitted_; }

  // The result of a finished task; may be taken once.
  PackedFile TakeResult(size_t task);

 private:
  struct Task {
    ByteBuffer raw;
    bool store = false;
  };

  void Work();

  const int level_;
  size_t submitted_ = 0;
  size_t returned_ = 0;

  mutable std::mutex mutex_;
  std::condition_variable work_cv_;
  std::condition_variable finished_cv_;
  std::deque<Task> tasks_;              // guarded by mutex_; indexed by task number
  std::deque<size_t> queue_;            // guarded by mutex_: tasks not started
  std::deque<PackedFile> results_;      // guarded by mutex_
  std::vector<size_t> finished_;        // guarded by mutex_
  std::optional<EngineError> failure_;  // guarded by mutex_
  uint64_t pending_bytes_ = 0;          // guarded by mutex_
  bool stop_ = false;                   // guarded by mutex_
  // Wake-ups cost system calls: a worker is woken only when one is idle, and the owner only
  // while it waits (both guarded by mutex_).
  unsigned idle_workers_ = 0;
  bool owner_waiting_ = false;

  // Last, so that it goes first: each jthread joins its worker before the state the workers
  // use goes, however this object goes.
  std::vector<std::jthread> workers_;
};

}  // namespace quireforge

#endif  // QUIREFORGE_ZIPENGINE_QUEUECOMPRESSOR_H_
