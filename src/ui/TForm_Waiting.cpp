#include "ui/TForm_Waiting.h"

#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QWindow>
#include <algorithm>

#include "ui/DesignSizes.h"
#include "ui/InterfaceFonts.h"
#include "ui/InterfaceLanguage.h"

namespace quireforge {

TForm_Waiting::TForm_Waiting(QWidget* main_window)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), main_window_(main_window) {
  setObjectName(QStringLiteral("Form_Waiting"));
  // A passive window: showing it never takes the keyboard focus from the main window.
  setAttribute(Qt::WA_ShowWithoutActivating);
  setWindowFlag(Qt::WindowDoesNotAcceptFocus);
  setFixedSize(design::kWaitingWindow);
  setFont(DesignFont());
  setBackgroundRole(QPalette::Button);
  setAutoFillBackground(true);

  Panel_Waiting = new QFrame(this);
  Panel_Waiting->setObjectName(QStringLiteral("Panel_Waiting"));
  Panel_Waiting->setFrameStyle(QFrame::Panel | QFrame::Raised);
  Panel_Waiting->setLineWidth(1);
  Panel_Waiting->setGeometry(QRect(QPoint(0, 0), design::kWaitingWindow));

  panel_label_ = new QLabel(TextsFor(InterfaceLanguage::kEnglish).waiting_panel, Panel_Waiting);
  panel_label_->setAlignment(Qt::AlignCenter);
  panel_label_->setGeometry(QRect(QPoint(0, 0), design::kWaitingWindow)
                                .adjusted(design::kWaitingBevel, design::kWaitingBevel,
                                          -design::kWaitingBevel, -design::kWaitingBevel));
  panel_label_->setTextFormat(Qt::PlainText);

  ProgressBar_Waiting = new QProgressBar(Panel_Waiting);
  ProgressBar_Waiting->setObjectName(QStringLiteral("ProgressBar_Waiting"));
  ProgressBar_Waiting->setGeometry(QRect(design::kWaitingBarPosition, design::kWaitingBar));
  ProgressBar_Waiting->setRange(0, 100);
  ProgressBar_Waiting->setValue(0);
  ProgressBar_Waiting->setTextVisible(false);
  ProgressBar_Waiting->hide();

  // The book line above the bar and Cancel under it, shown while Start packs books.
  Label_Book = new QLabel(Panel_Waiting);
  Label_Book->setObjectName(QStringLiteral("Label_Book"));
  Label_Book->setTextFormat(Qt::PlainText);
  Label_Book->setAlignment(Qt::AlignCenter);
  Label_Book->setGeometry(QRect(design::kWaitingBookPosition, design::kWaitingBook));
  Label_Book->hide();
  Button_Cancel = new QPushButton(Panel_Waiting);
  Button_Cancel->setObjectName(QStringLiteral("Button_Cancel"));
  Button_Cancel->setGeometry(QRect(design::kWaitingCancelPosition, design::kWaitingCancel));
  Button_Cancel->hide();
  connect(Button_Cancel, &QPushButton::clicked, this, &TForm_Waiting::CancelRequested);
  book_labels_.push_back(Label_Book);
  book_bars_.push_back(ProgressBar_Waiting);
}

void TForm_Waiting::SetBookLineCount(int count) {
  count = std::max(count, 1);
  for (int line = BookLineCount(); line < count; ++line) {
    const QPoint down(0, line * design::kWaitingBookLineStep);
    auto* label = new QLabel(Panel_Waiting);
    label->setObjectName(QStringLiteral("Label_Book%1").arg(line + 1));
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignCenter);
    label->setGeometry(QRect(design::kWaitingBookPosition + down, design::kWaitingBook));
    auto* bar = new QProgressBar(Panel_Waiting);
    bar->setObjectName(QStringLiteral("ProgressBar_Waiting%1").arg(line + 1));
    bar->setGeometry(QRect(design::kWaitingBarPosition + down, design::kWaitingBar));
    bar->setTextVisible(false);
    bar->hide();
    book_labels_.push_back(label);
    book_bars_.push_back(bar);
  }
  while (BookLineCount() > count) {
    delete book_labels_.back();
    delete book_bars_.back();
    book_labels_.pop_back();
    book_bars_.pop_back();
  }
  for (int line = 1; line < count; ++line) {
    book_labels_[static_cast<size_t>(line)]->setVisible(cancellable_);
  }
  const QPoint down(0, (count - 1) * design::kWaitingBookLineStep);
  const QSize size(design::kWaitingWindow.width(), design::kWaitingWindow.height() + down.y());
  setFixedSize(size);
  Panel_Waiting->setGeometry(QRect(QPoint(0, 0), size));
  Button_Cancel->setGeometry(QRect(design::kWaitingCancelPosition + down, design::kWaitingCancel));
  if (!cancellable_) {
    panel_label_->setGeometry(QRect(QPoint(0, 0), size)
                                  .adjusted(design::kWaitingBevel, design::kWaitingBevel,
                                            -design::kWaitingBevel, -design::kWaitingBevel));
  }
}

