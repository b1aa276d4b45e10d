// The source field of the main window holds one path, or several as a comma-delimited list
// in which a path with blanks, commas or quotes stands in double quotes. These free
// functions read that text into the list of sources and write paths back into it.
#ifndef QUIREFORGE_UI_SOURCEFIELD_H_
#define QUIREFORGE_UI_SOURCEFIELD_H_

#include <QString>
#include <QStringList>

namespace quireforge {

// A text without a comma is the only source, read as PastedPath reads it (one path exactly as
// QuoteSourcePath quotes it reads back as that path). Otherwise it is read as a delimited
// list: blanks and control characters separate items as commas do, "..." quotes an item (two
// quotes in a row stand for one), a trailing comma adds one empty item, and an item that is
// a file:// URL is its local path.
QStringList ParseSourceField(const QString& text);

// A path as users paste it: without the blanks around it, without one pair of quotes (double
// or single) around it, and a file:// URL as the local path it names (percent codes decoded).
QString PastedPath(const QString& text);

// `path` in double quotes, inner quotes doubled, when `always` is set or when it holds a
// blank, a control character, a comma or a double quote; otherwise `path` as it is.
QString QuoteSourcePath(const QString& path, bool always);

// Several paths as the source dialog writes them: joined with "," and no blanks, each
// quoted only when it needs to be.
QString JoinSourcePaths(const QStringList& paths);

}  // namespace quireforge

#endif  // QUIREFORGE_UI_SOURCEFIELD_H_
