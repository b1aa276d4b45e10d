#include "zipengine/SourceFile.h"

#include <errno.h>

#include "base/PosixIo.h"
#include "zipengine/EngineError.h"

namespace quireforge {

namespace {

[[noreturn]] void ThrowReadError(const std::string& path, const std::string& reason) {
  throw EngineError(ZE_ERR_READ, "Cannot read file \"" + path + "\". " + reason);
}

// Opens `path` as OpenSourceFile does; `size` receives the size it has now.
ScopedFd Open(const std::string& path, uint64_t* size) {
  ScopedFd file;
  const int error = OpenRegularFile(path, &file, size);
  if (error == EISDIR || error == kNotRegularFile) ThrowReadError(path, "It is not a regular file");
  if (error != 0) ThrowReadError(path, SystemErrorText(error));
  return file;
}

}  // namespace

ScopedFd OpenSourceFile(const std::string& path) {
  uint64_t size = 0;
  return Open(path, &size);
}

ByteBuffer ReadWholeFile(const std::string& path) {
  uint64_t size = 0;
  const ScopedFd file = Open(path, &size);

  // One byte more than the listed size, so that reaching the end needs no second buffer.
  ByteBuffer buffer(static_cast<size_t>(size) + 1);
  size_t used = 0;
  for (;;) {
    if (used == buffer.capacity()) buffer.Reserve(buffer.capacity() * 2);
    const size_t wanted = buffer.capacity() - used;
    size_t n = 0;
    const int error = ReadFully(file.get(), buffer.data() + used, wanted, &n);
    if (error != 0) ThrowReadError(path, SystemErrorText(error));
    used += n;
    buffer.SetSize(used);
    if (n < wanted) break;  // the end of the file
  }
  return buffer;
}

}  // namespace quireforge
