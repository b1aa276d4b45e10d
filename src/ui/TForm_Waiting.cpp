#include "ui/TForm_Waiting.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QWindow>

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
}

void TForm_Waiting::SetPanelText(const QString& text) { panel_label_->setText(text); }

QString TForm_Waiting::PanelText() const { return panel_label_->text(); }

}  // namespace quireforge
