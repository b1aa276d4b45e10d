#include "ui/ChapterListBox.h"

#include <QFontMetrics>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTextDocument>
#include <QTimer>
#include <QToolTip>

namespace quireforge {

namespace {

// Fills the row with its background and draws the title on one line, vertically centred,
// kTitleInset pixels from the leading edge, without accelerator processing.
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
    const int inset = ChapterListBox::kTitleInset;
    const QRect text_rect = option.rect.adjusted(inset, 0, -inset, 0);
    painter->drawText(
        text_rect, Qt::AlignVCenter | Qt::TextSingleLine | (rtl ? Qt::AlignRight : Qt::AlignLeft),
        index.data(Qt::DisplayRole).toString());
    painter->restore();
  }

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
    return QSize(option.rect.width(), ChapterListBox::kRowHeight);
  }

  // A title wider than its line shows whole, as plain text, in a tooltip.
  bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                 const QModelIndex& index) override {
    if (event == nullptr || event->type() != QEvent::ToolTip) {
      return QStyledItemDelegate::helpEvent(event, view, option, index);
    }
    const QString title = index.data(Qt::DisplayRole).toString();
    const int room = option.rect.width() - 2 * ChapterListBox::kTitleInset;
    if (QFontMetrics(option.font).horizontalAdvance(title) <= room) {
      QToolTip::hideText();
      event->ignore();
      return false;
    }
    QToolTip::showText(event->globalPos(), Qt::convertFromPlainText(title, Qt::WhiteSpaceNormal),
                       view->viewport(), option.rect);
    return true;
  }
};

}  // namespace

ChapterListBox::ChapterListBox(QWidget* parent)
    : QListView(parent), scroll_timer_(new QTimer(this)) {
  scroll_timer_->setInterval(kScrollInterval);
  connect(scroll_timer_, &QTimer::timeout, this, &ChapterListBox::ScrollStep);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setUniformItemSizes(true);
  setItemDelegate(new ChapterLineDelegate(this));
  setDragEnabled(false);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

int ChapterListBox::LineCount() const { return model() == nullptr ? 0 : model()->rowCount(); }

int ChapterListBox::SelectedLine() const {
  if (selectionModel() == nullptr) return -1;
  const QModelIndexList selected = selectionModel()->selectedIndexes();
  return selected.isEmpty() ? -1 : selected.first().row();
}

void ChapterListBox::SelectLine(int line) {
  if (line < 0 || line >= LineCount()) {
    clearSelection();
    return;
  }
  const QModelIndex index = model()->index(line, 0);
  selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
  // A moved line takes the current index along, so the view may see no change of the
  // current line and not scroll by itself.
  scrollTo(index);
}

int ChapterListBox::LineAt(const QPoint& point) const {
  if (!viewport()->rect().contains(point)) return -1;
  const QModelIndex index = indexAt(point);
  return index.isValid() ? index.row() : -1;
}

void ChapterListBox::mousePressEvent(QMouseEvent* event) {
  QListView::mousePressEvent(event);
  button_held_ = true;
  dragging_ = false;
  press_point_ = event->position().toPoint();
  drag_line_ = LineAt(press_point_);
  emit Clicked();
}

void ChapterListBox::mouseMoveEvent(QMouseEvent* event) {
  if (!button_held_ || event->buttons() == Qt::NoButton) {
    StopDrag();
    QListView::mouseMoveEvent(event);
    return;
  }
  // While a button is held the move belongs to the drag, not to the view's own selection.
  const QPoint point = event->position().toPoint();
  if (!dragging_ && (qAbs(point.x() - press_point_.x()) >= kDragThreshold ||
                     qAbs(point.y() - press_point_.y()) >= kDragThreshold)) {
    dragging_ = true;
  }
  if (!dragging_) return;
  drag_point_ = point;
  if (viewport()->rect().contains(point)) DragTo(LineAt(point));
  if (EdgeDirection(point) == 0) {
    scroll_timer_->stop();
  } else if (!scroll_timer_->isActive()) {
    scroll_timer_->start();
  }
}

void ChapterListBox::mouseReleaseEvent(QMouseEvent* event) {
  const bool was_dragging = dragging_;
  button_held_ = false;
  StopDrag();
  if (was_dragging) {
    event->accept();
    return;
  }
  QListView::mouseReleaseEvent(event);
}

void ChapterListBox::mouseDoubleClickEvent(QMouseEvent* event) {
  QListView::mouseDoubleClickEvent(event);
  if (event->button() == Qt::LeftButton && LineAt(event->position().toPoint()) >= 0) {
    emit EditRequested();
  }
}

void ChapterListBox::keyPressEvent(QKeyEvent* event) {
  if ((event->key() == Qt::Key_Delete || event->key() == Qt::Key_F2) &&
      event->modifiers() == Qt::NoModifier) {
    event->accept();
    if (SelectedLine() < 0) return;
    if (event->key() == Qt::Key_Delete) {
      emit DeleteRequested();
    } else {
      emit EditRequested();
    }
    return;
  }
  const int before = SelectedLine();
  QListView::keyPressEvent(event);
  if (SelectedLine() != before) emit Clicked();
}

int ChapterListBox::EdgeDirection(const QPoint& point) const {
  const QRect area = viewport()->rect();
  if (point.x() < area.left() || point.x() > area.right()) return 0;
  if (point.y() < area.top() + kRowHeight) return -1;
  if (point.y() > area.bottom() - kRowHeight) return 1;
  return 0;
}

void ChapterListBox::ScrollStep() {
  const int direction = dragging_ ? EdgeDirection(drag_point_) : 0;
  if (direction == 0) {
    scroll_timer_->stop();
    return;
  }
  QScrollBar* bar = verticalScrollBar();
  const int before = bar->value();
  bar->setValue(before + direction * bar->singleStep());
  if (bar->value() == before) return;  // at the end already
  // The line now under the mouse (kept inside the list when the mouse is beyond its edge).
  const QRect area = viewport()->rect();
  const QPoint inside(drag_point_.x(), qBound(area.top(), drag_point_.y(), area.bottom()));
  DragTo(LineAt(inside));
}

void ChapterListBox::DragTo(int line) {
  if (drag_line_ < 0 || drag_line_ >= LineCount() || line < 0 || line >= LineCount()) return;
  emit DragOver(drag_line_, line);
  // The dragged entry is at `line` now (or nothing moves at all: a list that is read only).
  drag_line_ = line;
}

void ChapterListBox::StopDrag() {
  dragging_ = false;
  scroll_timer_->stop();
}

}  // namespace quireforge
