// The paths of one command-line book: every path made absolute before use, the default
// target and title derived from the first source as the window derives them, and the
// refusal of a target that is one of the sources. Free functions on UTF-8 paths; only
// SameFile and RefuseTargetAmongSources look at the file system. Any thread.
#ifndef QUIREFORGE_CLI_BOOKPATHS_H_
#define QUIREFORGE_CLI_BOOKPATHS_H_

#include <stdexcept>
#include <string>
#include <vector>

namespace quireforge {

// A path the command line cannot use; what() is the message for the user.
class BookPathError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// `path` made absolute against the current folder, with "." components dropped (".." is
// kept: it may cross a symbolic link). Raises BookPathError when `path` is empty, is not
// valid UTF-8, or the current folder cannot be read.
std::string AbsolutePath(const std::string& path);

// `source` with the final extension of its file name replaced by ".epub", or ".epub"
// appended when the name has none (a leading "." does not start an extension): "a.txt.txt"
// gives "a.txt.epub", "/books/a.txt.d/b" gives "/books/a.txt.d/b.epub".
std::string DerivedTargetPath(const std::string& source);

// The file name of `source` with every occurrence of its extension removed, exact case
// ("a.txt.txt" gives "a"); the whole file name when that leaves nothing.
std::string DerivedTitle(const std::string& source);

// True when `a` and `b` name the same file: the same file reached through any link when
// both exist, else the same path once resolved as far as it exists.
bool SameFile(const std::string& a, const std::string& b);

// Raises BookPathError ("Cannot create file "<target>". It is one of the source files.")
// when `target` names the same file as one of `sources`.
void RefuseTargetAmongSources(const std::string& target, const std::vector<std::string>& sources);

}  // namespace quireforge

#endif  // QUIREFORGE_CLI_BOOKPATHS_H_
