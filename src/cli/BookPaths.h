// The paths of one command-line book: every path made absolute before use, and the default
// target, title and author derived from the first source as the window derives them. Free
// functions on UTF-8 paths; any thread.
#ifndef QUIREFORGE_CLI_BOOKPATHS_H_
#define QUIREFORGE_CLI_BOOKPATHS_H_

#include <string>

#include "conversion/BookNames.h"

namespace quireforge {

class CodePageChoice;

// A path the command line cannot use; what() is the message for the user.
using BookPathError = BookNameError;

// `path` made absolute against the current folder, with "." components dropped (".." is
// kept: it may cross a symbolic link). Raises BookPathError when `path` is empty or the
// current folder cannot be read. A path need not be UTF-8 (a name from an old archive):
// FromUtf8Escaped carries its bytes through UTF-16.
std::string AbsolutePath(const std::string& path);

// The default target: `source` with its final extension replaced by ".epub", or ".epub"
// appended when the file name has none, as the window derives it.
std::string DefaultTargetPath(const std::string& source);

// The default title, derived from the file name as the window derives it (a title in 《》, the
// part before "作者：", else the name without extension); the whole file name when that
// derivation leaves nothing (a file named ".txt"). A name that is not UTF-8 is read as
// NamesFromSource reads it: in the code page of the source's text, else in GB18030, else shown
// escaped.
std::string DefaultTitle(const std::string& source, const CodePageChoice& code_pages);

// The default author: the one the file name (read as for the title) names after "作者" and
// its mark; empty for none.
std::string DefaultAuthor(const std::string& source, const CodePageChoice& code_pages);

}  // namespace quireforge

#endif  // QUIREFORGE_CLI_BOOKPATHS_H_
