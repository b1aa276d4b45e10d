#include "ui/JobListView.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QSignalBlocker>

#include "conversion/ConvertFile.h"
#include "ui/DesignSizes.h"
#include "ui/JobListItem.h"

namespace quireforge {

JobListView::JobListView(QWidget* parent) : QTreeWidget(parent) {
  setColumnCount(4);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  header()->setStretchLastSection(false);
  header()->setSectionsMovable(false);
  headerItem()->setTextAlignment(JobListItem::kChapters, Qt::AlignCenter);
  headerItem()->setTextAlignment(JobListItem::kTag, Qt::AlignCenter);
  // Keep the selection visible when the list loses focus.
  QPalette colours = palette();
  colours.setBrush(QPalette::Inactive, QPalette::Highlight,
                   colours.brush(QPalette::Active, QPalette::Highlight));
  colours.setBrush(QPalette::Inactive, QPalette::HighlightedText,
                   colours.brush(QPalette::Active, QPalette::HighlightedText));
  setPalette(colours);
  FitColumns();
}

void JobListView::SetColumnCaptions(const QStringList& captions) {
  setHeaderLabels(captions);
  headerItem()->setTextAlignment(JobListItem::kChapters, Qt::AlignCenter);
  headerItem()->setTextAlignment(JobListItem::kTag, Qt::AlignCenter);
  FitColumns();
}

JobListItem* JobListView::AppendRow(const QString& title, const QString& author,
                                    std::unique_ptr<TConvertFile> job) {
  auto* row = new JobListItem(title, author, std::move(job));
  addTopLevelItem(row);
  FitColumns();
  return row;
}

JobListItem* JobListView::Row(int index) const {
  return static_cast<JobListItem*>(topLevelItem(index));
}

bool JobListView::HasPendingRow() const {
  for (int i = 0; i < topLevelItemCount(); ++i) {
    if (Row(i)->IsPending()) return true;
  }
  return false;
}

bool JobListView::HasPendingSelectedRow() const {
  for (int i = 0; i < topLevelItemCount(); ++i) {
    if (Row(i)->isSelected() && Row(i)->IsPending()) return true;
  }
  return false;
}

void JobListView::RelabelRows(const InterfaceTexts& texts) {
  for (int i = 0; i < topLevelItemCount(); ++i) Row(i)->Relabel(texts);
}

JobListItem* JobListView::SelectedRow() const {
  for (int i = 0; i < topLevelItemCount(); ++i) {
    if (topLevelItem(i)->isSelected()) return Row(i);
  }
  return nullptr;
}

bool JobListView::DeleteSelectedRows() {
  const QSignalBlocker quiet(this);
  const QList<QTreeWidgetItem*> selected = selectedItems();
  for (QTreeWidgetItem* row : selected) delete row;
  return !selected.isEmpty();
}

void JobListView::DeleteAllRows() {
  const QSignalBlocker quiet(this);
  while (topLevelItemCount() > 0) delete takeTopLevelItem(topLevelItemCount() - 1);
}

void JobListView::mouseReleaseEvent(QMouseEvent* event) {
  QTreeWidget::mouseReleaseEvent(event);
  emit Clicked();
}

void JobListView::mouseDoubleClickEvent(QMouseEvent* event) {
  QTreeWidget::mouseDoubleClickEvent(event);
  if (event->button() == Qt::LeftButton && itemAt(event->position().toPoint()) != nullptr) {
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
  QTreeWidget::keyPressEvent(event);
}

// Title and author fitted to their texts within their bounds; chapter count and tag fixed.
void JobListView::FitColumns() {
  resizeColumnToContents(JobListItem::kTitle);
  resizeColumnToContents(JobListItem::kAuthor);
  setColumnWidth(JobListItem::kTitle,
                 qMax(design::kTitleColumnMinimum, columnWidth(JobListItem::kTitle)));
  setColumnWidth(JobListItem::kAuthor,
                 qBound(design::kAuthorColumnMinimum, columnWidth(JobListItem::kAuthor),
                        design::kAuthorColumnMaximum));
  setColumnWidth(JobListItem::kChapters, design::kChaptersColumn);
  setColumnWidth(JobListItem::kTag, design::kTagColumn);
}

}  // namespace quireforge
