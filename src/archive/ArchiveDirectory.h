// ArchiveDirectory is the component's view of an archive's contents: the file entries of
// its central directory and the archive comment. ReadArchiveDirectory fills it by walking
// the end record and the central headers itself, because its messages follow those
// records one for one. Plain data; one thread.
#ifndef QUIREFORGE_ARCHIVE_ARCHIVEDIRECTORY_H_
#define QUIREFORGE_ARCHIVE_ARCHIVEDIRECTORY_H_

#include <cstdint>
#include <string>
#include <vector>

namespace quireforge {

class TArchiveCore;

struct ArchiveEntry {
  std::u16string name;  // as stored, with "/" between folders
  uint16_t method = 0;
  uint32_t crc = 0;
  uint32_t compressedSize = 0;
  uint32_t size = 0;
};

struct ArchiveDirectory {
  std::vector<ArchiveEntry> entries;  // directory-only entries are left out
  int32_t directoryEntries = 0;       // how many were left out
  std::string comment;                // raw bytes after the end record

  void Clear() { *this = ArchiveDirectory(); }
};

// Reads the directory of the archive at `path` (UTF-8) into `*directory`, which the caller
// has cleared. A missing file is no error and leaves it empty. A file that cannot be
// opened (or is no regular file) shows 11002 as information through `core`, and a central
// directory that does not start where the end record says shows 10203 as information before
// the read goes on. An archive with zip64 end records (more than 65,535 entries) is read
// by them. Raises EArchiver 11036 (no end record, or a zip64 locator without its record),
// 10201 (seek), 11013, 11015, 11017 (central headers) or 11011 (no end record after them);
// `*directory` keeps what was read.
void ReadArchiveDirectory(const std::string& path, TArchiveCore& core, ArchiveDirectory* directory);

}  // namespace quireforge

#endif  // QUIREFORGE_ARCHIVE_ARCHIVEDIRECTORY_H_
