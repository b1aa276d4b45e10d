// One streamed add of the zip engine (ZE_StreamOpen, ZE_StreamPut, ZE_StreamClose): files handed
// over from memory are compressed on worker threads while the caller makes the next ones, kept
// compressed in memory, and written at the close in the order and with the bytes an add of the
// same files from disk gives, through the same archive writer (a temporary file renamed over the
// archive path once complete). Reports through the record's callback, only within its own
// calls, on the calling thread. Never throws out of its three operations. Not copyable; used by
// one thread at a time.
#ifndef QUIREFORGE_ZIPENGINE_STREAMEDADD_H_
#define QUIREFORGE_ZIPENGINE_STREAMEDADD_H_

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "zipengine/AbortRegistry.h"
#include "zipengine/AddRequest.h"
#include "zipengine/ArchiveWriter.h"
#include "zipengine/FileCollector.h"
#include "zipengine/PackedFile.h"
#include "zipengine/ProgressReporter.h"
#include "zipengine/QueueCompressor.h"
#include "zipengine/ZipEngineApi.h"

namespace quireforge {

// The key by which entry `name` takes its place in an archive the engine writes from a folder,
// where names are compared part by part (between "/"), byte by byte, a folder before what it
// holds: the name without a folder's final "/", each "/" made a NUL byte (which sorts before
// every byte a name holds), compared as bytes.
std::string ArchiveOrderKey(const std::string& name);

class StreamedAdd {
 public:
  // Keeps the record's callback and caller for the reports; reads nothing else yet.
  explicit StreamedAdd(const ZE_ZipCommand& command);
  ~StreamedAdd();
  StreamedAdd(const StreamedAdd&) = delete;
  StreamedAdd& operator=(const StreamedAdd&) = delete;

  // Announces the operation key, reads the record (whose markers must be valid), opens the
  // archive and starts the workers. 0, or a negative result as ZE_ZipExec gives, explained
  // first by a message callback (kind 4) unless it is a stop.
  int32_t Open(const ZE_ZipCommand& command);
  // ZE_StreamPut and ZE_StreamClose.
  int32_t Put(const ZE_StreamEntry& entry);
  int32_t Close(bool commit);

 private:
  struct Entry {
    SourceEntry source;  // no path: the data came from memory
    size_t task = 0;     // the compressor's task for a file's data
    PackedFile packed;   // the data, once compressed
  };

  void PutOrThrow(const ZE_StreamEntry& entry);
  int32_t CommitOrThrow();
  // Takes what the workers finished within `timeout`, reporting each file.
  void Collect(std::chrono::milliseconds timeout);
  // Remembers the failure, explains it (unless it is a stop) and returns its code.
  int32_t Fail(int32_t code, const char* text);

  std::atomic<bool> abort_flag_{false};
  ProgressReporter reporter_;
  std::optional<AbortRegistration> registration_;
  AddRequest request_;
  std::unique_ptr<ArchiveWriter> writer_;
  std::unique_ptr<QueueCompressor> compressor_;
  std::vector<Entry> entries_;
  std::unordered_map<std::string, size_t> entry_of_name_;
  std::vector<size_t> entry_of_task_;  // kNoEntry for data that a later put replaced
  int64_t written_ = 0;                // compressed bytes so far, for the reports
  int32_t failure_ = 0;
};

}  // namespace quireforge

#endif  // QUIREFORGE_ZIPENGINE_STREAMEDADD_H_
