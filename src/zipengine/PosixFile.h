// File descriptors held by RAII and whole-file reading for the zip engine. A UniqueFd closes its
// descriptor when destroyed; it belongs to the thread that uses it.
#ifndef QUIREFORGE_ZIPENGINE_POSIXFILE_H_
#define QUIREFORGE_ZIPENGINE_POSIXFILE_H_

#include <string>
#include <utility>

#include "zipengine/ByteBuffer.h"

namespace quireforge {

class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() { Close(); }

  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
      Close();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  void Close();
  // Gives up ownership without closing.
  int Release() { return std::exchange(fd_, -1); }

 private:
  int fd_ = -1;
};

// Opens the regular file at `path` for reading; never waits on a pipe or device that has taken
// the file's place. Throws EngineError(ZE_ERR_READ) naming the file and the reason.
UniqueFd OpenRegularFile(const std::string& path);

// The whole content of the file at `path`, read once, however its size changed since it was
// listed. Throws EngineError(ZE_ERR_READ) naming the file and the system's reason, or
// std::bad_alloc; nothing is left open either way.
ByteBuffer ReadWholeFile(const std::string& path);

}  // namespace quireforge

#endif  // QUIREFORGE_ZIPENGINE_POSIXFILE_H_
