// The one seam between Quireforge and the POSIX calls that read, write, open and wait: every
// read or write loop, every retry of a call that a signal interrupted, and the checks that
// keep a pipe or a device from being waited on live here. Each function returns errno-style
// results (0 or an errno value) and raises nothing, so that every caller keeps its own message
// texts. Header-only, so that the zip engine uses it without linking anything of ours. Free
// functions; any thread, each call on descriptors its caller owns.
#ifndef QUIREFORGE_BASE_POSIXIO_H_
#define QUIREFORGE_BASE_POSIXIO_H_

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

#include "base/ScopedFd.h"

namespace quireforge {

// What OpenRegularFile and OpenRegularFileForWriting return for a file that opened but is
// neither a regular file nor a folder: a pipe, a device, a socket. Never an errno value (those
// are positive).
inline constexpr int kNotRegularFile = -1;

// Creates the file at `path`, or empties the one there, and opens it for writing; a new file
// gets the permission bits `mode` less the umask. Returns 0 with the file in `*file`, or the
// errno of the failed open (ENOENT for a path holding a NUL byte) with `*file` left empty.
inline int OpenForWriting(const std::string& path, mode_t mode, ScopedFd* file) {
  *file = ScopedFd();
  if (path.find('\0') != std::string::npos) return ENOENT;
  *file = ScopedFd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOCTTY | O_CLOEXEC, mode));
  return file->valid() ? 0 : errno;
}

// Creates a new file at `path` for reading and writing, with the permission bits `mode` less
// the umask; never opens what is there already, not even through a symbolic link. Returns 0
// with the file in `*file`, or the errno of the failed open (EEXIST when the name is taken,
// ENOENT for a path holding a NUL byte) with `*file` left empty.
inline int CreateNewFile(const std::string& path, mode_t mode, ScopedFd* file) {
  *file = ScopedFd();
  if (path.find('\0') != std::string::npos) return ENOENT;
  *file = ScopedFd(::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, mode));
  return file->valid() ? 0 : errno;
}

// Opens the existing file at `path` for reading and checks that it is a regular file. It is
// opened without blocking (a pipe that took a file's place would wait for a writer for ever)
// and never becomes the controlling terminal; a symbolic link is followed. Returns 0 with the
// file in `*file` and, when `size` is given, its size in `*size`. Otherwise `*file` is left
// empty and the result is the errno of the failed open or fstat (ENOENT for a path holding a
// NUL byte, which no file can have), EISDIR for a folder, or kNotRegularFile.
inline int OpenRegularFile(const std::string& path, ScopedFd* file, uint64_t* size = nullptr) {
  *file = ScopedFd();
  if (path.find('\0') != std::string::npos) return ENOENT;
  ScopedFd opened(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (!opened.valid()) return errno;
  struct stat status;
  if (::fstat(opened.get(), &status) != 0) return errno;
  if (S_ISDIR(status.st_mode)) return EISDIR;
  if (!S_ISREG(status.st_mode)) return kNotRegularFile;
  if (size != nullptr) *size = static_cast<uint64_t>(status.st_size);
  *file = std::move(opened);
  return 0;
}

// Opens the existing file at `path` for writing, without emptying it, without blocking and
// without making it the controlling terminal, and checks that it is a regular file. Returns 0
// with the file in `*file`; otherwise `*file` is left empty and the result is the errno of the
// failed open or fstat (EISDIR for a folder, ENOENT for a path holding a NUL byte) or
// kNotRegularFile.
inline int OpenRegularFileForWriting(const std::string& path, ScopedFd* file) {
  *file = ScopedFd();
  if (path.find('\0') != std::string::npos) return ENOENT;
  ScopedFd opened(::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (!opened.valid()) return errno;
  struct stat status;
  if (::fstat(opened.get(), &status) != 0) return errno;
  if (!S_ISREG(status.st_mode)) return kNotRegularFile;
  *file = std::move(opened);
  return 0;
}

// Opens the folder `path` itself (to list it, lock it or flush it), never through a symbolic
// link. Returns 0 with the folder in `*folder`, or the errno of the failed open (ELOOP or
// ENOTDIR for a link or anything else that is no folder) with `*folder` left empty.
inline int OpenFolder(const std::string& path, ScopedFd* folder) {
  *folder = ScopedFd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  return folder->valid() ? 0 : errno;
}

// The same for the entry `name` of the folder open as `parent` (AT_FDCWD: `name` is a path of
// its own). Only openat and close: safe in a signal handler and between fork and exec.
inline int OpenFolderAt(int parent, const char* name, ScopedFd* folder) {
  *folder = ScopedFd(::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  return folder->valid() ? 0 : errno;
}

// Reads from `fd` into `buffer` until `size` bytes have arrived or the file ends, going on
// after reads that a signal interrupted or that brought part. `*done` receives how many bytes
// arrived, also after a failure. Returns 0, or the errno of the read that failed.
inline int ReadFully(int fd, void* buffer, size_t size, size_t* done) {
  auto* bytes = static_cast<char*>(buffer);
  *done = 0;
  while (*done < size) {
    const ssize_t n = ::read(fd, bytes + *done, size - *done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) break;
    *done += static_cast<size_t>(n);
  }
  return 0;
}

// The same from position `offset` of `fd` on (pread); the file position stays as it was.
inline int ReadFullyAt(int fd, uint64_t offset, void* buffer, size_t size, size_t* done) {
  auto* bytes = static_cast<char*>(buffer);
  *done = 0;
  while (*done < size) {
    const ssize_t n = ::pread(fd, bytes + *done, size - *done, static_cast<off_t>(offset + *done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) break;
    *done += static_cast<size_t>(n);
  }
  return 0;
}

// Writes all `size` bytes of `data` to `fd`, going on after writes that a signal interrupted
// or that took part. Returns 0, or the errno of the write that failed (ENOSPC for a write
// that took nothing); how much arrived before a failure is not told.
inline int WriteFully(int fd, const void* data, size_t size) {
  const auto* bytes = static_cast<const char*>(data);
  size_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(fd, bytes + done, size - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) return ENOSPC;
    done += static_cast<size_t>(n);
  }
  return 0;
}

// The same at position `offset` of `fd` on (pwrite); the file position stays as it was.
inline int WriteFullyAt(int fd, uint64_t offset, const void* data, size_t size) {
  const auto* bytes = static_cast<const char*>(data);
  size_t done = 0;
  while (done < size) {
    const ssize_t n = ::pwrite(fd, bytes + done, size - done, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) return ENOSPC;
    done += static_cast<size_t>(n);
  }
  return 0;
}

// Flushes the data of the file open as `fd` to the disk. Returns 0 or the errno of fsync.
inline int SyncFile(int fd) { return ::fsync(fd) == 0 ? 0 : errno; }

// Flushes the folder `path` itself, that is the names in it, to the disk: after a rename, the
// new name survives a power loss. Returns 0 or the errno of the open or the fsync.
inline int SyncFolder(const std::string& path) {
  ScopedFd folder(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!folder.valid()) return errno;
  return SyncFile(folder.get());
}

// Waits for the child process `pid` (-1: any child of this process) to end, going on after
// waits that a signal interrupted. Returns the child's pid with its wait status in `*status`,
// or -1 with errno set (ECHILD: no such child left).
inline pid_t WaitForChild(pid_t pid, int* status) {
  for (;;) {
    const pid_t ended = ::waitpid(pid, status, 0);
    if (ended >= 0 || errno != EINTR) return ended;
  }
}

}  // namespace quireforge

#endif  // QUIREFORGE_BASE_POSIXIO_H_
