#include "zipengine/ParallelCompressor.h"

#include <algorithm>
#include <memory>
#include <numeric>

#include "zipengine/FilePacking.h"
#include "zipengine/SourceFile.h"

namespace quireforge {

ParallelCompressor::ParallelCompressor(std::vector<Task> tasks, int level, unsigned threads)
    : tasks_(std::move(tasks)), level_(level), results_(tasks_.size()) {
  order_.resize(tasks_.size());
  std::iota(order_.begin(), order_.end(), size_t{0});
  // Big files first, so that no core is left alone with a big file at the end.
  std::stable_sort(order_.begin(), order_.end(),
                   [this](size_t a, size_t b) { return tasks_[a].size > tasks_[b].size; });

  size_t wanted = std::clamp<size_t>(threads, 1, std::max<size_t>(tasks_.size(), 1));
  workers_.reserve(wanted);
  try {
    for (size_t i = 0; i < wanted; ++i) workers_.emplace_back(&ParallelCompressor::Work, this);
  } catch (const std::exception& e) {
    // Go on with the workers that did start; without any there is nothing to go on with.
    if (workers_.empty()) {
      throw EngineError(kEngineInternal, std::string("Cannot start a worker thread. ") + e.what());
    }
  }
}

ParallelCompressor::~ParallelCompressor() {
  stop_ = true;
  workers_.clear();  // joins every worker
}

void ParallelCompressor::Fail(const EngineError& error) {
  stop_ = true;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!failure_) failure_ = error;
  }
  finished_cv_.notify_one();
}

void ParallelCompressor::Work() {
  DeflateCompressor compressor;
  try {
    compressor = NewDeflateCompressor(level_);
  } catch (const EngineError& error) {
    Fail(error);
    return;
  }
  while (!stop_) {
    size_t slot = next_.fetch_add(1);
    if (slot >= order_.size()) break;
    size_t index = order_[slot];
    try {
      results_[index] = Pack(tasks_[index], compressor.get());
    } catch (const EngineError& error) {
      Fail(error);
      return;
    } catch (const std::bad_alloc&) {
      Fail(EngineError(ZE_ERR_MEMORY,
                       "Not enough memory to compress \"" + tasks_[index].path + "\""));
      return;
    } catch (const std::exception& e) {
      Fail(EngineError(kEngineInternal,
                       "Cannot compress \"" + tasks_[index].path + "\". " + e.what()));
      return;
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      finished_.push_back(index);
    }
    finished_cv_.notify_one();
  }
}

PackedFile ParallelCompressor::Pack(const Task& task, libdeflate_compressor* compressor) const {
  return PackBytes(ReadWholeFile(task.path), task.store, compressor);
}

std::vector<size_t> ParallelCompressor::WaitForFinished(std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(mutex_);
  finished_cv_.wait_for(lock, timeout, [this] { return !finished_.empty() || failure_; });
  if (failure_) throw *failure_;
  std::vector<size_t> done;
  done.swap(finished_);
  returned_ += done.size();
  return done;
}

}  // namespace quireforge
