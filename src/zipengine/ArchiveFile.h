// The archive file as libzip reads and replaces it: a libzip source that reads the existing
// archive through a descriptor opened beforehand (without blocking, checked to be a regular
// file), writes the new archive to a temporary file with a short name of its own in the same
// folder, and at commit flushes that file to disk, renames it over the archive path and
// flushes the folder. So a power loss leaves the older file or the complete new one, and an
// archive name as long as the folder takes still works. A rollback, or a source freed before
// its commit, removes the temporary file. A writer killed outright cannot: the temporary file
// is named ".quireforge-<process id>-XXXXXX" and locked while it is written, and the next
// write into that folder first removes those of its user whose process no longer lives and
// whose lock nobody holds. libzip owns the source; the calling thread uses it.
#ifndef QUIREFORGE_ZIPENGINE_ARCHIVEFILE_H_
#define QUIREFORGE_ZIPENGINE_ARCHIVEFILE_H_

#include <sys/types.h>
#include <zip.h>

#include <optional>
#include <string>

#include "base/ScopedFd.h"

namespace quireforge {

// A source for zip_open_from_source over the archive at `path`. `existing` is a descriptor
// open for reading on the archive there, or none when the archive is made new (the source
// then says that no archive exists). The new file takes the permission bits `mode` (those of
// the file it replaces) or, without them, 0666 less the umask. Takes `existing` whatever
// happens; throws std::bad_alloc.
zip_source_t* NewArchiveFileSource(const std::string& path, ScopedFd existing,
                                   std::optional<mode_t> mode);

// A read-only source over `existing`, a descriptor open for reading on an archive: a second
// view of it. Takes `existing` whatever happens; throws std::bad_alloc.
zip_source_t* NewArchiveReadSource(ScopedFd existing);

}  // namespace quireforge

#endif  // QUIREFORGE_ZIPENGINE_ARCHIVEFILE_H_