void TForm_Waiting::SetBookLine(int line, const QString& text, int steps) {
  if (line < 0 || line >= BookLineCount()) return;
  book_labels_[static_cast<size_t>(line)]->setText(text);
  QProgressBar* bar = book_bars_[static_cast<size_t>(line)];
  if (text.isEmpty()) {
    bar->hide();
    return;
  }
  bar->setRange(0, steps);
  bar->setValue(0);
  bar->show();
}

QString TForm_Waiting::BookLineText(int line) const {
  if (line < 0 || line >= BookLineCount()) return QString();
  return book_labels_[static_cast<size_t>(line)]->text();
}

QProgressBar* TForm_Waiting::BookBar(int line) const {
  if (line < 0 || line >= BookLineCount()) return nullptr;
  return book_bars_[static_cast<size_t>(line)];
}

void TForm_Waiting::SetCancellable(bool cancellable, const QString& cancel_caption) {
  cancellable_ = cancellable;
  // Only a cancellable window takes the focus (for Esc); otherwise it never takes it from
  // the main window.
  setAttribute(Qt::WA_ShowWithoutActivating, !cancellable);
  setWindowFlag(Qt::WindowDoesNotAcceptFocus, !cancellable);
  // The panel text moves up to make room for the book line.
  const QRect whole = QRect(QPoint(0, 0), design::kWaitingWindow)
                          .adjusted(design::kWaitingBevel, design::kWaitingBevel,
                                    -design::kWaitingBevel, -design::kWaitingBevel);
  panel_label_->setGeometry(cancellable ? QRect(whole.left(), design::kWaitingPanelTextTop,
                                                whole.width(), design::kWaitingPanelTextHeight)
                                        : whole);
  Button_Cancel->setText(cancel_caption);
  Button_Cancel->setEnabled(true);
  Button_Cancel->setVisible(cancellable);
  for (QLabel* label : book_labels_) {
    label->setVisible(cancellable);
    if (!cancellable) label->clear();
  }
  // Leaving the mode leaves one line: the window is as it always was.
  if (!cancellable) {
    for (size_t line = 1; line < book_bars_.size(); ++line) book_bars_[line]->hide();
    SetBookLineCount(1);
  }
}

void TForm_Waiting::SetBookText(const QString& text) { Label_Book->setText(text); }

QString TForm_Waiting::BookText() const { return Label_Book->text(); }

void TForm_Waiting::ShowCancelling(const QString& text) {
  Button_Cancel->setEnabled(false);
  Label_Book->setText(text);
  for (int line = 1; line < BookLineCount(); ++line) SetBookLine(line, QString());
}

void TForm_Waiting::keyPressEvent(QKeyEvent* event) {
  if (cancellable_ && event->key() == Qt::Key_Escape) {
    if (Button_Cancel->isEnabled()) emit CancelRequested();
    return;
  }
  QWidget::keyPressEvent(event);
}

void TForm_Waiting::ShowOverMainWindow() {
  QRect area;
  if (main_window_ != nullptr) {
    area = main_window_->frameGeometry();
  } else if (QScreen* screen = QGuiApplication::primaryScreen()) {
    area = screen->availableGeometry();
  }
  if (area.isValid()) move(area.center() - QPoint(width() / 2, height() / 2));
  // Keep it above the main window without making it modal.
  winId();
  if (main_window_ != nullptr && main_window_->windowHandle() != nullptr) {
    windowHandle()->setTransientParent(main_window_->windowHandle());
  }
  show();
  raise();
  if (cancellable_) {
    activateWindow();
    Button_Cancel->setFocus(Qt::OtherFocusReason);
  }
}

void TForm_Waiting::SetPanelText(const QString& text) { panel_label_->setText(text); }

QString TForm_Waiting::PanelText() const { return panel_label_->text(); }

}  // namespace quireforge
