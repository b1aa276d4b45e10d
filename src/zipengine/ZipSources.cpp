#include "zipengine/ZipSources.h"

#include <cstring>
#include <memory>
#include <new>

#include "base/PosixIo.h"
#include "base/ScopedFd.h"
#include "zipengine/SourceFile.h"

namespace quireforge {

namespace {

zip_int64_t SupportedCommands() {
  return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE,
                                        ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE,
                                        ZIP_SOURCE_GET_FILE_ATTRIBUTES, -1);
}

// The general purpose bits 1 and 2 that tell readers how hard Deflate data was compressed.
zip_uint16_t DeflateLevelBits(int level) {
  if (level >= 8) return 0x0002;  // maximum
  if (level <= 2) return 0x0006;  // super fast
  return 0x0000;                  // normal
}

// What both kinds of source share: the error libzip asks for, and the stop check.
class SourceBase {
 public:
  explicit SourceBase(ProgressReporter* reporter) : reporter_(reporter) { zip_error_init(&error_); }
  virtual ~SourceBase() { zip_error_fini(&error_); }
  SourceBase(const SourceBase&) = delete;
  SourceBase& operator=(const SourceBase&) = delete;

  // libzip's entry point. Never throws: its caller is C.
  static zip_int64_t Callback(void* user, void* data, zip_uint64_t length, zip_source_cmd_t cmd) {
    auto* source = static_cast<SourceBase*>(user);
    try {
      switch (cmd) {
        case ZIP_SOURCE_SUPPORTS:
          return SupportedCommands();
        case ZIP_SOURCE_ERROR:
          return zip_error_to_data(&source->error_, data, length);
        case ZIP_SOURCE_FREE:
          delete source;
          return 0;
        case ZIP_SOURCE_STAT: {
          zip_stat_t* st = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &source->error_);
          if (st == nullptr) return -1;
          source->Stat(st);
          return sizeof(*st);
        }
        case ZIP_SOURCE_OPEN:
        case ZIP_SOURCE_READ:
          if (source->reporter_->StopCode() != 0) {
            zip_error_set(&source->error_, ZIP_ER_CANCELLED, 0);
            return -1;
          }
          return cmd == ZIP_SOURCE_OPEN ? source->Open() : source->Read(data, length);
        case ZIP_SOURCE_CLOSE:
          source->Close();
          return 0;
        case ZIP_SOURCE_GET_FILE_ATTRIBUTES: {
          auto* attributes =
              ZIP_SOURCE_GET_ARGS(zip_file_attributes_t, data, length, &source->error_);
          if (attributes == nullptr) return -1;
          source->Attributes(attributes);
          return sizeof(*attributes);
        }
        default:
          zip_error_set(&source->error_, ZIP_ER_OPNOTSUPP, 0);
          return -1;
      }
    } catch (const std::bad_alloc&) {
      zip_error_set(&source->error_, ZIP_ER_MEMORY, 0);
    } catch (...) {
      zip_error_set(&source->error_, ZIP_ER_INTERNAL, 0);
    }
    return -1;
  }

 protected:
  virtual void Stat(zip_stat_t* st) = 0;
  virtual zip_int64_t Open() = 0;
  virtual zip_int64_t Read(void* data, zip_uint64_t length) = 0;
  virtual void Close() = 0;
  virtual void Attributes(zip_file_attributes_t* attributes) {
    zip_file_attributes_init(attributes);
  }

  ProgressReporter* reporter_;
  zip_error_t error_;
};

zip_source_t* Wrap(std::unique_ptr<SourceBase> source) {
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* zs = zip_source_function_create(&SourceBase::Callback, source.get(), &error);
  zip_error_fini(&error);
  if (zs == nullptr) throw std::bad_alloc();
  source.release();  // libzip frees it through ZIP_SOURCE_FREE from now on
  return zs;
}

class PackedSource : public SourceBase {
 public:
  PackedSource(PackedFile file, int64_t mtime, int level, ProgressReporter* reporter)
      : SourceBase(reporter),
        file_(std::move(file)),
        compressed_size_(file_.data.size()),
        mtime_(mtime),
        level_(level) {}

