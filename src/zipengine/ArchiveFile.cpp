#include "zipengine/ArchiveFile.h"

#include <dirent.h>
#include <errno.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string_view>
#include <vector>

#include "base/PosixIo.h"

namespace quireforge {

namespace {

// The temporary file's name: a dot (hidden) and a fixed word, the writer's process id, a dash
// and random letters, so that it is short whatever the archive's name, and so that a file a
// killed writer left behind can be told from one a live writer works on.
constexpr std::string_view kTemporaryPrefix = ".quireforge-";
constexpr size_t kRandomLetters = 6;
constexpr int kNameAttempts = 100;

// The process id that the name of a temporary file carries; 0 for any other name.
pid_t MarkedProcess(std::string_view name) {
  if (!name.starts_with(kTemporaryPrefix)) return 0;
  name.remove_prefix(kTemporaryPrefix.size());
  const size_t dash = name.find('-');
  if (dash == 0 || dash == std::string_view::npos || name.size() - dash - 1 != kRandomLetters) {
    return 0;
  }
  pid_t pid = 0;
  for (const char c : name.substr(0, dash)) {
    if (c < '0' || c > '9' || pid > 99999999) return 0;
    pid = pid * 10 + (c - '0');
  }
  return pid;
}

// Removes from `folder` the temporary files that writers killed outright left there: marked
// with a process that no longer lives, regular files of this user, and not locked (a writer of
// another PID namespace holds its lock from creation to rename). Nothing else is touched, and
// a file that cannot be removed stays.
void RemoveAbandonedTemporaries(const std::string& folder) {
  ScopedFd folder_fd;
  if (OpenFolder(folder, &folder_fd) != 0) return;
  DIR* listing = ::fdopendir(::dup(folder_fd.get()));
  if (listing == nullptr) return;
  while (const struct dirent* entry = ::readdir(listing)) {
    const pid_t pid = MarkedProcess(entry->d_name);
    if (pid <= 0 || ::kill(pid, 0) == 0 || errno != ESRCH) continue;  // lives, or not ours
    ScopedFd file(::openat(folder_fd.get(), entry->d_name,
                           O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat status;
    if (!file.valid() || ::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode) ||
        status.st_uid != ::geteuid() || ::flock(file.get(), LOCK_EX | LOCK_NB) != 0) {
      continue;
    }
    ::unlinkat(folder_fd.get(), entry->d_name, 0);
  }
  ::closedir(listing);
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

std::string RandomLetters() {
  static constexpr char kLetters[] =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  unsigned char bytes[kRandomLetters] = {};
  if (getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes)) {
    // Without the kernel's randomness the names only need to differ from the ones there.
    static unsigned counter = 0;
    const unsigned seed = static_cast<unsigned>(getpid()) * 7919u + counter++;
    for (size_t i = 0; i < kRandomLetters; ++i) bytes[i] = static_cast<unsigned char>(seed >> i);
  }
  std::string letters;
  for (unsigned char byte : bytes) letters += kLetters[byte % (sizeof kLetters - 1)];
  return letters;
}

class ArchiveFileSource {
 public:
  ArchiveFileSource(std::string path, ScopedFd existing, std::optional<mode_t> mode, bool writable)
      : path_(std::move(path)), existing_(std::move(existing)), mode_(mode), writable_(writable) {
    zip_error_init(&error_);
  }
  ~ArchiveFileSource() {
    Discard();
    zip_error_fini(&error_);
  }
  ArchiveFileSource(const ArchiveFileSource&) = delete;
  ArchiveFileSource& operator=(const ArchiveFileSource&) = delete;

  // libzip's entry point. Never throws: its caller is C.
  static zip_int64_t Callback(void* user, void* data, zip_uint64_t length, zip_source_cmd_t cmd) {
    auto* source = static_cast<ArchiveFileSource*>(user);
    try {
      return source->Run(data, length, cmd);
    } catch (const std::bad_alloc&) {
      return source->Fail(ZIP_ER_MEMORY, 0);
    } catch (...) {
      return source->Fail(ZIP_ER_INTERNAL, 0);
    }
  }

 private:
  zip_int64_t Run(void* data, zip_uint64_t length, zip_source_cmd_t cmd) {
    switch (cmd) {
      case ZIP_SOURCE_SUPPORTS:
        return writable_ ? ZIP_SOURCE_SUPPORTS_WRITABLE |
                               zip_source_make_command_bitmap(ZIP_SOURCE_ACCEPT_EMPTY, -1)
                         : ZIP_SOURCE_SUPPORTS_SEEKABLE |
                               zip_source_make_command_bitmap(ZIP_SOURCE_ACCEPT_EMPTY, -1);
      case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&error_, data, length);
      case ZIP_SOURCE_FREE:
        delete this;
        return 0;
      case ZIP_SOURCE_ACCEPT_EMPTY:
        return 0;  // an empty file is no archive
      case ZIP_SOURCE_STAT:
        return Stat(data, length);
      case ZIP_SOURCE_OPEN:
        if (!existing_.valid()) return Fail(ZIP_ER_OPEN, ENOENT);
        position_ = 0;
        return 0;
      case ZIP_SOURCE_READ:
        return Read(data, length);
      case ZIP_SOURCE_CLOSE:
        return 0;
      case ZIP_SOURCE_SEEK: {
        const zip_int64_t position =
            zip_source_seek_compute_offset(position_, size_, data, length, &error_);
        if (position < 0) return -1;
        position_ = static_cast<zip_uint64_t>(position);
        return 0;
      }
      case ZIP_SOURCE_TELL:
        return static_cast<zip_int64_t>(position_);
      case ZIP_SOURCE_BEGIN_WRITE:
        return BeginWrite();
      case ZIP_SOURCE_WRITE:
        return Write(data, length);
      case ZIP_SOURCE_SEEK_WRITE:
        return SeekWrite(data, length);
      case ZIP_SOURCE_TELL_WRITE:
        return static_cast<zip_int64_t>(cursor_);
      case ZIP_SOURCE_COMMIT_WRITE:
        return Commit();
      case ZIP_SOURCE_ROLLBACK_WRITE:
        Discard();
        return 0;
      case ZIP_SOURCE_REMOVE:
        // libzip removes an archive left without entries.
        if (::unlink(path_.c_str()) != 0) return Fail(ZIP_ER_REMOVE, errno);
        return 0;
      default:
        return Fail(ZIP_ER_OPNOTSUPP, 0);
    }
  }

  zip_int64_t Fail(int zip_error, int system_error) {
    zip_error_set(&error_, zip_error, system_error);
    return -1;
  }

  zip_int64_t Stat(void* data, zip_uint64_t length) {
    zip_stat_t* st = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &error_);
    if (st == nullptr) return -1;
    // No archive to read: libzip then makes a new one.
    if (!existing_.valid()) return Fail(ZIP_ER_READ, ENOENT);
    struct stat status;
    if (::fstat(existing_.get(), &status) != 0) return Fail(ZIP_ER_READ, errno);
    size_ = static_cast<zip_uint64_t>(status.st_size);
    zip_stat_init(st);
    st->valid = ZIP_STAT_SIZE | ZIP_STAT_MTIME;
    st->size = size_;
    st->mtime = status.st_mtime;
    return sizeof(*st);
  }

