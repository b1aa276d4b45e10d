// Text helpers of the archive component: UTF-16 to UTF-8 for everything handed to the
// engine or the file system, UTF-8 back for what comes from them, and the trim the
// component applies to file specs. Pure functions; any thread.
#ifndef QUIREFORGE_ARCHIVE_ARCHIVETEXT_H_
#define QUIREFORGE_ARCHIVE_ARCHIVETEXT_H_

#include <string>

namespace quireforge {

// Unpaired surrogates become U+FFFD.
std::string ToUtf8(const std::u16string& text);

// Malformed sequences become U+FFFD.
std::u16string FromUtf8(const std::string& text);

// Bytes that are valid UTF-8 are read as UTF-8, anything else as code page 437, the
// traditional encoding of ZIP entry names.
std::u16string FromZipName(const std::string& bytes, bool utf8_flag);

// Removes U+0000 to U+0020 at both ends.
std::u16string TrimBlanks(const std::u16string& text);

}  // namespace quireforge

#endif  // QUIREFORGE_ARCHIVE_ARCHIVETEXT_H_
