// One archive being written through libzip: a fresh archive, or an existing one that entries are
// added into (same-named entries replaced where they stand, the others kept byte for byte).
// Nothing reaches the target path before Commit() succeeds: the archive is written to a
// temporary file with a short name in the target's folder, flushed to disk and renamed over
// the target (ArchiveFile). A writer that is destroyed uncommitted, or whose commit fails,
// discards everything and leaves the target as it was. Owned and used by the calling thread.
#ifndef QUIREFORGE_ZIPENGINE_ARCHIVEWRITER_H_
#define QUIREFORGE_ZIPENGINE_ARCHIVEWRITER_H_

#include <zip.h>

#include <cstdint>
#include <optional>
#include <string>

#include "base/ScopedFd.h"
#include "zipengine/EngineError.h"
#include "zipengine/ProgressReporter.h"

namespace quireforge {

struct EntryAttributes {
  int64_t mtime = 0;
  uint32_t mode = 0;  // permission bits
  // ZIP_CM_STORE or ZIP_CM_DEFLATE: how the data must end up in the archive.
  int32_t method = ZIP_CM_DEFLATE;
  int level = 0;  // for data that libzip compresses itself
};

class ArchiveWriter {
 public:
  // Opens the archive at `path`: an empty one when `fresh` or when no file is there, else the
  // existing archive. Throws EngineError naming the file: ZE_ERR_READ when an existing file
  // cannot be read or is no ZIP archive, ZE_ERR_WRITE when `path` names a directory or
  // anything else that is no regular file. A fresh archive does not read the file it replaces.
  ArchiveWriter(const std::string& path, bool fresh);
  ~ArchiveWriter();
  ArchiveWriter(const ArchiveWriter&) = delete;
  ArchiveWriter& operator=(const ArchiveWriter&) = delete;

  bool HasEntry(const std::string& name) const;

  // Adds the file entry `name` with the data of `source`, which the writer owns from now on
  // whatever happens. An entry of that name is replaced in its place and loses its old extra
  // fields. With `first`, the entry becomes the archive's first: an entry already first keeps
  // its data and moves to the end. Throws EngineError(ZE_ERR_WRITE) naming the entry.
  void PutFile(const std::string& name, zip_source_t* source, const EntryAttributes& attributes,
               bool first);

  // Adds the directory entry `name` (ending in "/") unless the archive holds it already.
  // Throws EngineError(ZE_ERR_WRITE).
  void PutDirectory(const std::string& name, const EntryAttributes& attributes);

  // Sets the archive comment. Throws EngineError(ZE_ERR_STRUCTURE) when it is too long.
  void SetComment(const std::string& comment);

  // Writes the archive and puts it in place, reporting progress as a sub-task. Throws
  // EngineError: the reporter's stop code when a stop was asked for; `*source_failure` when a
  // source recorded one; ZE_ERR_WRITE naming the archive and libzip's reason otherwise. The
  // target is untouched after a failure and the writer is spent either way.
  void Commit(ProgressReporter* reporter, const std::optional<EngineError>* source_failure);

 private:
  void MoveFirstEntryToEnd(const std::string& new_first_name);
  void SetAttributes(zip_uint64_t index, const std::string& name, const EntryAttributes& attributes,
                     bool directory);
  [[noreturn]] void ThrowWriteError(const std::string& what);

  std::string path_;
  // The existing archive, opened once and read through copies of this descriptor.
  ScopedFd existing_;
  zip_t* archive_ = nullptr;
  // A second, read-only view of the existing archive, from which an entry is copied when it
  // has to move; opened on demand and closed after archive_.
  zip_t* original_ = nullptr;
};

}  // namespace quireforge

#endif  // QUIREFORGE_ZIPENGINE_ARCHIVEWRITER_H_
