#include "zipengine/StreamedAdd.h"

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <limits>
#include <new>
#include <thread>

#include "zipengine/EngineError.h"
#include "zipengine/EntryWriting.h"

namespace quireforge {

namespace {

// Files handed over wait for the workers up to this many bytes; beyond it a put waits, so that
// a caller faster than the compression never holds much more than its compressed book.
constexpr uint64_t kMaxPendingBytes = uint64_t{4} << 20;

// How long a waiting put or close waits for the workers before it calls back anyway.
constexpr std::chrono::milliseconds kWaitTick{20};

constexpr size_t kNoEntry = std::numeric_limits<size_t>::max();

constexpr char kMimetypeName[] = "mimetype";

// The part of `name` after its last "/".
std::string FileNameOf(const std::string& name) {
  const size_t slash = name.rfind('/');
  return slash == std::string::npos ? name : name.substr(slash + 1);
}

}  // namespace

std::string ArchiveOrderKey(const std::string& name) {
  std::string key = !name.empty() && name.back() == '/' ? name.substr(0, name.size() - 1) : name;
  std::replace(key.begin(), key.end(), '/', '\0');
  return key;
}

StreamedAdd::StreamedAdd(const ZE_ZipCommand& command)
    : reporter_(command.callback, command.caller, &abort_flag_) {}

StreamedAdd::~StreamedAdd() {
  // The workers stop before the archive is dropped; nothing reaches the archive path.
  compressor_.reset();
  writer_.reset();
}

int32_t StreamedAdd::Fail(int32_t code, const char* text) {
  failure_ = code;
  if (code != ZE_ERR_CANCELLED && code != ZE_ERR_HANDLER) {
    try {
      reporter_.Message(code, text);
    } catch (...) {
      // The result still tells the caller what happened.
    }
  }
  // Nothing more will be written: the workers and the data go at once.
  compressor_.reset();
  writer_.reset();
  entries_.clear();
  return code;
}

int32_t StreamedAdd::Open(const ZE_ZipCommand& command) {
  try {
    registration_.emplace(&abort_flag_);
    reporter_.OperationKey(registration_->key());
    request_ = ReadAddRequest(command);
    if (request_.move)
      throw EngineError(kEngineUnsupported,
                        "Moving files is not supported by a "
                        "streamed add");
    reporter_.ThrowIfStopped();
    writer_ = std::make_unique<ArchiveWriter>(request_.archive_path, request_.new_archive);
    compressor_ = std::make_unique<QueueCompressor>(
        request_.level, std::max(1u, std::thread::hardware_concurrency()));
    return 0;
  } catch (const EngineError& error) {
    return Fail(error.code(), error.what());
  } catch (const std::bad_alloc&) {
    return Fail(ZE_ERR_MEMORY, "Not enough memory for the zip engine");
  } catch (const std::exception& e) {
    return Fail(kEngineInternal,
                (std::string("Internal failure of the zip engine. ") + e.what()).c_str());
  }
}

int32_t StreamedAdd::Put(const ZE_StreamEntry& entry) {
  if (failure_ != 0) return failure_;
  try {
    PutOrThrow(entry);
    return 0;
  } catch (const EngineError& error) {
    return Fail(error.code(), error.what());
  } catch (const std::bad_alloc&) {
    return Fail(ZE_ERR_MEMORY, "Not enough memory for the zip engine");
  } catch (const std::exception& e) {
    return Fail(kEngineInternal,
                (std::string("Internal failure of the zip engine. ") + e.what()).c_str());
  }
}

void StreamedAdd::PutOrThrow(const ZE_StreamEntry& put) {
  if (put.name == nullptr || put.name[0] == '\0' || put.name[0] == '/' || put.size < 0 ||
      (put.size > 0 && put.data == nullptr)) {
    throw EngineError(ZE_ERR_STRUCTURE, "Invalid stream entry");
  }
  reporter_.ThrowIfStopped();
  SourceEntry source;
  source.name = put.name;
  source.directory = source.name.back() == '/';
  source.mtime = put.mtime;
  source.mode = static_cast<uint32_t>(put.mode) & 07777;
  source.size = source.directory ? 0 : static_cast<uint64_t>(put.size);
  source.store = !source.directory && (request_.level == 0 || source.name == kMimetypeName ||
                                       request_.InStoreList(FileNameOf(source.name)));

  // A name put again replaces its entry where it stands; data on its way is dropped.
  size_t index = entries_.size();
  const auto known = entry_of_name_.find(source.name);
  if (known != entry_of_name_.end()) {
    index = known->second;
    if (!entries_[index].source.directory) entry_of_task_[entries_[index].task] = kNoEntry;
  }
  Entry entry;
  entry.source = std::move(source);
  if (!entry.source.directory) {
    ByteBuffer raw(static_cast<size_t>(put.size));
    if (put.size > 0) std::memcpy(raw.data(), put.data, static_cast<size_t>(put.size));
    raw.SetSize(static_cast<size_t>(put.size));
    // Task numbers count the submissions, as the places of this list do.
    entry_of_task_.push_back(index);
    try {
      entry.task = compressor_->Submit(std::move(raw), entry.source.store);
    } catch (...) {
      entry_of_task_.pop_back();
      throw;
    }
  }
  if (index == entries_.size()) {
    entry_of_name_.emplace(entry.source.name, index);
    entries_.push_back(std::move(entry));
  } else {
    entries_[index] = std::move(entry);
  }

  Collect(std::chrono::milliseconds(0));
  while (compressor_->PendingBytes() > kMaxPendingBytes) {
    Collect(kWaitTick);
    reporter_.KeepAlive();
    reporter_.ThrowIfStopped();
  }
}

void StreamedAdd::Collect(std::chrono::milliseconds timeout) {
  for (const size_t task : compressor_->WaitForFinished(timeout)) {
    PackedFile packed = compressor_->TakeResult(task);
    const size_t index = entry_of_task_[task];
    if (index == kNoEntry) continue;
    Entry& entry = entries_[index];
    entry.packed = std::move(packed);
    written_ += static_cast<int64_t>(entry.packed.data.size());
    reporter_.NewFile(entry.source.name, static_cast<int64_t>(entry.packed.size), written_);
    reporter_.Progress(static_cast<int64_t>(entry.packed.size));
  }
}

int32_t StreamedAdd::Close(bool commit) {
  if (failure_ != 0) return failure_;
  if (!commit) {
    compressor_.reset();
    writer_.reset();
    return 0;
  }
  try {
    return CommitOrThrow();
  } catch (const EngineError& error) {
    return Fail(error.code(), error.what());
  } catch (const std::bad_alloc&) {
    return Fail(ZE_ERR_MEMORY, "Not enough memory for the zip engine");
  } catch (const std::exception& e) {
    return Fail(kEngineInternal,
                (std::string("Internal failure of the zip engine. ") + e.what()).c_str());
  }
}

int32_t StreamedAdd::CommitOrThrow() {
  while (!compressor_->Done()) {
    Collect(kWaitTick);
    reporter_.KeepAlive();
    reporter_.ThrowIfStopped();
  }
  compressor_.reset();
  if (entries_.empty()) return 0;  // nothing to store: the archive path stays as it is

  std::vector<std::pair<std::string, size_t>> keys(entries_.size());
  for (size_t i = 0; i < keys.size(); ++i) keys[i] = {ArchiveOrderKey(entries_[i].source.name), i};
  std::sort(keys.begin(), keys.end());
  std::vector<size_t> order(keys.size());
  for (size_t i = 0; i < keys.size(); ++i) order[i] = keys[i].second;
  keys = {};
  // The EPUB container wants `mimetype` first.
  const auto mimetype = std::find_if(order.begin(), order.end(), [this](size_t i) {
    return !entries_[i].source.directory && entries_[i].source.name == kMimetypeName;
  });
  if (mimetype != order.end()) std::rotate(order.begin(), mimetype, mimetype + 1);

  int64_t file_count = 0, total_bytes = 0;
  for (size_t n = 0; n < order.size(); ++n) {
    Entry& entry = entries_[order[n]];
    if (!entry.source.directory) {
      ++file_count;
      total_bytes += static_cast<int64_t>(entry.source.size);
    }
    PutEntry(*writer_, entry.source, request_.level, n == 0 && entry.source.name == kMimetypeName,
             &entry.packed, &reporter_, nullptr);
  }
  if (request_.archive_comment) writer_->SetComment(*request_.archive_comment);
  reporter_.ThrowIfStopped();
  writer_->Commit(&reporter_, nullptr);
  writer_.reset();

  struct stat st;
  const int64_t archive_size = ::stat(request_.archive_path.c_str(), &st) == 0 ? st.st_size : 0;
  reporter_.EndOfBatch(total_bytes, archive_size);
  return static_cast<int32_t>(std::min<int64_t>(file_count, std::numeric_limits<int32_t>::max()));
}

}  // namespace quireforge
