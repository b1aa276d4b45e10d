// The paths of one command-line book: every path made absolute before use, and the default
// target and title derived from the first source as the window derives them. Free
// functions on UTF-8 paths; any thread.
#ifndef QUIREFORGE_CLI_BOOKPATHS_H_
#define QUIREFORGE_CLI_BOOKPATHS_H_

#include <string>

#include "conversion/BookNames.h"

namespace quireforge {

// A path the command line cannot use; what() is the message for the user.
using BookPathError = BookNameError;

// `path` made absolute against the current folder, with "." components dropped (".." is
// kept: it may cross a symbolic link). Raises BookPathError when `path` is empty, is not
// valid UTF-8, or the current folder cannot be read.
std::string AbsolutePath(const std::string& path);

// The default target: `source` with its final extension replaced by ".epub", or ".epub"
// appended when the file name has none, as the window derives it.
std::string DefaultTargetPath(const std::string& source);

// The default title, derived as the window derives it; the whole file name when that
// derivation leaves nothing (a file named ".txt").
std::string DefaultTitle(const std::string& source);

}  // namespace quireforge

#endif  // QUIREFORGE_CLI_BOOKPATHS_H_
