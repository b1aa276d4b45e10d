#include "zipengine/AddOperation.h"

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <limits>
#include <optional>
#include <thread>
#include <vector>

#include "zipengine/AbortRegistry.h"
#include "zipengine/AddRequest.h"
#include "zipengine/ArchiveWriter.h"
#include "zipengine/EngineError.h"
#include "zipengine/EntryWriting.h"
#include "zipengine/FileCollector.h"
#include "zipengine/MovedFiles.h"
#include "zipengine/ParallelCompressor.h"
#include "zipengine/ProgressReporter.h"

namespace quireforge {

namespace {

// Files are compressed in memory on all cores while they fit these limits; what does not is
// read in pieces while the archive is written, and compressed there by libzip itself.
constexpr uint64_t kMaxPackedFileSize = uint64_t{64} << 20;
constexpr uint64_t kPackedBudget = uint64_t{512} << 20;

// How long the calling thread waits for the workers before it calls back anyway.
constexpr std::chrono::milliseconds kWaitTick{20};

constexpr size_t kNoTask = std::numeric_limits<size_t>::max();

class AddOperation {
 public:
  AddOperation(const AddRequest& request, ProgressReporter* reporter)
      : request_(request), reporter_(reporter) {}
  AddOperation(const AddOperation&) = delete;
  AddOperation& operator=(const AddOperation&) = delete;

  int32_t Run();

 private:
  // Compresses the files that are held in memory, reporting each one as it is done.
  std::vector<PackedFile> PackFiles(const std::vector<SourceEntry>& entries,
                                    std::vector<size_t>* task_of_entry);

  const AddRequest& request_;
  ProgressReporter* reporter_;
  int64_t written_ = 0;
};

std::vector<PackedFile> AddOperation::PackFiles(const std::vector<SourceEntry>& entries,
                                                std::vector<size_t>* task_of_entry) {
  std::vector<ParallelCompressor::Task> tasks;
  std::vector<size_t> entry_of_task;
  uint64_t held = 0;
  task_of_entry->assign(entries.size(), kNoTask);
  for (size_t i = 0; i < entries.size(); ++i) {
    const SourceEntry& entry = entries[i];
    if (entry.directory || entry.size > kMaxPackedFileSize || held + entry.size > kPackedBudget) {
      continue;
    }
    held += entry.size;
    (*task_of_entry)[i] = tasks.size();
    entry_of_task.push_back(i);
    tasks.push_back(ParallelCompressor::Task{entry.path, entry.size, entry.store});
  }
  std::vector<PackedFile> packed(tasks.size());
  if (tasks.empty()) return packed;

  ParallelCompressor compressor(std::move(tasks), request_.level,
                                std::max(1u, std::thread::hardware_concurrency()));
  while (!compressor.Done()) {
    std::vector<size_t> finished = compressor.WaitForFinished(kWaitTick);
    for (size_t task : finished) {
      packed[task] = compressor.TakeResult(task);
      written_ += static_cast<int64_t>(packed[task].data.size());
      const SourceEntry& entry = entries[entry_of_task[task]];
      reporter_->NewFile(entry.name, static_cast<int64_t>(packed[task].size), written_);
      reporter_->Progress(static_cast<int64_t>(packed[task].size));
    }
    if (finished.empty()) reporter_->KeepAlive();
    reporter_->ThrowIfStopped();
  }
  return packed;
}

int32_t AddOperation::Run() {
  // Sources record read failures here while the archive is written; it outlives the writer.
  std::optional<EngineError> source_failure;
  ArchiveWriter writer(request_.archive_path, request_.new_archive);
  std::vector<SourceEntry> entries = CollectEntries(request_, request_.archive_path, reporter_);
  if (entries.empty()) return 0;  // nothing to store: the target stays as it is

  int64_t file_count = 0, total_bytes = 0;
  for (const SourceEntry& entry : entries) {
    if (entry.directory) continue;
    ++file_count;
    total_bytes += static_cast<int64_t>(entry.size);
  }
  reporter_->TotalFiles(file_count);
  reporter_->TotalSize(total_bytes);
  reporter_->ThrowIfStopped();

  std::vector<size_t> task_of_entry;
  std::vector<PackedFile> packed = PackFiles(entries, &task_of_entry);

  for (size_t i = 0; i < entries.size(); ++i) {
    const SourceEntry& entry = entries[i];
    PackedFile* file = task_of_entry[i] != kNoTask ? &packed[task_of_entry[i]] : nullptr;
    PutEntry(writer, entry, request_.level, i == 0 && entry.name == "mimetype", file, reporter_,
             &source_failure);
  }
  if (request_.archive_comment) writer.SetComment(*request_.archive_comment);
  reporter_->ThrowIfStopped();
  writer.Commit(reporter_, &source_failure);

  // The archive is complete and in place: only now may the stored files go.
  if (request_.move) {
    for (const std::string& failure : RemoveMovedFiles(entries, request_.root_dir, reporter_)) {
      reporter_->Message(ZE_ERR_WRITE, failure);
    }
  }
  struct stat st;
  int64_t archive_size = ::stat(request_.archive_path.c_str(), &st) == 0 ? st.st_size : 0;
  reporter_->EndOfBatch(total_bytes, archive_size);
  return static_cast<int32_t>(std::min<int64_t>(file_count, std::numeric_limits<int32_t>::max()));
}

int32_t Report(ProgressReporter* reporter, int32_t code, const char* text) {
  if (code != ZE_ERR_CANCELLED && code != ZE_ERR_HANDLER) {
    try {
      reporter->Message(code, text);
    } catch (...) {
      // The result still tells the caller what happened.
    }
  }
  return code;
}

}  // namespace

int32_t RunAddCommand(const ZE_ZipCommand* command) {
  // A record without this interface's markers may have any layout: not even its callback can
  // be trusted.
  if (command == nullptr || !HasValidMarkers(*command)) return ZE_ERR_STRUCTURE;
  std::atomic<bool> abort_flag{false};
  ProgressReporter reporter(command->callback, command->caller, &abort_flag);
  try {
    AbortRegistration registration(&abort_flag);
    reporter.OperationKey(registration.key());
    AddRequest request = ReadAddRequest(*command);
    reporter.ThrowIfStopped();
    return AddOperation(request, &reporter).Run();
  } catch (const EngineError& error) {
    return Report(&reporter, error.code(), error.what());
  } catch (const std::bad_alloc&) {
    return Report(&reporter, ZE_ERR_MEMORY, "Not enough memory for the zip engine");
  } catch (const std::exception& e) {
    std::string text = std::string("Internal failure of the zip engine. ") + e.what();
    return Report(&reporter, kEngineInternal, text.c_str());
  } catch (...) {
    return Report(&reporter, kEngineInternal, "Internal failure of the zip engine");
  }
}

}  // namespace quireforge
