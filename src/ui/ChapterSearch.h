// The chapter search of the find-and-replace dialog, on the titles shown in the chapter
// list box. Whole-entry mode finds the first title equal to the find text apart from
// letter case; containment mode goes down from a start line to the first title holding the
// find text in exact letter case, without wrapping.
#ifndef QUIREFORGE_UI_CHAPTERSEARCH_H_
#define QUIREFORGE_UI_CHAPTERSEARCH_H_

#include <QString>
#include <QStringList>
#include <vector>

namespace quireforge {

// Whole-entry mode: the first line from the top that equals `find` ignoring letter case and
// is not marked in `skip` (lines already replaced in this run; may be shorter than `lines`).
// -1 when there is none.
int FindWholeEntry(const QStringList& lines, const QString& find, const std::vector<bool>& skip);

// Containment mode: the first line at or after `start` that contains `find` with exact
// letter case; an empty `find` is contained in no line. -1 when there is none.
int FindContaining(const QStringList& lines, const QString& find, int start);

}  // namespace quireforge

#endif  // QUIREFORGE_UI_CHAPTERSEARCH_H_
