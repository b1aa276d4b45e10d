#include "ui/QtUserInterface.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QProgressBar>

#include "ui/DialogService.h"

namespace quireforge {

QtUserInterface::QtUserInterface(DialogService& dialogs) : dialogs_(dialogs) {}

QtUserInterface::~QtUserInterface() {
  if (wait_cursor_) QGuiApplication::restoreOverrideCursor();
}

void QtUserInterface::ShowProgress() {
  if (waiting_ != nullptr) waiting_->ShowOverMainWindow();
}

void QtUserInterface::CloseProgress() {
  if (waiting_ != nullptr) waiting_->hide();
}

void QtUserInterface::ShowProgressBar() {
  if (waiting_ != nullptr) waiting_->Bar()->show();
}

void QtUserInterface::HideProgressBar() {
  if (waiting_ != nullptr) waiting_->Bar()->hide();
}

void QtUserInterface::SetProgressMaximum(int32_t maximum) {
  if (waiting_ == nullptr) return;
  // The lower bound stays 0; a negative maximum (an empty source) gives an empty range.
  waiting_->Bar()->setMaximum(maximum < 0 ? 0 : maximum);
}

void QtUserInterface::SetProgressPosition(int32_t position) {
  if (waiting_ != nullptr) waiting_->Bar()->setValue(position);
}

void QtUserInterface::ProcessMessages() { QCoreApplication::processEvents(); }

void QtUserInterface::ShowArchiveError(const std::string& text) {
  dialogs_.ShowArchiveMessage(DialogService::ArchiveMessageKind::kError,
                              QString::fromStdString(text));
}

void QtUserInterface::ShowArchiveInformation(const std::string& text) {
  dialogs_.ShowArchiveMessage(DialogService::ArchiveMessageKind::kInformation,
                              QString::fromStdString(text));
}

void QtUserInterface::SetWaitCursor(bool waiting) {
  if (waiting == wait_cursor_) return;
  wait_cursor_ = waiting;
  if (waiting) {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QGuiApplication::restoreOverrideCursor();
  }
}

}  // namespace quireforge
