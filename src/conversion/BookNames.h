// The names a book takes from its source file: the file name, its extension, the target
// path and the title derived from it, and the check that a book is never written over one
// of its own sources. Shared by the conversion job, the window and the command line so that
// all three derive the same names. Paths use '/'; free functions; any thread.
#ifndef QUIREFORGE_CONVERSION_BOOKNAMES_H_
#define QUIREFORGE_CONVERSION_BOOKNAMES_H_

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace quireforge {

// A target that must not be written; what() is the message for the user.
class BookNameError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The part of `path` after its last '/'.
std::u16string_view FileNamePart(std::u16string_view path);

// The last '.' of the file name and everything after it; empty when the name has none.
std::u16string_view ExtensionOf(std::u16string_view path);

// `path` with the final extension of its file name replaced by `new_extension` (kept in its
// own letter case), or with `new_extension` appended when the name has none. Folder names
// never change: "/books/a.txt.d/b.txt" gives "/books/a.txt.d/b.epub", "a.txt.txt" gives
// "a.txt.epub".
std::u16string DerivedTargetPath(std::u16string_view path, std::u16string_view new_extension);

// The file name with every occurrence of its extension removed, matching letter case exactly,
// leftmost first, without overlaps: "Vol.1.TXT" gives "Vol.1", "a.txt.txt" gives "a",
// "a.TXT.txt" gives "a.TXT". A name without extension is taken whole.
std::u16string DerivedTitle(std::u16string_view path);

// True when `a` and `b` name the same file: the same file reached through any link when both
// exist, else the same path once made absolute and resolved as far as it exists.
bool SameFile(std::u16string_view a, std::u16string_view b);

// Raises BookNameError ("Cannot create file "<target>". It is one of the source files.")
// when `target` names the same file as one of `sources`. Empty sources are passed over.
void RefuseTargetAmongSources(std::u16string_view target,
                              const std::vector<std::u16string>& sources);

}  // namespace quireforge

#endif  // QUIREFORGE_CONVERSION_BOOKNAMES_H_
