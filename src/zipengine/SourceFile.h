// The files the zip engine stores, as it opens and reads them: only regular files, opened
// without blocking, read whole in one go. Failures are EngineError(ZE_ERR_READ) naming the file
// and the reason; nothing is left open after one. Free functions; any thread.
#ifndef QUIREFORGE_ZIPENGINE_SOURCEFILE_H_
#define QUIREFORGE_ZIPENGINE_SOURCEFILE_H_

#include <string>

#include "base/ScopedFd.h"
#include "zipengine/ByteBuffer.h"

namespace quireforge {

// Opens the regular file at `path` for reading; never waits on a pipe or device that has taken
// the file's place. Throws EngineError(ZE_ERR_READ) naming the file and the reason.
ScopedFd OpenSourceFile(const std::string& path);

// The whole content of the file at `path`, read once, however its size changed since it was
// listed. Throws EngineError(ZE_ERR_READ) naming the file and the system's reason, or
// std::bad_alloc; nothing is left open either way.
ByteBuffer ReadWholeFile(const std::string& path);

}  // namespace quireforge

#endif  // QUIREFORGE_ZIPENGINE_SOURCEFILE_H_
