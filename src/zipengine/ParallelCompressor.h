// Reads and compresses files on worker threads of its own, one whole file at a time: each file
// is read once and compressed from memory with libdeflate, and kept as it is when Deflate does
// not make it smaller. The constructor starts the workers and the destructor stops and joins
// them, so no thread outlives the object. Every other method belongs to the thread that created
// it, which stays free to talk to its caller while the workers run.
#ifndef QUIREFORGE_ZIPENGINE_PARALLELCOMPRESSOR_H_
#define QUIREFORGE_ZIPENGINE_PARALLELCOMPRESSOR_H_

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "zipengine/EngineError.h"
#include "zipengine/PackedFile.h"

struct libdeflate_compressor;

namespace quireforge {

class ParallelCompressor {
 public:
  struct Task {
    std::string path;
    uint64_t size = 0;   // as listed; used to hand out big files first
    bool store = false;  // never compress
  };

  // Starts up to `threads` workers (at least one) on `tasks` at Deflate `level` (1-9; 0 stores
  // everything). Throws EngineError(kEngineInternal) when no worker can be started.
  ParallelCompressor(std::vector<Task> tasks, int level, unsigned threads);
  ~ParallelCompressor();
  ParallelCompressor(const ParallelCompressor&) = delete;
  ParallelCompressor& operator=(const ParallelCompressor&) = delete;

  // Waits at most `timeout` and returns the indexes of the tasks finished since the last call,
  // possibly none. Throws the first failure of a worker (EngineError: ZE_ERR_READ naming the
  // file, ZE_ERR_MEMORY); the other workers then stop soon.
  std::vector<size_t> WaitForFinished(std::chrono::milliseconds timeout);

  // True once every task has been returned by WaitForFinished.
  bool Done() const { return returned_ == tasks_.size(); }

  const Task& task(size_t index) const { return tasks_[index]; }

  // The result of a finished task; may be taken once.
  PackedFile TakeResult(size_t index) { return std::move(results_[index]); }

 private:
  void Work();
  PackedFile Pack(const Task& task, libdeflate_compressor* compressor) const;
  void Fail(const EngineError& error);

  const std::vector<Task> tasks_;
  const int level_;
  std::vector<size_t> order_;  // task indexes, biggest first
  std::vector<PackedFile> results_;
  std::atomic<size_t> next_{0};
  std::atomic<bool> stop_{false};

  std::mutex mutex_;
  std::condition_variable finished_cv_;
  std::vector<size_t> finished_;        // guarded by mutex_
  std::optional<EngineError> failure_;  // guarded by mutex_
  size_t returned_ = 0;

  // Last, so that it goes first: each jthread joins its worker before the state the workers
  // use goes, however this object goes.
  std::vector<std::jthread> workers_;
};

}  // namespace quireforge

#endif  // QUIREFORGE_ZIPENGINE_PARALLELCOMPRESSOR_H_
