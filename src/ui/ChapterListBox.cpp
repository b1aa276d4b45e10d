#include "ui/ChapterListBox.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace quireforge {

namespace {

// Fills the row with its background and draws the title on one line, vertically centred,
// 2 pixels from the leading edge, without accelerator processing.
class ChapterLineDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette::ColorGroup group =
        option.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
    painter->save();
    painter->fillRect(option.rect,
                      option.palette.brush(group, selected ? QPalette::Highlight : QPalette::Base));
    painter->setPen(
        option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    painter->setFont(option.font);
    const bool rtl = option.direction == Qt::RightToLeft;
    const QRect text_rect = option.rect.adjusted(2, 0, -2, 0);
    painter->drawText(
        text_rect, Qt::AlignVCenter | Qt::TextSingleLine | (rtl ? Qt::AlignRight : Qt::AlignLeft),
        index.data(Qt::DisplayRole).toString());
    painter->restore();
  }

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
    return QSize(option.rect.width(), ChapterListBox::kRowHeight);
  }
};

}  // namespace

ChapterListBox::ChapterListBox(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::SingleSelection);
  setUniformItemSizes(true);
  setItemDelegate(new ChapterLineDelegate(this));
  setDragEnabled(false);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

int ChapterListBox::SelectedLine() const {
  const QList<QListWidgetItem*> selected = selectedItems();
  return selected.isEmpty() ? -1 : row(selected.first());
}

void ChapterListBox::SelectLine(int line) {
  if (line < 0 || line >= count()) {
    clearSelection();
    return;
  }
  setCurrentRow(line, QItemSelectionModel::ClearAndSelect);
}

int ChapterListBox::LineAt(const QPoint& point) const {
  if (!viewport()->rect().contains(point)) return -1;
  const QModelIndex index = indexAt(point);
  return index.isValid() ? index.row() : -1;
}

void ChapterListBox::mousePressEvent(QMouseEvent* event) {
  QListWidget::mousePressEvent(event);
  button_held_ = true;
  dragging_ = false;
  press_point_ = event->position().toPoint();
  emit Clicked();
  emit MouseDown(LineAt(press_point_));
}

void ChapterListBox::mouseMoveEvent(QMouseEvent* event) {
  if (!button_held_ || event->buttons() == Qt::NoButton) {
    QListWidget::mouseMoveEvent(event);
    return;
  }
  // While a button is held the move belongs to the drag, not to the view's own selection.
  const QPoint point = event->position().toPoint();
  if (!dragging_ && (qAbs(point.x() - press_point_.x()) >= kDragThreshold ||
                     qAbs(point.y() - press_point_.y()) >= kDragThreshold)) {
    dragging_ = true;
  }
  if (dragging_ && viewport()->rect().contains(point)) emit DragOver(LineAt(point));
}

void ChapterListBox::mouseReleaseEvent(QMouseEvent* event) {
  const bool was_dragging = dragging_;
  button_held_ = false;
  dragging_ = false;
  if (was_dragging) {
    event->accept();
    return;
  }
  QListWidget::mouseReleaseEvent(event);
}

void ChapterListBox::keyPressEvent(QKeyEvent* event) {
  const int before = SelectedLine();
  QListWidget::keyPressEvent(event);
  if (SelectedLine() != before) emit Clicked();
}

}  // namespace quireforge
