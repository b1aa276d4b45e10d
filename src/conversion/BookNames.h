// The names a book takes from its source file: the file name, its extension, the target
// path, the title (and an author) derived from it, and the checks that a book is never
// written over one of its own sources or its font. Shared by the conversion job, the window
// and the command line so that all three derive the same names. Paths use '/'; free
// functions; any thread.
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
// own letter case), or with `new_extension` appended when the name has none or is all
// extension (".hidden" gives ".hidden.epub"). Folder names
// never change: "/books/a.txt.d/b.txt" gives "/books/a.txt.d/b.epub", "a.txt.txt" gives
// "a.txt.epub".
std::u16string DerivedTargetPath(std::u16string_view path, std::u16string_view new_extension);

// The file name with every occurrence of its extension removed, matching letter case exactly,
// leftmost first, without overlaps: "Vol.1.TXT" gives "Vol.1", "a.txt.txt" gives "a",
// "a.TXT.txt" gives "a.TXT". A name without extension is taken whole.
std::u16string DerivedTitle(std::u16string_view path);

// The title and author a book takes from its source's file name.
struct TitleAndAuthor {
  std::u16string title;
  std::u16string author;  // empty when the name names none
};

// Title and author from the file name of `path`, read from the name as DerivedTitle leaves it
// (blanks are those of base/StringOps.h):
//  - "《T》..." : the title is T, trimmed. When the text after "》" holds "作者", optional
//    blanks and one of "：", ":" or "_", the author is everything after that mark, trimmed;
//    whatever stands between "》" and "作者" is dropped ("《希灵帝国》（校对版全本）作者：远瞳").
//  - a name without a leading "《" that holds "作者", optional blanks and "：" or ":": the
//    title is the part before "作者", the author the part after the mark, both trimmed
//    ("斗破苍穹 作者：天蚕土豆").
//  - every other name, and a name where these rules would leave an empty title: the title is
//    DerivedTitle's, and there is no author ("李敖《北京法源寺》"); the whole file name when
//    that is empty too (".txt").
TitleAndAuthor TitleAndAuthorFromFileName(std::u16string_view path);

// `path` made absolute against the current folder, with "." components dropped (".." is
// kept: it may cross a symbolic link). Raises BookNameError when `path` is empty or the
// current folder cannot be read.
std::u16string AbsolutePath(std::u16string_view path);

// True when `a` and `b` name the same file: the same file reached through any link when both
// exist, else the same path once made absolute and resolved as far as it exists.
bool SameFile(std::u16string_view a, std::u16string_view b);

// Raises BookNameError ("Cannot create file "<target>". It is one of the source files.")
// when `target` names the same file as one of `sources`. Empty sources are passed over.
void RefuseTargetAmongSources(std::u16string_view target,
                              const std::vector<std::u16string>& sources);

// Raises BookNameError ("Cannot create file "<target>". It is the font file.") when `target`
// names the same file as `font`, which finishing copies into the book before the book is
// written; nothing when `font` is empty.
void RefuseTargetAsFont(std::u16string_view target, std::u16string_view font);

}  // namespace quireforge

#endif  // QUIREFORGE_CONVERSION_BOOKNAMES_H_
