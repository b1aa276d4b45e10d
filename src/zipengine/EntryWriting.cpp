#include "zipengine/EntryWriting.h"

#include <utility>

#include "zipengine/ZipSources.h"

namespace quireforge {

void PutEntry(ArchiveWriter& writer, const SourceEntry& entry, int level, bool first,
              PackedFile* packed, ProgressReporter* reporter,
              std::optional<EngineError>* source_failure) {
  EntryAttributes attributes;
  attributes.mtime = entry.mtime;
  attributes.mode = entry.mode;
  attributes.level = level;
  attributes.method = entry.store ? ZIP_CM_STORE : ZIP_CM_DEFLATE;
  if (entry.directory) {
    writer.PutDirectory(entry.name, attributes);
    return;
  }
  zip_source_t* source;
  if (packed != nullptr) {
    attributes.method = packed->deflated ? ZIP_CM_DEFLATE : ZIP_CM_STORE;
    source = NewPackedSource(std::move(*packed), entry.mtime, level, reporter);
  } else {
    source = NewStreamingSource(entry, reporter, source_failure);
  }
  writer.PutFile(entry.name, source, attributes, first);
}

}  // namespace quireforge
