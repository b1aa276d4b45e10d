// The target path and the book title that the main window derives from a picked or dropped
// source path. Free functions on '/'-separated paths; nothing touches the file system.
#ifndef QUIREFORGE_UI_DERIVEDNAMES_H_
#define QUIREFORGE_UI_DERIVEDNAMES_H_

#include <QString>

namespace quireforge {

// The part after the last '/'.
QString FileNamePart(const QString& path);

// The last '.' of the file name and everything after it; empty when the name has none.
QString ExtensionOf(const QString& path);

// `path` with its final extension replaced by `new_extension` (kept in its own letter case),
// or with `new_extension` appended when the file name has no extension. Folder names are
// never changed: "/books/a.txt.d/b.txt" gives "/books/a.txt.d/b.epub".
QString DerivedTargetPath(const QString& path, const QString& new_extension);

// The file name with every occurrence of its extension removed (exact letter case):
// "a.txt.txt" gives "a".
QString DerivedTitle(const QString& path);

}  // namespace quireforge

#endif  // QUIREFORGE_UI_DERIVEDNAMES_H_
