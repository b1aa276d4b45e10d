#include "ui/JobListModel.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "conversion/BookNames.h"
#include "conversion/ConvertFile.h"
#include "ui/BookOptionControls.h"
#include "ui/SourceField.h"

namespace quireforge {

struct JobListModel::Row {
  std::unique_ptr<TConvertFile> job;
  QString source_text;
  State state = State::kPending;
  QString reason;
};

JobListModel::JobListModel(QObject* parent)
    : QAbstractTableModel(parent), texts_(TextsFor(InterfaceLanguage::kEnglish)) {}

// The jobs go with their rows.
JobListModel::~JobListModel() = default;

void JobListModel::SetTexts(const InterfaceTexts& texts) {
  texts_ = texts;
  emit headerDataChanged(Qt::Horizontal, 0, kColumnCount - 1);
  if (!rows_.empty()) emit dataChanged(index(0, 0), index(RowCount() - 1, kColumnCount - 1));
}

int JobListModel::Append(std::unique_ptr<TConvertFile> job, const QString& source_text) {
  const int row = RowCount();
  if (!job->StagingPath().empty()) staging_folders_.push_back(job->StagingPath());
  auto added = std::make_unique<Row>();
  added->job = std::move(job);
  added->source_text = source_text;
  beginInsertRows(QModelIndex(), row, row);
  rows_.push_back(std::move(added));
  endInsertRows();
  return row;
}

const JobListModel::Row& JobListModel::At(int row) const {
  if (row < 0 || row >= RowCount()) {
    throw std::out_of_range("No job row " + std::to_string(row) + ".");
  }
  return *rows_[static_cast<size_t>(row)];
}

TConvertFile& JobListModel::Job(int row) const { return *At(row).job; }

const QString& JobListModel::SourceText(int row) const { return At(row).source_text; }

JobListModel::State JobListModel::StateOf(int row) const { return At(row).state; }

const QString& JobListModel::Reason(int row) const { return At(row).reason; }

int JobListModel::RowOf(const TConvertFile* job) const {
  for (int row = 0; row < RowCount(); ++row) {
    if (rows_[static_cast<size_t>(row)]->job.get() == job) return row;
  }
  return -1;
}

bool JobListModel::HasPending() const { return !PendingRows().isEmpty(); }

bool JobListModel::HasPending(const QList<int>& rows) const {
  return std::any_of(rows.begin(), rows.end(), [this](int row) { return IsPending(row); });
}

QList<int> JobListModel::PendingRows() const {
  QList<int> pending;
  for (int row = 0; row < RowCount(); ++row) {
    if (IsPending(row)) pending.append(row);
  }
  return pending;
}

void JobListModel::SetState(int row, State state, const QString& reason) {
  At(row);
  Row& changed = *rows_[static_cast<size_t>(row)];
  changed.state = state;
  changed.reason = state == State::kFailed ? reason : QString();
  emit dataChanged(index(row, 0), index(row, kColumnCount - 1));
}

void JobListModel::Rename(int row, const QString& target, const QString& title,
                          const QString& author) {
  if (!IsPending(row)) throw std::logic_error("A finished book keeps its names.");
  TConvertFile& job = Job(row);
  std::vector<std::u16string> sources;
  for (const QString& path : ParseSourceField(SourceText(row))) {
    sources.push_back(path.toStdU16String());
  }
  RefuseTargetAmongSources(target.toStdU16String(), sources);
  RefuseTargetAsFont(target.toStdU16String(), job.Options().font);
  job.Rename(target.toStdU16String(), title.toStdU16String(), author.toStdU16String());
  emit dataChanged(index(row, kTitle), index(row, kColumnCount - 1));
}

void JobListModel::ChaptersChanged(int row) {
  At(row);
  emit dataChanged(index(row, kChapters), index(row, kChapters));
}

void JobListModel::RemoveRows(QList<int> rows) {
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  for (int row : rows) At(row);
  // From the last, so that the rows still to go keep their numbers.
  for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
    beginRemoveRows(QModelIndex(), *it, *it);
    rows_.erase(rows_.begin() + *it);
    endRemoveRows();
  }
}

void JobListModel::Clear() {
  if (rows_.empty()) return;
  beginResetModel();
  rows_.clear();
  endResetModel();
}

int JobListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : RowCount();
}

int JobListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

QString JobListModel::Mark(State state) const {
  switch (state) {
    case State::kPending:
      break;
    case State::kDone:
      return texts_.done_mark;
    case State::kFailed:
      return texts_.failed_mark;
    case State::kCancelled:
      return texts_.cancelled_mark;
  }
  return QString();
}

// The failure's reason over the book options the job was made with.
QString JobListModel::ToolTip(const Row& row) const {
  QStringList tip;
  if (!row.reason.isEmpty()) tip.append(row.reason);
  if (const QString options = OptionsSummary(row.job->Options(), texts_); !options.isEmpty()) {
    tip.append(options);
  }
  return tip.join(QLatin1Char('\n'));
}

QVariant JobListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= RowCount()) return QVariant();
  const Row& row = *rows_[static_cast<size_t>(index.row())];
  switch (role) {
    case Qt::DisplayRole:
      switch (index.column()) {
        case kTitle:
          return QString::fromStdU16String(row.job->Title());
        case kAuthor:
          return QString::fromStdU16String(row.job->Author());
        case kChapters:
          return QString::number(row.job->ChapterCount());
        case kTag:
          return Mark(row.state);
        default:
          return QVariant();
      }
    case Qt::ToolTipRole:
      return ToolTip(row);
    case Qt::TextAlignmentRole:
      if (index.column() == kChapters || index.column() == kTag) {
        return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
      }
      return QVariant();
    default:
      return QVariant();
  }
}

QVariant JobListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount) return QVariant();
  if (role == Qt::DisplayRole) return texts_.job_columns.value(section);
  if (role == Qt::TextAlignmentRole && (section == kChapters || section == kTag)) {
    return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
  }
  return QVariant();
}

}  // namespace quireforge
