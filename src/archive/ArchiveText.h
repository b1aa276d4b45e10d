// How the archive component reads the names stored in an archive. UTF-8 both ways for
// everything else comes from base/Utf.h. Pure functions; any thread.
#ifndef QUIREFORGE_ARCHIVE_ARCHIVETEXT_H_
#define QUIREFORGE_ARCHIVE_ARCHIVETEXT_H_

#include <string>

namespace quireforge {

// Bytes that are valid UTF-8 are read as UTF-8, anything else as code page 437, the
// traditional encoding of ZIP entry names.
std::u16string FromZipName(const std::string& bytes, bool utf8_flag);

}  // namespace quireforge

#endif  // QUIREFORGE_ARCHIVE_ARCHIVETEXT_H_
