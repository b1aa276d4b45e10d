#include "ui/JobListView.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>

#include "ui/DesignSizes.h"
#include "ui/JobListModel.h"

namespace quireforge {

JobListView::JobListView(QWidget* parent) : QTreeView(parent) {
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  header()->setStretchLastSection(false);
  header()->setSectionsMovable(false);
  // Keep the selection visible when the list loses focus.
  QPalette colours = palette();
  colours.setBrush(QPalette::Inactive, QPalette::Highlight,
                   colours.brush(QPalette::Active, QPalette::Highlight));
  colours.setBrush(QPalette::Inactive, QPalette::HighlightedText,
                   colours.brush(QPalette::Active, QPalette::HighlightedText));
  setPalette(colours);
}

void JobListView::setModel(QAbstractItemModel* model) {
  QTreeView::setModel(model);
  if (model == nullptr) return;
  // Fitted as rows come and as the captions change, as the user left them otherwise.
  connect(model, &QAbstractItemModel::rowsInserted, this, &JobListView::FitColumns);
  connect(model, &QAbstractItemModel::headerDataChanged, this, &JobListView::FitColumns);
  connect(model, &QAbstractItemModel::modelReset, this, &JobListView::FitColumns);
  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &JobListView::SelectionChanged);
  connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
          &JobListView::SelectionChanged);
  FitColumns();
}

QList<int> JobListView::SelectedRows() const {
  QList<int> rows;
  if (selectionModel() == nullptr) return rows;
  for (const QModelIndex& index : selectionModel()->selectedRows()) rows.append(index.row());
  std::sort(rows.begin(), rows.end());
  return rows;
}

int JobListView::SelectedRow() const {
  const QList<int> rows = SelectedRows();
  return rows.isEmpty() ? -1 : rows.first();
}

void JobListView::SelectRow(int row) {
  if (model() == nullptr) return;
  const QModelIndex index = model()->index(row, 0);
  selectionModel()->setCurrentIndex(
      index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void JobListView::mouseReleaseEvent(QMouseEvent* event) {
  QTreeView::mouseReleaseEvent(event);
  emit Clicked();
}

void JobListView::mouseDoubleClickEvent(QMouseEvent* event) {
  QTreeView::mouseDoubleClickEvent(event);
  if (event->button() == Qt::LeftButton && indexAt(event->position().toPoint()).isValid()) {
    emit EditRequested();
  }
}

void JobListView::keyPressEvent(QKeyEvent* event) {
  if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
    if (event->key() == Qt::Key_Delete) {
      emit DeleteRequested();
      return;
    }
    if (event->key() == Qt::Key_F2) {
      emit EditRequested();
      return;
    }
  }
  QTreeView::keyPressEvent(event);
}

// Title and author fitted to their texts within their bounds; chapter count and tag fixed.
void JobListView::FitColumns() {
  if (model() == nullptr) return;
  resizeColumnToContents(JobListModel::kTitle);
  resizeColumnToContents(JobListModel::kAuthor);
  setColumnWidth(JobListModel::kTitle,
                 qMax(design::kTitleColumnMinimum, columnWidth(JobListModel::kTitle)));
  setColumnWidth(JobListModel::kAuthor,
                 qBound(design::kAuthorColumnMinimum, columnWidth(JobListModel::kAuthor),
                        design::kAuthorColumnMaximum));
  setColumnWidth(JobListModel::kChapters, design::kChaptersColumn);
  setColumnWidth(JobListModel::kTag, design::kTagColumn);
}

}  // namespace quireforge
