// Owns one POSIX file descriptor and closes it when it goes out of scope, so that every
// path out of a file operation closes its file. Movable, not copyable; one thread.
#ifndef QUIREFORGE_CONVERSION_SCOPEDFD_H_
#define QUIREFORGE_CONVERSION_SCOPEDFD_H_

#include <unistd.h>

#include <utility>

namespace quireforge {

class ScopedFd {
 public:
  ScopedFd() = default;
  explicit ScopedFd(int fd) : fd_(fd) {}
  ~ScopedFd() { Reset(); }

  ScopedFd(const ScopedFd&) = delete;
  ScopedFd& operator=(const ScopedFd&) = delete;
  ScopedFd(ScopedFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  ScopedFd& operator=(ScopedFd&& other) noexcept {
    if (this != &other) {
      Reset();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }

  bool valid() const { return fd_ >= 0; }
  int get() const { return fd_; }

  // Closes the descriptor now; returns close()'s result (0 when there was none).
  int Close() {
    if (fd_ < 0) return 0;
    return ::close(std::exchange(fd_, -1));
  }
  void Reset() { Close(); }
  // Gives up ownership without closing.
  int Release() { return std::exchange(fd_, -1); }

 private:
  int fd_ = -1;
};

}  // namespace quireforge

#endif  // QUIREFORGE_CONVERSION_SCOPEDFD_H_