 protected:
  void Stat(zip_stat_t* st) override {
    zip_stat_init(st);
    st->valid = ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_CRC | ZIP_STAT_COMP_METHOD |
                ZIP_STAT_MTIME | ZIP_STAT_ENCRYPTION_METHOD;
    st->size = file_.size;
    st->comp_size = compressed_size_;  // asked for again after the data is gone
    st->crc = file_.crc;
    st->comp_method = file_.deflated ? ZIP_CM_DEFLATE : ZIP_CM_STORE;
    st->encryption_method = ZIP_EM_NONE;
    st->mtime = static_cast<time_t>(mtime_);
  }

  zip_int64_t Open() override {
    // libzip reads each entry's data once; the data is gone after that.
    if (released_) {
      zip_error_set(&error_, ZIP_ER_INTERNAL, 0);
      return -1;
    }
    position_ = 0;
    return 0;
  }

  zip_int64_t Read(void* data, zip_uint64_t length) override {
    reporter_->KeepAlive();
    size_t n = std::min<size_t>(length, file_.data.size() - position_);
    if (n > 0) std::memcpy(data, file_.data.data() + position_, n);
    position_ += n;
    return static_cast<zip_int64_t>(n);
  }

  void Attributes(zip_file_attributes_t* attributes) override {
    zip_file_attributes_init(attributes);
    if (!file_.deflated) return;
    attributes->valid = ZIP_FILE_ATTRIBUTES_GENERAL_PURPOSE_BIT_FLAGS;
    attributes->general_purpose_bit_flags = DeflateLevelBits(level_);
    attributes->general_purpose_bit_mask = 0x0006;
  }

  // Gives the memory back as soon as libzip has copied the data, rather than all at once when
  // the archive is closed.
  void Close() override {
    file_.data = ByteBuffer();
    released_ = true;
  }

 private:
  PackedFile file_;
  const uint64_t compressed_size_;
  bool released_ = false;
  int64_t mtime_;
  int level_;
  size_t position_ = 0;
};

class StreamingSource : public SourceBase {
 public:
  StreamingSource(const SourceEntry& entry, ProgressReporter* reporter,
                  std::optional<EngineError>* failure)
      : SourceBase(reporter), entry_(entry), failure_(failure) {}

 protected:
  void Stat(zip_stat_t* st) override {
    zip_stat_init(st);
    st->valid = ZIP_STAT_SIZE | ZIP_STAT_MTIME;
    st->size = entry_.size;
    st->mtime = static_cast<time_t>(entry_.mtime);
  }

  zip_int64_t Open() override {
    try {
      fd_ = OpenSourceFile(entry_.path);
    } catch (const EngineError& error) {
      if (!*failure_) *failure_ = error;
      zip_error_set(&error_, ZIP_ER_OPEN, 0);
      return -1;
    }
    reporter_->NewFile(entry_.name, static_cast<int64_t>(entry_.size), 0);
    unreported_ = 0;
    return 0;
  }

  zip_int64_t Read(void* data, zip_uint64_t length) override {
    size_t read = 0;
    if (const int error = ReadFully(fd_.get(), data, length, &read)) {
      return Fail(error, ZIP_ER_READ);
    }
    const auto n = static_cast<zip_int64_t>(read);
    unreported_ += n;
    // Progress at most every keep-alive interval, and the rest at the end of the file.
    if (unreported_ > 0 && (n == 0 || reporter_->KeepAliveDue())) {
      reporter_->Progress(unreported_);
      unreported_ = 0;
    }
    return n;
  }

  void Close() override { fd_.Close(); }

 private:
  zip_int64_t Fail(int error_number, int zip_error) {
    if (!*failure_) {
      *failure_ = EngineError(ZE_ERR_READ, "Cannot read file \"" + entry_.path + "\". " +
                                               SystemErrorText(error_number));
    }
    zip_error_set(&error_, zip_error, error_number);
    return -1;
  }

  const SourceEntry entry_;
  std::optional<EngineError>* failure_;
  ScopedFd fd_;
  int64_t unreported_ = 0;
};

}  // namespace

zip_source_t* NewPackedSource(PackedFile file, int64_t mtime, int level,
                              ProgressReporter* reporter) {
  return Wrap(std::make_unique<PackedSource>(std::move(file), mtime, level, reporter));
}

zip_source_t* NewStreamingSource(const SourceEntry& entry, ProgressReporter* reporter,
                                 std::optional<EngineError>* failure) {
  return Wrap(std::make_unique<StreamingSource>(entry, reporter, failure));
}

}  // namespace quireforge
