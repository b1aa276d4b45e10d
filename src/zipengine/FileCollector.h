// Finds what an add stores: the files below the root directory that the request's specs match,
// and the directories met on the way, as archive entries with unique names in a fixed order
// (each directory sorted by name, a directory's entry before its contents; `mimetype` moved to
// the front). Reads the file system only; runs on the calling thread.
#ifndef QUIREFORGE_ZIPENGINE_FILECOLLECTOR_H_
#define QUIREFORGE_ZIPENGINE_FILECOLLECTOR_H_

#include <cstdint>
#include <string>
#include <vector>

#include "zipengine/AddRequest.h"
#include "zipengine/ProgressReporter.h"

namespace quireforge {

struct SourceEntry {
  std::string path;  // the file or directory on disk
  std::string name;  // the entry name, "/"-separated; a directory's ends in "/"
  bool directory = false;
  uint64_t size = 0;
  int64_t mtime = 0;   // seconds since the epoch
  uint32_t mode = 0;   // permission bits
  bool store = false;  // written without compression
};

// The entries for `request`. The file at `archive_path` (the archive itself) is never one of
// them. Symbolic links to files count as those files; links to directories are not followed;
// other special files are left out. Keeps the caller alive through `reporter` while it works.
// Throws EngineError: ZE_ERR_READ naming the directory when the root or a directory below it
// cannot be read; the reporter's stop code when a stop was asked for.
std::vector<SourceEntry> CollectEntries(const AddRequest& request, const std::string& archive_path,
                                        ProgressReporter* reporter);

}  // namespace quireforge

#endif  // QUIREFORGE_ZIPENGINE_FILECOLLECTOR_H_
