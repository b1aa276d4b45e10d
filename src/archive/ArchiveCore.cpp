#include "archive/ArchiveCore.h"

#include "archive/ArchiveMessages.h"
#include "archive/ArchiverError.h"
#include "base/UserInterface.h"

namespace quireforge {

TArchiveCore::TArchiveCore(UserInterface& ui) : ui_(ui) {}

TArchiveCore::~TArchiveCore() = default;

void TArchiveCore::ClearErrCode() {
  err_code_ = 0;
  full_err_code_ = 0;
}

void TArchiveCore::SetErrCode(int32_t code) {
  err_code_ = code;
  full_err_code_ = code;
}

void TArchiveCore::ClearLastError() {
  ClearErrCode();
  message_.clear();
}

void TArchiveCore::ReportError(const EArchiver& error) {
  err_code_ = error.Code();
  full_err_code_ = error.Code();
  message_ = error.what();
  if (error.Display() && !unattended_) ui_.ShowArchiveError(message_);
}

void TArchiveCore::ShowInformation(int32_t code, const std::string& text) {
  err_code_ = code;
  full_err_code_ = code;
  message_ = text;
  if (!unattended_) ui_.ShowArchiveInformation(text);
}

void TArchiveCore::ShowInformation(int32_t code) { ShowInformation(code, ArchiveMessage(code)); }

void TArchiveCore::SetEngineMessage(int32_t code, const std::string& text) {
  err_code_ = static_cast<int8_t>(static_cast<uint8_t>(code & 0xFF));
  full_err_code_ = code;
  message_ = text;
}

void TArchiveCore::StartWaitCursor() {
  if (cursor_depth_++ == 0) ui_.SetWaitCursor(true);
}

void TArchiveCore::StopWaitCursor() {
  if (cursor_depth_ == 0) return;
  if (--cursor_depth_ == 0) ui_.SetWaitCursor(false);
}

void TArchiveCore::RestoreCursor() {
  if (cursor_depth_ == 0) return;
  cursor_depth_ = 0;
  ui_.SetWaitCursor(false);
}

}  // namespace quireforge
