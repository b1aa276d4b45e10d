// Owns one POSIX file descriptor and closes it when it goes out of scope, so that every path
// out of a file operation closes its file. The one descriptor holder of every part, the zip
// engine's included (header-only). Movable, not copyable; one thread.
#ifndef QUIREFORGE_BASE_SCOPEDFD_H_
#define QUIREFORGE_BASE_SCOPEDFD_H_

#include <errno.h>
#include <unistd.h>

#include <utility>

namespace quireforge {

class ScopedFd {
 public:
  ScopedFd() = default;
  explicit ScopedFd(int fd) : fd_(fd) {}
  // Closes what it holds; errno stays as it was, so that cleanup never changes the reason a
  // caller is about to report.
  ~ScopedFd() {
    if (fd_ < 0) return;
    const int saved = errno;
    ::close(fd_);
    errno = saved;
  }

  ScopedFd(const ScopedFd&) = delete;
  ScopedFd& operator=(const ScopedFd&) = delete;
  ScopedFd(ScopedFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  ScopedFd& operator=(ScopedFd&& other) noexcept {
    if (this != &other) {
      Close();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }

  bool valid() const { return fd_ >= 0; }
  int get() const { return fd_; }

  // Closes the descriptor now. Returns 0, or the errno of a failed close (the descriptor is
  // gone either way; for a file just written, a failure means its data may not have arrived).
  // Holding none, returns 0.
  int Close() {
    if (fd_ < 0) return 0;
    return ::close(std::exchange(fd_, -1)) == 0 ? 0 : errno;
  }
  // Gives up ownership without closing.
  int Release() { return std::exchange(fd_, -1); }

 private:
  int fd_ = -1;
};

}  // namespace quireforge

#endif  // QUIREFORGE_BASE_SCOPEDFD_H_
