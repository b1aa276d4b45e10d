// The libzip sources that feed an archive's entries, all read on the calling thread while the
// archive is written. A packed source hands over data that is already compressed (or stored), so
// libzip copies it as it is; a streaming source reads a file too big to hold in memory and
// leaves the compression to libzip. Both stop with an error once the reporter holds a stop
// request. A source is owned by libzip once created: the archive's close or discard frees it.
#ifndef QUIREFORGE_ZIPENGINE_ZIPSOURCES_H_
#define QUIREFORGE_ZIPENGINE_ZIPSOURCES_H_

#include <zip.h>

#include <optional>

#include "zipengine/EngineError.h"
#include "zipengine/FileCollector.h"
#include "zipengine/PackedFile.h"
#include "zipengine/ProgressReporter.h"

namespace quireforge {

// A source that yields `file` as it is, announcing its size, CRC and method (and the Deflate
// `level` it was made with) so that libzip neither compresses nor checks it again. Throws
// std::bad_alloc (nothing is left behind).
zip_source_t* NewPackedSource(PackedFile file, int64_t mtime, int level,
                              ProgressReporter* reporter);

// A source that reads `entry` from disk in pieces, reporting the file (kind 1) when opened and
// progress as it is read. A read failure is recorded in `*failure` (ZE_ERR_READ naming the file)
// for the caller to raise after libzip gives up. `reporter` and `failure` must outlive the
// source. Throws std::bad_alloc (nothing is left behind).
zip_source_t* NewStreamingSource(const SourceEntry& entry, ProgressReporter* reporter,
                                 std::optional<EngineError>* failure);

}  // namespace quireforge

#endif  // QUIREFORGE_ZIPENGINE_ZIPSOURCES_H_
