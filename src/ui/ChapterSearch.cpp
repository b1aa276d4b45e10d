#include "ui/ChapterSearch.h"

namespace quireforge {

int FindWholeEntry(const QStringList& lines, const QString& find, const std::vector<bool>& skip) {
  for (int i = 0; i < lines.size(); ++i) {
    if (i < static_cast<int>(skip.size()) && skip[i]) continue;
    if (lines[i].compare(find, Qt::CaseInsensitive) == 0) return i;
  }
  return -1;
}

int FindContaining(const QStringList& lines, const QString& find, int start) {
  if (find.isEmpty()) return -1;
  for (int i = start < 0 ? 0 : start; i < lines.size(); ++i) {
    if (lines[i].contains(find, Qt::CaseSensitive)) return i;
  }
  return -1;
}

}  // namespace quireforge
