#include "ui/ChapterListModel.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "conversion/ConvertFile.h"

namespace quireforge {

ChapterListModel::ChapterListModel(QObject* parent) : QAbstractListModel(parent) {}

void ChapterListModel::SetJob(TConvertFile* job) {
  beginResetModel();
  job_ = job;
  endResetModel();
}

int ChapterListModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid() || job_ == nullptr) return 0;
  return job_->ChapterCount();
}

QVariant ChapterListModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole && role != Qt::EditRole) return QVariant();
  if (!index.isValid() || index.parent().isValid() || index.column() != 0) return QVariant();
  if (index.row() >= rowCount()) return QVariant();
  return Title(index.row());
}

QString ChapterListModel::Title(int line) const {
  // Checked first: without a job there is no job_ to call on.
  const int checked = Checked(line);
  return QString::fromStdU16String(job_->ChapterTitle(checked));
}

QStringList ChapterListModel::Titles() const {
  QStringList titles;
  for (int line = 0; line < rowCount(); ++line) titles.append(Title(line));
  return titles;
}

void ChapterListModel::SetTitle(int line, const QString& title) {
  const int checked = Checked(line);
  job_->SetChapterTitle(checked, title.toStdU16String());
  const QModelIndex changed = index(line);
  emit dataChanged(changed, changed, {Qt::DisplayRole, Qt::EditRole});
}

void ChapterListModel::RemoveChapter(int line) {
  Checked(line);
  beginRemoveRows(QModelIndex(), line, line);
  job_->DeleteChapter(line);
  endRemoveRows();
}

void ChapterListModel::MoveChapter(int from, int to) {
  Checked(from);
  Checked(to);
  if (from == to) return;
  // The moved range is read before anything changes, so that writing it back cannot fail
  // half-way: the views are told of the move only together with it.
  const int first = std::min(from, to);
  const int last = std::max(from, to);
  std::vector<std::u16string> entries;
  entries.reserve(static_cast<size_t>(last - first + 1));
  for (int line = first; line <= last; ++line) entries.push_back(job_->ChapterEntry(line));
  if (from < to) {
    std::rotate(entries.begin(), entries.begin() + 1, entries.end());
  } else {
    std::rotate(entries.rbegin(), entries.rbegin() + 1, entries.rend());
  }
  // Qt names the destination as the row before which the moved row lands, counted before
  // the move.
  beginMoveRows(QModelIndex(), from, from, QModelIndex(), from < to ? to + 1 : to);
  for (int line = first; line <= last; ++line) {
    job_->SetChapterEntry(line, std::move(entries[static_cast<size_t>(line - first)]));
  }
  endMoveRows();
}

int ChapterListModel::Checked(int line) const {
  if (line < 0 || line >= rowCount()) {
    throw std::out_of_range("List index out of bounds (" + std::to_string(line) + ")");
  }
  return line;
}

}  // namespace quireforge