  zip_int64_t Read(void* data, zip_uint64_t length) {
    size_t n = 0;
    if (const int error = ReadFullyAt(existing_.get(), position_, data, length, &n)) {
      return Fail(ZIP_ER_READ, error);
    }
    position_ += n;
    return static_cast<zip_int64_t>(n);
  }

  // Removes what killed writers left in the folder, then creates the temporary file beside
  // the archive, with the permission bits the archive will have, and locks it until it has
  // taken the archive's place or is gone.
  zip_int64_t BeginWrite() {
    Discard();
    const std::string folder = FolderOf(path_);
    RemoveAbandonedTemporaries(folder);
    const std::string prefix = folder + (folder.back() == '/' ? "" : "/") +
                               std::string(kTemporaryPrefix) + std::to_string(::getpid()) + "-";
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
      std::string name = prefix + RandomLetters();
      ScopedFd file;
      if (const int error = CreateNewFile(name, 0666, &file)) {
        if (error == EEXIST) continue;
        return Fail(ZIP_ER_TMPOPEN, error);
      }
      // A descriptor of its own holds the lock, so that closing the written one before the
      // rename does not let it go.
      lock_ = ScopedFd(::open(name.c_str(), O_RDONLY | O_NOCTTY | O_CLOEXEC));
      if (lock_.valid()) ::flock(lock_.get(), LOCK_EX | LOCK_NB);
      if (mode_) ::fchmod(file.get(), *mode_);
      temporary_ = std::move(file);
      temporary_name_ = std::move(name);
      window_.clear();
      window_start_ = cursor_ = written_end_ = 0;
      return 0;
    }
    return Fail(ZIP_ER_TMPOPEN, EEXIST);
  }

