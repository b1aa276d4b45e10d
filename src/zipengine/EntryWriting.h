// How one entry goes into the archive being written, with its attributes: the one way both
// adds (of files on disk and of a stream of files from memory) put their entries, so that the
// same entries in the same order give the same archive bytes. Calling thread only.
#ifndef QUIREFORGE_ZIPENGINE_ENTRYWRITING_H_
#define QUIREFORGE_ZIPENGINE_ENTRYWRITING_H_

#include <optional>

#include "zipengine/ArchiveWriter.h"
#include "zipengine/EngineError.h"
#include "zipengine/FileCollector.h"
#include "zipengine/PackedFile.h"
#include "zipengine/ProgressReporter.h"

namespace quireforge {

// Puts `entry` into `writer` at Deflate `level`: a directory entry; or a file entry whose data is
// `*packed` (taken) when given, else read from `entry.path` while the archive is written, its
// read failure recorded in `*source_failure`. `first`: the entry becomes the archive's first.
// Throws as ArchiveWriter's PutFile and PutDirectory do, or std::bad_alloc.
void PutEntry(ArchiveWriter& writer, const SourceEntry& entry, int level, bool first,
              PackedFile* packed, ProgressReporter* reporter,
              std::optional<EngineError>* source_failure);

}  // namespace quireforge

#endif  // QUIREFORGE_ZIPENGINE_ENTRYWRITING_H_
