#include "zipengine/PosixFile.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "zipengine/EngineError.h"

namespace quireforge {

void UniqueFd::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

namespace {

[[noreturn]] void ThrowReadError(const std::string& path, int error_number) {
  throw EngineError(ZE_ERR_READ,
                    "Cannot read file \"" + path + "\". " + SystemReason(error_number));
}

}  // namespace

UniqueFd OpenRegularFile(const std::string& path) {
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!fd.valid()) ThrowReadError(path, errno);
  struct stat st;
  if (::fstat(fd.get(), &st) != 0) ThrowReadError(path, errno);
  if (!S_ISREG(st.st_mode)) {
    throw EngineError(ZE_ERR_READ, "Cannot read file \"" + path + "\". It is not a regular file");
  }
  return fd;
}

ByteBuffer ReadWholeFile(const std::string& path) {
  UniqueFd fd = OpenRegularFile(path);
  struct stat st;
  if (::fstat(fd.get(), &st) != 0) ThrowReadError(path, errno);

  // One byte more than the listed size, so that reaching the end needs no second buffer.
  ByteBuffer buffer(static_cast<size_t>(st.st_size) + 1);
  size_t used = 0;
  for (;;) {
    if (used == buffer.capacity()) buffer.Reserve(buffer.capacity() * 2);
    ssize_t n = ::read(fd.get(), buffer.data() + used, buffer.capacity() - used);
    if (n < 0) {
      if (errno == EINTR) continue;
      ThrowReadError(path, errno);
    }
    if (n == 0) break;
    used += static_cast<size_t>(n);
    buffer.SetSize(used);
  }
  buffer.SetSize(used);
  return buffer;
}

}  // namespace quireforge
