// FileDescriptor owns one open POSIX file descriptor and closes it when destroyed, so the
// directory read and the writability probe release their files on every path.
// Movable, not copyable; one thread.
#ifndef QUIREFORGE_ARCHIVE_FILEDESCRIPTOR_H_
#define QUIREFORGE_ARCHIVE_FILEDESCRIPTOR_H_

#include <unistd.h>

#include <utility>

namespace quireforge {

class FileDescriptor {
 public:
  FileDescriptor() = default;
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() { Close(); }

  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  FileDescriptor& operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
      Close();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }

  bool IsOpen() const { return fd_ >= 0; }
  int get() const { return fd_; }

  // Closes the descriptor; returns close()'s result (0 when none was open).
  int Close() { return fd_ >= 0 ? ::close(std::exchange(fd_, -1)) : 0; }

 private:
  int fd_ = -1;
};

}  // namespace quireforge

#endif  // QUIREFORGE_ARCHIVE_FILEDESCRIPTOR_H_
