#include "zipengine/ArchiveWriter.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <limits>
#include <optional>

#include "base/PosixIo.h"
#include "zipengine/ArchiveFile.h"

namespace quireforge {

namespace {

// Sub-task code of kind 15 for writing the archive ("*Finalising"); its progress is counted in
// thousandths.
constexpr int32_t kFinalisingSubTask = 5;
constexpr int64_t kFinalisingSteps = 1000;

// The MS-DOS attribute bit that marks a directory, kept beside the Unix mode for old readers.
constexpr uint32_t kDosDirectoryAttribute = 0x10;

void ProgressThunk(zip_t*, double fraction, void* reporter) {
  static_cast<ProgressReporter*>(reporter)->SubTaskPosition(
      static_cast<int64_t>(fraction * kFinalisingSteps));
}

int CancelThunk(zip_t*, void* reporter) {
  return static_cast<ProgressReporter*>(reporter)->StopCode() != 0 ? 1 : 0;
}

// A second descriptor of the same open file; none for none (or when none can be made, which
// shows up as a read error of the archive).
ScopedFd Duplicate(const ScopedFd& fd) {
  return ScopedFd(fd.valid() ? ::fcntl(fd.get(), F_DUPFD_CLOEXEC, 0) : -1);
}

}  // namespace

ArchiveWriter::ArchiveWriter(const std::string& path, bool fresh) : path_(path) {
  struct stat st;
  const bool exists = ::stat(path.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) {
    throw EngineError(ZE_ERR_WRITE,
                      "Cannot write archive \"" + path + "\". " + SystemErrorText(EISDIR));
  }
  // A pipe or a device in the archive's place would be waited for, or written into.
  if (exists && !S_ISREG(st.st_mode)) {
    throw EngineError(ZE_ERR_WRITE, "Cannot write archive \"" + path + "\". Not a regular file");
  }
  std::optional<mode_t> mode;
  if (exists) mode = st.st_mode & 07777;  // the new file keeps the older one's permissions
  if (exists && !fresh) {
    const int error = OpenRegularFile(path, &existing_);
    if (error != 0) {
      throw EngineError(ZE_ERR_READ, "Cannot open archive \"" + path + "\". " +
                                         (error == EISDIR || error == kNotRegularFile
                                              ? std::string("Not a regular file")
                                              : SystemErrorText(error)));
    }
  }
  zip_source_t* source = NewArchiveFileSource(path, Duplicate(existing_), mode);
  zip_error_t error;
  zip_error_init(&error);
  archive_ = zip_open_from_source(source, fresh || !exists ? ZIP_CREATE | ZIP_TRUNCATE : ZIP_CREATE,
                                  &error);
  if (archive_ == nullptr) {
    zip_source_free(source);
    const int code = zip_error_code_zip(&error);
    const std::string reason = zip_error_strerror(&error);
    zip_error_fini(&error);
    if (fresh || !exists) {
      throw EngineError(ZE_ERR_WRITE, "Cannot write archive \"" + path + "\". " + reason);
    }
    throw EngineError(code == ZIP_ER_MEMORY ? ZE_ERR_MEMORY : ZE_ERR_READ,
                      "Cannot open archive \"" + path + "\". " + reason);
  }
  zip_error_fini(&error);
}

ArchiveWriter::~ArchiveWriter() {
  if (archive_ != nullptr) zip_discard(archive_);
  if (original_ != nullptr) zip_discard(original_);
}

void ArchiveWriter::ThrowWriteError(const std::string& what) {
  const zip_error_t* error = zip_get_error(archive_);
  int code = zip_error_code_zip(error) == ZIP_ER_MEMORY ? ZE_ERR_MEMORY : ZE_ERR_WRITE;
  throw EngineError(code, what + ". " + zip_strerror(archive_));
}

bool ArchiveWriter::HasEntry(const std::string& name) const {
  return zip_name_locate(archive_, name.c_str(), 0) >= 0;
}

void ArchiveWriter::PutFile(const std::string& name, zip_source_t* source,
                            const EntryAttributes& attributes, bool first) {
  zip_int64_t index;
  if (first && zip_get_num_entries(archive_, 0) > 0) {
    const char* first_name = zip_get_name(archive_, 0, 0);
    if (first_name == nullptr || name != first_name) {
      try {
        MoveFirstEntryToEnd(name);
      } catch (...) {
        zip_source_free(source);
        throw;
      }
    }
    index = zip_file_replace(archive_, 0, source, 0) == 0 ? 0 : -1;
  } else {
    index = zip_file_add(archive_, name.c_str(), source, ZIP_FL_OVERWRITE | ZIP_FL_ENC_GUESS);
  }
  if (index < 0) {
    zip_source_free(source);
    ThrowWriteError("Cannot add \"" + name + "\" to archive \"" + path_ + "\"");
  }
  SetAttributes(static_cast<zip_uint64_t>(index), name, attributes, false);
}

void ArchiveWriter::MoveFirstEntryToEnd(const std::string& new_first_name) {
  std::string what = "Cannot put \"" + new_first_name + "\" first in archive \"" + path_ + "\"";
  if (original_ == nullptr) {
    zip_source_t* source = NewArchiveReadSource(Duplicate(existing_));
    zip_error_t error;
    zip_error_init(&error);
    original_ = zip_open_from_source(source, ZIP_RDONLY, &error);
    const std::string reason = zip_error_strerror(&error);
    zip_error_fini(&error);
    if (original_ == nullptr) {
      zip_source_free(source);
      throw EngineError(ZE_ERR_READ, what + ". " + reason);
    }
  }
  zip_stat_t st;
  const char* old_name = zip_get_name(original_, 0, ZIP_FL_ENC_RAW);
  if (old_name == nullptr || zip_stat_index(original_, 0, 0, &st) != 0) {
    throw EngineError(ZE_ERR_READ, what + ". " + zip_strerror(original_));
  }
  std::string moved_name = old_name;
  zip_uint8_t opsys = ZIP_OPSYS_DEFAULT;
  zip_uint32_t external = 0;
  zip_file_get_external_attributes(original_, 0, 0, &opsys, &external);
  zip_uint32_t comment_length = 0;
  const char* comment = zip_file_get_comment(original_, 0, &comment_length, ZIP_FL_ENC_RAW);
  std::string moved_comment = comment == nullptr ? "" : std::string(comment, comment_length);

  // A same-named entry further back gives way; the first entry takes the name and its old
  // content is copied, still compressed, to a new entry at the end.
  zip_int64_t existing = zip_name_locate(archive_, new_first_name.c_str(), 0);
  if (existing > 0 && zip_delete(archive_, static_cast<zip_uint64_t>(existing)) != 0) {
    ThrowWriteError(what);
  }
  zip_source_t* copy = zip_source_zip(archive_, original_, 0, 0, 0, -1);
  if (copy == nullptr) ThrowWriteError(what);
  if (zip_file_rename(archive_, 0, new_first_name.c_str(), ZIP_FL_ENC_GUESS) != 0) {
    zip_source_free(copy);
    ThrowWriteError(what);
  }
  zip_int64_t moved = zip_file_add(archive_, moved_name.c_str(), copy, ZIP_FL_ENC_GUESS);
  if (moved < 0) {
    zip_source_free(copy);
    ThrowWriteError(what);
  }
  zip_uint64_t index = static_cast<zip_uint64_t>(moved);
  if (zip_set_file_compression(archive_, index, st.comp_method, 0) != 0 ||
      zip_file_set_external_attributes(archive_, index, 0, opsys, external) != 0 ||
      zip_file_set_mtime(archive_, index, st.mtime, 0) != 0 ||
      (!moved_comment.empty() &&
       zip_file_set_comment(archive_, index, moved_comment.data(),
                            static_cast<zip_uint16_t>(moved_comment.size()), 0) != 0)) {
    ThrowWriteError(what);
  }
}

void ArchiveWriter::SetAttributes(zip_uint64_t index, const std::string& name,
                                  const EntryAttributes& attributes, bool directory) {
  uint32_t mode = (directory ? S_IFDIR : S_IFREG) | (attributes.mode & 07777);
  uint32_t external = (mode << 16) | (directory ? kDosDirectoryAttribute : 0);
  zip_uint32_t level = attributes.method == ZIP_CM_DEFLATE ? attributes.level : 0;
  // Extra fields of a replaced entry (old time stamps above all) would contradict the new data;
  // the entries written here carry none, which also keeps `mimetype` as EPUB wants it.
  zip_file_extra_field_delete(archive_, index, ZIP_EXTRA_FIELD_ALL, ZIP_FL_LOCAL | ZIP_FL_CENTRAL);
  if (zip_set_file_compression(archive_, index, attributes.method, level) != 0 ||
      zip_file_set_encryption(archive_, index, ZIP_EM_NONE, nullptr) != 0 ||
      zip_file_set_external_attributes(archive_, index, 0, ZIP_OPSYS_UNIX, external) != 0 ||
      zip_file_set_mtime(archive_, index, static_cast<time_t>(attributes.mtime), 0) != 0) {
    ThrowWriteError("Cannot add \"" + name + "\" to archive \"" + path_ + "\"");
  }
}

void ArchiveWriter::PutDirectory(const std::string& name, const EntryAttributes& attributes) {
  if (HasEntry(name)) return;
  zip_int64_t index = zip_dir_add(archive_, name.c_str(), ZIP_FL_ENC_GUESS);
  if (index < 0) ThrowWriteError("Cannot add \"" + name + "\" to archive \"" + path_ + "\"");
  EntryAttributes stored = attributes;
  stored.method = ZIP_CM_STORE;
  SetAttributes(static_cast<zip_uint64_t>(index), name, stored, true);
}

void ArchiveWriter::SetComment(const std::string& comment) {
  if (comment.size() > std::numeric_limits<zip_uint16_t>::max()) {
    throw EngineError(ZE_ERR_STRUCTURE,
                      "Invalid command record: the archive comment is longer "
                      "than 65535 bytes");
  }
  if (zip_set_archive_comment(archive_, comment.data(),
                              static_cast<zip_uint16_t>(comment.size())) != 0) {
    ThrowWriteError("Cannot set the comment of archive \"" + path_ + "\"");
  }
}

void ArchiveWriter::Commit(ProgressReporter* reporter,
                           const std::optional<EngineError>* source_failure) {
  reporter->SubTask(kFinalisingSubTask, kFinalisingSteps);
  zip_register_progress_callback_with_state(archive_, 0.001, ProgressThunk, nullptr, reporter);
  zip_register_cancel_callback_with_state(archive_, CancelThunk, nullptr, reporter);
  if (zip_close(archive_) == 0) {
    archive_ = nullptr;
    return;
  }
  zip_error_t* error = zip_get_error(archive_);
  bool out_of_memory = zip_error_code_zip(error) == ZIP_ER_MEMORY;
  // The system's own words when the system refused (a full disk, a file-size limit), as one
  // sentence naming the archive; libzip's otherwise.
  const int system_error =
      zip_error_system_type(error) == ZIP_ET_SYS ? zip_error_code_system(error) : 0;
  std::string text = "Cannot write archive \"" + path_ + "\"";
  text += system_error != 0 ? ": " + SystemErrorText(system_error) + "."
                            : ". " + std::string(zip_strerror(archive_));
  zip_discard(archive_);
  archive_ = nullptr;

  reporter->ThrowIfStopped();
  if (source_failure != nullptr && *source_failure) throw **source_failure;
  throw EngineError(out_of_memory ? ZE_ERR_MEMORY : ZE_ERR_WRITE, text);
}

}  // namespace quireforge