  // libzip writes an archive in many small pieces (each header field by field) and goes back
  // to finish each local header: the pieces gather in a window of the file held in memory,
  // written out when it is full, when a write falls outside it, and before the commit.
  zip_int64_t Write(const void* data, zip_uint64_t length) {
    const uint64_t window_end = window_start_ + window_.size();
    if (cursor_ < window_start_ || cursor_ > window_end ||
        cursor_ + length > window_start_ + kWindowSize) {
      if (const int error = FlushWindow()) return Fail(ZIP_ER_WRITE, error);
      window_start_ = cursor_;
    }
    if (length >= kWindowSize) {
      // Too large to gather: straight to the file.
      if (const int error = WriteFullyAt(temporary_.get(), cursor_, data, length)) {
        return Fail(ZIP_ER_WRITE, error);
      }
      cursor_ += length;
      written_end_ = std::max(written_end_, cursor_);
      window_start_ = cursor_;
      return static_cast<zip_int64_t>(length);
    }
    const size_t at = static_cast<size_t>(cursor_ - window_start_);
    if (window_.size() < at + length) window_.resize(at + length);
    std::memcpy(window_.data() + at, data, length);
    cursor_ += length;
    return static_cast<zip_int64_t>(length);
  }

  // Writes the window out; it is empty afterwards.
  int FlushWindow() {
    if (window_.empty()) return 0;
    const int error = WriteFullyAt(temporary_.get(), window_start_, window_.data(), window_.size());
    written_end_ = std::max<uint64_t>(written_end_, window_start_ + window_.size());
    window_.clear();
    return error;
  }

  zip_int64_t SeekWrite(void* data, zip_uint64_t length) {
    const auto* args = ZIP_SOURCE_GET_ARGS(zip_source_args_seek_t, data, length, &error_);
    if (args == nullptr) return -1;
    const uint64_t end = std::max<uint64_t>(written_end_, window_start_ + window_.size());
    int64_t base = 0;
    if (args->whence == SEEK_CUR) base = static_cast<int64_t>(cursor_);
    if (args->whence == SEEK_END) base = static_cast<int64_t>(end);
    if (args->whence != SEEK_SET && args->whence != SEEK_CUR && args->whence != SEEK_END) {
      return Fail(ZIP_ER_INVAL, 0);
    }
    const int64_t position = base + args->offset;
    if (position < 0) return Fail(ZIP_ER_SEEK, EINVAL);
    cursor_ = static_cast<uint64_t>(position);
    return 0;
  }

  // The data reaches the disk before the name does, and the name is flushed after it: the
  // archive path never names a file that a power loss could leave short.
  zip_int64_t Commit() {
    if (const int error = FlushWindow()) return Fail(ZIP_ER_WRITE, error);
    if (const int error = SyncFile(temporary_.get())) return Fail(ZIP_ER_WRITE, error);
    if (const int error = temporary_.Close()) return Fail(ZIP_ER_WRITE, error);
    if (::rename(temporary_name_.c_str(), path_.c_str()) != 0) {
      return Fail(ZIP_ER_RENAME, errno);
    }
    temporary_name_.clear();
    lock_.Close();
    // The archive is in place; a folder that cannot be flushed changes nothing of that.
    SyncFolder(FolderOf(path_));
    return 0;
  }

  // Removes the temporary file, if there is one that did not take the archive's place.
  void Discard() {
    window_.clear();
    temporary_.Close();
    if (!temporary_name_.empty()) ::unlink(temporary_name_.c_str());
    temporary_name_.clear();
    lock_.Close();
  }

  const std::string path_;
  ScopedFd existing_;
  const std::optional<mode_t> mode_;
  const bool writable_;
  zip_error_t error_;
  zip_uint64_t size_ = 0;
  zip_uint64_t position_ = 0;
  ScopedFd temporary_;
  std::string temporary_name_;
  // The new file's window held in memory, its place in the file, where libzip writes next and
  // how far the file was written.
  static constexpr size_t kWindowSize = size_t{1} << 20;
  std::vector<char> window_;
  uint64_t window_start_ = 0;
  uint64_t cursor_ = 0;
  uint64_t written_end_ = 0;
  ScopedFd lock_;  // the temporary file, locked while it is written
};

zip_source_t* Wrap(std::unique_ptr<ArchiveFileSource> source) {
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* zs = zip_source_function_create(&ArchiveFileSource::Callback, source.get(), &error);
  zip_error_fini(&error);
  if (zs == nullptr) throw std::bad_alloc();
  source.release();  // libzip frees it through ZIP_SOURCE_FREE from now on
  return zs;
}

}  // namespace

zip_source_t* NewArchiveFileSource(const std::string& path, ScopedFd existing,
                                   std::optional<mode_t> mode) {
  return Wrap(std::make_unique<ArchiveFileSource>(path, std::move(existing), mode, true));
}

zip_source_t* NewArchiveReadSource(ScopedFd existing) {
  return Wrap(
      std::make_unique<ArchiveFileSource>(std::string(), std::move(existing), std::nullopt, false));
}

}  // namespace quireforge
